#pragma once
// How the document's attributes live in a QTextDocument. The RTF reader and
// writer, the plain-text codec and the editor control all follow these rules.
//
// Character attributes (QTextCharFormat):
//   font name      fontFamilies() first entry (also set with setFontFamilies)
//   size           fontPointSize(), whole or half points
//   colour         foreground() brush; no foreground property = automatic
//                  (the window-text colour)
//   style          fontWeight() >= QFont::Bold, fontItalic(), fontUnderline(),
//                  fontStrikeOut()
// Paragraph attributes (QTextBlockFormat):
//   alignment      alignment(): Qt::AlignLeft, AlignHCenter, AlignRight, AlignJustify
//   indents        kStartIndent and kOffset, in twips (1/1440 inch), are the
//                  truth; leftMargin() and textIndent() are derived from them by
//                  setParagraphIndents() for display.
//                  start indent = the first line's indent from the left edge;
//                  offset = indent of the second and later lines relative to the
//                  first line (RTF: \li = start + offset, \fi = -offset).
//                  A bulleted paragraph's first line also starts its text at
//                  start + offset (textIndent 0), the bullet hanging before it:
//                  set the block's list (objectIndex) before deriving margins.
//   bullet         the block belongs to a QTextList whose style is
//                  QTextListFormat::ListDisc, ListCircle or ListSquare (see
//                  setBullet(); the toolbar makes ListDisc).
//   number         the block belongs to a QTextList of style ListDecimal,
//                  ListLowerAlpha, ListUpperAlpha, ListLowerRoman or
//                  ListUpperRoman; its number is the list's kListStart (1 when
//                  not set) plus its place in the list's chain (kListChain),
//                  between the list's numberPrefix() and numberSuffix(). (Qt
//                  6.4 has no start of its own; the editor's layout draws the
//                  numbers with listLabel.)
//   marker         A list item's bullet or number is drawn in the block's own
//                  character format (QTextBlock::charFormat()), as Qt draws it;
//                  the RTF reader gives it the format at the paragraph mark.
// Paragraph breaks are block boundaries; the only objects in the document are
// pictures (kPicture), one character each; no frames, and tables are
// paragraphs (kInTable, kRow).
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QColor>
#include <QHash>
#include <QTextListFormat>

class QTextCursor;
class QTextBlock;
class QTextList;

