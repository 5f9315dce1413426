// The main window on a real X server: keyboard layouts found at start-up.
#include "app/tform1.h"
#include "format/statusbar.h"
#include "platform/keyboard.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class X11MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

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

    void cleanupTestCase() { setLayouts(QStringLiteral("us,ru")); }
};

QTEST_MAIN(X11MainWindowTest)
#include "x11_mainwindow_test.moc"
