#include "editor/pieces.h"

#include "editor/docformat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <algorithm>

namespace pieces {

namespace {

const char kMayJoin[] = "tessarinJoins";

bool plain(const QTextBlock &b) { return !b.textList() && !docformat::inTable(b) && !docformat::nested(b); }

// Where the piece from start should end: after the last space of its last
// eighth, else at its full length, moved back off a surrogate pair's middle.
int cut(const QString &text, int start, int piece) {
    const int end = start + piece;
    for (int i = end - 1; i > end - piece / 8 && i > start; --i)
        if (text.at(i) == u' ')
            return i + 1;
    return text.at(end).isLowSurrogate() && end - 1 > start ? end - 1 : end;
}

// A piece's format: its paragraph's, without the first line's indent or the
// marks that stand at the paragraph's end.
QTextBlockFormat pieceFormat(QTextBlockFormat paragraph) {
    paragraph.setTextIndent(0);
    paragraph.clearProperty(docformat::kMarks);
    return paragraph;
}

} // namespace

bool mayHaveJoins(const QTextDocument &doc) { return doc.property(kMayJoin).toBool(); }
void markJoins(QTextDocument &doc) { doc.setProperty(kMayJoin, true); }

bool joined(const QTextBlock &block) {
    return block.isValid() && block.blockNumber() > 0 && block.charFormat().boolProperty(kJoin);
}

QTextBlock firstPiece(QTextBlock block) {
    while (joined(block))
        block = block.previous();
    return block;
}

void follow(QTextCursor &cursor) {
    if (!mayHaveJoins(*cursor.document()) || !joined(cursor.block().next()))
        return;
    const QTextBlockFormat rest = pieceFormat(firstPiece(cursor.block()).blockFormat());
    QTextCursor c(cursor.document());
    for (QTextBlock b = cursor.block().next(); joined(b); b = b.next()) {
        QTextBlockFormat f = rest;
        if (b.blockFormat().hasProperty(docformat::kMarks)) // the paragraph's end: its marks stay
            f.setProperty(docformat::kMarks, b.blockFormat().property(docformat::kMarks));
        if (b.blockFormat() != f) {
            c.setPosition(b.position());
            c.setBlockFormat(f);
        }
    }
}

void insertText(QTextCursor &cursor, const QString &text) {
    QTextCharFormat format = cursor.charFormat(); // as Qt's insertText takes it: before the selection goes
    format.clearProperty(QTextFormat::ObjectType);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    follow(cursor);
    const QTextBlock block = cursor.block();
    const QTextBlock first = mayHaveJoins(*cursor.document()) ? firstPiece(block) : block;
    const int from = block.blockNumber();
    cursor.insertText(text, format);
    if (first != block) {
        QTextCursor c(cursor.document());
        QTextBlockFormat paragraph = first.blockFormat();
        docformat::setParagraphIndents(paragraph, docformat::startIndent(paragraph), docformat::offset(paragraph));
        paragraph.clearProperty(docformat::kMarks);
        const int to = cursor.block().blockNumber();
        for (QTextBlock b = cursor.document()->findBlockByNumber(from + 1); b.isValid() && b.blockNumber() <= to;
             b = b.next()) {
            c.setPosition(b.position());
            c.setBlockFormat(paragraph);
        }
    }
    cursor.endEditBlock();
}

int split(QTextDocument &doc, int piece, int splitFrom) {
    int joins = 0;
    QTextCursor c(&doc);
    c.beginEditBlock(); // no caret x (a layout of the whole paragraph) after each step
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b.length() - 1 <= splitFrom || !plain(b))
            continue;
        const QString text = b.text();
        const QTextBlockFormat first = b.blockFormat();
        const QTextBlockFormat rest = pieceFormat(first);
        const int base = b.position();
        QList<int> cuts;
        QTextBlock::iterator it = b.begin();
        for (int at = 0; text.size() - at > piece; at = cuts.back()) {
            int p = cut(text, at, piece);
            // Not inside a note's mark: the writer writes the note after its mark's run.
            while (!it.atEnd() && it.fragment().position() + it.fragment().length() - base <= p)
                ++it;
            if (const QTextFragment f = it.atEnd() ? QTextFragment() : it.fragment();
                f.isValid() && f.position() - base < p && f.charFormat().hasProperty(docformat::kNote))
                p = f.position() - base > at ? f.position() - base : f.position() - base + f.length();
            if (p >= text.size())
                break;
            cuts.append(p);
        }
        for (int i = int(cuts.size()) - 1; i >= 0; --i) { // from the end: earlier positions stay put
            c.setPosition(base + cuts[i]);
            QTextCharFormat mark = c.charFormat();
            mark.setProperty(kJoin, true);
            c.insertBlock(rest, mark);
        }
        if (first.hasProperty(docformat::kMarks)) { // they stand at the paragraph's end: the last piece's
            QTextBlockFormat f = first;
            f.clearProperty(docformat::kMarks);
            c.setPosition(base);
            c.setBlockFormat(f);
            QTextBlockFormat last = rest;
            last.setProperty(docformat::kMarks, first.property(docformat::kMarks));
            c.setPosition(base + text.size() + int(cuts.size()));
            c.setBlockFormat(last);
        }
        joins += int(cuts.size());
        b = doc.findBlock(base + int(text.size() + cuts.size())); // the last piece
    }
    c.endEditBlock();
    if (joins)
        markJoins(doc);
    return joins;
}

