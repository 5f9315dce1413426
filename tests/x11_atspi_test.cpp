// What a screen reader finds on the desktop's accessibility bus (AT-SPI): in
// the main window and each of the program's other windows, every control the
// keyboard reaches has a name and a role. The bus is the one of the session
// CTest starts for this suite; the tree is walked by tests/helpers/atspi_walk.py.
#include "app/tform1.h"
#include "platform/modal.h"
#include "windows/tform2.h"

#include <QAction>
#include <QDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class X11AtspiTest : public QObject {
    Q_OBJECT
    QStringList unnamed_;

    // Walks the whole tree of this program as the bus shows it now.
    void walk(const QString &where) {
        QProcess walker;
        QEventLoop loop;
        connect(&walker, &QProcess::finished, &loop, &QEventLoop::quit);
        walker.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral(TESSARIN_TEST_DATA "/../helpers/atspi_walk.py"), QCoreApplication::applicationName()});
        // The program answers the walker's questions from its event loop (one
        // that does not sleep between events, as QTest's waits do).
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        if (walker.state() != QProcess::NotRunning)
            loop.exec();
        QVERIFY(walker.state() == QProcess::NotRunning);
        const QString out = QString::fromUtf8(walker.readAllStandardOutput());
        QVERIFY2(walker.exitCode() == 0, qPrintable(out + QString::fromUtf8(walker.readAllStandardError())));
        const qsizetype nodes = out.section(QStringLiteral("nodes "), 1).trimmed().toLongLong();
        QVERIFY2(nodes > 30, qPrintable(where + QStringLiteral(": ") + out)); // the tree was really walked
        for (const QString &line : out.split(u'\n'))
            if (line.startsWith(QLatin1String("UNNAMED")))
                unnamed_ << where + QStringLiteral(": ") + line.mid(8);
    }

private slots:
    void everyControlTheKeyboardReachesHasANameAndRole() {
        QTemporaryDir dir;
        TForm1 form(dir.filePath(QStringLiteral("Tessarin.ini")));
        TForm2 calculator;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        walk(QStringLiteral("main window"));
        for (const char *command : {"N25", "N26", "N50"}) { // find, replace, calculator: windows of their own
            form.Action(QLatin1String(command))->trigger();
            QWidget *window = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->isVisible() && w != &form && !w->inherits("QMenu"))
                    window = w;
            QVERIFY2(window && QTest::qWaitForWindowExposed(window), command);
            walk(QLatin1String(command));
            window->close();
        }
        for (const char *command : {"N33", "N34", "N53", "N54"}) { // help, about, calendar, statistics
            modal::answerNext([&](QDialog &d) {
                d.show();
                if (QTest::qWaitForWindowExposed(&d))
                    walk(QLatin1String(command));
                return int(QDialog::Accepted);
            });
            form.Action(QLatin1String(command))->trigger();
        }
        QVERIFY2(unnamed_.isEmpty(), qPrintable(unnamed_.join(u'\n')));
    }
};

QTEST_MAIN(X11AtspiTest)
#include "x11_atspi_test.moc"
