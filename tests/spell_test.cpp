// The spelling check without a window: which words are read and in which
// language, the answers of the installed dictionaries (and of a small one of
// our own for "ё"), the personal word list across a restart, no dictionary,
// and the underlines of whole documents against where the misspelt words were put.
#include "spell/spellcheck.h"
#include "spell/speller.h"
#include "spell/words.h"
#include "tests/support/testsupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

using namespace spell;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

QString describe(const QString &text) {
    static const char *const kNames[] = {"none", "ru", "en", "mixed"};
    QStringList out;
    for (const Word &w : words(text))
        out << text.mid(w.start, w.length) + u'/' + QLatin1String(kNames[int(w.language)]);
    return out.join(u' ');
}

// Waits until the check has nothing left in its range.
bool settle(SpellCheck &check) {
    return QTest::qWaitFor([&] { return check.settled(); }, 20000);
}

} // namespace

class SpellTest : public QObject {
    Q_OBJECT
    QTemporaryDir personal_;

private slots:
    void initTestCase() {
        // The dictionaries installed, found where they are installed; a personal list of the test's own.
        qunsetenv("DICPATH");
        qputenv("ENCHANT_CONFIG_DIR", QFile::encodeName(personal_.path()));
        SpellCheck::reloadDictionaries();
        Speller *speller = SpellCheck::dictionaries(true);
        QVERIFY2(speller->has(Language::Russian) && speller->has(Language::English),
                 "hunspell-ru and hunspell-en-us are installed by scripts/setup");
    }

