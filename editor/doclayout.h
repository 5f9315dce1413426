#pragma once
// DocLayout: the editor's own layout of its document, on Qt's public layout
// interface. Each paragraph is laid out (one QTextLayout, the block's own) only
// when it is drawn, hit-tested or asked about, and a very long one only as far
// as that needs; every other paragraph has a height estimated from its length
// and the document's font. Heights and display-line counts
// live in a HeightTree, so y -> paragraph, paragraph -> y and line ->
// paragraph cost O(log n) in any length of document, and positions are
// doubles that do not overflow.
//
// Lines and heights are those of Qt's own rich-text layout for what our
// documents hold (character formats, alignment, indents, lists, tabs). Small
// documents (up to kExactChars characters) are always laid out whole before a
// question is answered, so every answer is exact; in larger ones the line
// numbers of paragraphs nobody has looked at yet are estimates until the
// background layout has measured them: after a load, an edit or a change of
// width, paragraphs are measured from the start in slices of idle time (at
// most kSliceMs each, so keys and scrolling come first), keeping no lines, so
// memory does not grow. A line question asked before that is done (lines of a
// position, of the document) measures what it needs at once.
//
// A paragraph whose measured height differs from its estimate moves what lies
// below it. When that paragraph lies wholly above the anchor (the top of the
// view, set by the editor), the layout sends viewShift with the difference, so
// the view can follow and the user sees nothing move.
#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <climits>
#include <functional>
#include <optional>

#include "editor/docformat.h"
#include "editor/heighttree.h"

class DocLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)
public:
    static constexpr int kExactChars = 256 * 1024;
    // A paragraph longer than this is broken into lines only as far as needed.
    static constexpr int kLongParagraph = 64 * 1024;
    static constexpr int kSliceMs = 10;
    // A table row of more paragraphs than this lays each out on its own.
    static constexpr int kRowParagraphs = 32;
    // Called every 50 ms while a line question waits for paragraphs to be
    // measured, with how many of how many are done (returning false stops the
    // measuring, the answer is then an estimate), and once with done = -1
    // when the wait is over.
    using MeasureProgress = std::function<bool(int done, int total)>;

    explicit DocLayout(QTextDocument *doc);
    // Gives doc a DocLayout unless it has one, keeping the paint device.
    static DocLayout *install(QTextDocument *doc);

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    int cursorWidth() const { return cursorWidth_; }
    void setCursorWidth(int width);

    // Display lines (Qt positions): with word wrap each wrapped line counts.
    int lineOfPosition(int pos);
    int lineStart(int line); // -1 when there is no such line
    int lineCount();
    // The block's display lines, all of them (lays it out whole if needed).
    QTextLayout *laidOut(const QTextBlock &block);

    // The view: document y of its top (the anchor, see viewShift) and its
    // height; and the caret, which a long paragraph is laid out beyond.
    void setView(qreal top, qreal height) { anchor_ = top; viewHeight_ = height; }
    void setCaret(int position) { hint_ = position; }

    // Underlines drawn over the text (misspelt words): the spans (start,
    // length, offsets in the block) of the block's text between from and to
    // to underline. A look of the screen only, asked at each paint.
    using Overlay = std::function<QList<std::pair<int, int>>(const QTextBlock &block, int from, int to)>;
    void setOverlay(Overlay overlay) { overlay_ = std::move(overlay); }
    // The text shown from document y top to bottom, as Qt positions, found
    // without laying anything out (in a long paragraph not laid out there, an
    // estimate from its share of the height).
    std::pair<int, int> textBetween(qreal top, qreal bottom) const;
    // Draws the block again (its underlines changed).
    void redraw(const QTextBlock &block);

    // For tests and benchmarks.
    bool isLaidOut(const QTextBlock &block) const;
    int laidOutCount() const { return tree_.exactCount(); }
    bool exactLines() const;
    bool allMeasured() const { return tree_.exactCount() == tree_.size(); }
    void setBackground(bool on); // on by default; tests of the lazy layout turn it off
    void setProgress(MeasureProgress progress) { progress_ = std::move(progress); }
    // Measures every paragraph up to index now (line numbers up to there are
    // then exact); false when the progress callback stopped it.
    bool measureUpTo(int index);

