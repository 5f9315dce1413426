// The installed program on a real X server: a copy of the install prefix
// starts on its own and the keys of the calculator, help, calendar, About and
// statistics show their windows where they were designed; without its library
// the program does not start.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

// Runs a program to its end (30 s at most): its output, and its exit code.
QString run(const QString &program, const QStringList &arguments, int *code = nullptr) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000))
        p.kill();
    p.waitForFinished();
    if (code)
        *code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

} // namespace

class X11InstallTest : public QObject {
    Q_OBJECT

private slots:
    void copiedPrefix() {
        QTemporaryDir dir;
        const QString prefix = dir.filePath(QStringLiteral("prefix")), copy = dir.filePath(QStringLiteral("copy"));
        int installed = -1, copied = -1, bare = 0;
        run(QStringLiteral(CMAKE_COMMAND), {"--install", TESSARIN_BINARY_DIR, "--prefix", prefix}, &installed);
        run(QStringLiteral("cp"), {"-a", prefix, copy}, &copied);
        QCOMPARE(installed + copied, 0);
        QVERIFY(QDir(prefix).removeRecursively()); // the copy stands on its own
        const QString program = copy + QStringLiteral("/bin/tessarin");

        // Each window its key shows, placed as designed, the program started
        // from a folder that holds no help of its own.
        const struct {
            const char *key, *title, *geometry;
        } windows[] = {
            {"ctrl+F1", "Подсчёт", "X=507\nY=230\nWIDTH=169\nHEIGHT=194"},
            {"F1", "Помощь", "WIDTH=500\nHEIGHT=500"},
            {"F12", "Календарь", "X=300\nY=200\nWIDTH=200\nHEIGHT=200"},
            {"ctrl+alt+w", "Tessarin 2.0", "X=400\nY=300\nWIDTH=428\nHEIGHT=238"},
            {"ctrl+shift+F1", "Статистика программы", "WIDTH=250\nHEIGHT=150"},
        };
        const auto xdotool = [](const QStringList &arguments) { return run(QStringLiteral("xdotool"), arguments); };
        for (const auto &w : windows) {
            QProcess app;
            app.setWorkingDirectory(dir.path());
            // A state folder of its own: recovery copies other suites leave
            // behind would greet it with a question.
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
            app.setProcessEnvironment(env);
            app.start(program, {});
            const QString main = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tessarin 2.0$"});
            xdotool({"windowfocus", "--sync", main});
            xdotool({"key", QString::fromLatin1(w.key)});
            // The window with the title, other than the main one (About shares its title).
            QString geometry;
            for (int tries = 0; tries < 100 && geometry.isEmpty(); ++tries) {
                const QStringList ids = xdotool({"search", "--onlyvisible", "--name",
                                                 QStringLiteral("^%1$").arg(QString::fromUtf8(w.title))})
                                            .split(u'\n', Qt::SkipEmptyParts);
                for (const QString &id : ids)
                    if (id != main)
                        geometry = xdotool({"getwindowgeometry", "--shell", id});
                if (geometry.isEmpty())
                    QThread::msleep(100);
                if (geometry.isEmpty() && tries % 25 == 24) { // a key lost while the program was busy starting
                    xdotool({"windowfocus", "--sync", main});
                    xdotool({"key", QString::fromLatin1(w.key)});
                }
            }
            app.kill();
            app.waitForFinished();
            QVERIFY2(geometry.contains(QString::fromLatin1(w.geometry)), qPrintable(w.title + (u' ' + geometry)));
        }

        // The copy's own library is the one loaded.
        const QString libraries = run(QStringLiteral("ldd"), {program});
        const QString loaded = libraries.section(QStringLiteral("libuniversal.so => "), 1).section(u' ', 0, 0);
        QVERIFY2(QFileInfo(loaded).canonicalFilePath() == QFileInfo(copy + QStringLiteral("/lib/libuniversal.so")).canonicalFilePath(),
                 qPrintable(libraries));
        // Without it the program does not start, the loader naming it; where
        // another copy is installed (the package), the loader would find that one.
        if (run(QStringLiteral("/sbin/ldconfig"), {"-p"}).contains(QStringLiteral("libuniversal.so")))
            QSKIP("another libuniversal.so is installed: the start without the copy's own is not tried");
        QVERIFY(QFile::remove(copy + QStringLiteral("/lib/libuniversal.so")));
        const QString failure = run(program, {}, &bare);
        QVERIFY(bare != 0);
        QVERIFY2(failure.contains(QStringLiteral("libuniversal.so: cannot open shared object file")), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(X11InstallTest)
#include "x11_install_test.moc"
