// The user's date, time and number formats from the C library's locale.
#include "platform/datetime.h"

#include <QtTest>

#include <clocale>

namespace {

bool useLocale(int category, const char *name) {
    return std::setlocale(category, name) != nullptr;
}

} // namespace

class DateTimeTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { std::setlocale(LC_ALL, "C"); }

    void russian() {
        if (!useLocale(LC_ALL, "ru_RU.UTF-8"))
            QSKIP("ru_RU.UTF-8 is not generated (scripts/setup does it)");
        QCOMPARE(shortDateFormat(), QString("%d.%m.%Y"));
        QCOMPARE(longTimeFormat(), QString("%T"));
        QCOMPARE(dateTimeText(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), QString("05.03.2024 07:08:09"));
        QCOMPARE(dateTimeText(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 999))),
                 QString("31.12.1999 23:59:59"));
        QCOMPARE(shortDateText(QDate(2001, 11, 9)), QString("09.11.2001"));
        QCOMPARE(longTimeText(QTime(13, 0, 5)), QString("13:00:05"));
        QCOMPARE(decimalSeparator(), QChar(u','));
    }

    void midnightLeavesTheTimeOut_data() {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0, 0) << "05.03.2024";
        QTest::newRow("milliseconds do not count") << QTime(0, 0, 0, 999) << "05.03.2024";
        QTest::newRow("one second after") << QTime(0, 0, 1) << "05.03.2024 00:00:01";
        QTest::newRow("one minute after") << QTime(0, 1, 0) << "05.03.2024 00:01:00";
        QTest::newRow("one hour after") << QTime(1, 0, 0) << "05.03.2024 01:00:00";
        QTest::newRow("noon") << QTime(12, 0, 0) << "05.03.2024 12:00:00";
    }
    void midnightLeavesTheTimeOut() {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        if (!useLocale(LC_ALL, "ru_RU.UTF-8"))
            QSKIP("ru_RU.UTF-8 is not generated");
        QCOMPARE(dateTimeText(QDateTime(QDate(2024, 3, 5), time)), text);
    }

    void cLocale() {
        QVERIFY(useLocale(LC_ALL, "C"));
        QCOMPARE(shortDateFormat(), QString("%m/%d/%y"));
        QCOMPARE(longTimeFormat(), QString("%H:%M:%S"));
        QCOMPARE(dateTimeText(QDateTime(QDate(2024, 3, 5), QTime(17, 8, 9))), QString("03/05/24 17:08:09"));
        QCOMPARE(dateTimeText(QDateTime(QDate(2024, 3, 5), QTime(0, 0))), QString("03/05/24"));
        QCOMPARE(decimalSeparator(), QChar(u'.'));
    }

    void categoriesAreIndependent() {
        if (!useLocale(LC_TIME, "ru_RU.UTF-8") || !useLocale(LC_NUMERIC, "C"))
            QSKIP("ru_RU.UTF-8 is not generated");
        QCOMPARE(dateTimeText(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 9))), QString("05.03.2024 07:08:09"));
        QCOMPARE(decimalSeparator(), QChar(u'.'));
        QVERIFY(useLocale(LC_TIME, "C") && useLocale(LC_NUMERIC, "ru_RU.UTF-8"));
        QCOMPARE(shortDateFormat(), QString("%m/%d/%y"));
        QCOMPARE(decimalSeparator(), QChar(u','));
    }
};

QTEST_GUILESS_MAIN(DateTimeTest)
#include "platform_datetime_test.moc"
