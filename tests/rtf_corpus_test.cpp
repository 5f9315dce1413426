// RTF written by real word processors (tests/data/corpus, see make.sh there):
// our reader gets their words and their formatting, and what our writer makes
// of each document reads back as the same document.
#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "tests/support/doccompare.h"
#include "tests/support/testsupport.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QRegularExpression>
#include <QTextFragment>
#include <QTextList>
#include <QtTest>

#include <memory>

namespace {

QString corpus(const QString &name) { return testsupport::dataPath(QStringLiteral("corpus/") + name); }

// Letters, digits and the '?' that stands for a character outside the alphabet.
QStringList words(const QString &text) {
    QStringList out;
    QString word;
    for (QChar c : text) {
        if (c.isLetterOrNumber() || c == QLatin1Char('?')) {
            word += c;
        } else if (!word.isEmpty()) {
            out += word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        out += word;
    return out;
}

QTextBlock blockStarting(const QTextDocument &doc, const QString &prefix) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(prefix))
            return b;
    return {};
}

// The attributes of the first occurrence of word.
doccompare::Char charOfWord(const QTextDocument &doc, const QString &word) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const int at = b.text().indexOf(word);
        if (at < 0)
            continue;
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.position() - b.position() <= at && at < f.position() - b.position() + f.length())
                return doccompare::charOf(doc, f.charFormat());
        }
    }
    qWarning("no \"%s\" in the document", qPrintable(word));
    return {};
}

std::unique_ptr<QTextDocument> readCorpus(const QString &name) {
    auto doc = std::make_unique<QTextDocument>();
    if (!rtf::read(testsupport::readFile(corpus(name + QStringLiteral(".rtf"))), *doc))
        return nullptr;
    return doc;
}

} // namespace

