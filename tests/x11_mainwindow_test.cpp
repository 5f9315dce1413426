// The main window on a real X server: keyboard layouts found at start-up; the
// tray icon with a window manager (openbox), first without a notification
// area, then with a real one (trayer).
#include "app/tform1.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "windows/tform2.h"

#include <QAction>
#include <QFrame>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString run(const QString &program, const QString &args) {
    QProcess p;
    p.start(program, args.split(QLatin1Char(' ')));
    return p.waitForFinished(10000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

// The icon is in the notification area once the area has placed it on the screen.
bool inTray(QSystemTrayIcon *icon) { return !icon->geometry().topLeft().isNull(); }

void click(QSystemTrayIcon *icon, int button, int clicks = 1) {
    QVERIFY(QTest::qWaitFor([icon] { return inTray(icon); }));
    const QPoint c = icon->geometry().center();
    run(QStringLiteral("xdotool"), QStringLiteral("mousemove %1 %2 click --repeat %3 --delay 80 %4").arg(c.x()).arg(c.y()).arg(clicks).arg(button));
}

} // namespace

class X11MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess openbox_, trayer_;
    TForm2 form2_;

    std::unique_ptr<TForm1> shown(int arguments) {
        auto form = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form->ArgumentCount = arguments;
        form->show();
        form->activateWindow();
        return form;
    }
    static void minimise(TForm1 &form) { run(QStringLiteral("xdotool"), QStringLiteral("windowminimize %1").arg(form.winId())); }

    static bool setLayouts(const QString &layouts) {
        return QProcess::execute(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), layouts}) == 0;
    }

