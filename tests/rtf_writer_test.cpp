#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/pieces.h"
#include "editor/plaintext.h"
#include "editor/rtf/picture.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "tests/support/doccompare.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

namespace {

QTextCharFormat charFormat(const QString &font, double points) {
    QTextCharFormat f;
    docformat::setFontName(f, font);
    f.setFontPointSize(points);
    return f;
}

// The document part of the output: what follows the tables.
QByteArray body(const QByteArray &rtf) {
    const qsizetype at = rtf.indexOf("\\viewkind4\\uc1");
    return at < 0 ? QByteArray() : rtf.mid(at + 14);
}

// Writes doc, reads the bytes back and compares; the bytes written the second
// time must be the same too.
void checkRoundTrip(const QTextDocument &doc) {
    const QByteArray bytes = rtf::write(doc);
    QVERIFY(rtf::isRtf(bytes));
    for (char c : bytes)
        QVERIFY2(static_cast<unsigned char>(c) < 0x80, "the output is 7-bit");
    QTextDocument back;
    QVERIFY(rtf::read(bytes, back));
    const QString diff = doccompare::firstDifference(doc, back);
    QVERIFY2(diff.isEmpty(), qPrintable(diff + "\n" + QString::fromLatin1(bytes.left(4000))));
    QCOMPARE(rtf::write(back), bytes);
}

} // namespace

class RtfWriterTest : public QObject {
    Q_OBJECT
private slots:
    // A field's result is shown with its instruction kept: a save writes the
    // field back around it, and a HYPERLINK's result is a link to its target.
    // Headers, footers, document information and page setup are kept and
    // written back, without their references to the original's tables.
    void pageFurnitureIsKept() {
        const QByteArray header = "{\\header \\pard\\plain \\s5\\f2\\fs20 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}";
        const QByteArray in = "{\\rtf1\\ansi{\\fonttbl{\\f2 Arial;}}{\\info{\\title T}}\\paperw11906\\paperh16838\\margl1134"
                              "\\landscape " + header + "{\\*\\footerf \\cf3 last}\\pard body\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("body"));
        const QByteArray out = rtf::write(doc);
        for (const char *part : {"{\\info{\\title T}}", "\\paperw11906 \\paperh16838 \\margl1134 \\landscape ",
                                 "{\\header \\pard\\plain \\s5\\fs20 Page {\\field{\\*\\fldinst PAGE}{\\fldrslt 1}}\\par}",
                                 "{\\*\\footerf last}"})
            QVERIFY2(out.contains(part), out.constData());
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(back.toPlainText(), QStringLiteral("body"));
        QCOMPARE(rtf::write(back), out); // the same again
    }

