// Find and replace: the replace engine against a literal restarting loop, the
// dialogs, and the main window's handlers on a real editor.
#include "app/tform1.h"
#include "editor/pieces.h"
#include "editor/tjre.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "tools/find_replace.h"
#include "tools/replace_engine.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QtTest>

using replace_engine::Limits;
using replace_engine::Outcome;

namespace {

struct Reference {
    std::string text;
    Outcome outcome;
};

// The loop as the replace command defines it: search from the start, replace
// the first occurrence, repeat. It stops before a replacement once a limit is
// reached, as the engine does.
Reference restartingLoop(std::string text, const std::string &find, const std::string &with, const Limits &limits) {
    std::size_t steps = 0;
    for (;;) {
        const std::size_t p = text.find(find);
        if (find.empty() || p == std::string::npos)
            return {text, Outcome::Finished};
        if (steps == limits.maxSteps || text.size() > limits.maxLength)
            return {text, Outcome::Stopped};
        text.replace(p, find.size(), with);
        ++steps;
    }
}

// Each occurrence present at the start replaced once, left to right.
Reference onePass(const std::string &text, const std::string &find, const std::string &with, const Limits &limits) {
    std::string out;
    std::size_t from = 0, steps = 0;
    for (std::size_t p; (p = text.find(find, from)) != std::string::npos; from = p + find.size()) {
        out += text.substr(from, p - from);
        if (steps == limits.maxSteps || out.size() + text.size() - p > limits.maxLength)
            return {out + text.substr(p), Outcome::Stopped};
        out += with;
        ++steps;
    }
    return {out + text.substr(from), steps ? Outcome::OnePass : Outcome::Finished};
}

// The recorded replacements applied one by one.
std::string applyEdits(std::string text, const std::vector<std::size_t> &edits, std::size_t findLength,
                       const std::string &with) {
    for (std::size_t pos : edits) {
        if (pos + findLength > text.size())
            return "<edit out of range>";
        text.replace(pos, findLength, with);
    }
    return text;
}

std::string randomWord(QRandomGenerator &rng, int minLength, int maxLength) {
    std::string s(rng.bounded(minLength, maxLength + 1), 'a');
    for (char &c : s)
        c = rng.bounded(2) ? 'b' : 'a';
    return s;
}

const char *name(Outcome o) {
    return o == Outcome::Finished ? "Finished" : o == Outcome::OnePass ? "OnePass" : "Stopped";
}

// The replace command done literally through the editor's vocabulary.
void literalReplace(TJRE &e, const QString &find, const QString &with) {
    for (;;) {
        const qsizetype p = e.GetText().indexOf(find);
        if (p < 0)
            return;
        e.Select(int(p), int(find.size()));
        e.ReplaceSelection(with);
    }
}

// Fills an editor with paragraphs of text, some of it bold or italic.
void fill(TJRE &e, const QString &text, const QList<QPair<int, int>> &bold) {
    e.ReplaceSelection(text);
    for (const auto &[start, length] : bold) {
        e.Select(start, length);
        QTextCharFormat f;
        f.setFontWeight(QFont::Bold);
        e.SetSelectionFormat(f);
    }
    e.Select(0, 0);
}

struct Box {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

// Answers the next box with OK and records it.
void recordNextBox(Box *box) {
    modal::answerNext([box](QDialog &d) {
        auto *m = qobject_cast<QMessageBox *>(&d);
        if (!m)
            return -1;
        box->title = m->windowTitle();
        box->text = m->text();
        box->icon = m->icon();
        for (QAbstractButton *b : m->buttons())
            box->buttons << b->text();
        return int(messages::Ok);
    });
}

} // namespace

class FindReplaceTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;

    QString ini() const { return dir_.filePath(QStringLiteral("Tessarin.ini")); }
    TJRE *jre() const { return form_->JRE; }

    TFindDialog *findDialog(const QString &what) {
        form_->ToolButton14Click();
        form_->FindDialog1->SetFindText(what);
        return form_->FindDialog1;
    }
    TReplaceDialog *replaceDialog(const QString &what, const QString &with) {
        form_->ToolButton20Click();
        form_->ReplaceDialog1->SetFindText(what);
        form_->ReplaceDialog1->SetReplaceText(with);
        return form_->ReplaceDialog1;
    }
    void setDocument(const QString &text) {
        jre()->Clear();
        jre()->ReplaceSelection(text);
        jre()->Select(0, 0);
        jre()->SetModified(false);
    }
    QString replaceAll(const QString &text, const QString &what, const QString &with) {
        setDocument(text);
        replaceDialog(what, with)->ReplaceAllButton()->click();
        return jre()->GetText();
    }

private slots:
    void init() {
        modal::clearAnswers();
        form_ = std::make_unique<TForm1>(ini());
    }
    void cleanup() {
        QCOMPARE(modal::pendingAnswers(), 0);
        form_.reset();
    }