int unsplit(QTextDocument &doc, int from, int to) {
    QList<int> joins; // the separators before joined blocks
    for (QTextBlock b = doc.findBlock(from).next(); b.isValid() && b.position() - 1 < to; b = b.next())
        if (joined(b))
            joins.append(b.position() - 1);
    QTextCursor c(&doc);
    c.beginEditBlock();
    for (auto at = joins.crbegin(); at != joins.crend(); ++at) {
        c.setPosition(*at);
        c.deleteChar();
    }
    c.endEditBlock();
    return int(joins.size());
}

std::pair<int, int> paragraphs(const QTextDocument &doc, int from, int to) {
    QTextBlock first = doc.findBlock(from), last = doc.findBlock(to);
    if (!first.isValid() || !last.isValid() || !mayHaveJoins(doc))
        return {from, to};
    first = firstPiece(first);
    while (joined(last.next()))
        last = last.next();
    return {std::min(from, first.position()), std::max(to, last.position() + last.length() - 1)};
}

Positions::Positions(const QTextDocument *doc) : doc_(doc) {
    if (mayHaveJoins(*doc))
        for (QTextBlock b = doc->begin().next(); b.isValid(); b = b.next())
            if (joined(b))
                joined_.push_back(b.blockNumber());
}

int Positions::start(int n) const {
    const int joins = int(std::upper_bound(joined_.begin(), joined_.end(), n) - joined_.begin());
    return doc_->findBlockByNumber(n).position() + n - 2 * joins;
}

int Positions::toQt(int position) const {
    if (position <= 0)
        return 0;
    // The last block whose text starts at or before position.
    int lo = 0, hi = doc_->blockCount() - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (start(mid) <= position)
            lo = mid;
        else
            hi = mid - 1;
    }
    const QTextBlock block = doc_->findBlockByNumber(lo);
    const int offset = position - start(lo);
    const int textLength = block.length() - 1;
    if (offset <= textLength)
        return block.position() + offset;
    // Inside the CR LF pair, or past the end: the caret never sits between CR and LF.
    const QTextBlock next = block.next();
    return next.isValid() ? next.position() : block.position() + textLength;
}

int Positions::fromQt(int qtPosition) const {
    QTextBlock block = doc_->findBlock(qtPosition);
    if (!block.isValid()) {
        block = doc_->lastBlock();
        qtPosition = block.position() + block.length() - 1;
    }
    return qtPosition + start(block.blockNumber()) - block.position();
}

int Positions::textLength() const {
    return doc_->characterCount() - 1 + (doc_->blockCount() - 1) - 2 * int(joined_.size());
}

} // namespace pieces
