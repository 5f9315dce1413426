#pragma once
// The spelling check of one editor's document: which words of its paragraphs
// are misspelt, for the layout to underline (a look of the screen, not a
// format of the text).
//
// Only the text on screen, plus a margin, is checked, in rounds of idle time
// of at most kSliceMs; a paragraph's text is checked in pieces of about
// kPiece characters, and each piece's answer is kept by its text, so a
// paragraph seen before costs a look-up and only an edited one is read
// again. Drawing never waits: it shows what is known (answers remembered for
// words seen before), and a round fills in the rest and asks for a redraw.
// The word the caret is typing in is not underlined until the caret leaves it.
//
// The dictionaries are the process's own, loaded once on a thread of their
// own the first time a check is on, so nothing waits for them.
#include "spell/speller.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <utility>

namespace spell {

// A misspelt word of a paragraph: its start in the paragraph and its length.
struct Mark {
    int start = 0;
    int length = 0;
    bool operator==(const Mark &) const = default;
};

class SpellCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int kPiece = 2048;
    static constexpr int kSliceMs = 3;

    // The process's dictionaries: null while they load (the first call starts
    // the load), or, with wait, once they are there.
    static Speller *dictionaries(bool wait = false);
    // Forgets them: the next call loads them again (after a change of DICPATH).
    static void reloadDictionaries();

    explicit SpellCheck(QObject *parent = nullptr);

    void setDocument(QTextDocument *doc);
    QTextDocument *document() const { return doc_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    // The text to check: Qt positions from, to (those on screen and a margin
    // around them), asked at each round.
    void setRange(std::function<std::pair<int, int>()> range) { range_ = std::move(range); }
    // The view moved or the text changed: check what is in range, when idle.
    void schedule();
    void setCaret(int position);

    // The underlines of the block's text between from and to (offsets in
    // the block), as far as they are known now.
    QList<Mark> marks(const QTextBlock &block, int from, int to);
    // Whether everything in range is checked (tests and benchmarks).
    bool settled() const { return !round_.isActive(); }
    int piecesChecked() const { return piecesChecked_; } // by rounds, since the start

    // The word at a position of the document, for the menu.
    struct WordAt {
        int start = -1; // Qt position; -1: no word there
        QString text;
        Language language = Language::None;
        bool misspelt = false;
    };
    WordAt wordAt(int position);
    // The word is right from now on: for this run, or in the personal list
    // (false when that could not be written).
    void ignore(const WordAt &word);
    bool addToPersonal(const WordAt &word);

signals:
    void redraw(const QTextBlock &block); // the block has underlines not drawn yet
    void changed();                       // any underline may have changed

private:
    struct Answer {
        QList<Mark> marks;
        bool complete = true; // every word was answered
        bool fresh = false;   // a misspelt word was looked up, not remembered
    };
    Answer check(QStringView text, bool ask, qint64 deadlineMs, int heldAt);
    // Calls fn(start, text) for the pieces of the block's text that meet
    // from..to; stops when fn returns false.
    static void forEachPiece(const QTextBlock &block, int from, int to,
                             const std::function<bool(int start, const QString &text)> &fn);
    void round();
    void scheduleSpan(int from, int to);
    void start();
    void contentsChange(int from, int removed, int added);
    std::pair<int, int> held(); // the word being typed, Qt positions; {-1, -1} for none
    void forget();
    Speller *ready();

    QPointer<QTextDocument> doc_;
    bool enabled_ = false;
    std::function<std::pair<int, int>()> range_;
    QTimer round_;
    QHash<QString, QList<Mark>> pieces_; // by the piece's text
    qsizetype pieceChars_ = 0;
    Speller *speller_ = nullptr; // the one the answers above came from:
    int load_ = 0;               // its load (see dictionaries)
    int generation_ = 0;         // and the generation of its answers
    int typedAt_ = -1;                 // an edit at the caret, not yet placed in a word
    std::pair<int, int> held_{-1, -1};
    int resume_ = -1; // where the last round stopped, Qt position; -1: from the range's start
    bool whole_ = true;                // the next round looks at the whole range,
    int dirtyFrom_ = -1, dirtyTo_ = -1; // else only at this text (Qt positions; -1: none)
    int piecesChecked_ = 0;
};

} // namespace spell