namespace docformat {

constexpr int kStartIndent = QTextFormat::UserProperty + 1; // twips
constexpr int kOffset = QTextFormat::UserProperty + 2;      // twips
constexpr int kListStart = QTextFormat::UserProperty + 3;   // of a QTextListFormat
constexpr int kField = QTextFormat::UserProperty + 4;       // a field's instruction, on its result's characters
// RTF the document holds without showing it (headers, footers, document
// information, page setup), on its root frame; a save writes it back.
constexpr int kKept = QTextFormat::UserProperty + 5;
// A footnote or endnote, as RTF, on the characters of its mark (its number),
// and that mark's text; a save writes the note where its mark stands.
constexpr int kNote = QTextFormat::UserProperty + 6;
constexpr int kNoteMark = QTextFormat::UserProperty + 7;
// The style sheet as read, on the root frame, and a paragraph's style number
// in it (\sN), on its block; a save writes both back.
constexpr int kStyles = QTextFormat::UserProperty + 8;
constexpr int kStyle = QTextFormat::UserProperty + 9;
// Bookmarks as read ({\*\bkmkstart name}...): on the characters they stand
// before, or on a block when they stand at its end.
constexpr int kMarks = QTextFormat::UserProperty + 10;
// A picture, as RTF ({\pict ...}), on its character: U+FFFC with the image
// object type, which the layout draws.
constexpr int kPicture = QTextFormat::UserProperty + 11;
// A table row: its cells are the row's paragraphs (kInTable on each), cells
// apart by tabs, the row's definition as read (\trowd ... \cellx) on its last
// paragraph (kRow). Tab stops at the cells' left edges line the columns up.
constexpr int kInTable = QTextFormat::UserProperty + 12;
constexpr int kRow = QTextFormat::UserProperty + 13;
// Qt touches every item of a list each time one joins it, so a long list is
// kept as a chain of QTextLists of at most kListChunk items each: the lists
// after the first carry kListChain, the first one's object index, and the
// same format otherwise; their items are numbered on from the lists of the
// chain before them.
constexpr int kListChain = QTextFormat::UserProperty + 14;
// A list's level in the list it came from (1 to 8; none for the outermost):
// written back as its items' \ilvl, so that other programs nest it.
constexpr int kListLevel = QTextFormat::UserProperty + 19;
constexpr int kListChunk = 8;
// A table in a cell: each of its rows is a paragraph of that cell, its cells
// apart by tabs, with the table's depth (kNest: 2 and more); the paragraph
// ending a row holds the row's definition (kNestRow, \trowd ... \cellx).
constexpr int kNest = QTextFormat::UserProperty + 16;
constexpr int kNestRow = QTextFormat::UserProperty + 17;
bool nested(const QTextBlock &block);
// Of a row's paragraph whose cells are aligned apart: a letter for each of
// its tab-separated parts (l, c, r, j); the paragraph's own alignment is its
// last part's.
constexpr int kCellAligns = QTextFormat::UserProperty + 15;
constexpr char kAlignLetters[] = "lcrj"; // left, centre, right, justified: in that order
// They hold while the paragraph's own alignment is the last part's (a
// paragraph aligned anew aligns all its parts); empty when they do not, or
// when the paragraph has not that many parts.
QByteArray partAligns(const QTextBlockFormat &f, int parts);
// The alignment of the paragraph's part (0 for the text before its first tab).
Qt::Alignment partAlignment(const QTextBlockFormat &f, int part);
bool inTable(const QTextBlock &block); // false for an invalid block
bool endsRow(const QTextBlock &block);  // it holds its row's definition

constexpr int kTwipsPerPoint = 20;

int startIndent(const QTextBlockFormat &f);
int offset(const QTextBlockFormat &f);
// Stores both indents and derives the display margins.
void setParagraphIndents(QTextBlockFormat &f, int startTwips, int offsetTwips);

bool isBullet(QTextListFormat::Style style); // "•", "◦" or "▪"
// The marker a bulleted list's style shows, as text: "•", "◦" or "▪". (As a
// label in plain text, every bullet is "•".)
QString bulletMarker(QTextListFormat::Style style);
bool hasBullet(const QTextBlock &block);
// Bulleted lists of one kind (the same marker at the same level) share a
// number: 0 and up.
int bulletKind(QTextListFormat::Style style, int level);
int bulletKind(const QTextListFormat &f);

int listStart(const QTextListFormat &f);
QString numberSuffix(const QTextListFormat &f); // "." when not set, as Qt draws it
// The marker of the list's item at index (0 for its first item): the bullet
// "•", or the number in the list's style with its prefix and suffix ("1.",
// "iv)", "(c)"). Numbers as Qt draws them: letters go on "z", "aa", "ab"...,
// Roman numerals up to 4999, then "?".
QString listLabel(const QTextListFormat &f, int index);
// The chain a list belongs to: the same number for all its lists.
int listChain(const QTextList *list);
// The format for the next list of list's chain.
QTextListFormat chainedFormat(const QTextList *list);
// An item's place in its chain, for drawing one item at a time: remembers
// how many items each chained list has before it until invalidate().
class ListNumbers {
public:
    void invalidate() { valid_ = false; }
    int index(const QTextBlock &block); // block is in a list
private:
    QHash<int, int> before_; // object index -> items of its chain before its list
    bool valid_ = false;
};
// Puts the cursor's paragraphs into, or takes them out of, a bulleted list;
// adjacent bulleted paragraphs share one list (of at most kListChunk).
void setBullet(QTextCursor &cursor, bool on);

// Character attribute helpers.
QString fontName(const QTextCharFormat &f);
void setFontName(QTextCharFormat &f, const QString &name);
bool isBold(const QTextCharFormat &f);
bool hasColor(const QTextCharFormat &f); // false: automatic colour

// Fields: the characters of a field's result carry its instruction
// ("HYPERLINK \"https://...\""), which a save writes back around them. A
// HYPERLINK field's characters are also an anchor to its target.
QString field(const QTextCharFormat &f);
void setField(QTextCharFormat &f, const QString &instruction);
// The target of a HYPERLINK instruction ("#name" for a \l bookmark); empty
// for any other field.
QString hyperlinkTarget(const QString &instruction);

// In a row's definition (kRow), a colour word (\clcbpat, \clcfpat, \brdrcf,
// \trcbpat, \trcfpat) names its colour itself, kRgbParam + 0xRRGGBB, not
// an entry of a colour table: the RTF writer gives it one of its own.
constexpr qint64 kRgbParam = 1 << 24;
// The control words of a row's definition, in order, with their places.
struct RowWord {
    QByteArrayView name;
    qint64 param = 0;
    bool hasParam = false;
    qsizetype from = 0, to = 0; // to: after the parameter and a space that ends it
};
QList<RowWord> rowWords(const QByteArray &row);
bool isColourWord(QByteArrayView name);

// How each cell of a row's definition (each \cellx) is drawn: merged into
// the cell before it (\clmrg) or into the one above it (\clvmrg), its text
// at the top, in the middle (\clvertalc) or at the bottom (\clvertalb), its
// shading (\clcbpat, \clcfpat, \clshdng) and its borders (\clbrdr*, or
// the row's \trbrdr* when no cell has any).
enum class Merge { None, Across, Down };
struct Border {
    bool on = false;
    QColor color; // invalid: automatic (the text colour)
    int twips = 0;
    bool operator==(const Border &) const = default;
};
struct CellLook {
    Merge merge = Merge::None;
    Qt::Alignment vertical = Qt::AlignTop;
    QColor background; // invalid: none
    Border top, left, bottom, right;
    bool operator==(const CellLook &) const = default;
};
QList<CellLook> cellLooks(const QByteArray &row);

} // namespace docformat
