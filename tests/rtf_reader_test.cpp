#include "editor/docformat.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

namespace {

QString blocksText(const QTextDocument &doc) {
    QStringList parts;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        parts << b.text();
    return parts.join(QStringLiteral("\r\n"));
}

QString text(const QByteArray &rtf) {
    const auto t = rtf::readText(rtf);
    return t ? *t : QStringLiteral("<not rtf>");
}

// The format of the first character of the first occurrence of word.
QTextCharFormat formatOf(const QTextDocument &doc, const QString &word) {
    const QTextCursor found = doc.find(word, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull()) {
        qWarning() << "not found:" << word;
        return {};
    }
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QTextBlock blockOf(const QTextDocument &doc, const QString &word) {
    return doc.find(word, 0, QTextDocument::FindCaseSensitively).block();
}

QByteArray wrap(const QByteArray &body) {
    return "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 Arial;}"
           "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\froman\\fcharset0 Times New Roman;}}"
           "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue255;}\n" +
           body + "}";
}

// Reads a long list; in linear time, well under ten seconds even in a
// checked build.
void readLongList(const QByteArray &body, QTextDocument &doc) {
    QElapsedTimer timer;
    timer.start();
    QVERIFY(rtf::read(wrap(body), doc));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
}

} // namespace

class RtfReaderTest : public QObject {
    Q_OBJECT
    // The text collector and the document builder agree on the expected text.
    static void checkBothSinks() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(::text(rtf), expected);
        QTextDocument doc;
        QVERIFY(rtf::read(rtf, doc));
        QCOMPARE(blocksText(doc), expected);
    }

private slots:
    void detectsRtf() {
        QVERIFY(rtf::isRtf("{\\rtf"));
        QVERIFY(rtf::isRtf("{\\rtf1 x}"));
        QVERIFY(!rtf::isRtf(" {\\rtf1 x}"));
        QVERIFY(!rtf::isRtf("\xEF\xBB\xBF{\\rtf1 x}"));
        QVERIFY(!rtf::isRtf("{\\RTF1 x}"));
        QVERIFY(!rtf::isRtf("{\\rt"));
        QVERIFY(!rtf::readText("plain text").has_value());
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("keep"));
        QVERIFY(!rtf::read("plain {\\rtf1 x}", doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("keep"));
        QCOMPARE(doc.blockCount(), 1);
    }

