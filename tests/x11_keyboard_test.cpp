// Keyboard layouts of a real X server: the XKB groups set by setxkbmap.
#include "platform/keyboard.h"

#include <QProcess>
#include <QtTest>

namespace {

bool setLayouts(const QString &layouts) {
    QProcess p;
    p.start("setxkbmap", {"-layout", layouts});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class X11KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
    }

    void englishThenRussian() {
        QVERIFY(setLayouts("us,ru"));
        const QList<keyboard::Layout> layouts = keyboard::layoutList();
        QCOMPARE(layouts.size(), 2);
        QCOMPARE(layouts[0].handle, quintptr(1));
        QCOMPARE(layouts[0].language, 0x09);
        QCOMPARE(layouts[1].handle, quintptr(2));
        QCOMPARE(layouts[1].language, 0x19);

        QVERIFY(keyboard::activate(layouts[1].handle));
        QCOMPARE(keyboard::activeLayout(), layouts[1].handle);
        QVERIFY(keyboard::activate(layouts[0].handle));
        QCOMPARE(keyboard::activeLayout(), layouts[0].handle);

        // Handles that name no group change nothing.
        QVERIFY(!keyboard::activate(0));
        QVERIFY(!keyboard::activate(3));
        QCOMPARE(keyboard::activeLayout(), layouts[0].handle);

        QCOMPARE(keyboard::layoutList(1).size(), 1);
        QVERIFY(keyboard::layoutList(0).isEmpty());
    }

    void threeLayoutsWithVariants() {
        QProcess p;
        p.start("setxkbmap", {"-layout", "de,us,ru", "-variant", "nodeadkeys,,phonetic", "-option",
                              "grp:alt_shift_toggle"});
        QVERIFY(p.waitForFinished(20000) && p.exitCode() == 0);
        const QList<keyboard::Layout> layouts = keyboard::layoutList();
        QCOMPARE(layouts.size(), 3);
        QCOMPARE(layouts[0].language, 0x07);
        QCOMPARE(layouts[1].language, 0x09);
        QCOMPARE(layouts[2].language, 0x19);
        QVERIFY(keyboard::activate(3));
        QCOMPARE(keyboard::activeLayout(), quintptr(3));
    }

    void onlyEnglish() {
        QVERIFY(setLayouts("us"));
        const QList<keyboard::Layout> layouts = keyboard::layoutList();
        QCOMPARE(layouts.size(), 1);
        QCOMPARE(layouts[0].language, 0x09);
        QCOMPARE(keyboard::activeLayout(), quintptr(1));
    }
};

QTEST_MAIN(X11KeyboardTest)
#include "x11_keyboard_test.moc"
