// The tray icon on a real X server, with a window manager (openbox) and a real
// notification area (trayer) that the suite starts itself; the first test runs
// before there is a notification area.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "windows/tform2.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The X window that shows the program's tray icon, or 0.
WId iconWindow() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (QByteArray(w->metaObject()->className()).contains("SystemTrayIcon") && w->isVisible())
            return w->winId();
    return 0;
}

// Whether the icon's window sits inside trayer's panel, as X sees it.
bool inNotificationArea() {
    const WId icon = iconWindow();
    if (!icon)
        return false;
    const QString id = QStringLiteral("0x%1 ").arg(icon, 0, 16);
    const QStringList tree = run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
                                 .split(QLatin1Char('\n'));
    for (int i = 0; i < tree.size(); ++i) {
        if (!tree[i].contains(QLatin1String("(\"panel\" \"trayer\")")))
            continue;
        const auto indent = [](const QString &s) { return s.size() - s.trimmed().size(); };
        for (int j = i + 1; j < tree.size() && indent(tree[j]) > indent(tree[i]); ++j)
            if (tree[j].trimmed().startsWith(id))
                return true;
    }
    return false;
}

// Clicks the icon with the mouse button, `clicks` times.
void clickIcon(QSystemTrayIcon *icon, int button, int clicks = 1) {
    // Embedding first shows the icon at the origin; then the tray places it.
    QTest::qWaitFor([icon] { return !icon->geometry().topLeft().isNull(); });
    const QPoint c = icon->geometry().center();
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(c.x()), QString::number(c.y()),
                                    QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(clicks),
                                    QStringLiteral("--delay"), QStringLiteral("80"), QString::number(button)});
}

} // namespace

class X11TrayTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess openbox_, trayer_;
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TForm2> form2_;

    TForm1 &form() { return *form_; }

    void showForm(int arguments = 0) {
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->ArgumentCount = arguments;
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    // Minimising as the title-bar button does, through the window manager.
    void minimise() {
        run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(form().winId())});
    }

private slots:
    void initTestCase() {
        openbox_.start(QStringLiteral("openbox"), {});
        QVERIFY(openbox_.waitForStarted());
        QTest::qWait(500);
        form2_ = std::make_unique<TForm2>();
    }

    void init() { modal::clearAnswers(); }
    void cleanup() {
        QCOMPARE(modal::pendingAnswers(), 0);
        form_.reset();
        form2_->hide();
    }

    void cleanupTestCase() {
        form2_.reset();
        for (QProcess *p : {&trayer_, &openbox_}) {
            p->terminate();
            p->waitForFinished(3000);
        }
    }

    // Where no notification area runs, the window never leaves the task bar.
    void withoutNotificationAreaWindowStaysReachable() {
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        showForm(1); // an argument: not hidden at activation
        QTest::qWait(300);
        QVERIFY(form().isVisible());
        minimise();
        QTRY_VERIFY(form().isMinimized());
        QTest::qWait(300);
        QVERIFY(form().isVisible()); // minimised, with its task-bar entry
        QVERIFY(!form().TrayIcon->isVisible());
    }

    void startNotificationArea() {
        trayer_.start(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("bottom"),
                                                 QStringLiteral("--align"), QStringLiteral("right"),
                                                 QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                                                 QStringLiteral("--width"), QStringLiteral("120")});
        QVERIFY(trayer_.waitForStarted());
        QTRY_VERIFY(QSystemTrayIcon::isSystemTrayAvailable());
    }

    // Minimise goes to the tray; clicks open the popup menu, whose commands run
    // with the window hidden; a double click brings the window back as it was.
    void minimiseClickAndDoubleClick() {
        showForm();
        form().RunCommand(&TForm1::N27Click); // the toolbar area switched off
        const QRect before = form().geometry();
        minimise();
        QTRY_VERIFY(!form().isVisible());
        QTRY_VERIFY(inNotificationArea());
        QCOMPARE(form().TrayIcon->toolTip(), QStringLiteral("Tessarin 2.0"));

        for (int button : {1, 3}) { // left and right
            clickIcon(form().TrayIcon, button);
            QTRY_VERIFY(form().PopupMenu1->isVisible());
            // At the mouse, or moved just far enough to fit the screen.
            QVERIFY(form().PopupMenu1->geometry().adjusted(-1, -1, 1, 1).contains(QCursor::pos()));
            form().PopupMenu1->hide();
        }
        form().Action(QStringLiteral("N98"))->trigger(); // "Калькулятор", as chosen in that menu
        QTRY_VERIFY(Form2->isVisible());
        QVERIFY(!form().isVisible());

        clickIcon(form().TrayIcon, 1, 2);
        QTRY_VERIFY(form().isVisible());
        QTRY_COMPARE(form().geometry(), before);
        QVERIFY(form().CoolBar1->isHidden());
        QVERIFY(!inNotificationArea());
        QVERIFY(!form().PopupMenu1->isVisible()); // a double click is no click
    }

    // With an argument the first activation goes to the tray; after the way
    // back, activations leave the window where it is.
    void argumentGoesToTrayOnce() {
        showForm(1);
        QTRY_VERIFY(!form().isVisible());
        QTRY_VERIFY(inNotificationArea());
        clickIcon(form().TrayIcon, 1, 2);
        QTRY_VERIFY(form().isVisible());
        Form2->show();
        Form2->activateWindow();
        QTRY_VERIFY(Form2->isActiveWindow());
        form().activateWindow();
        QTRY_VERIFY(form().isActiveWindow());
        QTest::qWait(300);
        QVERIFY(form().isVisible());
    }

    // "Выход" from the tray asks about unsaved changes, then ends with the icon gone.
    void exitFromTrayAsksAndRemovesIcon() {
        showForm();
        form().JRE->ReplaceSelection(QStringLiteral("несохранённое"));
        form().JRE->SetModified(true);
        minimise();
        QTRY_VERIFY(inNotificationArea());
        modal::answerNext([](QDialog &) { return int(messages::No); });
        form().Action(QStringLiteral("N67"))->trigger();
        QCOMPARE(modal::shownTitles(), QStringList{QStringLiteral("Warning")});
        QVERIFY(!inNotificationArea());
        QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("Tessarin.ini")))); // closed
    }
};

QTEST_MAIN(X11TrayTest)
#include "x11_tray_test.moc"
