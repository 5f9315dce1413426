#include "editor/fastlayout.h"

#include <QtGui/private/qabstracttextdocumentlayout_p.h>

#include <QBasicTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <algorithm>

namespace {

// Qt's QCheckPoint: the layout state before the block at positionInFrame (QFixed
// values are ints of 1/64 pixel).
struct CheckPoint {
    int y;
    int frameY;
    int positionInFrame;
    int minimumWidth;
    int maximumWidth;
    int contentsWidth;

    bool sameStateAs(const CheckPoint &o) const {
        return y == o.y && frameY == o.frameY && minimumWidth == o.minimumWidth
            && maximumWidth == o.maximumWidth && contentsWidth == o.contentsWidth;
    }

    // The minimum and contents widths are running maxima over the paragraphs
    // above; below a fixed page width nothing is placed by them. When the
    // edit only raised them (a paragraph grew wider than those before it),
    // every later state is the old one with them raised as well.
    bool raisesWidthsOf(const CheckPoint &o) const {
        return y == o.y && frameY == o.frameY && maximumWidth == o.maximumWidth && minimumWidth >= o.minimumWidth
            && contentsWidth >= o.contentsWidth;
    }
    void raiseWidthsTo(const CheckPoint &o) {
        minimumWidth = qMax(minimumWidth, o.minimumWidth);
        contentsWidth = qMax(contentsWidth, o.contentsWidth);
    }
};
static_assert(sizeof(CheckPoint) == 24);

// QTextDocument's layout walks to the next checkpoint past this many
// characters beyond its lazy-layout position (it resets the step to this on
// every change).
constexpr int kLazyStep = 1000;

} // namespace

// The data members of Qt 6.4's QTextDocumentLayoutPrivate, in order; they
// follow those of its base class QAbstractTextDocumentLayoutPrivate, whose
// last member is a pointer, so they start at its size.
struct FastLayout::Fields {
    QTextOption::WrapMode wordWrapMode;
    int fixedColumnWidth;
    int cursorWidth;
    QSizeF lastReportedSize;
    QRectF viewportRect;
    QRectF clipRect;
    int currentLazyLayoutPosition;
    int lazyLayoutStepSize;
    QBasicTimer layoutTimer;
    QBasicTimer sizeChangedTimer;
    uint showLayoutProgress : 1;
    uint insideDocumentChange : 1;
    int lastPageCount;
    qreal idealWidth;
    bool contentHasAlignment;
    QList<CheckPoint> checkPoints;
};

FastLayout::FastLayout(QTextDocument *doc) : QTextDocumentLayout(doc) { active_ = checkFields(); }

FastLayout::Fields &FastLayout::fields() const {
    auto *d = reinterpret_cast<char *>(d_ptr.data());
    return *reinterpret_cast<Fields *>(d + sizeof(QAbstractTextDocumentLayoutPrivate));
}

// Every field has its constructor's value now; one is also changed through
// Qt's own setter. Any mismatch means another Qt than the one this was written
// for: then the fast path stays off.
bool FastLayout::checkFields() {
    if (qstrncmp(qVersion(), "6.4.", 4) != 0)
        return false;
    Fields &f = fields();
    const bool initial = f.fixedColumnWidth == -1 && f.cursorWidth == 1 && f.currentLazyLayoutPosition == -1
        && f.lazyLayoutStepSize == kLazyStep && !f.layoutTimer.isActive() && !f.sizeChangedTimer.isActive()
        && f.showLayoutProgress == 1 && f.insideDocumentChange == 0 && f.lastPageCount == -1
        && f.idealWidth == 0 && !f.contentHasAlignment && f.checkPoints.isEmpty()
        && f.checkPoints.constData() == nullptr && f.lastReportedSize == QSizeF() && f.viewportRect == QRectF()
        && layoutStatus() == 100;
    if (!initial)
        return false;
    setCursorWidth(0x5eed);
    const bool moved = f.cursorWidth == 0x5eed;
    setCursorWidth(1);
    return moved && f.cursorWidth == 1;
}