    void words_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("russian") << "Привет, мир!" << "Привет/ru мир/ru";
        QTest::newRow("apostrophes") << "The fox's den, what’s up" << "The/en fox's/en den/en what’s/en up/en";
        QTest::newRow("hyphens") << "кто-то -дефис- 'кавычки'" << "кто-то/ru дефис/ru кавычки/ru";
        QTest::newRow("capitals") << "НАТО USA и ООН, Я и I" << "и/ru Я/ru и/ru I/en";
        QTest::newRow("digits") << "test123 2024 report_2024 В2 x86" << "";
        QTest::newRow("addresses") << "user@example.com www.site.ru http://x.org/путь C:\\папка file.txt т.е." << "";
        QTest::newRow("alphabets") << "IT-отдел Windows-приложение cлово" << "отдел/ru Windows/en приложение/ru cлово/mixed";
        QTest::newRow("other letters") << "ελληνικά 漢字 and" << "and/en";
        QTest::newRow("soft hyphen, stress") << QString::fromUtf8("пере\u00ADнос за\u0301мок") << QString::fromUtf8("пере\u00ADнос/ru за\u0301мок/ru");
    }
    void words() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(describe(text), expected);
    }

    void dictionaries_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("right");
        const std::pair<const char *, bool> table[] = {
            {"молоко", true},  {"малоко", false}, {"привет", true},  {"превет", false}, {"Москва", true},
            {"ещё", true},     {"еще", true},     {"пришёл", true},  {"пришел", true},  {"quick", true},
            {"jumsp", false},  {"don't", true},   {"don’t", true},   {"receive", true}, {"recieve", false},
            {"cлово", false},  {"Привет", true},  {"зa", false}};
        for (const auto &[word, right] : table)
            QTest::newRow(word) << QString::fromUtf8(word) << right;
    }
    void dictionaries() {
        QFETCH(QString, word);
        QFETCH(bool, right);
        Speller *speller = SpellCheck::dictionaries(true);
        QCOMPARE(speller->correct(word, languageOf(word)), right);
        QCOMPARE(speller->known(word, languageOf(word)), std::optional<bool>(right)); // remembered
        if (!right && languageOf(word) != Language::Mixed)
            QVERIFY(!speller->suggestions(word, languageOf(word)).isEmpty());
    }

    // A dictionary with one spelling of each word accepts the other one too.
    void yo() {
        QTemporaryDir dir;
        writeFile(dir.filePath("ru_RU.aff"), "SET UTF-8\n");
        writeFile(dir.filePath("ru_RU.dic"), "3\nёлка\nеж\nвсе\n");
        const auto speller = Speller::load({dir.path()}, dir.path());
        for (const char *word : {"ёлка", "елка", "еж", "ёж", "все", "всё"})
            QVERIFY2(speller->correct(QString::fromUtf8(word), Language::Russian), word);
        QVERIFY(!speller->correct(QStringLiteral("ёлки"), Language::Russian));
    }

    // A word added goes into the list other programs share and is right after
    // a restart, beside the words they added.
    void personalList() {
        QTemporaryDir dir;
        writeFile(dir.filePath("ru_RU.dic"), QByteArray("# личный словарь\nКвакозябра"));
        const QStringList folders = Speller::dictionaryFolders();
        {
            const auto speller = Speller::load(folders, dir.path());
            QVERIFY(speller->correct(QStringLiteral("Квакозябра"), Language::Russian));
            QVERIFY(!speller->correct(QStringLiteral("Тессарин"), Language::Russian));
            QVERIFY(speller->addToPersonal(QStringLiteral("Тессарин"), Language::Russian));
            QVERIFY(speller->addToPersonal(QStringLiteral("Tessarin"), Language::English));
            QVERIFY(speller->correct(QStringLiteral("Тессарин"), Language::Russian));
        }
        QCOMPARE(readFile(dir.filePath("ru_RU.dic")), QByteArray("# личный словарь\nКвакозябра\nТессарин\n"));
        QCOMPARE(readFile(dir.filePath("en_US.dic")), QByteArray("Tessarin\n"));
        const auto again = Speller::load(folders, dir.path());
        QVERIFY(again->correct(QStringLiteral("Тессарин"), Language::Russian));
        QVERIFY(again->correct(QStringLiteral("Tessarin"), Language::English));
        QVERIFY(!again->correct(QStringLiteral("Тесарин"), Language::Russian));
    }

    void noDictionary() {
        QTemporaryDir empty;
        const auto speller = Speller::load({empty.path()}, empty.path());
        QVERIFY(!speller->any());
        QVERIFY(speller->correct(QStringLiteral("малоко"), Language::Russian));
        QVERIFY(speller->suggestions(QStringLiteral("малоко"), Language::Russian).isEmpty());
    }

    // Random documents, long paragraphs among them: the underlines are
    // exactly the misspelt words put in, also after edits, and an edit of
    // one paragraph checks that paragraph again and no other.
    void underlines() {
        static const QStringList kRight = {"молоко", "привет", "корова", "дом", "и", "the", "quick", "receive",
                                           "ещё", "еще", "НАТО", "test123", "user@example.com", "кто-то,"};
        static const QStringList kWrong = {"малоко", "превет", "карова", "jumsp", "recieve", "cлово"};
        QRandomGenerator rng(7);
        QTextDocument doc;
        doc.documentLayout(); // a document tells of its changes once it has a layout
        QMap<int, QList<Mark>> expected; // by block number
        QTextCursor c(&doc);
        const int sizes[] = {0, 3, 40, 400, 5000, 12000, 3};
        for (int b = 0; b < int(std::size(sizes)); ++b) {
            if (b)
                c.insertBlock();
            QString text;
            for (int i = 0; i < sizes[b]; ++i) {
                if (!text.isEmpty())
                    text += rng.bounded(8) ? QStringLiteral(" ") : QStringLiteral("  \t");
                const bool wrong = rng.bounded(10) == 0;
                const QString w = wrong ? kWrong[rng.bounded(kWrong.size())] : kRight[rng.bounded(kRight.size())];
                if (wrong)
                    expected[b].append({int(text.size()), int(w.size())});
                text += w;
            }
            c.insertText(text);
        }
        QVERIFY(doc.findBlockByNumber(5).length() > 64 * 1024); // read piece by piece
        SpellCheck check;
        check.setDocument(&doc);
        check.setRange([&] { return std::pair<int, int>(0, doc.characterCount()); });
        check.setEnabled(true);
        const auto compareAll = [&] {
            QVERIFY(settle(check));
            for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
                QCOMPARE(check.marks(b, 0, b.length() - 1), expected.value(b.blockNumber()));
        };
        compareAll();
        // A misspelt word typed into the middle of the long paragraph, and
        // the first of another removed.
        QTextBlock longest = doc.findBlockByNumber(5);
        const int at = 30000 + int(longest.text().mid(30000).indexOf(u' ')) + 1;
        QTextCursor(&doc).insertText(QStringLiteral("малоко "), QTextCursor(&doc).charFormat());
        QTextCursor edit(&doc);
        edit.setPosition(longest.position() + at);
        edit.insertText(QStringLiteral("превет "));
        QList<Mark> &marks = expected[5];
        for (Mark &m : marks)
            m.start += m.start >= at ? 7 : 0;
        marks.append({at, 6});
        std::sort(marks.begin(), marks.end(), [](const Mark &a, const Mark &b) { return a.start < b.start; });
        expected[0] = {{0, 6}};
        check.setCaret(0); // away from the words typed
        compareAll();
        // One short paragraph edited: that paragraph's one piece is read again.
        const int before = check.piecesChecked();
        QTextCursor third(doc.findBlockByNumber(2));
        third.insertText(QStringLiteral("дом "));
        for (Mark &m : expected[2])
            m.start += 4;
        compareAll();
        QCOMPARE(check.piecesChecked() - before, 1);
    }
};

QTEST_MAIN(SpellTest)
#include "spell_test.moc"
