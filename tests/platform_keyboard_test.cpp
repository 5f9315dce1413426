// Keyboard layouts without an X display, and the languages read from XKB
// symbols names.
#include "platform/keyboard.h"

#include <QtTest>

class KeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void nothingWithoutX() {
        // The offscreen platform has no X display, even when DISPLAY is set.
        QCOMPARE(QGuiApplication::platformName(), QString("offscreen"));
        QVERIFY(keyboard::layoutList().isEmpty());
        QVERIFY(!keyboard::activate(1));
        QVERIFY(!keyboard::activate(0));
        QCOMPARE(keyboard::activeLayout(), quintptr(0));
    }

    void symbols_data() {
        QTest::addColumn<QByteArray>("symbols");
        QTest::addColumn<int>("groups");
        QTest::addColumn<QList<int>>("languages");
        QTest::newRow("us, ru") << QByteArray("pc+us+ru:2+inet(evdev)") << 2 << QList<int>{0x09, 0x19};
        QTest::newRow("ru, us with options") << QByteArray("pc+ru+us:2+inet(evdev)+group(alt_shift_toggle)") << 2
                                             << QList<int>{0x19, 0x09};
        QTest::newRow("variants") << QByteArray("pc+de(nodeadkeys)+gb(extd):2+ru(phonetic):3+inet(evdev)") << 3
                                  << QList<int>{0x07, 0x09, 0x19};
        QTest::newRow("four groups") << QByteArray("pc+gb+ua:2+ru:3+by:4+level3(ralt_switch)") << 4
                                     << QList<int>{0x09, 0x22, 0x19, 0x23};
        QTest::newRow("one group") << QByteArray("pc+us+inet(evdev)") << 1 << QList<int>{0x09};
        QTest::newRow("variant of another language") << QByteArray("pc+us(rus)+ca(eng):2+ca:3") << 3
                                                     << QList<int>{0x19, 0x09, 0x0C};
        QTest::newRow("Tatar is not Russian") << QByteArray("pc+ru(tt)+ru:2") << 2 << QList<int>{0x44, 0x19};
        QTest::newRow("unknown layout") << QByteArray("pc+xx+us:2") << 2 << QList<int>{0, 0x09};
        QTest::newRow("vendor folder") << QByteArray("macintosh_vndr/apple(alukbd)+macintosh_vndr/us+ru:2") << 2
                                       << QList<int>{0x09, 0x19};
        QTest::newRow("augment") << QByteArray("pc+us|ru:2") << 2 << QList<int>{0x09, 0x19};
        QTest::newRow("more names than groups") << QByteArray("pc+us+ru:2") << 1 << QList<int>{0x09};
        QTest::newRow("more groups than names") << QByteArray("pc+us") << 3 << QList<int>{0x09, 0, 0};
        QTest::newRow("group count unknown") << QByteArray("pc+us+ru:2") << 0 << QList<int>{0x09, 0x19};
        QTest::newRow("no name") << QByteArray() << 2 << QList<int>{0, 0};
        QTest::newRow("only the first counts once") << QByteArray("pc+us+ru+de:2") << 2 << QList<int>{0x09, 0x07};
        QTest::newRow("bad group numbers") << QByteArray("pc+us+ru:x+de:0+fr:-1+(:+:") << 2 << QList<int>{0x09, 0};
    }
    void symbols() {
        QFETCH(QByteArray, symbols);
        QFETCH(int, groups);
        QFETCH(QList<int>, languages);
        QCOMPARE(keyboard::languagesOfSymbols(symbols, groups), languages);
    }
};

QTEST_MAIN(KeyboardTest)
#include "platform_keyboard_test.moc"
