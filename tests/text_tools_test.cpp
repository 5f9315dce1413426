// The text tools' pure logic: reversal, repetition and the order of the line sort.
#include "tools/text_tools.h"

#include <QtTest>

class TextToolsTest : public QObject {
    Q_OBJECT

private slots:
    void reversal() {
        QCOMPARE(text_tools::reversed(u"abc"), QStringLiteral("cba"));
        QCOMPARE(text_tools::reversed(u""), QString());
        QCOMPARE(text_tools::reversed(u"x"), QStringLiteral("x"));
        QCOMPARE(text_tools::reversed(u"ab\r\ncd"), QStringLiteral("dc\n\rba"));
        QCOMPARE(text_tools::reversed(u"Привет, мир"), QStringLiteral("рим ,тевирП"));
        // Two code units, and a letter with its combining marks, stay whole.
        QCOMPARE(text_tools::reversed(u"a😀b"), QStringLiteral("b😀a"));
        QCOMPARE(text_tools::reversed(u"ёe\u0301\u0302x🇷"), QStringLiteral("🇷xe\u0301\u0302ё"));
    }

    void repetition() {
        QCOMPARE(text_tools::repeat(QStringLiteral("ab"), 3), QStringLiteral("ababab"));
        QCOMPARE(text_tools::repeat(QStringLiteral("ab"), 1), QStringLiteral("ab"));
        QCOMPARE(text_tools::repeat(QStringLiteral("ab"), 0), QString());
        QCOMPARE(text_tools::repeat(QStringLiteral("ab"), -5), QString());
        QCOMPARE(text_tools::repeat(QString(), 7), QString());
        QCOMPARE(text_tools::repeat(QStringLiteral("а\r\n"), 2), QStringLiteral("а\r\nа\r\n"));
        QCOMPARE(text_tools::repeat(QStringLiteral("xyz"), 1000).size(), 3000);
    }

    void sortIgnoresCaseAndKeepsOrderOfEquals() {
        const QCollator collator = text_tools::lineCollator();
        QCOMPARE(collator.caseSensitivity(), Qt::CaseInsensitive);
        const QStringList lines{"b", "A", "a", "C", "B"};
        // Equal lines keep their document order: "A" before "a", "b" before "B".
        QCOMPARE(text_tools::sortedLines(lines, collator), (QStringList{"A", "a", "b", "B", "C"}));
        const QStringList swapped{"a", "A"};
        QCOMPARE(text_tools::sortedLines(swapped, collator), swapped);
    }

    void sortIsLocaleAware() {
        const QCollator collator = text_tools::lineCollator();
        // Code-point order would put ё after я and lower case after upper case.
        QCOMPARE(text_tools::sortedLines({"ж", "я", "ё", "Е", "е", "Ж"}, collator),
                 (QStringList{"Е", "е", "ё", "ж", "Ж", "я"}));
        QCOMPARE(text_tools::sortedLines({"Яблоко", "апельсин", "Банан", "абрикос"}, collator),
                 (QStringList{"абрикос", "апельсин", "Банан", "Яблоко"}));
        QCOMPARE(text_tools::sortedLines({"beta", "Alpha", "alphabet", "ALPHA"}, collator),
                 (QStringList{"Alpha", "ALPHA", "alphabet", "beta"}));
    }

    void sortEdgeCases() {
        const QCollator collator = text_tools::lineCollator();
        QCOMPARE(text_tools::sortOrder({}, collator), std::vector<int>{});
        QCOMPARE(text_tools::sortOrder({"only"}, collator), std::vector<int>{0});
        // Empty lines come first; duplicates stay.
        QCOMPARE(text_tools::sortedLines({"b", "", "a", "", "b"}, collator),
                 (QStringList{"", "", "a", "b", "b"}));
        // Long lines are compared whole, beyond any buffer.
        const QString longA = QString(5000, u'x') + u'a';
        const QString longB = QString(5000, u'x') + u'b';
        QCOMPARE(text_tools::sortedLines({longB, longA}, collator), (QStringList{longA, longB}));
    }
};

QTEST_GUILESS_MAIN(TextToolsTest)
#include "text_tools_test.moc"
