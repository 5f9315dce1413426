#pragma once
// FastLayout: Qt's own layout of a rich-text document (QTextDocumentLayout),
// made to stop early after an edit. Qt keeps every paragraph's absolute y in
// its QTextLayout, so after re-laying out an edited paragraph it walks every
// following paragraph to the end of the document, even when nothing below
// moved: about 0.3 us a paragraph, 45 ms a keystroke in a 10 MB document.
//
// FastLayout lets Qt stop at its next checkpoint (Qt notes its layout state
// every 2,000 pixels) past the edit. If the state there is the one recorded
// before the edit (or differs only in the widths, which are running maxima and
// place nothing under a fixed page width), nothing further down changes: the
// old checkpoints are kept and only the last stretch of the document is walked
// again, to set the document's size. The same holds while Qt's step-by-step
// layout after a load is still running: an edit above the point it has reached
// is laid out to the next checkpoint, and the steps go on from that point.
// Otherwise Qt goes on from that checkpoint as it would have anyway. Either way
// every block position, the document size and every query answer are those of
// plain Qt.
//
// It reaches into the private data of Qt 6.4's layout; the offsets are checked
// when it is made, and if they do not match it behaves exactly as Qt's layout.
#include <QtGui/private/qtextdocumentlayout_p.h>

class FastLayout : public QTextDocumentLayout {
    Q_OBJECT
public:
    explicit FastLayout(QTextDocument *doc);

    // Gives doc a FastLayout unless it has one, keeping the paint device.
    static void install(QTextDocument *doc);

    // Whether the private data matched what this code expects.
    bool active() const { return active_; }
    // How many edits stopped early because the layout below them was unchanged.
    int shortcuts() const { return shortcuts_; }

protected:
    void documentChanged(int from, int oldLength, int length) override;

private:
    struct Fields;
    Fields &fields() const;
    bool checkFields();

    bool active_ = false;
    bool inside_ = false;
    int shortcuts_ = 0;
};