    // What a header or a note holds is kept whole: a table and a picture in
    // a header, a note inside a note (shown as the outer note's number).
    void nestedFurnitureIsKept() {
        const QByteArray header = "{\\header\\pard A\\par\\trowd\\cellx2000\\pard\\intbl B\\cell\\row"
                                  "\\pard{\\pict\\pngblip\\picw8\\pich8 89504e47\\bin5 \\f2}{}\\par}"; // \\bin data stays as it is
        const QByteArray note = "{\\footnote\\pard{\\super\\chftn} Outer{\\super\\chftn}{\\footnote\\pard inner}}";
        QTextDocument doc;
        QVERIFY(rtf::read("{\\rtf1\\ansi" + header + "\\pard Body{\\super\\chftn}" + note + "\\par}", doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("Body1"));
        const QByteArray out = rtf::write(doc);
        QVERIFY2(out.contains(header) && out.contains("Body{\\super\\chftn}" + note + "\\par"), out.constData());
        // A comment, on the range it marks, stays where it stands.
        const QByteArray comment = "{\\*\\atrfstart 1}on{\\*\\atrfend 1}{\\*\\atnid AB}{\\*\\atnauthor A B}\\chatn "
                                   "{\\*\\annotation{\\*\\atnref 1}\\pard says}";
        QTextDocument commented;
        QVERIFY(rtf::read("{\\rtf1 text " + comment + " more\\par}", commented));
        QCOMPARE(commented.toPlainText(), QStringLiteral("text on more"));
        QVERIFY2(rtf::write(commented).contains(comment), rtf::write(commented).constData());
    }

    // Table rows are paragraphs whose cells are apart by tabs; each row is
    // written back with its definition as read (its colours in our colour table),
    // also after cells were edited, merged by deleting a tab, or split into
    // paragraphs. A picture is one character, written back as read, drawn
    // from its bytes, and nothing in a text file.
    // How cells look (shading, borders, merges, alignment) is read from the
    // row's definition with the file's colours, and is the same after a save.
    void cellLooksSurviveSave_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QList<docformat::CellLook>>("looks");
        using docformat::Border, docformat::CellLook, docformat::Merge;
        const auto look = [](Merge m, Qt::Alignment v = Qt::AlignTop, QColor bg = {}, Border t = {}, Border l = {},
                             Border b = {}, Border r = {}) { return CellLook{m, v, bg, t, l, b, r}; };
        const auto shaded = [&](QColor bg) { return look(Merge::None, Qt::AlignTop, bg); };
        const auto framed = [&](Border t, Border l, Border b, Border r) {
            return look(Merge::None, Qt::AlignTop, {}, t, l, b, r);
        };
        const QColor green(0, 128, 0);
        const Border none, thin{true, {}, 0}, redThick{true, QColor(255, 0, 0), 30}, blueHair{true, QColor(0, 0, 255), 1};
        QTest::newRow("merges, alignment")
            << QByteArray("\\clmgf\\cellx1500\\clmrg\\cellx3000\\clvmrg\\clvertalb\\cellx4500")
            << QList<CellLook>({{}, look(Merge::Across), look(Merge::Down, Qt::AlignBottom)});
        QTest::newRow("shading")
            << QByteArray("\\clcbpat2\\cellx1000\\clcbpat9\\cellx2000\\clcbpat0\\cellx3000\\clcfpat3\\clshdng5000\\cellx4000")
            << QList<CellLook>({shaded(green), {}, {}, shaded(QColor(127, 127, 255))});
        QTest::newRow("cell borders")
            << QByteArray("\\clbrdrt\\brdrs\\brdrw30\\brdrcf1\\clpadl28\\clbrdrl\\brdrs\\brdrw30\\brdrcf1\\cellx1000"
                          "\\clbrdrb\\brdrhair\\brdrw1\\brdrcf3 \\clbrdrr\\brdrnone\\cellx2000")
            << QList<CellLook>({framed(redThick, redThick, none, none), framed(none, none, blueHair, none)});
        QTest::newRow("row borders when no cell has any")
            << QByteArray("\\trbrdrt\\brdrs\\trbrdrl\\brdrs\\trbrdrb\\brdrs\\trbrdrr\\brdrs\\trbrdrv\\brdrnone\\cellx1000\\cellx2000")
            << QList<CellLook>({framed(thin, thin, thin, none), framed(thin, none, thin, thin)});
    }
    void cellLooksSurviveSave() {
        QFETCH(QByteArray, row);
        QFETCH(QList<docformat::CellLook>, looks);
        const QByteArray in = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red0\\green0\\blue255;}"
                              "{\\pard text\\cf1 red\\par}\\trowd\\trgaph55" + row + "\\pard\\intbl a\\cell b\\cell\\row}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        const auto looksOf = [](const QTextDocument &d) {
            QTextBlock b = d.begin();
            while (b.isValid() && !docformat::endsRow(b))
                b = b.next();
            return docformat::cellLooks(b.blockFormat().property(docformat::kRow).toByteArray());
        };
        QCOMPARE(looksOf(doc), looks);
        QTextDocument back;
        QVERIFY(rtf::read(rtf::write(doc), back));
        QCOMPARE(looksOf(back), looks);
    }

    // Cells of one row aligned apart keep their alignments through a save,
    // also when each cell's paragraph is a group of its own (as pandoc
    // writes); the paragraph aligned anew aligns all of them.
    void cellAlignmentsSurviveSave_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("plain") << QByteArray("\\pard\\intbl\\qc a\\cell\\pard\\intbl\\qr b\\cell\\cell\\pard\\intbl c\\cell\\row");
        QTest::newRow("groups") << QByteArray("{{\\pard\\intbl\\qc a\\par}\\cell}{{\\pard\\intbl\\qr b\\par}\\cell}"
                                              "{\\pard\\intbl\\qr\\cell}{{\\pard\\intbl\\ql c\\par}\\cell}\\intbl\\row");
    }
    void cellAlignmentsSurviveSave() {
        QFETCH(QByteArray, row);
        const QByteArray in = "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\cellx3000\\cellx4000" + row + "\\pard\\qr after\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        const auto aligns = [](const QTextDocument &d) {
            const QTextBlockFormat f = d.begin().blockFormat();
            QList<Qt::Alignment> out;
            for (int part = 0; part < 4; ++part)
                out.append(docformat::partAlignment(f, part) & Qt::AlignHorizontal_Mask);
            return out;
        };
        const QList<Qt::Alignment> expected = {Qt::AlignHCenter, Qt::AlignRight, Qt::AlignRight, Qt::AlignLeft};
        QCOMPARE(aligns(doc), expected);
        const QByteArray out = rtf::write(doc);
        QVERIFY2(out.contains("\\intbl\\qc") && out.contains(" a\\cell\\qr b\\cell\\cell\\ql c\\cell\\row"), out.constData());
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(aligns(back), expected);

        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        QTextCursor(&doc).mergeBlockFormat(centred);
        QCOMPARE(aligns(doc), QList<Qt::Alignment>(4, Qt::AlignHCenter));
        QVERIFY(!rtf::write(doc).contains("\\qr b"));
    }

    // A row keeps every cell through a save: empty ones at its end before a
    // \\par, and the one a paragraph after a cell's end belongs to.
    void rowsKeepTheirCells_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty cells before a par that ends the row")
            << QByteArray("\\intbl A\\cell\\cell C\\cell\\cell\\cell \\par\\row") << QStringLiteral("A\t\tC\t\t");
        QTest::newRow("a paragraph after a cell's end")
            << QByteArray("\\intbl A\\cell\\par B\\cell\\cell\\row") << QStringLiteral("A\t\nB\t");
    }
    void rowsKeepTheirCells() {
        QFETCH(QByteArray, row);
        QFETCH(QString, text);
        const QByteArray in = "{\\rtf1\\ansi\\trowd\\cellx1000\\cellx2000\\cellx3000\\cellx4000\\cellx5000" + row + "\\pard after\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        QCOMPARE(doc.toPlainText(), text + QStringLiteral("\nafter"));
        const QByteArray out = rtf::write(doc);
        QCOMPARE(QString::fromLatin1(out).count(QRegularExpression("\\\\cell(?![a-z])")), text.count(u'\t') + 1);
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
    }

    void tablesAndPicturesAreKept() {
        QImage red(40, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QByteArray pict = rtf::pictureOf(red); // 600 x 300 twips
        const QByteArray row1 = "\\trowd\\trgaph55\\trleft-55\\clbrdrt\\brdrs\\brdrw1\\brdrcf1 \\cellx3000\\clcbpat2\\cellx6000";
        const QByteArray in = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}" + row1 +
                              "\\pard\\intbl A\\cell B1\\par B2\\cell\\row\\trowd\\cellx3000\\cellx6000\\pard\\intbl C\\cell D\\cell\\row"
                              "\\pard after " + pict + "\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("A\tB1\nB2\nC\tD\nafter \uFFFC"));
        QCOMPARE(plaintext::labelledText(doc), QStringLiteral("A\tB1\r\nB2\r\nC\tD\r\nafter "));
        QByteArray out = rtf::write(doc);
        for (const QByteArray &part : {QByteArray("\\trowd\\trgaph55\\trleft-55\\clbrdrt\\brdrs\\brdrw1\\brdrcf1 \\cellx3000\\clcbpat2 \\cellx6000"),
                                       QByteArray("\\trowd\\cellx3000\\cellx6000"), "after " + pict + "\\par"})
            QVERIFY2(out.contains(part), out.constData());
        QCOMPARE(out.count("\\row"), 2);
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(rtf::write(back), out);

        QTextCursor c(&doc);
        c.setPosition(1);
        c.insertText(QStringLiteral("X")); // "AX" in the first cell
        c.setPosition(11);
        c.deletePreviousChar(); // the tab of the second row: a row of one cell
        c.setPosition(0);
        c.insertBlock(); // a paragraph before the table takes the row's format along
        out = rtf::write(doc);
        QCOMPARE(out.count("\\row"), 2);
        QVERIFY2(out.contains("AX\\cell B1\\par\r\nB2\\cell\\row") && out.contains("CD\\cell\\row"), out.constData());
        QTextDocument again;
        QVERIFY(rtf::read(out, again));
        QCOMPARE(again.toPlainText(), doc.toPlainText());

        const rtf::Picture picture = rtf::readPicture(pict);
        QCOMPARE(picture.kind, rtf::Picture::Png);
        QCOMPARE(picture.twips, QSize(600, 300));
        QCOMPARE(rtf::decodePicture(picture, QSize(400, 400)).pixel(5, 5), QColor(Qt::red).rgb());
        QCOMPARE(rtf::decodePicture(picture, QSize(10, 10)).size(), QSize(10, 5)); // decoded at the size drawn

        // A \pard between cells, with no \intbl after it (as some writers put
        // them), leaves the row a table until its \row.
        QTextDocument loose;
        QVERIFY(rtf::read("{\\rtf1\\trowd\\cellx1701\\cellx3402\\intbl a\\cell\\pard b\\cell\\pard\\row\\pard after\\par}", loose));
        QCOMPARE(loose.toPlainText(), QStringLiteral("a\tb\nafter"));
        out = rtf::write(loose);
        QVERIFY2(out.contains("\\trowd\\cellx1701\\cellx3402") && out.contains("a\\cell b\\cell\\row") &&
                     out.count("\\row") == 1,
                 out.constData());
        // A table in a cell: the row around it stays a table, the inner row a
        // paragraph of its cell.
        QTextDocument nested;
        QVERIFY(rtf::read("{\\rtf1\\trowd\\cellx5000\\pard\\intbl\\itap2 A\\nestcell B\\nestcell{\\*\\nesttableprops"
                          "\\trowd\\cellx2000\\cellx4000\\nestrow}{\\nonesttables A B\\par}\\pard\\intbl\\itap1 after"
                          "\\cell\\row\\pard end\\par}",
                          nested));
        out = rtf::write(nested);
        QVERIFY2(out.contains("\\trowd\\cellx5000") && out.contains("A\\nestcell B\\nestcell{") && out.contains("\r\n\\pard\\intbl after\\cell\\row"),
                 out.constData());
    }

    // Pictures that cannot be drawn: a metafile, broken bytes, a PNG that
    // declares 100,000 x 100,000 pixels; none is decoded, none takes long.
    void badPicturesAreBoxes() {
        QImage one(1, 1, QImage::Format_RGB32);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        one.save(&png, "PNG");
        QByteArray huge = png.data();
        const qsizetype ihdr = huge.indexOf("IHDR") + 4;
        for (int i = 0; i < 8; ++i) // width and height 100,000 (the checksum is left wrong)
            huge[ihdr + i] = "\x00\x01\x86\xa0\x00\x01\x86\xa0"[i];
        QElapsedTimer t;
        t.start();
        for (const QByteArray &group : {QByteArray("{\\pict\\wmetafile8\\picw2000\\pich1000 0100090000}"),
                                        QByteArray("{\\pict\\pngblip 0badf00d}"), QByteArray("{\\pict\\pngblip\\bin99 }"),
                                        "{\\pict\\pngblip " + huge.toHex() + "}"}) {
            const rtf::Picture p = rtf::readPicture(group);
            QVERIFY(rtf::decodePicture(p, QSize(1000, 1000)).isNull());
        }
        QCOMPARE(rtf::readPicture("{\\pict\\wmetafile8\\picw2540\\pich1270 00}").twips, QSize(1440, 720)); // hundredths of a mm
        QVERIFY(t.elapsed() < 2000);
    }

    // Hostile tables read fast into a sane document that keeps their letters
    // (cells and paragraphs apart as they may), and what is written of it
    // reads back to the same.
    void hostileTables_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QByteArray columns = "\\trowd";
        for (int i = 1; i <= 10000; ++i)
            columns += "\\cellx" + QByteArray::number(i * 10);
        QByteArray nested, rows;
        for (int depth = 2; depth <= 1001; ++depth) // each table in the one cell of the one before
            nested += "\\pard\\intbl\\itap" + QByteArray::number(depth) + " x";
        for (int depth = 1001; depth >= 2; --depth)
            nested += "\\nestcell{\\*\\nesttableprops\\trowd\\cellx100\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\itap" +
                      QByteArray::number(depth - 1) + " ";
        for (int i = 0; i < 20000; ++i)
            rows += "\\trowd\\cellx1000\\pard\\intbl r\\cell\\row\n";

        QTest::newRow("10,000 columns") << columns + "\\pard\\intbl a\\cell b\\cell\\row" << QStringLiteral("ab");
        QTest::newRow("cellx decreasing, negative")
            << QByteArray("\\trowd\\cellx3000\\cellx1000\\cellx-500\\pard\\intbl a\\cell b\\cell c\\cell\\row")
            << QStringLiteral("abc");
        QTest::newRow("a row with no cells") << QByteArray("\\trowd\\pard\\intbl a\\row b") << QStringLiteral("ab");
        QTest::newRow("cell outside any row") << QByteArray("\\pard a\\cell b\\row c") << QStringLiteral("abc");
        QTest::newRow("clmrg without clmgf")
            << QByteArray("\\trowd\\clmrg\\cellx1000\\clmrg\\cellx2000\\pard\\intbl a\\cell b\\cell\\row")
            << QStringLiteral("ab");
        QTest::newRow("nested 1,000 deep") << "\\trowd\\cellx5000\\pard\\intbl" + nested + "end\\cell\\row"
                                           << QStringLiteral("x").repeated(1000) + QStringLiteral("end");
        QTest::newRow("20,000 one-cell rows") << rows << QStringLiteral("r").repeated(20000);
    }
    // Cell edges before the row's \\trowd (which LibreOffice reads) define
    // the row; the \\trowd after its cells changes nothing.
    void cellEdgesBeforeTheRow() {
        QTextDocument doc;
        QVERIFY(rtf::read("{\\rtf1 \\cellx2500\\cellx5000\\cellx7000\\intbl A1\\cell B1\\cell C1\\cell\\trowd\\row"
                          "\\cellx2500\\cellx5000\\cellx7000\\intbl A2\\cell\\trowd\\intbl\\cell C2\\cell\\row}",
                          doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("A1\tB1\tC1\nA2\t\tC2"));
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().property(docformat::kRow).toByteArray(),
                     QByteArray("\\trowd\\cellx2500\\cellx5000\\cellx7000"));
        QVERIFY(rtf::write(doc).contains("\\trowd\\cellx2500\\cellx5000\\cellx7000\\pard\\intbl"));

        // A row's definition repeated after its cells (Word, LibreOffice) changes nothing.
        QTextDocument repeated;
        QVERIFY(rtf::read("{\\rtf1 \\trowd\\cellx4703\\cellx9514\\pard\\intbl{a\\cell b\\cell}"
                          "\\pard\\intbl{\\trowd\\cellx4703\\cellx9514\\row}}",
                          repeated));
        QCOMPARE(repeated.begin().blockFormat().property(docformat::kRow).toByteArray(),
                 QByteArray("\\trowd\\cellx4703\\cellx9514"));
    }

    // A table in a cell: each of its rows is a paragraph of the cell, its
    // cells apart by tabs, written back with its depth and definition.
    void tablesInCellsAreKept() {
        const QByteArray in = "{\\rtf1\\ansi\\trowd\\cellx5000\\pard\\intbl\\itap2 before\\par"
                              "\\pard\\intbl\\itap3 A\\nestcell B\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000\\cellx4000\\nestrow}"
                              "{\\nonesttables fallback\\par}\\pard\\intbl\\itap2 after\\nestcell"
                              "{\\*\\nesttableprops\\trowd\\cellx4000\\nestrow}{\\nonesttables\\par}"
                              "\\pard\\intbl\\itap1 outer\\cell\\row\\pard outside\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("before\nA\tB\nafter\nouter\noutside"));
        const QByteArray out = rtf::write(doc);
        for (const char *part : {"\\itap2\\f0\\fs24 before\\par",
                                 "\\itap3 A\\nestcell B\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000\\cellx4000\\nestrow}",
                                 "\\itap2 after\\nestcell{\\*\\nesttableprops\\trowd\\cellx4000\\nestrow}", "outer\\cell\\row"})
            QVERIFY2(out.contains(part), out.constData());
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(rtf::write(back), out);

        // A table in the cell after a cell's end: that end closes the paragraph.
        QTextDocument after;
        QVERIFY(rtf::read("{\\rtf1 \\trowd\\cellx2000\\cellx5000\\pard\\intbl out\\cell\\pard\\intbl\\itap2 in\\nestcell"
                          "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}\\pard\\intbl\\itap1 end\\cell\\row}",
                          after));
        QCOMPARE(after.toPlainText(), QStringLiteral("out\t\nin\nend"));
        QVERIFY2(rtf::write(after).contains("out\\cell\r\n\\pard\\intbl\\itap2 in\\nestcell{"), rtf::write(after).constData());
    }

    void hostileTables() {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        QElapsedTimer t;
        t.start();
        QTextDocument doc;
        QVERIFY(rtf::read("{\\rtf1\\ansi " + body + "}", doc));
        const auto letters = [](const QTextDocument &d) { return d.toPlainText().remove(QRegularExpression("\\s")); };
        QCOMPARE(letters(doc), text);
        QTextDocument back;
        QVERIFY(rtf::read(rtf::write(doc), back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QVERIFY2(t.elapsed() < 20000, qPrintable(QString::number(t.elapsed())));
    }

    // A note shows as its number (footnotes 1, 2..., endnotes i, ii...) with
    // its text as the mark's tooltip, and is written back where it stands;
    // text typed into the mark stays text.
    void notesAreKept() {
        const QByteArray in = "{\\rtf1\\ansi Text{\\super\\chftn}{\\*\\footnote\\chftn\\pard\\plain {\\super\\chftn} Note one.}"
                              " more{\\super\\chftn}{\\footnote\\ftnalt\\pard End note.}\\par}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        const auto charAt = [&doc](int position) {
            QTextCursor c(&doc);
            c.setPosition(position + 1);
            return c.charFormat();
        };
        QCOMPARE(doc.toPlainText(), QStringLiteral("Text1 morei"));
        QCOMPARE(charAt(4).toolTip(), QStringLiteral("Note one."));
        QCOMPARE(charAt(4).verticalAlignment(), QTextCharFormat::AlignSuperScript);
        QCOMPARE(charAt(10).toolTip(), QStringLiteral("End note."));
        QVERIFY(!charAt(5).hasProperty(docformat::kNote));
        const QByteArray out = rtf::write(doc);
        QVERIFY2(out.contains("Text{\\super\\chftn}{\\*\\footnote\\chftn\\pard\\plain {\\super\\chftn} Note one.} more"
                              "{\\super\\chftn}{\\footnote\\ftnalt\\pard End note.}\\par"),
                 out.constData());
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(back.toPlainText(), doc.toPlainText());
        QCOMPARE(rtf::write(back), out);

        QTextCursor typed(&doc);
        typed.setPosition(5);
        typed.insertText(QStringLiteral("X"), charAt(4)); // inside the mark's format
        QTextDocument again;
        QVERIFY(rtf::read(rtf::write(doc), again));
        QCOMPARE(again.toPlainText(), QStringLiteral("Text1X morei"));
    }

    // The style sheet and each paragraph's style, and the bookmarks where
    // they stand (before text, or at a paragraph's end), are written back as
    // read; a paragraph that Enter splits off does not repeat a bookmark, and
    // text deleted takes the bookmark before it along. A field that shows
    // nothing is kept like a bookmark.
    void stylesAndBookmarksAreKept() {
        const QByteArray in = "{\\rtf1\\ansi{\\fonttbl{\\f1 Arial;}}{\\stylesheet{\\s0\\f1 Normal;}{\\s2\\sbasedon0 heading 2;}}"
                              "\\pard\\s2{\\*\\bkmkstart a}Head{\\*\\bkmkend a}\\par\\pard one {\\*\\bkmkstart b}two\\par"
                              "\\pard three{\\field{\\*\\fldinst{\\f1 EQ \\\\s\\\\do5({\\fs16 1})}}{\\fldrslt }}\\par{\\*\\bkmkend b}}";
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        QCOMPARE(doc.toPlainText(), QStringLiteral("Head\none two\nthree"));
        QByteArray out = rtf::write(doc);
        for (const char *part : {"}}\r\n{\\stylesheet{\\s0 Normal;}{\\s2\\sbasedon0 heading 2;}}\r\n",
                                 "\\pard\\s2{\\*\\bkmkstart a}\\f0\\fs24 Head{\\*\\bkmkend a}\\par", "\\pard one {\\*\\bkmkstart b}two\\par",
                                 "three{\\field{\\*\\fldinst{EQ \\\\s\\\\do5({\\fs16 1})}}{\\fldrslt }}{\\*\\bkmkend b}\\par"})
            QVERIFY2(out.contains(part), out.constData());
        QTextDocument back;
        QVERIFY(rtf::read(out, back));
        QCOMPARE(rtf::write(back), out);

        QTextCursor c(&doc);
        c.setPosition(4);
        c.insertBlock(); // after "Head": the new paragraph takes its format
        c.setPosition(10);
        c.setPosition(13, QTextCursor::KeepAnchor);
        c.removeSelectedText(); // "two"
        out = rtf::write(doc);
        QCOMPARE(out.count("bkmkend a"), 1);
        QVERIFY2(out.contains("\\pard\\s2{\\*\\bkmkstart a}\\f0\\fs24 Head{\\*\\bkmkend a}\\par\r\n\\par\r\n"), out.constData());
        QVERIFY(!out.contains("bkmkstart b") && out.contains("bkmkend b"));

        // A field whose instruction holds a paragraph end, a page break or a
        // cell's end shows it: it is not kept unshown (written back, it would
        // show twice, or in another place).
        // An empty paragraph at a cell's end stays one; a row definition
        // holding a word that is not a row's (\\uc0) is not written back; a
        // list reference dropped from kept RTF leaves the word before it whole;
        // a font table or code page kept inside a field is not the document's;
        // text of a table in a cell after a tab is a paragraph of its own, and
        // its paragraph ends are written where a cell's end would take them,
        // and a list item's marker in such a table is read in it.
        for (const QByteArray broken : {"{\\rtf1 a{\\field{\\*{}}\\par}b\\par}", "{\\rtf{\\field{\\*{}}\\par}",
                                      "{\\rtf{\\field{\\n\\cell\\p}\\p}b",
                                      "{\\rtf\\trowd\\intbl\\row\\trowd\\cellx\\row", "{\\rtf{\\field{\\*{}}{\\r}\\u55357}",
                                      "{\\rtf{\\field{\\*{}}{\\ \\listtext i}}a",
                                      "{\\rtf\\trowd\\uc0\\cellx\xef\\intbl\\row",
                                      "{\\rtf\\trowd\\cellx\\cellx\\intbl\\p\t\\l\\row",
                                      "{\\rtf\\trowd\\cellx\\cellx\\intbl\\row\\tab",
                                      "{\\rtf\\cellx\\cell\\intbl\\cell\\row\\trowd\\cellx\\cellx\\row", "{\\rtf{ \\pict}",
                                      "{\\rtf\\trowd\\trleft-55\\cellx2147483647\\intbl a\\cell\\row",
                                      "{\\rtf\\u-10178{\\footnote}", "{\\rtf1 e\\par{\\field{\\*{}}\\page}}", "{\\rtf1 {\\field{\\ {{\\e}}}\\upr\\ls1p1t}",
                                      "{\\rtf1 {\\field\\*\\t{{\\fonttbl{\\f\\e{{{\\ansicpg2{}}}}{{{{}}}}}}}}\\u105",
                                      "{\\rtf\\cellx\\intbl\\par\\l\\par\\cell\\p\\cell\\t\\row\\t\\trowd\\cellx\\cellx\\l\\row",
                                      "{\\rtf1 \\cellx a\\cell\\itap2l\\row}", "{\\rtf1 \\cellx\\cell\\intbl\\itap2b\\nestcell\\itap\\cell\\row}",
                                      "{\\rtf1 {\\pn\\pnlvlbody{}}\\cellx\\intbl\\itap2\\nestcell\\itap\\cell\\row}",
                                      "{\\rtf1 \\intbl\\itap2\\cellx\\par\\par\\row}",
                                      "{\\rtf1 \\intbl\\itap2\\cellx\\nestrow{\\nesttableprops}\\row}",
                                      "{\\rtf1 \\cellx\\cell\\itap2\\r\\cell\\intbl\\row}",
                                      "{\\rtf1 \\cellx\\cellx\\intbl\\par\\par\\cell\\itap2l\\row}",
                                      "{\\rtf1 \\cellx\\intbl\\itap3\t{\\*\\nesttableprops\\r}\\row}",
                                      "{\\rtf1 \\trowd\\intbl\\par\\par\\cell\\i\\cell\\row\\cellx\\cellx\\row}",
                                      "{\\rtf1 {\\pn\\pnlvlbody}\\cellx\\cellx\\cell\\pard\\intbl\\itap3D\\row",
                                      "{\\rtf1 {\\pnlvlbody\\pn{}}\\cellx\\cellx\\p{\\pard{e{}}}\\intbl\\cell\\itap2r\\row",
                                      "{\\rtf1 \\cellx\\intbl\\par\\itap3\t\\row}", "{\\rtf1 \\cellx\\intbl\\par\\itap3\t\\par\\itap4 x\\row}",
                                      "{\\rtf1 \\itap3{c\\pn\\pnlvlbody}\\cellx\\cellx\\cell\\cell\\intbl\\row}"}) {
            QTextDocument once, twice;
            QVERIFY(rtf::read(broken, once));
            QVERIFY(rtf::read(rtf::write(once), twice));
            QCOMPARE(twice.toPlainText(), once.toPlainText());
        }
    }

    // A document whose paragraphs are held in short pieces writes the same
    // RTF and text as held whole: links, notes with marks of several
    // characters, bookmarks, lists and tables next to the pieces.
    void piecesWriteAsWhole() {
        for (const QByteArray rtf :
             {"{\\rtf1 9par{\\footnote\\a}{\\footnote}{\\footnote\\r}{\\footnote\\r}{\\footnote\\r}{\\footnote}"
              "{\\footnote\\r}{\\footnote\\r}{\\footnote{}}slt oft.0;ang {\\footnote}",
              "{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt a long link text}} here\\par}",
              "{\\rtf1 {\\*\\bkmkstart m}a bookmarked long paragraph{\\*\\bkmkend m}\\par last{\\*\\bkmkstart e}\\par}",
              "{\\rtf1 {\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}\\pard\\fi-360\\li720 item one is long\\par"
              "\\trowd\\cellx2000\\cellx4000\\pard\\intbl a long cell\\cell b\\cell\\row\\pard after the table\\par}"}) {
            QTextDocument doc;
            QVERIFY(rtf::read(rtf, doc));
            const QByteArray whole = rtf::write(doc);
            const QString text = plaintext::labelledText(doc);
            QVERIFY(pieces::split(doc, 4, 6) > 0);
            QCOMPARE(plaintext::labelledText(doc), text);
            QCOMPARE(rtf::write(doc), whole);
        }
    }

    void fieldsAreKept() {
        const QByteArray in = "{\\rtf1\\ansi\\ansicpg1251{\\colortbl;\\red0\\green0\\blue255;}a "
                              "{\\field{\\*\\fldinst {HYPERLINK \"https://example.org/\\'e6\" \\\\o \"tip\"}}"
                              "{\\fldrslt {\\ul\\cf1 link}}} b {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}}\\par}";
        const auto fieldOf = [](const QTextDocument &doc, int position) {
            QTextCursor c(const_cast<QTextDocument *>(&doc));
            c.setPosition(position + 1);
            return c.charFormat();
        };
        QTextDocument doc;
        QVERIFY(rtf::read(in, doc));
        for (int round = 0; round < 2; ++round) {
            QCOMPARE(doc.toPlainText(), QStringLiteral("a link b 7"));
            const QTextCharFormat link = fieldOf(doc, 3), page = fieldOf(doc, 9), plain = fieldOf(doc, 7);
            QCOMPARE(docformat::field(link), QStringLiteral("HYPERLINK \"https://example.org/ж\" \\o \"tip\""));
            QCOMPARE(link.anchorHref(), QStringLiteral("https://example.org/ж"));
            QVERIFY(link.fontUnderline());
            QCOMPARE(docformat::field(page), QStringLiteral("PAGE"));
            QVERIFY(!page.isAnchor() && docformat::field(plain).isEmpty());
            const QByteArray out = rtf::write(doc);
            QVERIFY2(out.contains("{\\field{\\*\\fldinst HYPERLINK \"https://example.org/\\'e6\" \\\\o \"tip\"}{\\fldrslt "),
                     out.constData());
            doc.clear();
            QVERIFY(rtf::read(out, doc)); // and once more from what we wrote
        }
    }
    void headerAndTables() {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat red = charFormat(QStringLiteral("Arial"), 10);
        red.setForeground(QColor(255, 0, 0));
        c.insertText(QStringLiteral("a"), red);
        c.insertText(QStringLiteral("b"), charFormat(QStringLiteral("Courier New"), 10.5));
        const QByteArray out = rtf::write(doc);
        QVERIFY(out.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl"
                               "{\\f0\\fnil\\fcharset204 Arial;}{\\f1\\fnil\\fcharset204 Courier New;}}\r\n"
                               "{\\colortbl ;\\red255\\green0\\blue0;}\r\n\\viewkind4\\uc1\\pard"));
        // The automatic colour is entry 0 and comes back after the red run.
        QVERIFY(out.contains("\\cf1 a\\f1\\fs21\\cf0 b\\par\r\n}"));
        QVERIFY(out.endsWith("\\par\r\n}\r\n"));
        // No bullet, no Symbol font; no colour, no colour table.
        QVERIFY(!out.contains("Symbol"));
        QTextDocument plain;
        QTextCursor(&plain).insertText(QStringLiteral("x"), charFormat(QStringLiteral("Arial"), 12));
        QVERIFY(!rtf::write(plain).contains("colortbl"));
    }

    // A character Windows-1251 holds is its byte alone (the document declares
    // \\ansicpg1251); one outside it is \\uN with '?' for readers that skip \\u.
    void escapesText() {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        c.insertText(QStringLiteral("{a}\\b\tc ") + QString::fromUtf8("Жё€") + QChar(0x98) + QChar(1) +
                         QString::fromUtf8("日"),
                     f);
        QCOMPARE(body(rtf::write(doc)),
                 QByteArray("\\pard\\f0\\fs24\\{a\\}\\\\b\\tab c \\'c6\\'b8\\'88\\'98\\'01"
                            "\\u26085?\\par\r\n}\r\n"));
    }

    // A control word is followed by a space only when the text would run into it.
    void delimitsControlWords() {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        c.insertText(QStringLiteral("1"), f);
        f.setFontWeight(QFont::Bold);
        c.insertText(QStringLiteral(" x"), f);
        f.setFontWeight(QFont::Normal);
        c.insertText(QString::fromUtf8("ж"), f);
        f.setFontItalic(true);
        c.insertText(QStringLiteral("{"), f);
        QCOMPARE(body(rtf::write(doc)), QByteArray("\\pard\\f0\\fs24 1\\b  x\\b0\\'e6\\i\\{\\par\r\n}\r\n"));
        checkRoundTrip(doc);
    }

    void paragraphAttributes() {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        QTextBlockFormat bf;
        docformat::setParagraphIndents(bf, 720, 360);
        bf.setAlignment(Qt::AlignHCenter);
        c.setBlockFormat(bf);
        c.insertText(QStringLiteral("one"), f);
        c.insertBlock(bf, f); // the same: no \pard
        c.insertText(QStringLiteral("two"), f);
        QTextBlockFormat first;
        docformat::setParagraphIndents(first, 720, -360); // a first-line indent
        first.setAlignment(Qt::AlignJustify);
        c.insertBlock(first, f);
        c.insertText(QStringLiteral("three"), f);
        bf = QTextBlockFormat();
        bf.setAlignment(Qt::AlignRight);
        c.insertBlock(bf, f);
        c.insertText(QStringLiteral("four"), f);
        QCOMPARE(body(rtf::write(doc)), QByteArray("\\pard\\fi-360\\li1080\\qc\\f0\\fs24 one\\par\r\n"
                                                   "two\\par\r\n"
                                                   "\\pard\\fi360\\li360\\qj three\\par\r\n"
                                                   "\\pard\\qr four\\par\r\n}\r\n"));
        checkRoundTrip(doc);
    }

    void bullets() {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        c.insertText(QStringLiteral("before"), f);
        c.insertBlock(QTextBlockFormat(), f);
        c.insertText(QStringLiteral("one"), f);
        docformat::setBullet(c, true);
        c.insertBlock(c.blockFormat(), f);
        c.insertText(QStringLiteral("two"), f);
        QVERIFY(docformat::hasBullet(c.block()));
        c.insertBlock(QTextBlockFormat(), f);
        docformat::setBullet(c, false);
        c.insertText(QStringLiteral("after"), f);
        const QByteArray out = rtf::write(doc);
        QVERIFY(out.contains("{\\f1\\fnil\\fcharset2 Symbol;}"));
        QVERIFY(out.contains("{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"));
        QCOMPARE(body(out), QByteArray("\\pard\\f0\\fs24 before\\par\r\n"
                                       "\\pard{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
                                       "{\\*\\abilist\\abilistid1\\abilistparentid0\\abilistlevel1\\abistartat0"
                                       "{\\abifieldfont NULL}{\\abilistdecimal NULL}{\\abilistdelim %L}"
                                       "{\\abiliststyle Bullet List}}\\ls1\\ilvl0"
                                       "{\\listtext\\f1\\'B7\\tab}one\\par\r\n"
                                       "{\\listtext\\f1\\'B7\\tab}two\\par\r\n"
                                       "\\pard after\\par\r\n}\r\n"));
        checkRoundTrip(doc);
    }

    // Numbered lists of every style come back with the same numbers, a list
    // that goes on after other paragraphs too; the converter's text path
    // (no document) labels the items as the plain-text save does.
    void numberedLists() {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        const auto item = [&](QTextList *list, const char *text) {
            c.insertBlock(QTextBlockFormat(), f);
            c.insertText(QString::fromUtf8(text), f);
            if (list)
                list->add(c.block());
        };
        const auto newList = [&](QTextListFormat::Style style, const QString &prefix, const QString &suffix,
                                 int start) {
            QTextListFormat lf;
            lf.setStyle(style);
            lf.setIndent(0);
            lf.setNumberPrefix(prefix);
            lf.setNumberSuffix(suffix);
            if (start != 1)
                lf.setProperty(docformat::kListStart, start);
            return c.createList(lf);
        };
        c.insertText(QStringLiteral("before"), f);
        item(nullptr, "Первый");
        QTextList *decimal = newList(QTextListFormat::ListDecimal, QString(), QStringLiteral("."), 1);
        item(decimal, "Второй");
        item(nullptr, "между");
        item(decimal, "Третий");
        item(nullptr, "a");
        newList(QTextListFormat::ListLowerAlpha, QStringLiteral("("), QStringLiteral(")"), 3);
        item(nullptr, "b");
        newList(QTextListFormat::ListUpperRoman, QString(), QStringLiteral(";"), 4);
        item(nullptr, "c");
        QTextList *roman = newList(QTextListFormat::ListLowerRoman, QString::fromUtf8("№"), QString(), 1);
        item(roman, "d");
        item(nullptr, "e");
        newList(QTextListFormat::ListUpperAlpha, QString(), QStringLiteral("."), 1);
        const QString labelled = plaintext::labelledText(doc);
        QCOMPARE(labelled, QString::fromUtf8("before\r\n1.\tПервый\r\n2.\tВторой\r\nмежду\r\n3.\tТретий\r\n"
                                             "(c)\ta\r\nIV;\tb\r\n№i\tc\r\n№ii\td\r\nA.\te"));
        checkRoundTrip(doc);
        const QByteArray out = rtf::write(doc);
        QCOMPARE(*rtf::readText(out, rtf::ListLabels::Shown), labelled);
        // Each list numbered on its own in the list table; the classic \pn
        // starts a list that goes on at the number it reached.
        QVERIFY(out.contains("{\\listoverride\\listid6\\listoverridecount0\\ls6}"));
        QVERIFY(out.contains("\\pnstart3\\pndec{\\pntxtb }{\\pntxta .}}"));
        QVERIFY(out.contains("\\levelnfc4\\leveljc0\\levelfollow0\\levelstartat3{\\leveltext\\'03(\\'00);}"
                             "{\\levelnumbers\\'02;}}"));
    }

    // Lists of several levels keep each item's level and marker: "•", "o" in
    // Courier and Wingdings' square as Word writes its bullets, and a numbered
    // level under another, whose labels show the number the level above has
    // reached ("1.a)", "2.a)"). Written back, other programs nest them (\ilvl)
    // and show the marker; plain text labels every bullet "•", which
    // Windows-1251 holds.
    void nestedListsKeepTheirLevels() {
        const QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}{\\f2 Courier New;}}"
            "{\\*\\listtable{\\list{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}"
            "{\\listlevel\\levelnfc23{\\leveltext\\'01o;}{\\levelnumbers;}\\f2}"
            "{\\listlevel\\levelnfc23{\\leveltext\\'01\\'A7;}{\\levelnumbers;}\\f1}\\listid7}"
            "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
            "{\\listlevel\\levelnfc4{\\leveltext\\'04\\'00.\\'01);}{\\levelnumbers\\'01\\'03;}}\\listid8}}"
            "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}{\\listoverride\\listid8\\ls2}}"
            "\\pard\\ls1\\ilvl0 a\\par\\pard\\ls1\\ilvl1 b\\par\\pard\\ls1\\ilvl2 c\\par\\pard\\ls1\\ilvl1 d\\par"
            "\\pard\\ls2 one\\par\\pard\\ls2\\ilvl1 sub\\par\\pard\\ls2\\ilvl1 sub2\\par"
            "\\pard\\ls2 two\\par\\pard\\ls2\\ilvl1 sub3\\par}";
        const QString labels = QString::fromUtf8("•\ta\r\n•\tb\r\n•\tc\r\n•\td\r\n1.\tone\r\n1.a)\tsub\r\n1.b)\tsub2\r\n"
                                               "2.\ttwo\r\n2.a)\tsub3");
        const QList<std::pair<QTextListFormat::Style, int>> looks = {
            {QTextListFormat::ListDisc, 0},    {QTextListFormat::ListCircle, 1},    {QTextListFormat::ListSquare, 2},
            {QTextListFormat::ListCircle, 1},  {QTextListFormat::ListDecimal, 0},   {QTextListFormat::ListLowerAlpha, 1},
            {QTextListFormat::ListLowerAlpha, 1}, {QTextListFormat::ListDecimal, 0},   {QTextListFormat::ListLowerAlpha, 1}};
        QTextDocument doc, back;
        QVERIFY(rtf::read(rtf, doc));
        const QByteArray out = rtf::write(doc);
        QVERIFY(rtf::read(out, back));
        for (const QTextDocument *d : {&doc, &back}) {
            QCOMPARE(plaintext::labelledText(*d), labels);
            QTextBlock b = d->begin();
            for (const auto &[style, level] : looks) {
                QCOMPARE(b.textList()->format().style(), style);
                QCOMPARE(b.textList()->format().intProperty(docformat::kListLevel), level);
                b = b.next();
            }
        }
        QCOMPARE(*rtf::readText(out, rtf::ListLabels::Shown), labels);
        QCOMPARE(rtf::write(back), out);
        for (const char *item : {"\\ilvl2{\\listtext \\u9642?\\tab}c\\par", "\\ilvl1{\\listtext 1.a)\\tab}sub\\par"})
            QVERIFY2(out.contains(item), out.constData());

        // A bulleted list does not share its \\ls with a numbered one, however
        // many lists come before it.
        QTextDocument many, manyBack;
        QTextCursor c(&many);
        for (int i = 0; i < 60; ++i) {
            c.insertText(QStringLiteral("n"));
            QTextListFormat lf;
            lf.setStyle(i < 59 ? QTextListFormat::ListDecimal : QTextListFormat::ListCircle);
            c.createList(lf);
            c.insertBlock();
        }
        QVERIFY(rtf::read(rtf::write(many), manyBack));
        QCOMPARE(manyBack.findBlockByNumber(59).textList()->format().style(), QTextListFormat::ListCircle);
    }

    // Empty paragraphs keep their own format, and a last empty paragraph stays.
    void emptyParagraphs() {
        QTextDocument empty;
        checkRoundTrip(empty);
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat big = charFormat(QStringLiteral("Arial"), 20);
        big.setFontWeight(QFont::Bold);
        c.setBlockCharFormat(big);
        c.insertBlock(QTextBlockFormat(), charFormat(QStringLiteral("Arial"), 12));
        c.insertText(QStringLiteral("text"));
        c.insertBlock(QTextBlockFormat(), charFormat(QStringLiteral("Times New Roman"), 9));
        QCOMPARE(doc.blockCount(), 3);
        checkRoundTrip(doc);
    }

    void fontNames() {
        QTextDocument doc;
        QTextCursor c(&doc);
        c.insertText(QStringLiteral("a"), charFormat(QString::fromUtf8("Таймс Кириллица"), 12));
        c.insertText(QStringLiteral("b"), charFormat(QStringLiteral("Brace{}\\Name"), 12));
        const QByteArray out = rtf::write(doc);
        QVERIFY(out.contains("{\\f0\\fnil\\fcharset204 \\'d2\\'e0\\'e9\\'ec\\'f1 \\'ca\\'e8\\'f0\\'e8\\'eb\\'eb\\'e8\\'f6\\'e0;}"));
        QVERIFY(out.contains("{\\f1\\fnil\\fcharset204 Brace\\{\\}\\\\Name;}"));
        checkRoundTrip(doc);
    }

    // A format without a font name or size is written in the document's default font.
    void defaultFont() {
        QTextDocument doc;
        doc.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 14));
        QTextCursor(&doc).insertText(QStringLiteral("x"));
        const QByteArray out = rtf::write(doc);
        QVERIFY(out.contains("{\\f0\\fnil\\fcharset204 Liberation Serif;}"));
        QVERIFY(body(out).startsWith("\\pard\\f0\\fs28 x"));
        QTextDocument back;
        back.setDefaultFont(doc.defaultFont());
        QVERIFY(rtf::read(out, back));
        QCOMPARE(doccompare::firstDifference(doc, back), QString());
    }

    // Every character of the alphabet that RTF carries: control characters but
    // the tab are written (as \'hh) but not read.
    void everyCharacter() {
        QTextDocument doc;
        QTextCursor c(&doc);
        QByteArray all("\t");
        for (int b = 0x20; b < 256; ++b)
            all.append(char(b));
        c.insertText(cp1251::decode(all), charFormat(QStringLiteral("Arial"), 12));
        QCOMPARE(doc.blockCount(), 1);
        checkRoundTrip(doc);
    }

    void everyAttribute() {
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat f = charFormat(QStringLiteral("Arial"), 12);
        const auto put = [&](const char *text) { c.insertText(QString::fromUtf8(text), f); };
        put("обычный ");
        f.setFontWeight(QFont::Bold);
        put("жирный ");
        f.setFontItalic(true);
        put("и курсив ");
        f.setFontWeight(QFont::Normal);
        f.setFontItalic(false);
        f.setFontUnderline(true);
        put("подчёркнутый ");
        f.setFontUnderline(false);
        f.setFontStrikeOut(true);
        put("зачёркнутый ");
        f.setFontStrikeOut(false);
        f.setFontPointSize(7.5);
        put("мелкий ");
        f.setFontPointSize(72);
        put("огромный ");
        docformat::setFontName(f, QStringLiteral("Courier New"));
        f.setForeground(QColor(0, 128, 255));
        put("синий ");
        f.setForeground(QColor(0, 0, 0));
        put("чёрный, но не автоматический ");
        f.clearForeground();
        put("автоматический");
        for (Qt::Alignment a : {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify}) {
            QTextBlockFormat bf;
            bf.setAlignment(a);
            docformat::setParagraphIndents(bf, 1440, -720);
            c.insertBlock(bf, f);
            put("абзац");
        }
        QTextBlockFormat hanging;
        docformat::setParagraphIndents(hanging, 0, 720);
        c.insertBlock(hanging, f);
        put("маркер");
        docformat::setBullet(c, true);
        c.insertBlock(c.blockFormat(), f);
        c.insertBlock(c.blockFormat(), f); // an empty bulleted paragraph
        put("ещё маркер");
        checkRoundTrip(doc);
    }

    void randomDocuments() {
        QRandomGenerator rng(20240611);
        const QStringList fonts = {QStringLiteral("Arial"), QStringLiteral("Times New Roman"),
                                   QString::fromUtf8("Шрифт"), QString()};
        for (int round = 0; round < 300; ++round) {
            QTextDocument doc;
            QTextCursor c(&doc);
            const int blocks = 1 + rng.bounded(12);
            for (int b = 0; b < blocks; ++b) {
                QTextBlockFormat bf;
                bf.setAlignment(QList<Qt::Alignment>{Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                     Qt::AlignJustify}[rng.bounded(4)]);
                docformat::setParagraphIndents(bf, rng.bounded(-200, 3000), rng.bounded(-1000, 1000));
                if (b > 0)
                    c.insertBlock(bf);
                else
                    c.setBlockFormat(bf);
                const int list = rng.bounded(6);
                docformat::setBullet(c, list == 0);
                if (list == 1) { // numbered: joins the list before it, or starts one
                    const QTextBlock prev = c.block().previous();
                    if (prev.textList() && !docformat::hasBullet(prev) && rng.bounded(2)) {
                        prev.textList()->add(c.block());
                    } else {
                        QTextListFormat lf;
                        lf.setStyle(QTextListFormat::Style(-4 - rng.bounded(5)));
                        lf.setIndent(0);
                        lf.setNumberPrefix(rng.bounded(2) ? QStringLiteral("(") : QString());
                        lf.setNumberSuffix(rng.bounded(2) ? QStringLiteral(")") : QStringLiteral("."));
                        if (rng.bounded(2))
                            lf.setProperty(docformat::kListStart, rng.bounded(0, 60));
                        c.createList(lf);
                    }
                }
                const int runs = rng.bounded(6);
                for (int r = 0; r < runs; ++r) {
                    QTextCharFormat f;
                    const QString font = fonts[rng.bounded(fonts.size())];
                    if (!font.isEmpty())
                        docformat::setFontName(f, font);
                    if (rng.bounded(4))
                        f.setFontPointSize(rng.bounded(2, 145) / 2.0);
                    if (rng.bounded(3) == 0)
                        f.setForeground(QColor::fromRgb(rng.bounded(0x1000000)));
                    f.setFontWeight(rng.bounded(2) ? QFont::Bold : QFont::Normal);
                    f.setFontItalic(rng.bounded(2));
                    f.setFontUnderline(rng.bounded(2));
                    f.setFontStrikeOut(rng.bounded(2));
                    QByteArray bytes;
                    const int len = 1 + rng.bounded(20);
                    for (int i = 0; i < len; ++i) {
                        const int pick = rng.bounded(10);
                        int byte = pick < 4 ? rng.bounded(0xC0, 0x100)   // Cyrillic
                                   : pick < 8 ? rng.bounded(0x20, 0x7F)  // ASCII
                                              : rng.bounded(0x1F, 0x100); // anything
                        if (byte < 0x20)
                            byte = '\t';
                        bytes.append(char(byte));
                    }
                    c.insertText(cp1251::decode(bytes), f);
                }
            }
            checkRoundTrip(doc);
            if (QTest::currentTestFailed()) {
                qWarning("round %d", round);
                return;
            }
        }
    }
};

QTEST_MAIN(RtfWriterTest)
#include "rtf_writer_test.moc"