void FastLayout::install(QTextDocument *doc) {
    if (qobject_cast<FastLayout *>(doc->documentLayout()))
        return;
    QAbstractTextDocumentLayout *old = doc->documentLayout();
    auto *layout = new FastLayout(doc);
    layout->setPaintDevice(old->paintDevice());
    if (auto *qt = qobject_cast<QTextDocumentLayout *>(old))
        layout->setCursorWidth(qt->cursorWidth());
    doc->setDocumentLayout(layout);
}

void FastLayout::documentChanged(int from, int oldLength, int length) {
    Fields &f = fields();
    const QTextDocument *doc = document();
    const int docLength = doc->characterCount();
    const int delta = length - oldLength;
    // How far the layout had come before the edit (old positions): the whole
    // document, or as far as Qt's step-by-step layout after a load has got.
    const bool finished = f.currentLazyLayoutPosition == -1;
    const int laidOut = finished ? docLength - delta : f.currentLazyLayoutPosition;
    // The fast path needs a plain flow of paragraphs (no tables, frames or
    // floats, no pages) laid out past the edit, and a small change, which Qt
    // itself lays out without reporting progress.
    const bool candidate = active_ && !inside_ && !f.checkPoints.isEmpty()
        && f.checkPoints.constLast().positionInFrame == laidOut && from + oldLength < laidOut
        && f.checkPoints.constFirst().positionInFrame == 0 && !(oldLength == 0 && length == docLength)
        && docLength > 0 && qMax(length, oldLength) * qint64(100) / docLength < 5
        && doc->pageSize().height() < 0 && !doc->pageSize().isNull() && doc->isLayoutEnabled()
        && doc->rootFrame()->childFrames().isEmpty();
    const QTextBlock next = candidate ? doc->findBlock(from + length).next() : QTextBlock();
    if (!next.isValid()) {
        QTextDocumentLayout::documentChanged(from, oldLength, length);
        return;
    }
    inside_ = true;
    const QList<CheckPoint> before = f.checkPoints;
    const bool progress = f.showLayoutProgress;

    // Qt stops at the first checkpoint past lazy position + step; this one lies
    // beyond the block after the change, so the state recorded there is that
    // of unchanged paragraphs, laid out from it exactly as before.
    f.currentLazyLayoutPosition = qMax(from + 1, next.position() - kLazyStep);
    f.showLayoutProgress = false; // Qt's value for a small change: no partial size is reported
    QTextDocumentLayout::documentChanged(from, oldLength, length);
    if (f.currentLazyLayoutPosition == -1) { // it reached the end: Qt's own result
        inside_ = false;
        return;
    }

    const CheckPoint stop = f.checkPoints.constLast();
    const int oldStop = stop.positionInFrame - delta;
    auto it = std::lower_bound(before.cbegin(), before.cend(), oldStop,
                               [](const CheckPoint &c, int pos) { return c.positionInFrame < pos; });
    const bool fixedWidth = doc->pageSize().width() > 0;
    if (stop.positionInFrame > next.position() && it != before.cend() && it->positionInFrame == oldStop
        && (it->sameStateAs(stop) || (fixedWidth && stop.raisesWidthsOf(*it)))) {
        // Nothing below moved: the old checkpoints beyond hold, shifted.
        for (++it; it != before.cend(); ++it) {
            CheckPoint c = *it;
            c.positionInFrame += delta;
            c.raiseWidthsTo(stop);
            f.checkPoints.append(c);
        }
        ++shortcuts_;
        if (!finished) {
            // The step-by-step layout goes on from where it had come.
            f.currentLazyLayoutPosition = f.checkPoints.constLast().positionInFrame;
            f.showLayoutProgress = progress;
            inside_ = false;
            return;
        }
    } else if (!finished) {
        // Something moved: lay out as far as Qt would have, from the stop.
        f.showLayoutProgress = progress;
        blockBoundingRect(doc->findBlock(laidOut + delta));
        inside_ = false;
        return;
    } else {
        // Something moved: an end mark makes Qt go on from the stop.
        CheckPoint end = stop;
        end.positionInFrame = docLength;
        f.checkPoints.append(end);
    }
    // Qt walks on from the checkpoint before the end mark to the end, which
    // sets the document's size and ends the layout as Qt's own pass does (the
    // last block is laid out again, to the same lines).
    f.currentLazyLayoutPosition = -1;
    QTextDocumentLayout::documentChanged(docLength - 1, 0, 0);
    inside_ = false;
}
