// The installed program on a real X server: a copy of the install prefix
// starts on its own and Ctrl+F1 shows the calculator where it was designed;
// without its library the program does not start.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
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

        QProcess app;
        app.start(program, {});
        const auto xdotool = [](const QStringList &arguments) { return run(QStringLiteral("xdotool"), arguments); };
        const QString main = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Tessarin 2.0$"});
        xdotool({"windowfocus", "--sync", main});
        xdotool({"key", "ctrl+F1"});
        const QString calculator = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Подсчёт$"});
        const QString geometry = xdotool({"getwindowgeometry", "--shell", calculator});
        QVERIFY2(geometry.contains(QStringLiteral("X=507\nY=230\nWIDTH=169\nHEIGHT=194")), qPrintable(geometry));
        app.kill();
        app.waitForFinished();

        // Without its library the program does not start; the loader names it.
        QVERIFY(QFile::remove(copy + QStringLiteral("/lib/libuniversal.so")));
        const QString failure = run(program, {}, &bare);
        QVERIFY(bare != 0);
        QVERIFY2(failure.contains(QStringLiteral("libuniversal.so: cannot open shared object file")), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(X11InstallTest)
#include "x11_install_test.moc"