signals:
    // Paragraphs wholly above the anchor changed height by delta pixels.
    void viewShift(qreal delta);
    // Every paragraph is measured: line numbers are exact.
    void measured();

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    struct Page {
        qreal margin;  // the document margin, all round
        qreal left;    // x where paragraphs start
        qreal right;   // x where they end
        bool wrap;
    };
    struct Settings {
        QSizeF pageSize;
        qreal margin, indentWidth;
        QFont font;
        QTextOption::WrapMode wrap;
        Qt::Alignment alignment;
        qreal tabStop;
        QList<QTextOption::Tab> tabs;
        bool operator==(const Settings &) const = default;
    };
    struct Paragraph { // what estimating a paragraph needs of its block format
        qreal top, bottom, left, right, textIndent;
    };
    struct FontMetrics {
        qreal advance; // y from one line to the next
        qreal average; // average character width
    };

    Page page() const;
    Settings settings() const;
    Paragraph paragraph(const QTextBlock &block); // cached by format: values, as the caches grow
    FontMetrics fontMetrics();
    qreal indentOf(const QTextBlockFormat &format) const;
    qreal gapBefore(const QTextBlock &block);

    // How much of a paragraph a question needs laid out: lines down to y below
    // its top, past text offset position, and more than `line` lines.
    struct Need {
        qreal y = -1;
        int position = -1;
        int line = -1;
        static Need all() { return {1e300, INT_MAX - 1, INT_MAX - 1}; }
        bool metBy(qreal height, int end, int lines) const;
    };

    void rebuild();
    HeightTree::Entry estimate(const QTextBlock &block);
    HeightTree::Entry estimate(const QTextBlock &block, const Page &page, qreal previousBottom);
    HeightTree::Entry layOut(const QTextBlock &block, QTextLayout *tl, const Need &need);
    void store(int index, const HeightTree::Entry &fresh); // a paragraph's new measure
    void measure(const QTextBlock &block, int index);      // keeps no lines unless it is long
    bool measureWhile(int index, const std::function<bool()> &more);
    void measureSlice();
    void scheduleBackground();
    bool linesExactUpTo(int index); // for line questions; false when stopped
    struct RowCells {
        QVector<qreal> edges; // each cell's right edge from the paragraph's left
        int count = 0;        // 0: not a table row's paragraph
        int first = 0;        // the cell the paragraph starts in
        QList<docformat::CellLook> looks; // each cell's merge and vertical alignment
        int rightOf(int cell) const; // the last cell a cell spans
    };
    static RowCells rowCells(const QTextBlock &block);
    static QList<docformat::CellLook> looksOfRow(QTextBlock block);
    static RowCells fitted(RowCells cells, qreal room);
    // A table in a cell: the cells of the depth-`depth` row the paragraph is
    // in (its \cellx edges from the row's own left, on the paragraph ending
    // the row; count 0 when it has none), and the span (from the
    // paragraph's left) a table of that depth stands in: its cell of the
    // table around it.
    static int depthOf(const QTextBlock &block); // 0 out of tables, 1 in a table, kNest in a table in a cell
    static RowCells nestedCells(const QTextBlock &block, int depth);
    static std::pair<qreal, qreal> nestedSpan(const QTextBlock &block, const RowCells &outer, int depth);
    struct CellLines {
        QVector<qreal> height; // of each cell's lines in the paragraph
        QVector<int> firstLine; // each cell's first line in it, -1 for none
    };
    CellLines cellLines(const QTextBlock &block, QTextLayout *tl, const RowCells &cells, QTextOption option, qreal left);
    static QList<QTextBlock> rowParagraphs(const QTextBlock &block);
    HeightTree::Entry layOutRow(const QTextBlock &block, QTextLayout *tl, const RowCells &cells,
                                const QTextOption &option, qreal left, qreal room);
    int rowHit(const QTextBlock &block, const QPointF &point, Qt::HitTestAccuracy accuracy);
    void drawCells(QPainter *painter, const QTextBlock &block, const RowCells &cells) const;
    void drawNested(QPainter *painter, const QTextBlock &block, const RowCells &outer) const;
    struct Frame { // which of a row's lines a paragraph of it draws
        qreal left, top, bottom;
        bool first, last;
        bool opens; // no row above: the grid's line above it (else the bottom of the row above is that line)
        QList<docformat::CellLook> below; // the looks of the row below (cells merged down)
    };
    static void drawFrame(QPainter *painter, const RowCells &cells, const Frame &frame);
    // Lays out block (number index) as far as need says unless that is done;
    // returns its layout.
    QTextLayout *ensure(const QTextBlock &block, int index, const Need &need);
    QTextLayout *ensure(const QTextBlock &block, int index);
    bool isOpen(const QTextBlock &block) const;
    static int lineEnd(const QTextLayout *layout);
    void ensureExactUpTo(int index);
    void layOutAbove(QTextBlock block, int index, qreal height);
    void ensureExactFor(int index) { if (exactLines()) ensureExactUpTo(index); }
    qreal blockTop(int index) const; // y of the block's first line
    void markDirty(qreal y);
    // Sends what changed: the document's size, view shifts, areas to redraw.
    void flush();

    void drawBlock(QPainter *painter, const PaintContext &context, const QTextBlock &block) const;
    static QList<QTextLayout::FormatRange> links(const QTextBlock &block, const QPalette &palette);
    QList<QLineF> overlayLines(const PaintContext &context, const QTextBlock &block) const;
    void drawListItem(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                      const QTextCharFormat *selection) const;

    HeightTree tree_;
    Settings settings_;                  // those of the last rebuild
    int revision_ = -1, characters_ = -1; // the text as the last change left it
    QHash<int, Paragraph> paragraphs_;   // by block format index
    std::optional<FontMetrics> fontMetrics_; // of the default font
    qreal widest_ = 0;                   // right edge of the widest line laid out
    qreal anchor_ = 0;
    qreal pendingShift_ = 0;
    qreal dirtyFrom_ = 1e9;              // redraw from here down
    mutable docformat::ListNumbers listNumbers_; // items of chained lists, until an edit
    QSizeF reportedSize_;
    bool painting_ = false;
    bool flushQueued_ = false;
    int cursorWidth_ = 1;
    int generation_ = 0;                 // of the settings; a change restarts long paragraphs
    int hint_ = -1;                      // the caret's position, which layouts reach
    qreal viewHeight_ = 0;
    QTimer background_;
    bool backgroundOn_ = true;
    bool measuring_ = false;             // measureUpTo is running (its progress may spin events)
    MeasureProgress progress_;
    Overlay overlay_;
};