class RtfCorpusTest : public QObject {
    Q_OBJECT
private slots:
    void matchesTheWritersText_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("numbers"); // the writer's text shows list numbers
        for (const char *name : {"libreoffice", "pandoc", "abiword", "abiword-ru"})
            QTest::newRow(name) << QString::fromLatin1(name) << (name[0] != 'a');
    }
    // The words of our reading are the words of the writer's own text reading,
    // every character the same: with the list numbers where its text has them.
    void matchesTheWritersText() {
        QFETCH(QString, name);
        QFETCH(bool, numbers);
        const auto doc = readCorpus(name);
        QVERIFY(doc);
        QString theirs = QString::fromUtf8(testsupport::readFile(corpus(name + QStringLiteral(".txt"))));
        if (theirs.startsWith(QChar(0xFEFF)))
            theirs.remove(0, 1);
        const QStringList expected = words(theirs);
        const QStringList ours = words(numbers ? plaintext::labelledText(*doc) : plaintext::text(*doc));
        QVERIFY(expected.size() > 100);
        for (qsizetype i = 0; i < std::min(expected.size(), ours.size()); ++i)
            QVERIFY2(ours[i] == expected[i], qPrintable(QStringLiteral("word %1: \"%2\" against \"%3\" after \"%4\"")
                                                             .arg(i)
                                                             .arg(ours[i], expected[i])
                                                             .arg(ours.mid(std::max<qsizetype>(0, i - 4), 4)
                                                                      .join(QLatin1Char(' ')))));
        QCOMPARE(ours.size(), expected.size());
        // Every character kept, the emoji (a surrogate pair) too.
        const QString text = plaintext::text(*doc);
        QVERIFY2(text.contains(QString::fromUtf8("греческие αβγ, иероглифы 日本, знак ≠ и эмодзи")) &&
                     text.contains(QString::fromUtf8("😀")) && text.contains(QString::fromUtf8("в ней: € — «ёлки» № 5")),
                 qPrintable(text.mid(text.indexOf(QStringLiteral("греческие")), 60)));
    }

    void characterAttributes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("rich"); // the writer keeps sizes, fonts and colours
        QTest::newRow("libreoffice") << QStringLiteral("libreoffice") << true;
        QTest::newRow("abiword") << QStringLiteral("abiword") << true;
        QTest::newRow("abiword-ru") << QStringLiteral("abiword-ru") << true;
        QTest::newRow("pandoc") << QStringLiteral("pandoc") << false;
    }
    void characterAttributes() {
        QFETCH(QString, name);
        QFETCH(bool, rich);
        const auto doc = readCorpus(name);
        QVERIFY(doc);
        const auto w = [&](const char *word) { return charOfWord(*doc, QString::fromUtf8(word)); };
        const doccompare::Char normal = w("Обычный");
        QVERIFY(!normal.bold && !normal.italic && !normal.underline && !normal.strike && !normal.hasColor);
        QVERIFY(w("жирный").bold);
        QVERIFY(!w("жирный").italic);
        QVERIFY(w("курсив").italic);
        QVERIFY(w("подчёркнутый").underline);
        QVERIFY(w("зачёркнутый").strike);
        QVERIFY(!w("зачёркнутый").underline);
        QVERIFY(!w(", курсив").bold);
        if (!rich)
            return;
        QCOMPARE(normal.halfPoints, 24);
        QCOMPARE(w("крупный").halfPoints, 40);
        QCOMPARE(w("моноширинный").font, QStringLiteral("Courier New"));
        QCOMPARE(w("шрифт").font, normal.font);
        QVERIFY(w("красный").hasColor);
        QCOMPARE(w("красный").rgb, QRgb(0xff0000));
        QCOMPARE(w("синий").rgb, QRgb(0x0000ff));
        QVERIFY(!w("цвет").hasColor);
    }

    void paragraphAttributes_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("libreoffice") << QStringLiteral("libreoffice");
        QTest::newRow("abiword") << QStringLiteral("abiword");
        QTest::newRow("abiword-ru") << QStringLiteral("abiword-ru");
    }
    void paragraphAttributes() {
        QFETCH(QString, name);
        const auto doc = readCorpus(name);
        QVERIFY(doc);
        const auto para = [&](const char *prefix) {
            const QTextBlock b = blockStarting(*doc, QString::fromUtf8(prefix));
            doccompare::Para missing;
            missing.align = -1;
            return b.isValid() ? doccompare::paraOf(b) : missing;
        };
        QCOMPARE(para("Проверка").align, 1);
        QCOMPARE(para("Обычный").align, 0);
        QCOMPARE(para("Абзац по центру").align, 1);
        QCOMPARE(para("Абзац по правому").align, 2);
        QCOMPARE(para("Абзац по ширине").align, 3);
        // text-indent 1.27 cm: the first line starts half an inch in, the rest at the edge.
        QCOMPARE(para("Красная строка").start, 720);
        QCOMPARE(para("Красная строка").offset, -720);
        QCOMPARE(para("Отступ слева").start, 1440);
        QCOMPARE(para("Отступ слева").offset, 0);
        QVERIFY(!para("Обычный").bullet);
    }

    // Bulleted items are bulleted, numbered ones numbered; their marker is not
    // shown as text as well.
    void lists() {
        for (const char *name : {"libreoffice", "abiword", "abiword-ru"}) {
            const auto doc = readCorpus(QString::fromLatin1(name));
            QVERIFY(doc);
            for (const char *item : {"Первый пункт", "Второй пункт", "Третий пункт"}) {
                const QTextBlock b = blockStarting(*doc, QString::fromUtf8(item));
                QVERIFY2(b.isValid(), name);
                QVERIFY2(docformat::hasBullet(b), name);
            }
            // The three items are one list.
            QCOMPARE(blockStarting(*doc, QString::fromUtf8("Первый")).textList(),
                     blockStarting(*doc, QString::fromUtf8("Третий")).textList());
            QVERIFY(!docformat::hasBullet(blockStarting(*doc, QString::fromUtf8("Отступ слева"))));
        }
        // AbiWord numbers with \pn and a \listtext without the number,
        // LibreOffice with the list table and the number in \listtext.
        for (const char *name : {"libreoffice", "abiword", "abiword-ru"}) {
            const auto doc = readCorpus(QString::fromLatin1(name));
            QVERIFY(doc);
            QString numbered;
            for (const char *item : {"Раз ", "Два ", "Три "}) {
                QTextBlock b = blockStarting(*doc, QString::fromUtf8(item).trimmed());
                while (b.isValid() && b.text().trimmed() != QString::fromUtf8(item).trimmed())
                    b = b.next();
                QVERIFY2(b.isValid() && b.textList(), name);
                QCOMPARE(b.textList()->format().style(), QTextListFormat::ListDecimal);
                numbered += b.textList()->itemText(b) + b.text().trimmed() + QLatin1Char('|');
            }
            QCOMPARE(numbered, QString::fromUtf8("1.Раз|2.Два|3.Три|"));
        }

        // pandoc writes its lists as text: the marker shows once.
        const auto pandoc = readCorpus(QStringLiteral("pandoc"));
        QVERIFY(pandoc);
        const QTextBlock item = blockStarting(*pandoc, QString::fromUtf8("•\tПервый пункт"));
        QVERIFY(item.isValid());
        QVERIFY(!docformat::hasBullet(item));
        QVERIFY(blockStarting(*pandoc, QString::fromUtf8("2.\tДва")).isValid());
    }

    // Lists of every kind as LibreOffice and AbiWord write them: the text with
    // the labels is LibreOffice's own text of its file (less its indent and
    // with a tab after each label); AbiWord keeps only decimal numbers.
    void listSamples_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QString lo = QString::fromUtf8(testsupport::readFile(corpus(QStringLiteral("libreoffice-lists.txt"))));
        lo.remove(QChar(0xFEFF));
        lo.replace(QRegularExpression(QStringLiteral("^    (\\S+) "), QRegularExpression::MultilineOption),
                   QStringLiteral("\\1\t"));
        lo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        QTest::newRow("libreoffice") << QStringLiteral("libreoffice-lists") << lo.trimmed();
        QTest::newRow("abiword") << QStringLiteral("abiword-lists")
                                 << QString::fromUtf8("Перед списком.\r\n•\tПервый\r\n•\tВторой\r\n•\tТретий\r\n"
                                                      "1.\tРаз\r\n2.\tДва\r\n3.\tТри\r\n1.\tальфа\r\n2.\tбета\r\n"
                                                      "1.\tчетыре\r\n2.\tпять\r\nПосле списка.\r\n\r\n");
    }
    void listSamples() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        const auto doc = readCorpus(name);
        QVERIFY(doc);
        QCOMPARE(plaintext::labelledText(*doc), expected);
        QCOMPARE(*rtf::readText(testsupport::readFile(corpus(name + QStringLiteral(".rtf"))), rtf::ListLabels::Shown),
                 expected);
        // Written by us, read back: the same labels.
        QTextDocument back;
        QVERIFY(rtf::read(rtf::write(*doc), back));
        QCOMPARE(plaintext::labelledText(back), expected);
    }

    // A table's rows are paragraphs of tab-separated cells, written back as
    // the same rows with the definitions read; a hyperlink shows its text only.
    void tablesAndFields() {
        for (const char *name : {"libreoffice", "pandoc", "abiword", "abiword-ru"}) {
            const auto doc = readCorpus(QString::fromLatin1(name));
            QVERIFY(doc);
            const QByteArray original = testsupport::readFile(corpus(QString::fromLatin1(name) + QStringLiteral(".rtf")));
            const QByteArray ours = rtf::write(*doc);
            QVERIFY2(ours.count("\\row") == original.count("\\row") && ours.count("\\trowd") >= ours.count("\\row")
                         && ours.count("\\cellx") >= 2 * ours.count("\\row"),
                     name);
            const QString text = plaintext::text(*doc);
            QVERIFY2(text.contains(QString::fromUtf8("Гиперссылка: пример ссылки в тексте.")), name);
            QVERIFY2(!text.contains(QStringLiteral("HYPERLINK")) && !text.contains(QStringLiteral("example.com")),
                     name);
            QVERIFY2(text.contains(QString::fromUtf8("Ячейка А1")) && text.contains(QString::fromUtf8("Ячейка Б2")),
                     name);
        }
    }

    // Each document, written by us and read back, is the same document.
    void roundTrip_data() { matchesTheWritersText_data(); }
    void roundTrip() {
        QFETCH(QString, name);
        const auto doc = readCorpus(name);
        QVERIFY(doc);
        const QByteArray bytes = rtf::write(*doc);
        QTextDocument back;
        QVERIFY(rtf::read(bytes, back));
        const QString diff = doccompare::firstDifference(*doc, back);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
        QCOMPARE(rtf::write(back), bytes);
    }
};

QTEST_MAIN(RtfCorpusTest)
#include "rtf_corpus_test.moc"