    // ---- the engine ------------------------------------------------------------

    void engineExamples_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("find");
        QTest::addColumn<QByteArray>("with");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<int>("outcome");
        const int finished = int(Outcome::Finished), onePass = int(Outcome::OnePass);
        QTest::newRow("no new occurrence") << QByteArray("aab") << QByteArray("ab") << QByteArray("a")
                                           << QByteArray("aa") << finished;
        QTest::newRow("new occurrence formed") << QByteArray("aab") << QByteArray("ab") << QByteArray("b")
                                               << QByteArray("b") << finished;
        QTest::newRow("cascade") << QByteArray("aaab") << QByteArray("ab") << QByteArray("bba")
                                 << QByteArray("bbbbbbbbaaa") << finished;
        QTest::newRow("empty replacement") << QByteArray("xabyabz") << QByteArray("ab") << QByteArray("")
                                           << QByteArray("xyz") << finished;
        QTest::newRow("collapsing") << QByteArray("aaaabbbb") << QByteArray("ab") << QByteArray("")
                                    << QByteArray("") << finished;
        QTest::newRow("absent") << QByteArray("hello") << QByteArray("xyz") << QByteArray("q")
                                << QByteArray("hello") << finished;
        QTest::newRow("empty search") << QByteArray("hello") << QByteArray("") << QByteArray("q")
                                      << QByteArray("hello") << finished;
        QTest::newRow("search longer than text") << QByteArray("ab") << QByteArray("abc") << QByteArray("")
                                                 << QByteArray("ab") << finished;
        QTest::newRow("replacement holds search") << QByteArray("a-a") << QByteArray("a") << QByteArray("aa")
                                                  << QByteArray("aa-aa") << onePass;
        QTest::newRow("replacement equals search") << QByteArray("abab") << QByteArray("ab") << QByteArray("ab")
                                                   << QByteArray("abab") << onePass;
        QTest::newRow("overlapping, one pass") << QByteArray("aaa") << QByteArray("aa") << QByteArray("xaay")
                                               << QByteArray("xaaya") << onePass;
    }
    void engineExamples() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, find);
        QFETCH(QByteArray, with);
        QFETCH(QByteArray, expected);
        QFETCH(int, outcome);
        const auto r = replace_engine::replaceAll<char>(text.toStdString(), find.toStdString(), with.toStdString());
        QCOMPARE(QByteArray::fromStdString(r.text), expected);
        QCOMPARE(int(r.outcome), outcome);
        QCOMPARE(QByteArray::fromStdString(applyEdits(text.toStdString(), r.edits, find.size(), with.toStdString())),
                 expected);
    }

    void engineStopsWhenTheTextKeepsGrowing() {
        // ab -> bbaa on "aab" never ends: each replacement makes a new occurrence further left.
        QCOMPARE(restartingLoop("aab", "ab", "bbaa", {1000, 200}).outcome, Outcome::Stopped);
        const auto r = replace_engine::replaceAll<char>("aab", "ab", "bbaa", {1000000, 5000});
        QCOMPARE(r.outcome, Outcome::Stopped);
        QVERIFY(r.text.size() > 5000 && r.text.size() <= 5002);
        QCOMPARE(r.text, restartingLoop("aab", "ab", "bbaa", {1000000, 5000}).text);
        // The step limit alone stops it too.
        const auto s = replace_engine::replaceAll<char>("aab", "ab", "bbaa", {10, 1000000});
        QCOMPARE(s.outcome, Outcome::Stopped);
        QCOMPARE(s.edits.size(), std::size_t(10));
        // With the default limits it ends, bounded.
        const auto d = replace_engine::replaceAll<char>("aab", "ab", "bbaa");
        QCOMPARE(d.outcome, Outcome::Stopped);
        QVERIFY(d.text.size() <= replace_engine::defaultLimits<char>("aab", "ab", "bbaa").maxLength + 2);
    }

    void engineMatchesTheRestartingLoop() {
        // Random short texts over two letters; where the replacement holds the
        // search text, the loop never ends and the one-pass result is expected.
        QRandomGenerator rng(20240611);
        const Limits limits{300, 120};
        int finished = 0, stopped = 0, onePassCount = 0;
        for (int round = 0; round < 60000; ++round) {
            const std::string text = randomWord(rng, 0, 12);
            const std::string find = randomWord(rng, 1, 3);
            const std::string with = randomWord(rng, 0, 4);
            const bool holds = with.find(find) != std::string::npos;
            const Reference ref = holds ? onePass(text, find, with, limits) : restartingLoop(text, find, with, limits);
            const auto r = replace_engine::replaceAll<char>(text, find, with, limits);
            const QByteArray where = QByteArray::fromStdString("text " + text + ", " + find + " -> " + with);
            QVERIFY2(r.text == ref.text, where + ": got " + QByteArray::fromStdString(r.text) + ", expected " +
                                             QByteArray::fromStdString(ref.text));
            QVERIFY2(r.outcome == ref.outcome, where + ": " + name(r.outcome) + " instead of " + name(ref.outcome));
            QVERIFY2(applyEdits(text, r.edits, find.size(), with) == r.text, where);
            finished += r.outcome == Outcome::Finished;
            stopped += r.outcome == Outcome::Stopped;
            onePassCount += r.outcome == Outcome::OnePass;
        }
        // Every kind of ending was met.
        QVERIFY(finished > 1000 && stopped > 10 && onePassCount > 1000);
    }

    void engineWideCharacters() {
        const std::u16string text = u"Ёжик ёжик ЁЖИК";
        const auto r = replace_engine::replaceAll<char16_t>(text, u"ёж", u"Ё");
        QVERIFY(r.text == u"Ёжик Ёик ЁЖИК");
        QCOMPARE(r.edits, std::vector<std::size_t>{5});
    }

    void engineIsLinear() {
        // a^k b^k with ab -> "" needs k replacements, each formed by the one
        // before; searching from the start each time would read k^2 / 2
        // characters (10^11 here), far past the suite's time limit.
        const std::size_t k = 500'000;
        const std::string text = std::string(k, 'a') + std::string(k, 'b');
        const auto r = replace_engine::replaceAll<char>(text, "ab", "");
        QCOMPARE(r.text, std::string());
        QCOMPARE(r.edits.size(), k);
        QCOMPARE(r.edits.front(), k - 1);
        QCOMPARE(r.edits.back(), std::size_t(0));
        // The same with a growing replacement read again each time.
        const auto g = replace_engine::replaceAll<char>(std::string(k, 'a') + "b", "ab", "bb");
        QCOMPARE(g.text, std::string(k + 1, 'b'));
    }

    // ---- the dialogs -----------------------------------------------------------

    void dialogsAreModelessAndKeepTheirTexts() {
        QVERIFY(!form_->FindDialog1 && !form_->ReplaceDialog1); // built on first use
        form_->ToolButton14Click();
        TFindDialog *find = form_->FindDialog1;
        QVERIFY(find && find->isVisible() && !find->isModal());
        QCOMPARE(find->windowTitle(), QStringLiteral("Найти"));
        QCOMPARE(find->FindNextButton()->text(), QStringLiteral("&Найти далее"));
        QCOMPARE(find->Options(), int(frDown));
        QVERIFY(find->DownButton()->isChecked() && !find->UpButton()->isChecked());
        QCOMPARE(find->FindEdit()->maxLength(), 255);
        QVERIFY(!find->FindNextButton()->isEnabled()); // nothing to search for yet

        find->FindEdit()->setText(QStringLiteral("слово"));
        QVERIFY(find->FindNextButton()->isEnabled());
        find->CancelButton()->click();
        QVERIFY(!find->isVisible());
        form_->ToolButton14Click();
        QCOMPARE(form_->FindDialog1, find); // the same dialog, with its text
        QCOMPARE(find->FindText(), QStringLiteral("слово"));

        form_->ToolButton20Click();
        TReplaceDialog *replace = form_->ReplaceDialog1;
        QVERIFY(replace && replace->isVisible() && find->isVisible());
        QCOMPARE(replace->windowTitle(), QStringLiteral("Заменить"));
        QCOMPARE(replace->FindText(), QString()); // not shared with the find dialog
        QCOMPARE(replace->ReplaceAllButton()->text(), QStringLiteral("Заменить &все"));
        QCOMPARE(replace->Options(), int(frDown));
        replace->SetOptions(frMatchCase | frWholeWord);
        QCOMPARE(replace->Options(), int(frMatchCase | frWholeWord));

        // At most 255 characters, one line.
        find->SetFindText(QString(300, u'x'));
        QCOMPARE(find->FindText().size(), 255);
        find->FindEdit()->setText(QStringLiteral("one\r\ntwo"));
        QCOMPARE(find->FindText(), QStringLiteral("one"));
    }

    // Tab walks the controls as they are laid out: the texts, the options,
    // the buttons, and back to the first. The direction's radio buttons are
    // one stop, named by their group.
    void tabFollowsTheLayout_data() {
        QTest::addColumn<bool>("replacing");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("find") << false
                              << QStringList{"Что", "Только слово &целиком", "С учетом &регистра",
                                             "Направление", "&Найти далее", "Отмена"};
        QTest::newRow("replace") << true
                                 << QStringList{"Что", "Заменить на", "Только слово &целиком",
                                                "С учетом &регистра", "&Найти далее", "&Заменить",
                                                "Заменить &все", "Отмена"};
    }
    void tabFollowsTheLayout() {
        QFETCH(bool, replacing);
        QFETCH(QStringList, order);
        TFindDialog *d = replacing ? replaceDialog("x", QString()) : findDialog("x");
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        d->FindEdit()->setFocus();
        QStringList seen;
        for (qsizetype i = 0; i <= order.size(); ++i) {
            QWidget *w = QApplication::focusWidget();
            QVERIFY(w && w->window() == d);
            auto *group = qobject_cast<QGroupBox *>(w->parentWidget());
            auto *button = qobject_cast<QAbstractButton *>(w);
            seen << (group ? group->title() : button ? button->text() : w->accessibleName());
            QTest::keyClick(w, Qt::Key_Tab);
        }
        QCOMPARE(seen, order + QStringList{order.first()});
    }

    // ---- find ------------------------------------------------------------------

    void findNextSelectsTheFirstOccurrenceEveryTime() {
        setDocument(QStringLiteral("one two one two"));
        jre()->Select(9, 0);
        TFindDialog *d = findDialog(QStringLiteral("two"));
        QVERIFY(jre()->HideSelection());
        for (int i = 0; i < 3; ++i) {
            d->FindNextButton()->click();
            QCOMPARE(jre()->SelectionStart(), 4);
            QCOMPARE(jre()->SelectionLength(), 3);
        }
        QVERIFY(!jre()->HideSelection());
        QVERIFY(!jre()->IsModified());
    }

    void findSelectsOnTheRightLine() {
        setDocument(QStringLiteral("first line\r\nsecond line\r\n\r\nthe word here"));
        findDialog(QStringLiteral("word"))->FindNextButton()->click();
        QCOMPARE(jre()->SelectionStart(), 31);
        QCOMPARE(jre()->SelectedText(), QStringLiteral("word"));
        QCOMPARE(jre()->textCursor().block().text(), QStringLiteral("the word here"));
        QCOMPARE(jre()->textCursor().selectedText(), QStringLiteral("word"));
    }

    void findIgnoresTheOptions() {
        setDocument(QStringLiteral("Word sword word"));
        TFindDialog *d = findDialog(QStringLiteral("word"));
        d->UpButton()->setChecked(true);
        d->WholeWordBox()->setChecked(true);
        d->FindNextButton()->click();
        QCOMPARE(jre()->SelectionStart(), 6); // inside "sword", searching down from the start

        // With match case off, the capital still differs.
        setDocument(QStringLiteral("Word"));
        d->MatchCaseBox()->setChecked(false);
        Box box;
        recordNextBox(&box);
        d->FindNextButton()->click();
        QCOMPARE(box.text, QStringLiteral("Строка word не найдена!"));
    }

    void findMissingShowsTheBox() {
        setDocument(QStringLiteral("alpha beta"));
        jre()->Select(2, 3);
        Box box;
        recordNextBox(&box);
        findDialog(QStringLiteral("гамма"))->FindNextButton()->click();
        QCOMPARE(box.title, QStringLiteral("Confirm"));
        QCOMPARE(box.text, QStringLiteral("Строка гамма не найдена!"));
        QCOMPARE(box.icon, QMessageBox::Question);
        QCOMPARE(box.buttons, QStringList{QStringLiteral("OK")});
        QCOMPARE(jre()->SelectionStart(), 2); // selection untouched
        QCOMPARE(jre()->SelectionLength(), 3);
        QVERIFY(jre()->HideSelection());

        // An empty search text is never found.
        Box empty;
        recordNextBox(&empty);
        findDialog(QString());
        form_->FindDialog1Find();
        QCOMPARE(empty.text, QStringLiteral("Строка  не найдена!"));
    }

    void findTakesAnyCharacter() {
        setDocument(QStringLiteral("x 中 😀 y"));
        findDialog(QStringLiteral("😀 y"))->FindNextButton()->click();
        QCOMPARE(jre()->SelectionStart(), 4);
        QCOMPARE(jre()->SelectedText(), QStringLiteral("😀 y"));
    }

    // ---- replace ---------------------------------------------------------------

    void replaceExamples() {
        // "aab" with ab -> a leaves "aa"; with ab -> b the replacement forms a new
        // occurrence, which is replaced in turn.
        QCOMPARE(replaceAll(QStringLiteral("aab"), QStringLiteral("ab"), QStringLiteral("a")), QStringLiteral("aa"));
        QCOMPARE(replaceAll(QStringLiteral("aab"), QStringLiteral("ab"), QStringLiteral("b")), QStringLiteral("b"));
        QCOMPARE(replaceAll(QStringLiteral("one, two,\r\nthree,"), QStringLiteral(","), QString()),
                 QStringLiteral("one two\r\nthree"));
        // A replacement holding the search text: each first occurrence once.
        QCOMPARE(replaceAll(QStringLiteral("кот и кот\r\nкот"), QStringLiteral("кот"), QStringLiteral("кошка кот")),
                 QStringLiteral("кошка кот и кошка кот\r\nкошка кот"));
        // The replace button does what replace-all does; find-next does nothing.
        setDocument(QStringLiteral("abcabc"));
        TReplaceDialog *d = replaceDialog(QStringLiteral("b"), QStringLiteral("XY"));
        d->FindNextButton()->click();
        QCOMPARE(jre()->GetText(), QStringLiteral("abcabc"));
        d->ReplaceButton()->click();
        QCOMPARE(jre()->GetText(), QStringLiteral("aXYcaXYc"));
        // The caret stands after the text inserted last.
        QCOMPARE(jre()->SelectionStart(), 7);
        QCOMPARE(jre()->SelectionLength(), 0);
        QVERIFY(jre()->IsModified());
    }

    // In a long paragraph held in pieces, occurrences over a join are found
    // and replaced as in the paragraph held whole; one undo step restores it.
    void replaceOverJoins() {
        const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123\r\nshort\r\nhijhijhijhijhijhijhij end");
        const std::pair<QString, QString> cases[] = {
            {QStringLiteral("hij"), QStringLiteral("X")},    // over the first join, and all along the last paragraph
            {QStringLiteral("h"), QStringLiteral("hh")},
            {QStringLiteral("ghijklmnopq"), QString()},      // over two joins
            {QStringLiteral("3\r\nsh"), QStringLiteral("-")}, // a first line is all the dialog keeps
        };
        for (const auto &[what, with] : cases) {
            const QString expected = replaceAll(text, what, with);
            setDocument(text);
            QVERIFY(pieces::split(*jre()->document(), 8, 10) >= 5);
            replaceDialog(what, with)->ReplaceAllButton()->click();
            QCOMPARE(jre()->GetText(), expected);
            jre()->Undo();
            QCOMPARE(jre()->GetText(), text);
        }
    }

    void replaceAbsentChangesNothing() {
        setDocument(QStringLiteral("some text\r\nhere"));
        const int undoSteps = jre()->document()->availableUndoSteps();
        jre()->Select(3, 4);
        replaceDialog(QStringLiteral("absent"), QStringLiteral("x"))->ReplaceAllButton()->click();
        QCOMPARE(jre()->GetText(), QStringLiteral("some text\r\nhere"));
        QCOMPARE(jre()->SelectionStart(), 3);
        QCOMPARE(jre()->SelectionLength(), 4);
        QVERIFY(!jre()->IsModified());
        QCOMPARE(jre()->document()->availableUndoSteps(), undoSteps);
        QVERIFY(modal::shownTitles().isEmpty());
    }

    void replaceIsOneUndoStep() {
        const QString text = QStringLiteral("ab ab ab\r\naab\r\nab");
        setDocument(text);
        replaceDialog(QStringLiteral("ab"), QStringLiteral("b"))->ReplaceAllButton()->click();
        QCOMPARE(jre()->GetText(), QStringLiteral("b b b\r\nb\r\nb"));
        jre()->Undo();
        QCOMPARE(jre()->GetText(), text);
        jre()->Redo();
        QCOMPARE(jre()->GetText(), QStringLiteral("b b b\r\nb\r\nb"));
    }

    // A replacement that keeps making new occurrences ends at the command's own
    // limit: the text grows by at most 64 Ki characters more than replacing
    // what it holds takes, in any document, in a few seconds, laid out and
    // drawn. What the user asks for is never cut,
    // and a result past 64 MB is refused before anything changes.
    void replaceAllKeepsToItsLimits_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("with");
        QTest::addColumn<int>("minGrowth"); // -1: refused
        QTest::addColumn<int>("maxGrowth");
        const QString runaway = QStringLiteral("first\r\naab\r\nlast");
        QTest::newRow("never ends, short document") << runaway << QStringLiteral("ab") << QStringLiteral("bbaa")
                                                    << (1 << 16) << (1 << 16) + 4;
        QTest::newRow("never ends, long document")
            << QStringLiteral("a line of words\r\n").repeated(20000) + runaway << QStringLiteral("ab")
            << QStringLiteral("bbaa") << (1 << 16) << (1 << 16) + 4;
        QTest::newRow("asked for: 99,000 more") << QStringLiteral("a").repeated(1000) << QStringLiteral("a")
                                                << QStringLiteral("b").repeated(100) << 99000 << 99000;
        QTest::newRow("past 64 MB") << (QStringLiteral("a").repeated(99) + QStringLiteral("\r\n")).repeated(3000)
                                    << QStringLiteral("a")
                                    << QStringLiteral("b").repeated(255) << -1 << -1;
    }
    void replaceAllKeepsToItsLimits() {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, with);
        QFETCH(int, minGrowth);
        QFETCH(int, maxGrowth);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        setDocument(text);
        QString error;
        if (minGrowth < 0)
            modal::answerNext([&](QDialog &d) {
                error = dynamic_cast<QMessageBox &>(d).text();
                return int(QMessageBox::Ok);
            });
        QElapsedTimer timer;
        timer.start();
        replaceDialog(find, with)->ReplaceAllButton()->click();
        jre()->document()->documentLayout()->documentSize();
        QCoreApplication::processEvents();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        if (minGrowth < 0) {
            QCOMPARE(error, QStringLiteral("Замена не выполнена: текст стал бы больше 64 МБ."));
            QCOMPARE(jre()->GetText(), text);
            return;
        }
        const int grown = jre()->GetTextLen() - text.size();
        QVERIFY2(grown >= minGrowth && grown <= maxGrowth, qPrintable(QString::number(grown)));
        jre()->Undo(); // one step
        QCOMPARE(jre()->GetText(), text);
    }

    void replaceMatchesTheLiteralLoopInTheEditor() {
        // Formatted paragraphs: the handler and the literal loop through the
        // editor's vocabulary give the same text and the same formats.
        QRandomGenerator rng(7);
        const QString letters = QStringLiteral("ab");
        for (int round = 0; round < 60; ++round) {
            QString text;
            const int length = rng.bounded(1, 30);
            for (int i = 0; i < length; ++i)
                text += rng.bounded(8) == 0 ? QStringLiteral("\r\n") : QString(letters[rng.bounded(2)]);
            QList<QPair<int, int>> bold;
            for (int i = rng.bounded(3); i > 0; --i) {
                const int start = rng.bounded(text.size());
                bold.append({start, rng.bounded(text.size() - start + 1)});
            }
            QString find, with;
            for (int i = rng.bounded(1, 3); i > 0; --i)
                find += letters[rng.bounded(2)];
            for (int i = rng.bounded(0, 4); i > 0; --i)
                with += letters[rng.bounded(2)];
            if (with.contains(find))
                continue; // the literal loop would not end

            TJRE literal;
            literal.document()->setDefaultFont(jre()->document()->defaultFont());
            fill(literal, text, bold);
            literalReplace(literal, find, with);

            jre()->Clear();
            fill(*jre(), text, bold);
            replaceDialog(find, with)->ReplaceAllButton()->click();
            const QByteArray where = (text + " " + find + " -> " + with).toUtf8();
            QVERIFY2(jre()->GetText() == literal.GetText(), where);
            QVERIFY2(jre()->document()->toHtml() == literal.document()->toHtml(), where);
            if (text.contains(find)) {
                QVERIFY2(jre()->SelectionStart() == literal.SelectionStart(), where);
            }
        }
    }
};

QTEST_MAIN(FindReplaceTest)
#include "find_replace_test.moc"