    // Text, checked both through readText and through the document the reader
    // builds: the two sinks must agree on every case.
    void text_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");
        auto row = [](const char *name, const QByteArray &rtf, const QString &expected) {
            QTest::newRow(name) << rtf << expected;
        };
        // Paragraphs
        row("empty", "{\\rtf1}", "");
        row("one", "{\\rtf1 a}", "a");
        row("final par ends the paragraph", "{\\rtf1 a\\par}", "a");
        row("empty last paragraph", "{\\rtf1 a\\par\\par}", "a\r\n");
        row("empty paragraphs between", "{\\rtf1 a\\par\\par\\par b}", "a\r\n\r\n\r\nb");
        row("backslash newline is par", "{\\rtf1 a\\\nb\\\r\nc}", "a\r\nb\r\nc");
        row("bare CR LF ignored", "{\\rtf1 a\r\nb\rc\nd}", "abcd");
        row("line page sect", "{\\rtf1 a\\line b\\page c\\sect d}", "a\r\nb\r\nc\r\nd");
        row("page and section breaks after a paragraph's end", "{\\rtf1 a\\par\\page b\\par\\sect\\sect c\\par\\line d}",
            "a\r\nb\r\nc\r\n\r\nd");
        row("raw tab", "{\\rtf1 a\tb\\tab c}", "a\tb\tc");
        // Control characters are letters of the alphabet too (a plain-text load
        // keeps them); only zero, CR and LF cannot be text.
        row("control bytes", QByteArray("{\\rtf1 a\x01\x00" "b\x1f}", 12), QStringLiteral("a\x01" "b\x1f"));
        row("control escapes", "{\\rtf1 a\\'01\\'00\\'0d\\'0a\\'0c\\u10?\\u13?\\u27?b}", QStringLiteral("a\x01\x0c\x1b" "b"));
        // Control words
        row("one delimiting space", "{\\rtf1 \\b  two\\b0   three}", " two  three");
        row("case sensitive", "{\\rtf1 \\PAR x\\Par y}", "xy");
        row("unknown word keeps text", "{\\rtf1 {\\foo kept} \\bar2 too}", "kept too");
        row("word ends at non-letter", "{\\rtf1 \\par;x}", "\r\n;x");
        row("negative needs a digit", "{\\rtf1 \\li-x}", "-x");
        row("overflowing parameters",
            "{\\rtf1 \\fs99999999999999999999999 a\\li-99999999999999999999 b\\uc99999999999999 c"
            "\\cf2147483648 d\\ls-2147483649 e}",
            "abcde");
        row("control symbols", "{\\rtf1 \\\\\\{\\}\\~\\-\\_\\|\\:x}",
            QStringLiteral("\\{}\u00A0-x"));
        row("specials", "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote}",
            QStringLiteral("\u2014\u2013\u2022\u2018\u2019\u201C\u201D"));
        row("trailing backslash", "{\\rtf1 a\\", "a");
        // Braces
        row("missing final brace", "{\\rtf1 a{\\b b", "ab");
        row("text after the document ignored", "{\\rtf1 a}b{c}", "a");
        row("extra closing brace ends early", "{\\rtf1 a}}b", "a");
        row("stray closing in group", "{\\rtf1 {a}}}b", "a");
        // Unicode
        row("u with fallback", "{\\rtf1 \\u1055?\\u1088\\'3f}", QStringLiteral("Пр"));
        row("u negative", "{\\rtf1 \\uc0\\u-1 x}", QString(QChar(0xFFFF)) + u'x');
        row("u any character", "{\\rtf1 \\u26085?\\u8364?}", QStringLiteral("日€"));
        row("uc0", "{\\rtf1 \\uc0\\u1055 ab}", QStringLiteral("Пab"));
        row("uc2 skips hex escapes", "{\\rtf1 \\uc2\\u1055\\'3f\\'3fab}", QStringLiteral("Пab"));
        row("uc skips a control word as one", "{\\rtf1 \\uc1\\u1055\\tab x}", QStringLiteral("Пx"));
        row("uc skips a control symbol", "{\\rtf1 \\uc1\\u1055\\~x}", QStringLiteral("Пx"));
        row("uc skip stops at brace", "{\\rtf1 \\uc3\\u1055{a}b}", QStringLiteral("Пab"));
        row("uc skip stops at closing brace", "{\\rtf1 {\\uc3\\u1055}ab}", QStringLiteral("Пab"));
        row("uc scoped to group", "{\\rtf1 {\\uc2\\u1055 ab}\\u1055 cd}", QStringLiteral("ППd"));
        row("uc skips bin", "{\\rtf1 \\uc1\\u1055\\bin3 }}}x}", QStringLiteral("Пx"));
        row("surrogate pair one char", "{\\rtf1 a\\u-10179?\\u-8704?b}", QStringLiteral("a😀b"));
        // Characters a document takes for paragraph or frame ends (found by the fuzzer)
        row("paragraph separator breaks as line does", "{\\rtf1 a\\u8233?b\\u8232?c}", QStringLiteral("a\r\nb\u2028c"));
        row("frame marks are not text", "{\\rtf1 a\\u-560?\\u-559?b}", QStringLiteral("ab"));
        row("surrogate pair above 32767", "{\\rtf1 a\\u55357?\\u56832?b}", QStringLiteral("a😀b"));
        row("lone high surrogate", "{\\rtf1 a\\u55357?b}", QStringLiteral("a\uFFFDb"));
        row("lone low surrogate", "{\\rtf1 a\\u56832?b}", QStringLiteral("a\uFFFDb"));
        row("u beyond Unicode", "{\\rtf1 a\\u1114112?b}", QStringLiteral("a\uFFFDb"));
        row("uc of a million", "{\\rtf1\\uc1000000\\u945 abc}", QStringLiteral("α")); // at most 255 skipped
        row("high then high", "{\\rtf1 \\u55357?\\u55357?\\u56832?}", QStringLiteral("\uFFFD😀"));
        row("u nul dropped", "{\\rtf1 a\\u0 b}", "a");
        row("u out of range", "{\\rtf1 \\uc0\\u2000000 x}", QStringLiteral("\uFFFDx"));
        // Code pages
        row("font charset beats ansicpg",
            "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\'cf\\'f0 \xcf}",
            QStringLiteral("Пр П"));
        row("charset 0 is 1252 under ansicpg1251",
            "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 \\'80}", QStringLiteral("€"));
        row("no font: ansicpg", "{\\rtf1\\ansi\\ansicpg1251 \\'80\\'cf}", QStringLiteral("ЂП"));
        row("no ansicpg: 1252", "{\\rtf1\\ansi \\'80\\'cf}", QStringLiteral("€Ï"));
        row("unknown charset: ansicpg",
            "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset1 X;}}\\f0 \\'cf}", QStringLiteral("П"));
        row("cpg beats charset",
            "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0\\cpg1251 X;}}\\f0 \\'cf}", QStringLiteral("П"));
        row("deff font charset",
            "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 B;}}\\'cf\\f0\\'cf\\plain\\'cf}",
            QStringLiteral("ПÏП"));
        row("symbol font bullet", "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}\\f1\\'b7\\u-3913?\\u61623?a}",
            QStringLiteral("•••α"));
        row("mac cyrillic", "{\\rtf1{\\fonttbl{\\f0\\fcharset89 X;}}\\f0\\'80\\'9f}", QStringLiteral("АЯ"));
        row("mac header", "{\\rtf1\\mac \\'a5}", QStringLiteral("•"));
        row("pc header", "{\\rtf1\\pc \\'f8}", QStringLiteral("°"));
        row("greek", "{\\rtf1{\\fonttbl{\\f0\\fcharset161 X;}}\\f0\\'80\\'e1}", QStringLiteral("€α"));
        row("shift-jis pair", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 X;}}\\f0\\'84\\'40\\'83\\'41}",
            QStringLiteral("Аア"));
        row("shift-jis raw trail", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 X;}}\\f0\\'84@\x84\x40}",
            QStringLiteral("АА"));
        row("shift-jis ascii kept", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 X;}}\\f0 ab}", "ab");
        row("lead byte cut by control word",
            "{\\rtf1{\\fonttbl{\\f0\\fcharset128 X;}}\\f0\\'84\\tab x}", "?\tx");
        row("gbk pair", "{\\rtf1{\\fonttbl{\\f0\\fcharset134 X;}}\\f0\\'a7\\'a1}", QStringLiteral("А"));
        row("uhc pair", "{\\rtf1{\\fonttbl{\\f0\\fcharset129 X;}}\\f0\\'ac\\'a1}", QStringLiteral("А"));
        row("dbcs fallback skipped", "{\\rtf1{\\fonttbl{\\f0\\fcharset128 X;}}\\f0\\uc2\\u1040\\'84\\'40x}",
            QStringLiteral("Аx"));
        row("byte 98 in 1251", "{\\rtf1\\ansi\\ansicpg1251 \\'98}", QStringLiteral("\u0098"));
        row("bad hex escapes", "{\\rtf1 \\'4g\\'zz}", QStringLiteral("\x04gzz"));
        // Destinations
        row("ignorable skipped", "{\\rtf1 a{\\*\\foo b{c}d}e}", "ae");
        row("ignorable with space", "{\\rtf1 a{\\* \\foo b}e}", "ae");
        row("ignorable known word", "{\\rtf1 a{\\*\\b x}e}", "ae");
        row("skipped destinations (a note shows its number, a picture is a character)",
            "{\\rtf1 {\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}a"
            "{\\pict\\wmetafile8 0a0b{}}{\\object{\\result r}}{\\header H}{\\footer F}"
            "b{\\footnote N}{\\*\\bkmkstart x}c{\\*\\generator G;}}",
            QStringLiteral("a\uFFFCb1c"));
        row("field result kept", "{\\rtf1 a{\\field{\\*\\fldinst{HYPERLINK \"u\"}}{\\fldrslt{\\ul link}}}b}",
            "alinkb");
        row("column break", "{\\rtf1 a\\column b}", "a\r\nb");
        row("field without star", "{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 7}}}", "7");
        row("escaped braces in skipped", "{\\rtf1 {\\*\\x \\{ \\} \\\\}a}", "a");
        row("bin with braces", "{\\rtf1 a\\bin4 }{\\}b}", "ab");
        row("bin in a picture", "{\\rtf1 {\\pict\\bin5 }}}{{x}a}", QStringLiteral("\uFFFCa"));
        row("bin clamped", "{\\rtf1 a\\bin99999 b}", "a");
        row("bin negative", "{\\rtf1 a\\bin-5 b}", "ab");
        row("upr keeps unicode", "{\\rtf1 {\\upr{a}{\\*\\ud{\\u1055?}}}b}", QStringLiteral("Пb"));
        row("font table text not shown", "{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1 Times;}x}", "x");
        // Tables
        row("cells and rows", "{\\rtf1 \\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\row\\intbl c\\cell\\cell d\\cell\\row}",
            "a\tb\r\nc\t\td");
        row("cells ending with par", "{\\rtf1 {\\pard\\intbl a\\par}\\cell{\\pard\\intbl b\\par}\\cell\\intbl\\row "
                                     "\\pard after}",
            "a\tb\r\nafter");
        row("paragraphs in a cell", "{\\rtf1 \\intbl a\\par b\\cell c\\cell\\row\\pard d\\par}", "a\r\nb\tc\r\nd");
        row("par outside tables at once", "{\\rtf1 a\\par\\cell b}", "a\r\n\tb");
        row("unfinished row", "{\\rtf1 \\intbl a\\cell b\\par\\cell}", "a\tb");
        row("empty cells before a par that ends the row",
            "{\\rtf1 \\trowd\\cellx1\\cellx2\\cellx3\\intbl a\\cell\\cell\\cell \\par\\row b}", "a\t\t\r\nb");
        row("par after a cell's end: a paragraph of the next cell", "{\\rtf1 \\intbl a\\cell\\par b\\cell\\row}",
            "a\t\r\nb");
        // Lists as text
        row("classic bullet", "{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}}"
                              "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}one\\par"
                              "{\\pntext\\f1\\'B7\\tab}two\\par\\pard three}",
            "one\r\ntwo\r\nthree");
        row("classic numbered", "{\\rtf1 {\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}one\\par"
                                "{\\pntext 2.\\tab}two}",
            "one\r\ntwo");
        row("marker without list kept", "{\\rtf1 {\\listtext a)\\tab}x}", "a)\tx");
        row("empty bulleted paragraph at end", "{\\rtf1 {\\pntext\\'95\\tab}{\\*\\pn\\pnlvlblt}}", "");
        // Text boxes and shapes: their text is paragraphs where they stand.
        row("drawing object text box",
            "{\\rtf1 before{\\*\\do\\dobxcolumn\\dptxbx\\dpx0{\\dptxbxtext\\pard boxed\\par}\\dpy0}after\\par}",
            "before\r\nboxed\r\nafter");
        row("shape text, its picture form skipped",
            "{\\rtf1 a\\par{\\shp{\\*\\shpinst\\shpleft0{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt\\pard in shape}}"
            "{\\shprslt{\\*\\do\\dptxbx{\\dptxbxtext\\pard in shape\\par}}}}b}",
            "a\r\nin shape\r\nb");
        row("text box without its own par", "{\\rtf1 x{\\*\\do\\dptxbx{\\dptxbxtext one\\par two}}}", "x\r\none\r\ntwo");
        // A nested table's cells are read once, from \nestcell, as paragraphs
        // of the cell around it; its plain-text fallback is not shown.
        row("nested table", "{\\rtf1 \\pard\\intbl out\\cell\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell"
                            "{\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\nestrow}{\\nonesttables\\par in1\\tab in2\\par}"
                            "\\pard\\intbl\\itap1 end\\cell\\row}",
            "out\t\r\nin1\tin2\r\nend");
    }

    void text() { checkBothSinks(); }

    // Character attributes as editor/docformat.h keeps them.
    void characterFormats() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("\\pard plain \\b bold\\b0  \\i italic\\i0  \\ul under\\ulnone  \\uldb dbl\\ul0  "
                               "\\strike struck\\strike0  {\\b\\i scoped} after \\b1 on\\b0  "
                               "\\fs21 half\\fs36  big\\plain  reset \\f2 times \\f99 missing"),
                          doc));
        const QTextCharFormat plain = formatOf(doc, "plain");
        QVERIFY(!docformat::isBold(plain));
        QVERIFY(!plain.fontItalic());
        QCOMPARE(plain.fontPointSize(), 12.0); // no \fs: RTF's default \fs24
        QCOMPARE(docformat::fontName(plain), QStringLiteral("Arial"));
        QVERIFY(!docformat::hasColor(plain));
        QVERIFY(docformat::isBold(formatOf(doc, "bold")));
        QVERIFY(formatOf(doc, "italic").fontItalic());
        QVERIFY(!docformat::isBold(formatOf(doc, "italic")));
        QVERIFY(formatOf(doc, "under").fontUnderline());
        QVERIFY(formatOf(doc, "dbl").fontUnderline());
        QVERIFY(formatOf(doc, "struck").fontStrikeOut());
        QVERIFY(!formatOf(doc, "struck").fontUnderline());
        QVERIFY(docformat::isBold(formatOf(doc, "scoped")) && formatOf(doc, "scoped").fontItalic());
        QVERIFY(!docformat::isBold(formatOf(doc, "after")) && !formatOf(doc, "after").fontItalic());
        QVERIFY(!formatOf(doc, "after").fontStrikeOut());
        QVERIFY(docformat::isBold(formatOf(doc, "on")));
        QCOMPARE(formatOf(doc, "half").fontPointSize(), 10.5);
        QCOMPARE(formatOf(doc, "big").fontPointSize(), 18.0);
        const QTextCharFormat reset = formatOf(doc, "reset");
        QCOMPARE(reset.fontPointSize(), 12.0);
        QVERIFY(!docformat::isBold(reset));
        QCOMPARE(docformat::fontName(reset), QStringLiteral("Arial"));
        QCOMPARE(docformat::fontName(formatOf(doc, "times")), QStringLiteral("Times New Roman"));
        QCOMPARE(docformat::fontName(formatOf(doc, "missing")), QString());
        QCOMPARE(blocksText(doc), QStringLiteral("plain bold italic under dbl struck scoped after on half big reset "
                                                 "times missing"));
    }

    void colours() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("\\cf1 red \\cf2 blue \\cf0 auto \\cf9 beyond {\\cf1 in} out"), doc));
        QCOMPARE(formatOf(doc, "red").foreground().color(), QColor(255, 0, 0));
        QCOMPARE(formatOf(doc, "blue").foreground().color(), QColor(0, 128, 255));
        QVERIFY(!docformat::hasColor(formatOf(doc, "auto")));
        QVERIFY(!docformat::hasColor(formatOf(doc, "beyond")));
        QVERIFY(docformat::hasColor(formatOf(doc, "in")));
        QVERIFY(!docformat::hasColor(formatOf(doc, "out")));

        // A table whose entry 0 is a real colour still reads \cf0 as automatic;
        // an empty entry in the middle is automatic too.
        QTextDocument doc2;
        QVERIFY(rtf::read("{\\rtf1{\\colortbl\\red0\\green0\\blue0;;\\red1\\green2\\blue3;}"
                          "\\cf0 zero \\cf1 empty \\cf2 set}",
                          doc2));
        QVERIFY(!docformat::hasColor(formatOf(doc2, "zero")));
        QVERIFY(!docformat::hasColor(formatOf(doc2, "empty")));
        QCOMPARE(formatOf(doc2, "set").foreground().color(), QColor(1, 2, 3));
    }

    void fontTables_data() {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("name");
        QTest::newRow("modern") << QByteArray("{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}{\\f3 Other;}}")
                                << "Courier New";
        QTest::newRow("old style") << QByteArray("{\\fonttbl\\f3\\fswiss Other;\\f0\\froman Tms Rmn;}")
                                   << "Tms Rmn";
        QTest::newRow("falt") << QByteArray("{\\fonttbl{\\f0\\froman{\\*\\falt Times} Liberation Serif;}}")
                              << "Liberation Serif";
        QTest::newRow("fname and panose")
            << QByteArray("{\\fonttbl{\\f0\\fswiss\\fcharset204{\\*\\panose 020b0604020202020204}"
                          "{\\*\\fname Arial;}Arial CYR;}}")
            << "Arial CYR";
        QTest::newRow("no semicolon") << QByteArray("{\\fonttbl{\\f0 Verdana}}") << "Verdana";
        QTest::newRow("cyrillic name")
            << QByteArray("{\\fonttbl{\\f0\\fcharset204 \\'c0\\'f0\\'e8\\'e0\\'eb;}}") << QStringLiteral("Ариал");
        QTest::newRow("upr name")
            << QByteArray("{\\fonttbl{\\f0{\\upr{Bad;}{\\*\\ud{Good;}}}}}") << QStringLiteral("Good");
        QTest::newRow("redefined") << QByteArray("{\\fonttbl{\\f0 First;}}{\\fonttbl{\\f0 Second;}}") << "Second";
    }

    void fontTables() {
        QFETCH(QByteArray, table);
        QFETCH(QString, name);
        QTextDocument doc;
        QVERIFY(rtf::read("{\\rtf1\\deff0" + table + "\\f0 word}", doc));
        QCOMPARE(blocksText(doc), QStringLiteral("word"));
        QCOMPARE(docformat::fontName(formatOf(doc, "word")), name);
    }

    void paragraphFormats() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("\\pard left\\par\\qc center\\par\\qr right\\par\\qj justify\\par"
                               "\\pard\\fi-360\\li720 hanging\\par\\fi360 first\\par\\pard\\li-100000 clamped\\par"
                               "\\pard plain\\par{\\qc grouped\\par}back"),
                          doc));
        QCOMPARE(blockOf(doc, "left").blockFormat().alignment(), Qt::AlignLeft);
        QCOMPARE(blockOf(doc, "center").blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(blockOf(doc, "right").blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(blockOf(doc, "justify").blockFormat().alignment(), Qt::AlignJustify);
        const QTextBlockFormat hanging = blockOf(doc, "hanging").blockFormat();
        QCOMPARE(hanging.alignment(), Qt::AlignLeft); // \pard reset
        QCOMPARE(docformat::startIndent(hanging), 360);
        QCOMPARE(docformat::offset(hanging), 360);
        QTextBlockFormat expected;
        docformat::setParagraphIndents(expected, 360, 360);
        QCOMPARE(hanging.leftMargin(), expected.leftMargin());
        QCOMPARE(hanging.textIndent(), expected.textIndent());
        const QTextBlockFormat first = blockOf(doc, "first").blockFormat();
        QCOMPARE(docformat::startIndent(first), 1080);
        QCOMPARE(docformat::offset(first), -360);
        QCOMPARE(docformat::startIndent(blockOf(doc, "clamped").blockFormat()), -31680);
        QCOMPARE(docformat::startIndent(blockOf(doc, "plain").blockFormat()), 0);
        QCOMPARE(blockOf(doc, "grouped").blockFormat().alignment(), Qt::AlignHCenter);
        QCOMPARE(blockOf(doc, "back").blockFormat().alignment(), Qt::AlignLeft);
        QCOMPARE(doc.blockCount(), 10);
    }

    // An empty paragraph keeps the character format at its mark, which sets
    // its height and what typing into it gives.
    void emptyParagraphMark() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("a\\par\\fs40\\b\\par b"), doc));
        QCOMPARE(doc.blockCount(), 3);
        const QTextCharFormat mark = doc.findBlockByNumber(1).charFormat();
        QCOMPARE(mark.fontPointSize(), 20.0);
        QVERIFY(docformat::isBold(mark));
    }

    void lists_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("bullets"); // one letter a paragraph: b bulleted, - not
        QTest::newRow("classic bullets")
            << QByteArray("\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                          "\\fi-720\\li720 one\\par{\\pntext\\f1\\'B7\\tab}two\\par\\pard three\\par")
            << "one\r\ntwo\r\nthree" << "bb-";
        QTest::newRow("classic numbered")
            << QByteArray("\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1\\pndec"
                          "{\\pntxta.}}\\fi-360\\li720 one\\par{\\pntext\\f0 2.\\tab}two\\par")
            << "one\r\ntwo" << "--";
        QTest::newRow("word listtable")
            << QByteArray("{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\levelnfcn23"
                          "{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1\\fi-360\\li720}"
                          "{\\listlevel\\levelnfc0{\\leveltext\\'02\\'01.;}{\\levelnumbers\\'01;}}\\listid100}"
                          "{\\list{\\listlevel\\levelnfc0\\levelnfcn0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
                          "\\listid200}}"
                          "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}"
                          "{\\listoverride\\listid200\\listoverridecount0\\ls2}}"
                          "{\\listtext\\pard\\plain\\f1 \\'b7\\tab}\\pard\\fi-360\\li720\\ls1 dot\\par"
                          "{\\listtext\\pard\\plain 1.\\tab}\\pard\\fi-360\\li720\\ls1\\ilvl1 sub\\par"
                          "{\\listtext\\pard\\plain 1.\\tab}\\pard\\fi-360\\li720\\ls2 num\\par"
                          "\\pard plain\\par")
            << "dot\r\nsub\r\nnum\r\nplain" << "b---";
        QTest::newRow("libreoffice order")
            << QByteArray("{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}\\listid7}}"
                          "{\\listoverridetable{\\listoverride\\ls3\\listid7}}"
                          "\\pard\\plain\\ls3\\ilvl0\\fi-360\\li720{\\listtext\\pard\\plain \\u8226\\'95\\tab}item\\par"
                          "\\pard\\plain\\ls3\\ilvl0\\fi-360\\li720{\\listtext\\pard\\plain \\u8226\\'95\\tab}more\\par"
                          "\\pard\\plain after\\par")
            << "item\r\nmore\r\nafter" << "bb-";
        QTest::newRow("unknown list judged by marker")
            << QByteArray("{\\listtext \\bullet\\tab}\\ls5 dot\\par\\pard{\\listtext 3.\\tab}\\ls6 three\\par")
            << "dot\r\n3.\tthree" << "b-";
        QTest::newRow("two lists")
            << QByteArray("{\\*\\pn\\pnlvlblt}a\\par b\\par\\pard c\\par{\\*\\pn\\pnlvlblt}d\\par")
            << "a\r\nb\r\nc\r\nd" << "bb-b";
        QTest::newRow("bullet off by pnlvlcont")
            << QByteArray("{\\*\\pn\\pnlvlblt}a\\par{\\*\\pn\\pnlvlcont}b\\par") << "a\r\nb" << "b-";
    }

    void lists() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QFETCH(QString, bullets);
        QTextDocument doc;
        QVERIFY(rtf::read(wrap(body), doc));
        QCOMPARE(blocksText(doc), expected);
        QCOMPARE(doc.blockCount(), bullets.size());
        QString got;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            got += docformat::hasBullet(b) ? u'b' : u'-';
        QCOMPARE(got, bullets);
        // Bulleted blocks form lists exactly as docformat::setBullet makes them:
        // one ListDisc list per run of adjacent bulleted paragraphs (numbered
        // ones are checked by listLabels()).
        QTextDocument same;
        same.setPlainText(QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        for (int i = 0; i < bullets.size(); ++i) {
            if (bullets[i] == u'b') {
                QTextCursor c(same.findBlockByNumber(i));
                docformat::setBullet(c, true);
            }
        }
        for (int i = 0; i < bullets.size(); ++i) {
            const QTextBlock a = doc.findBlockByNumber(i);
            const QTextBlock b = same.findBlockByNumber(i);
            if (bullets[i] != u'b')
                continue;
            QCOMPARE(bool(a.textList()), bool(b.textList()));
            QCOMPARE(a.textList()->format().style(), QTextListFormat::ListDisc);
            QCOMPARE(a.textList()->format().indent(), b.textList()->format().indent());
            QCOMPARE(a.textList()->itemNumber(a), b.textList()->itemNumber(b));
            QCOMPARE(a.textList()->count(), b.textList()->count());
        }
    }

    // Numbered paragraphs become numbered lists: the text with labels, as the
    // plain-text save and the converter write it, from both sinks; the labels
    // are the ones Qt draws.
    void listLabels_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const QByteArray twoLevels =
            "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
            "{\\listlevel\\levelnfc4{\\leveltext\\'02\\'01);}{\\levelnumbers\\'01;}}\\listid100}}"
            "{\\*\\listoverridetable{\\listoverride\\listid100\\listoverridecount0\\ls1}}";
        // AbiWord: \pn numbering beside \ls, a \listtext without the number.
        QTest::newRow("abiword")
            << QByteArray("{\\*\\listtable{\\list\\listtemplateid1001\\listsimple{\\listlevel\\levelnfc0\\levelstartat1"
                          "\\levelspace0\\levelfollow0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid2}}"
                          "{\\*\\listoverridetable{\\listoverride\\listoverridecount0\\listid2\\levelnfc0\\levelstartat1"
                          "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\ls2}}"
                          "{\\listtext\\pard\\fi-431\\li720  \\tab}\\pard\\plain{\\ltrpar\\ql\\fi-431\\li720"
                          "{\\*\\abilist\\abilistid2}{\\*\\pn\\pnql\\pnstart1\\pnlvlbody\\pndec{\\pntxtb }{\\pntxta .}}"
                          "\\ls2\\ilvl0{\\f0\\fs24 \\'cf\\'e5\\'f0\\'e2\\'fb\\'e9}{\\par}}"
                          "{\\listtext\\pard\\fi-431\\li720  \\tab}\\pard\\plain{\\ltrpar\\ql\\fi-431\\li720"
                          "{\\*\\pn\\pnql\\pnstart1\\pnlvlbody\\pndec{\\pntxtb }{\\pntxta .}}"
                          "\\ls2\\ilvl0{\\f0\\fs24 \\'c2\\'f2\\'ee\\'f0\\'ee\\'e9}{\\par}}")
            << QString::fromUtf8("1.\tПервый\r\n2.\tВторой");
        QTest::newRow("classic letters from c")
            << QByteArray("{\\pntext c)\\tab}{\\*\\pn\\pnlvlbody\\pnlcltr\\pnstart3{\\pntxta )}}one\\par"
                          "{\\pntext d)\\tab}two\\par\\pard plain\\par")
            << "c)\tone\r\nd)\ttwo\r\nplain";
        QTest::newRow("classic roman with both texts, runs restart")
            << QByteArray("{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxtb (}{\\pntxta )}}a\\par b\\par\\pard c\\par"
                          "{\\*\\pn\\pnlvlbody\\pnucrm{\\pntxtb (}{\\pntxta )}}d\\par"
                          "{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart9}e\\par")
            << "(I)\ta\r\n(II)\tb\r\nc\r\n(I)\td\r\nix\te";
        QTest::newRow("word levels")
            << twoLevels + "{\\listtext 1.\\tab}\\pard\\ls1 one\\par{\\listtext a)\\tab}\\pard\\ls1\\ilvl1 sub\\par"
                           "{\\listtext b)\\tab}sub2\\par{\\listtext 2.\\tab}\\pard\\ls1 two\\par"
                           "{\\listtext a)\\tab}\\pard\\ls1\\ilvl1 sub3\\par\\pard plain\\par"
                           "{\\listtext 3.\\tab}\\pard\\ls1 three\\par"
            << "1.\tone\r\na)\tsub\r\nb)\tsub2\r\n2.\ttwo\r\na)\tsub3\r\nplain\r\n3.\tthree";
        QTest::newRow("libreoffice roman from IV")
            << QByteArray("{\\*\\listtable{\\list\\listtemplateid4{\\listlevel\\levelnfc1\\leveljc0\\levelstartat4"
                          "\\levelfollow0{\\leveltext \\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-283\\li709}\\listid4}}"
                          "{\\listoverridetable{\\listoverride\\listid4\\listoverridecount0\\ls4}}"
                          "\\pard\\plain{\\listtext\\pard\\plain  IV.\\tab}\\ilvl0\\ls4 \\fi-283\\li709 x\\par"
                          "\\pard\\plain{\\listtext\\pard\\plain  V.\\tab}\\ilvl0\\ls4 \\fi-283\\li709 y\\par")
            << "IV.\tx\r\nV.\ty";
        QTest::newRow("outline label shows the level above, at its start before its first item")
            << QByteArray("{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}"
                          "{\\listlevel\\levelnfc0{\\leveltext\\'04\\'00.\\'01.;}{\\levelnumbers\\'01\\'03;}}"
                          "{\\listlevel\\levelnfc255{\\leveltext\\'00;}{\\levelnumbers;}}\\listid1}}"
                          "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                          "{\\listtext 1.1.\\tab}\\pard\\ls1\\ilvl1 x\\par{\\listtext\\tab}\\pard\\ls1\\ilvl2 none\\par")
            << "1.1.\tx\r\nnone";
        QTest::newRow("bullets and a marker of an unknown list")
            << QByteArray("{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1}dot\\par\\pard{\\listtext 3.\\tab}\\ls6 three\\par")
            << "\u2022\tdot\r\n3.\tthree";
    }
    void listLabels() {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const QByteArray rtf = wrap(body);
        QCOMPARE(*rtf::readText(rtf, rtf::ListLabels::Shown), expected);
        QTextDocument doc;
        QVERIFY(rtf::read(rtf, doc));
        QCOMPARE(plaintext::labelledText(doc), expected);
        QCOMPARE(blocksText(doc), *rtf::readText(rtf));
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            const QTextList *list = b.textList();
            if (list && docformat::listStart(list->format()) == 1 && !docformat::hasBullet(b))
                QCOMPARE(list->itemText(b), docformat::listLabel(list->format(), list->itemNumber(b)));
        }
    }

    // Our labels are Qt's for every style, prefix and suffix, far into a list.
    void labelsAsQtDrawsThem() {
        for (const auto style : {QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha,
                                 QTextListFormat::ListUpperAlpha, QTextListFormat::ListLowerRoman,
                                 QTextListFormat::ListUpperRoman}) {
            QTextDocument doc;
            QTextCursor c(&doc);
            QTextListFormat lf;
            lf.setStyle(style);
            if (style == QTextListFormat::ListLowerAlpha) {
                lf.setNumberPrefix(QStringLiteral("("));
                lf.setNumberSuffix(QStringLiteral(")"));
            }
            QTextList *list = c.createList(lf);
            for (int i = 1; i < 5100; ++i)
                c.insertBlock();
            QCOMPARE(list->count(), 5100);
            for (int i = 0; i < list->count(); i += i < 800 ? 1 : 7)
                QCOMPARE(docformat::listLabel(lf, i), list->itemText(list->item(i)));
        }
    }

    // Qt draws a list item's marker in the paragraph's own character format
    // (QTextBlock::charFormat()): it is the format at the paragraph mark, so
    // the markers of a list look alike whatever stands before the list or
    // starts an item, as LibreOffice writes them after a heading.
    void listMarkersLookAlike() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("\\pard\\plain\\fs48\\b Heading\\par"
                               "\\pard\\plain{\\listtext\\pard\\plain\\f1\\fs18 \\'b7\\tab}\\ls1\\ilvl0 {\\f2 one}\\par"
                               "\\pard\\plain{\\listtext\\pard\\plain\\f1\\fs18 \\'b7\\tab}\\ls1\\ilvl0 {\\f2 two}\\par"
                               "\\pard\\plain\\fs16 small\\par"
                               "\\pard\\plain{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}{\\fs40 Big} first\\par"
                               "{\\fs40 Big} second\\par"),
                          doc));
        const QTextCharFormat mark = blockOf(doc, "one").charFormat();
        QCOMPARE(mark.fontPointSize(), 12.0);
        QCOMPARE(docformat::fontName(mark), QStringLiteral("Arial"));
        QVERIFY(!docformat::isBold(mark));
        QCOMPARE(blockOf(doc, "two").charFormat(), mark);
        QCOMPARE(blockOf(doc, "first").charFormat(), mark);
        QCOMPARE(blockOf(doc, "second").charFormat(), mark);
    }

    // Random runs of numbered (two ids), bulleted, plain and empty paragraphs,
    // each in a random size: every paragraph is of its kind, no list holds more
    // than kListChunk items, the labels are those of the reader that never
    // builds a document, and a list item's or empty paragraph's own format is
    // its mark's size.
    void mixedListsKeepTheirKindsNumbersAndMarks() {
        const QByteArray lists =
            "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
            "{\\levelnumbers\\'01;}}\\listid1}{\\list\\listtemplateid2{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}"
            "{\\levelnumbers;}}\\listid2}{\\list\\listtemplateid3{\\listlevel\\levelnfc4\\levelstartat3"
            "{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}}\\listid3}}{\\*\\listoverridetable"
            "{\\listoverride\\listid1\\listoverridecount0\\ls1}{\\listoverride\\listid2\\listoverridecount0\\ls2}"
            "{\\listoverride\\listid3\\listoverridecount0\\ls3}}";
        for (quint32 seed = 1; seed <= 4; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray body = lists;
            struct Para { int kind, size; }; // kind: 0 plain, 1..3 the list \lsN (2 bulleted)
            QList<Para> paras;
            for (int i = 0; i < 400; ++i) {
                const Para p{int(rng.bounded(4)), 16 + 4 * int(rng.bounded(4))};
                const bool empty = rng.bounded(5) == 0;
                paras.append(p);
                body += "\\pard\\plain";
                if (p.kind)
                    body += "\\ls" + QByteArray::number(p.kind) + "\\fi-360\\li720";
                body += " \\fs" + QByteArray::number(p.size) + (empty ? "" : rng.bounded(2) ? " text" : " {\\fs40 big} text");
                body += "\\par\n";
            }
            QTextDocument doc;
            QVERIFY(rtf::read(wrap(body), doc));
            QCOMPARE(plaintext::labelledText(doc), *rtf::readText(wrap(body), rtf::ListLabels::Shown));
            QTextBlock b = doc.begin();
            for (const Para &p : paras) {
                const QTextList *list = b.textList();
                QCOMPARE(list != nullptr, p.kind != 0);
                QCOMPARE(docformat::hasBullet(b), p.kind == 2);
                if (list) {
                    QVERIFY(list->count() <= docformat::kListChunk);
                    QCOMPARE(b.charFormat().fontPointSize(), p.size / 2.0);
                }
                if (b.length() == 1)
                    QCOMPARE(b.charFormat().fontPointSize(), p.size / 2.0);
                b = b.next();
            }
        }
    }

    // Qt's lists cost O(items) for each item added; a long bulleted run must
    // still read in linear time, every paragraph bulleted.
    void longBulletedList() {
        QByteArray body;
        const int n = 20000;
        for (int i = 0; i < n; ++i)
            body += "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1}\\fi-720\\li720 item\\par\n";
        QTextDocument doc;
        readLongList(body, doc);
        QCOMPARE(doc.blockCount(), n);
        int lists = 0;
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            QVERIFY(docformat::hasBullet(b));
            if (b.textList() != b.previous().textList() || !b.previous().isValid())
                ++lists;
        }
        QVERIFY(lists <= n / docformat::kListChunk + 1); // they share lists
    }

    // The same for numbered items, which keep their numbers to the end, also
    // after an item is taken out and put back: the text's labels and the
    // layout's one-item-at-a-time numbers both count every item before.
    void longNumberedList() {
        QByteArray body;
        const int n = 20000;
        for (int i = 1; i <= n; ++i)
            body += "{\\pntext " + QByteArray::number(i) + ".\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}item\\par\n";
        QTextDocument doc;
        readLongList(body, doc);
        QCOMPARE(doc.blockCount(), n);
        const QString text = plaintext::labelledText(doc);
        QVERIFY(text.startsWith(QStringLiteral("1.\titem\r\n2.\titem\r\n")));
        QVERIFY(text.endsWith(QStringLiteral("\r\n19999.\titem\r\n20000.\titem")));
        QCOMPARE(*rtf::readText(wrap(body), rtf::ListLabels::Shown), text);

        auto numberedInOrder = [&doc](int items) {
            docformat::ListNumbers numbers;
            QCOMPARE(doc.blockCount(), items);
            for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
                QCOMPARE(numbers.index(b), b.blockNumber());
            QVERIFY(plaintext::labelledText(doc).endsWith(
                QStringLiteral("\r\n%1.\titem\r\n%2.\titem").arg(items - 1).arg(items)));
        };
        QTextCursor c(&doc);
        c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        c.removeSelectedText();
        numberedInOrder(n - 1);
        doc.undo();
        numberedInOrder(n);
    }

    void classicBulletKeepsIndents() {
        QTextDocument doc;
        QVERIFY(rtf::read(wrap("\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                               "\\fi-720\\li720\\qc one\\par"),
                          doc));
        const QTextBlock b = doc.begin();
        QVERIFY(docformat::hasBullet(b));
        QCOMPARE(docformat::startIndent(b.blockFormat()), 0);
        QCOMPARE(docformat::offset(b.blockFormat()), 720);
        QCOMPARE(b.blockFormat().alignment(), Qt::AlignHCenter);
    }

    // The content is appended: the first paragraph continues the last block.
    void appendsToDocument() {
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("first\nsecond "));
        QVERIFY(rtf::read(wrap("\\b more\\par next"), doc));
        QCOMPARE(blocksText(doc), QStringLiteral("first\r\nsecond more\r\nnext"));
        QVERIFY(docformat::isBold(formatOf(doc, "more")));
        QVERIFY(!docformat::isBold(formatOf(doc, "second")));
        // One edit block: one undo step takes it all back.
        doc.undo();
        QCOMPARE(doc.toPlainText(), QStringLiteral("first\nsecond "));
    }

    void deepNesting_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");
        const int n = 100000;
        QTest::newRow("balanced") << "{\\rtf1 a" + QByteArray(n, '{') + "b" + QByteArray(n, '}') + "c}"
                                  << "abc";
        QTest::newRow("never closed") << "{\\rtf1 a" + QByteArray(n, '{') + "b" << "ab";
        QTest::newRow("in skipped group")
            << "{\\rtf1 a{\\*\\x " + QByteArray(n, '{') + "b" + QByteArray(n, '}') + "}c}" << "ac";
        QByteArray groups;
        for (int i = 0; i < n; ++i)
            groups += "{\\b x";
        QTest::newRow("text at every level")
            << "{\\rtf1 " + groups + QByteArray(n, '}') + "\\b0 end}" << QString(n, u'x') + "end";
        QTest::newRow("destinations below the cap")
            << "{\\rtf1 " + QByteArray(20000, '{') + "{\\fonttbl{\\f0 X;}}{\\pntext 1.}{\\*\\pn\\pnlvlblt}"
                   "{\\field{\\*\\fldinst x}{\\fldrslt r}}y" + QByteArray(20000, '}') + "}"
            << "ry";
    }

    // Far deeper than any real document: no stack overflow, nothing lost.
    void deepNesting() { checkBothSinks(); }

    // Formatting is scoped by groups up to the depth cap; the text at every
    // depth survives.
    void nestingScopesFormat() {
        QByteArray rtf = "{\\rtf1 ";
        for (int i = 0; i < 9000; ++i)
            rtf += "{";
        rtf += "\\b deep";
        for (int i = 0; i < 9000; ++i)
            rtf += "}";
        rtf += " shallow}";
        QTextDocument doc;
        QVERIFY(rtf::read(rtf, doc));
        QVERIFY(docformat::isBold(formatOf(doc, "deep")));
        QVERIFY(!docformat::isBold(formatOf(doc, "shallow")));
    }

    // Every prefix of a real-looking document reads without harm, and the two
    // sinks agree on each.
    void everyPrefix() {
        const QByteArray full = wrap(
            "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1{\\pntxtb\\'B7}}\\fi-720\\li720 \\'cf\\'f0\\'e8"
            "\\b \\u1055?\\u-10179?\\u-8704?\\b0\\par{\\field{\\*\\fldinst HYPERLINK}{\\fldrslt x}}\\bin2 {}"
            "\\intbl a\\cell b\\cell\\row\\uc2\\u1055\\'3f\\'3f{\\*\\listtable{\\list{\\listlevel\\levelnfc23}\\listid1}}"
            "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}{\\listtext\\'95\\tab}\\pard\\ls1 li\\par");
        for (int n = 5; n <= full.size(); ++n) {
            const QByteArray part = full.left(n);
            QTextDocument doc;
            QVERIFY(rtf::read(part, doc));
            QCOMPARE(blocksText(doc), *rtf::readText(part));
        }
    }
};

QTEST_GUILESS_MAIN(RtfReaderTest)
#include "rtf_reader_test.moc"
