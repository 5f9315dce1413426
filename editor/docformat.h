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
//                  QTextListFormat::ListDisc (see setBullet()).
// Paragraph breaks are block boundaries; there are no other objects in the
// document (no tables, frames or images).
#include <QTextBlockFormat>
#include <QTextCharFormat>

class QTextCursor;
class QTextBlock;

namespace docformat {

constexpr int kStartIndent = QTextFormat::UserProperty + 1; // twips
constexpr int kOffset = QTextFormat::UserProperty + 2;      // twips

constexpr int kTwipsPerPoint = 20;

int startIndent(const QTextBlockFormat &f);
int offset(const QTextBlockFormat &f);
// Stores both indents and derives the display margins.
void setParagraphIndents(QTextBlockFormat &f, int startTwips, int offsetTwips);

bool hasBullet(const QTextBlock &block);
// Puts the cursor's paragraphs into, or takes them out of, a bulleted list;
// adjacent bulleted paragraphs share one list.
void setBullet(QTextCursor &cursor, bool on);

// Character attribute helpers.
QString fontName(const QTextCharFormat &f);
void setFontName(QTextCharFormat &f, const QString &name);
bool isBold(const QTextCharFormat &f);
bool hasColor(const QTextCharFormat &f); // false: automatic colour

} // namespace docformat
