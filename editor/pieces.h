#pragma once
// Very long paragraphs held in pieces. Qt itemizes, shapes and breaks a whole
// paragraph again after every edit of it and lays out its lines from its
// start, so a paragraph of megabytes (one endless word, a text with no line
// ends) would cost seconds a key. Reading splits a plain paragraph longer than
// kSplitFrom characters into blocks of at most kPiece; the separator between
// two pieces carries kJoin in its character format and stands for nothing:
// GetText, positions, saves and the clipboard see one paragraph. Each piece
// starts a new display line, as an emergency break would.
//
// The mark lives on the separator character, not on a block format, because
// Qt gives a new block the format of the block it splits but a new separator
// the format of the character before it: Enter inside a piece makes a real
// break, deleting a separator joins the pieces, and undo brings the separator
// back with its mark.
#include <QTextFormat>

#include <climits>
#include <utility>
#include <vector>

class QTextBlock;
class QTextCursor;
class QString;
class QTextDocument;

namespace pieces {

constexpr int kJoin = QTextFormat::UserProperty + 18;
constexpr int kSplitFrom = 64 * 1024;
constexpr int kPiece = 32 * 1024;

// Splits the document's long plain paragraphs (not list items, not in tables),
// each piece ending after a space in its last eighth where there is one, never
// inside a surrogate pair or a note's mark. Returns how many joins it made.
int split(QTextDocument &doc, int piece = kPiece, int splitFrom = kSplitFrom);

// Gives the pieces after the cursor's block the format of their paragraph
// (its first piece's), after an edit that gave the paragraph another: Qt
// keeps one block's format where blocks join, and that may be a piece's.
void follow(QTextCursor &cursor);

// Inserts text at the cursor as QTextCursor::insertText does, but a paragraph
// break typed or inserted inside a piece starts a paragraph in the format of
// the paragraph's first piece (Qt would give it the piece's own).
void insertText(QTextCursor &cursor, const QString &text);

// Joins the pieces again whose joins lie between Qt positions from and to
// (inside an edit block of the caller's: one undo step); returns how many
// joins it took out.
int unsplit(QTextDocument &doc, int from = 0, int to = INT_MAX);

// The Qt positions from the start of the paragraph at from to the end of the
// one at to, pieces before and after included: what a paragraph command
// (alignment, indents, bullets) changes.
std::pair<int, int> paragraphs(const QTextDocument &doc, int from, int to);

// Whether the document may hold joins: once split, or given pieces of another.
bool mayHaveJoins(const QTextDocument &doc);
void markJoins(QTextDocument &doc);

// The block goes on the paragraph of the block before it.
bool joined(const QTextBlock &block);
// The first block of the paragraph the block is a piece of: the one whose
// format (alignment, indents, list) is the paragraph's.
QTextBlock firstPiece(QTextBlock block);

// Positions as GetText counts them (a break two characters, a join none)
// against Qt's, for the document as it is when made.
class Positions {
public:
    explicit Positions(const QTextDocument *doc);
    int toQt(int position) const;
    int fromQt(int qtPosition) const;
    int textLength() const; // of GetText
    const QTextDocument *document() const { return doc_; }
private:
    int start(int blockNumber) const; // where the block's text starts, as GetText counts
    const QTextDocument *doc_;
    std::vector<int> joined_; // numbers of the joined blocks, ascending
};

} // namespace pieces