private slots:
    void russianActiveAfterStart() {
        QVERIFY(setLayouts(QStringLiteral("us,ru")));
        keyboard::activate(1); // start from the English group
        TForm1 form(dir_.filePath(QStringLiteral("Tessarin.ini")));
        QCOMPARE(form.EnglishLayout, quintptr(1));
        QCOMPARE(form.RussianLayout, quintptr(2));
        QCOMPARE(keyboard::activeLayout(), form.RussianLayout);
        QCOMPARE(form.StatusBar1->Text(4), QStringLiteral("РУС."));
    }

    void englishOnlyStaysEnglish() {
        QVERIFY(setLayouts(QStringLiteral("us")));
        TForm1 form(dir_.filePath(QStringLiteral("Tessarin.ini")));
        QCOMPARE(form.RussianLayout, quintptr(0));
        QCOMPARE(keyboard::activeLayout(), form.EnglishLayout);
        QCOMPARE(form.StatusBar1->Text(4), QStringLiteral("РУС."));
    }

    void trayRoundTrip() {
        openbox_.start(QStringLiteral("openbox"), {});
        QTRY_VERIFY(run(QStringLiteral("xprop"), QStringLiteral("-root _NET_SUPPORTING_WM_CHECK")).contains(QLatin1String("window id")));
        // No notification area: neither an argument nor a minimise hides the window.
        auto form = shown(1);
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        minimise(*form);
        QTRY_VERIFY(form->isMinimized());
        QTest::qWait(300);
        QVERIFY(form->isVisible() && !form->TrayIcon->isVisible());

        trayer_.start(QStringLiteral("trayer"), QStringLiteral("--edge bottom --align right --widthtype pixel --width 120").split(' '));
        QTRY_VERIFY(QSystemTrayIcon::isSystemTrayAvailable());
        form = shown(0);
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->RunCommand(&TForm1::N27Click); // the toolbar area switched off
        const QRect before = form->geometry();
        minimise(*form);
        QTRY_VERIFY(!form->isVisible() && inTray(form->TrayIcon));
        for (int button : {1, 3}) { // the menu at the mouse, or moved just enough to fit the screen
            click(form->TrayIcon, button);
            QTRY_VERIFY(form->PopupMenu1->isVisible());
            QVERIFY(form->PopupMenu1->geometry().adjusted(-1, -1, 1, 1).contains(QCursor::pos()));
            form->PopupMenu1->hide();
        }
        form->Action(QStringLiteral("N98"))->trigger(); // "Калькулятор" of that menu
        QTRY_VERIFY(form2_.isVisible() && !form->isVisible());
        click(form->TrayIcon, 1, 2);
        QTRY_COMPARE(form->geometry(), before);
        QVERIFY(form->isVisible() && form->CoolBar1->isHidden() && !inTray(form->TrayIcon) && !form->PopupMenu1->isVisible());

        // An argument: to the tray at the first activation only.
        form = shown(1);
        QTRY_VERIFY(!form->isVisible() && inTray(form->TrayIcon));
        click(form->TrayIcon, 1, 2);
        QTRY_VERIFY(form->isVisible());
        form2_.activateWindow();
        QTRY_VERIFY(form2_.isActiveWindow());
        form->activateWindow();
        QTRY_VERIFY(form->isActiveWindow());
        QTest::qWait(300);
        QVERIFY(form->isVisible()); // not sent to the tray again

        // Exit from the tray asks about the changes, then the icon is gone.
        minimise(*form);
        QTRY_VERIFY(inTray(form->TrayIcon));
        form->JRE->SetModified(true);
        modal::answerNext([](QDialog &) { return int(messages::No); });
        form->Action(QStringLiteral("N67"))->trigger(); // "Выход"
        QCOMPARE(modal::shownTitles(), QStringList{QStringLiteral("Warning")});
        QVERIFY(!inTray(form->TrayIcon));
    }
    // Only the main window's close ends the program: the statistics, the About
    // window and an error box, opened and closed while the window is in the
    // tray, leave it running.
    void windowsClosedFromTrayKeepItRunning() {
        auto form = shown(0);
        form->EndProgramOnClose();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        minimise(*form);
        QTRY_VERIFY(!form->isVisible() && inTray(form->TrayIcon));
        QStringList closed;
        bool ended = false;
        QTimer closer; // each window is closed with its close button once it is up
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget *w = QApplication::activeModalWidget()) {
                closed << w->windowTitle();
                w->close();
            }
        });
        closer.start(300);
        QTimer::singleShot(0, [&] {
            form->RunCommand(&TForm1::N54Click);
            form->RunCommand(&TForm1::ToolButton22Click);
            messages::showError(QStringLiteral("Ошибка"));
            QTimer::singleShot(500, [&] {
                ended = true;
                form->Action(QStringLiteral("N67"))->trigger(); // "Выход" of the tray menu
            });
        });
        QTimer::singleShot(30000, qApp, &QCoreApplication::quit);
        QApplication::exec();
        QCOMPARE(closed, (QStringList{QStringLiteral("Статистика программы"), QStringLiteral("Tessarin 2.0"),
                                      QStringLiteral("Tessarin")}));
        QVERIFY(ended);
    }

    // Minimising while the Exit question is open leaves the question on its
    // own, unanswered, until the user answers it.
    void minimiseDuringQuestion() {
        auto form = shown(0);
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->JRE->SetModified(true);
        QPointer<QMessageBox> question;
        bool stayed = false;
        QTimer::singleShot(500, [&] {
            question = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            minimise(*form);
            QTimer::singleShot(1000, [&] {
                stayed = question && question->isVisible() && !form->TrayIcon->isVisible();
                if (question)
                    question->buttons().at(1)->click(); // "&No"
            });
        });
        form->ToolButton7Click();
        QVERIFY(stayed);
        QTRY_VERIFY(!form->isVisible()); // closed by the answer
    }

    void cleanupTestCase() {
        setLayouts(QStringLiteral("us,ru"));
        for (QProcess *p : {&trayer_, &openbox_})
            p->terminate(), p->waitForFinished(3000);
    }
};

QTEST_MAIN(X11MainWindowTest)
#include "x11_mainwindow_test.moc"
