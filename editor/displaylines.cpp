#include "editor/displaylines.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <climits>

DisplayLines::DisplayLines(QObject *parent) : QObject(parent) {}

void DisplayLines::attach(QTextDocument *doc) {
    if (doc_)
        disconnect(doc_, nullptr, this, nullptr);
    doc_ = doc;
    connect(doc_, &QTextDocument::contentsChange, this, &DisplayLines::contentsChange);
    invalidateAll();
}

void DisplayLines::invalidateAll() {
    dirty_.clear();
    dirtyFrom_ = 0;
    blockCount_ = doc_ ? doc_->blockCount() : 0;
}

void DisplayLines::setWrapping(bool on) {
    wrapping_ = on;
    invalidateAll();
}

void DisplayLines::contentsChange(int position, int /*charsRemoved*/, int charsAdded) {
    const int newCount = doc_->blockCount();
    const int delta = newCount - blockCount_;
    blockCount_ = newCount;
    const int first = doc_->findBlock(position).blockNumber();
    const int lastNew = doc_->findBlock(position + charsAdded).blockNumber();
    const int lastOld = lastNew - delta;
    // Blocks after the change moved by delta; those inside it are new or changed.
    if (delta != 0 && !dirty_.empty()) {
        std::set<int> moved;
        for (int b : dirty_) {
            if (b < first)
                moved.insert(b);
            else if (b > lastOld)
                moved.insert(b + delta);
        }
        dirty_.swap(moved);
    }
    if (dirtyFrom_ == INT_MAX) {
        // nothing pending beyond the set
    } else if (dirtyFrom_ > lastOld) {
        dirtyFrom_ += delta;
    } else if (dirtyFrom_ > first) {
        dirtyFrom_ = first;
    }
    for (int b = first; b <= lastNew && b < dirtyFrom_; ++b)
        dirty_.insert(b);
}

int DisplayLines::countLines(const QTextBlock &block) {
    QTextLayout *layout = block.layout();
    if (!layout || !block.isVisible())
        return 1;
    if (layout->lineCount() == 0)
        doc_->documentLayout()->documentSize(); // the rest of a lazy layout
    return std::max(1, layout->lineCount());
}

// Qt updates its sums of line counts on every store, even of the same count:
// most blocks are one line, so most stores are skipped.
void DisplayLines::store(QTextBlock &block, int lines) {
    if (block.lineCount() != lines)
        block.setLineCount(lines);
}

void DisplayLines::syncUpTo(int last) {
    if (!doc_ || isSyncedUpTo(last))
        return;
    // Asking for the rectangle of the last block to count lays the document
    // out up to it: every block before it then has its current lines.
    const QTextBlock lastBlock = last < doc_->blockCount() ? doc_->findBlockByNumber(last) : doc_->lastBlock();
    doc_->documentLayout()->blockBoundingRect(lastBlock);
    while (!dirty_.empty() && *dirty_.begin() <= last) {
        const int b = *dirty_.begin();
        dirty_.erase(dirty_.begin());
        QTextBlock block = doc_->findBlockByNumber(b);
        if (block.isValid())
            store(block, countLines(block));
    }
    if (dirtyFrom_ <= last) {
        QTextBlock block = doc_->findBlockByNumber(dirtyFrom_);
        for (; block.isValid() && block.blockNumber() <= last; block = block.next())
            store(block, countLines(block));
        dirtyFrom_ = block.isValid() ? block.blockNumber() : INT_MAX;
    }
}

bool DisplayLines::isSyncedUpTo(int last) const {
    return (dirty_.empty() || *dirty_.begin() > last) && dirtyFrom_ > last;
}

int DisplayLines::lineOfPosition(int pos) {
    const QTextBlock block = doc_->findBlock(pos);
    if (!block.isValid())
        return 0;
    if (!wrapping_)
        return block.blockNumber();
    syncUpTo(block.blockNumber());
    int inBlock = 0;
    if (QTextLayout *layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(pos - block.position());
        inBlock = line.isValid() ? line.lineNumber() : layout->lineCount() - 1;
    }
    return block.firstLineNumber() + inBlock;
}

int DisplayLines::lineStart(int line) {
    if (line < 0)
        return -1;
    if (!wrapping_) {
        const QTextBlock b = doc_->findBlockByNumber(line);
        return b.isValid() ? b.position() : -1;
    }
    // Only the blocks up to the one that holds the line need fresh counts:
    // look it up, bring everything before it up to date, and look again.
    QTextBlock block;
    for (;;) {
        block = doc_->findBlockByLineNumber(line);
        if (!block.isValid()) {
            syncUpTo(INT_MAX);
            block = doc_->findBlockByLineNumber(line);
            break;
        }
        if (isSyncedUpTo(block.blockNumber()))
            break;
        syncUpTo(block.blockNumber());
    }
    if (!block.isValid())
        return -1;
    const int k = line - block.firstLineNumber();
    QTextLayout *layout = block.layout();
    if (!layout || k >= layout->lineCount())
        return k == 0 ? block.position() : -1;
    return block.position() + layout->lineAt(k).textStart();
}

int DisplayLines::lineCount() {
    if (!wrapping_)
        return doc_->blockCount();
    syncUpTo(INT_MAX);
    return doc_->lineCount();
}
