// The tray icon on a notification area that speaks D-Bus (StatusNotifierItem)
// and sends no double click: a click brings the window back, a right click
// opens the menu. The area is a stand-in (tests/helpers/sni_host) on a
// private session bus, which the suite runs in (dbus-run-session).
#include "app/tform1.h"

#include <QMenu>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class X11TrayDbusTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QProcess openbox_, host_;

private slots:
    void initTestCase() {
        QVERIFY(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
        openbox_.start(QStringLiteral("openbox"), {});
        host_.start(QStringLiteral(SNI_HOST), {});
        QVERIFY(host_.waitForReadyRead(10000) && host_.readLine() == "ready\n");
    }

    void clickRestores() {
        TForm1 form(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(form.TrayClickRestores());
        const QRect before = form.geometry();
        form.showMinimized();
        QTRY_VERIFY(!form.isVisible());
        QByteArray said;
        QTRY_VERIFY2((said += host_.readAll()).startsWith("item "), said.constData());

        host_.write("context\n");
        QTRY_VERIFY(form.PopupMenu1->isVisible());
        form.PopupMenu1->hide();
        QVERIFY(!form.isVisible());

        host_.write("activate\n");
        QTRY_VERIFY(form.isVisible());
        QTRY_COMPARE(form.geometry(), before);
        QVERIFY(!form.TrayIcon->isVisible());
    }

    void cleanupTestCase() {
        for (QProcess *p : {&host_, &openbox_})
            p->terminate(), p->waitForFinished(3000);
    }
};

QTEST_MAIN(X11TrayDbusTest)
#include "x11_tray_dbus_test.moc"
