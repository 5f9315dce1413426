#include "editor/doclayout.h"

#include "editor/docformat.h"
#include "editor/pictureobjects.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPaintDevice>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextBoundaryFinder>
#include <QTextList>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// Qt's layout works in 26.6 fixed point, truncating; doing the same gives the same lines.
qreal fixed(qreal v) { return std::trunc(v * 64) / 64; }

// How far a line moves the next one down, and where its own bottom is.
struct LineHeights {
    qreal advance;
    qreal bottom;
};

LineHeights lineHeights(const QTextBlockFormat &format, const QTextLine &line) {
    const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
    return {fixed(format.lineHeight(raw, 1)), fixed(format.lineHeight(line.height(), 1))};
}

} // namespace

constexpr qreal kWide = 1e9; // wider and taller than any view

using docformat::endsRow;
using docformat::inTable;

DocLayout::DocLayout(QTextDocument *doc) : QAbstractTextDocumentLayout(doc) {
    registerHandler(QTextFormat::ImageObject, new PictureObjects(this));
    background_.setSingleShot(true);
    background_.setInterval(0);
    connect(&background_, &QTimer::timeout, this, &DocLayout::measureSlice);
}

DocLayout *DocLayout::install(QTextDocument *doc) {
    // Asking a fresh document for its layout would make Qt's, which lays out
    // its start at once: look for one among its children instead.
    auto *current = doc->findChild<QAbstractTextDocumentLayout *>(QString(), Qt::FindDirectChildrenOnly);
    if (auto *mine = qobject_cast<DocLayout *>(current))
        return mine;
    QPaintDevice *device = current ? current->paintDevice() : nullptr;
    auto *layout = new DocLayout(doc);
    layout->setPaintDevice(device);
    doc->setDocumentLayout(layout); // calls documentChanged for the whole text
    return layout;
}

void DocLayout::setCursorWidth(int width) {
    cursorWidth_ = width;
    emit update();
}

bool DocLayout::exactLines() const { return document()->characterCount() <= kExactChars; }

bool DocLayout::isLaidOut(const QTextBlock &block) const {
    return block.isValid() && tree_.at(block.blockNumber()).exact;
}

// ---- settings ----------------------------------------------------------------

// What the layout of every paragraph depends on besides its own text and formats.
DocLayout::Settings DocLayout::settings() const {
    const QTextDocument *doc = document();
    const QTextOption option = doc->defaultTextOption();
    return {doc->pageSize(),     doc->documentMargin(),    doc->indentWidth(), doc->defaultFont(),
            option.wrapMode(),   option.alignment(),       option.tabStopDistance(), option.tabs()};
}

DocLayout::Page DocLayout::page() const {
    const QTextDocument *doc = document();
    const qreal margin = doc->documentMargin();
    const qreal width = doc->pageSize().width();
    const bool wrap = doc->defaultTextOption().wrapMode() != QTextOption::NoWrap && width > 0;
    return {margin, margin, std::max(margin, width - margin), wrap};
}

qreal DocLayout::indentOf(const QTextBlockFormat &format) const {
    qreal indent = format.indent();
    if (QTextObject *object = document()->objectForFormat(format))
        indent += object->format().toListFormat().indent();
    return indent * document()->indentWidth();
}

DocLayout::Paragraph DocLayout::paragraph(const QTextBlock &block) {
    const int key = block.blockFormatIndex();
    auto it = paragraphs_.find(key);
    if (it == paragraphs_.end()) {
        const QTextBlockFormat f = block.blockFormat();
        it = paragraphs_.insert(key, {f.topMargin(), f.bottomMargin(), f.leftMargin() + indentOf(f), f.rightMargin(),
                                      f.textIndent()});
    }
    return *it;
}

// Estimates take the document's default font: finding a paragraph's own font
// costs a search of the document, too much for every paragraph of a large one.
DocLayout::FontMetrics DocLayout::fontMetrics() {
    if (!fontMetrics_) {
        const QFont font = document()->defaultFont();
        QTextLayout sample(QStringLiteral("Xg"), font, paintDevice());
        sample.beginLayout();
        QTextLine line = sample.createLine();
        line.setLeadingIncluded(true);
        sample.endLayout();
        const qreal advance = lineHeights(QTextBlockFormat(), line).advance;
        fontMetrics_ = FontMetrics{advance, QFontMetricsF(font, paintDevice()).averageCharWidth()};
    }
    return *fontMetrics_;
}

qreal DocLayout::gapBefore(const QTextBlock &block) {
    const QTextBlock previous = block.previous();
    const qreal top = paragraph(block).top;
    return previous.isValid() ? std::max(top, paragraph(previous).bottom) : top;
}

// ---- the height tree ---------------------------------------------------------

HeightTree::Entry DocLayout::estimate(const QTextBlock &block) {
    const QTextBlock previous = block.previous();
    return estimate(block, page(), previous.isValid() ? paragraph(previous).bottom : -1);
}

// previousBottom: the bottom margin of the paragraph before, -1 for the first.
HeightTree::Entry DocLayout::estimate(const QTextBlock &block, const Page &pg, qreal previousBottom) {
    const Paragraph p = paragraph(block);
    const FontMetrics m = fontMetrics();
    int lines = 1;
    const qreal width = pg.right - pg.left - p.left - p.right;
    if (pg.wrap && width > 0) {
        const qreal text = (block.length() - 1) * m.average + p.textIndent;
        lines = std::max(1, int(std::min<qreal>(std::ceil(text / width), 1e9)));
    }
    const qreal gap = std::max(p.top, previousBottom);
    return {gap + lines * m.advance, gap, lines, false};
}

void DocLayout::rebuild() {
    QTextDocument *doc = document();
    // The layouts kept so far belong to other settings: drop their lines.
    std::vector<int> laid;
    tree_.forEachExact([&](int i) { laid.push_back(i); });
    for (int i : laid)
        if (QTextBlock b = doc->findBlockByNumber(i); b.isValid())
            b.layout()->clearLayout();
    settings_ = settings();
    paragraphs_.clear();
    fontMetrics_.reset();
    widest_ = 0;
    ++generation_;
    std::vector<HeightTree::Entry> entries;
    entries.reserve(doc->blockCount());
    const Page pg = page();
    qreal bottom = -1;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b.userData() && b.layout()->lineCount() > 0) // a long paragraph laid out in part
            b.layout()->clearLayout();
        entries.push_back(estimate(b, pg, bottom));
        bottom = paragraph(b).bottom;
    }
    tree_.assign(entries);
    // A small document is measured at once: a size reported from estimates
    // could show the scroll bar, narrow the page, and so on for ever (a line
    // taller than the view, estimated shorter than it).
    if (exactLines())
        ensureExactUpTo(tree_.size() - 1);
    scheduleBackground();
}

void DocLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    QTextDocument *doc = document();
    const int newCount = doc->blockCount();
    const int delta = newCount - tree_.size();
    QTextBlock firstBlock = doc->findBlock(from);
    QTextBlock lastBlock = doc->findBlock(from + charsAdded);
    if (!lastBlock.isValid())
        lastBlock = doc->lastBlock();
    // A row's paragraphs are laid out together: an edit in one moves the
    // lines of the others.
    if (inTable(firstBlock))
        firstBlock = rowParagraphs(firstBlock).first();
    if (inTable(lastBlock))
        lastBlock = rowParagraphs(lastBlock).last();
    const int first = firstBlock.blockNumber();
    const int lastNew = lastBlock.blockNumber();
    const int lastOld = lastNew - delta;
    // Qt reports a change of its settings (page size, fonts, options) as a
    // change of the whole text, also when nothing changed (QTextEdit sets the
    // same page size several times while a document is opened). The settings
    // are compared only then, not on every keystroke.
    const bool everything = from == 0 && charsRemoved == 0 && charsAdded == doc->characterCount();
    listNumbers_.invalidate();
    const bool sameText = revision_ == doc->revision() && characters_ == doc->characterCount();
    revision_ = doc->revision();
    characters_ = doc->characterCount();
    if (everything && sameText && tree_.size() == newCount && settings() == settings_)
        return;
    if (everything || tree_.size() == 0 || !firstBlock.isValid() || lastOld < first - 1 || lastOld >= tree_.size()) {
        rebuild();
        flush();
        emit update();
        return;
    }
    // The blocks at both ends may be old ones whose lines no longer fit their text.
    for (QTextBlock b : {firstBlock, lastBlock}) {
        if (QTextLayout *tl = b.layout(); tl->lineCount() > 0)
            tl->clearLayout();
        b.setUserData(nullptr);
    }
    const qreal top = page().margin + tree_.heightBefore(first);
    const qreal oldSpan = tree_.heightBefore(lastOld + 1) - (top - page().margin);
    std::vector<HeightTree::Entry> entries;
    entries.reserve(lastNew - first + 1);
    if (delta == 0 && first == lastNew) {
        // One paragraph edited: its last height is the best guess (typing
        // rarely changes a paragraph's height).
        HeightTree::Entry e = tree_.at(first);
        e.exact = false;
        entries.push_back(e);
    } else {
        for (QTextBlock b = firstBlock; b.isValid() && b.blockNumber() <= lastNew; b = b.next())
            entries.push_back(estimate(b));
    }
    tree_.replace(first, lastOld - first + 1, entries);
    // The next paragraph's gap depends on this one's bottom margin.
    if (const QTextBlock next = lastBlock.next(); next.isValid()) {
        HeightTree::Entry e = tree_.at(lastNew + 1);
        const qreal gap = gapBefore(next);
        if (gap != e.gap) {
            e.height += gap - e.gap;
            e.gap = gap;
            tree_.set(lastNew + 1, e);
            markDirty(top);
        }
    }
    const qreal newSpan = tree_.heightBefore(lastNew + 1) - (top - page().margin);
    emit update(QRectF(0, top, kWide, std::max(oldSpan, newSpan)));
    // An item of a numbered list renumbers the items after it, also in the
    // later lists of its chain.
    const QTextList *list = firstBlock.textList();
    if (newSpan != oldSpan || (list && !docformat::isBullet(list->format().style())))
        markDirty(top + std::min(oldSpan, newSpan));
    flush();
    scheduleBackground();
}

// Everything from y down must be drawn again (a paragraph above it changed height).
void DocLayout::markDirty(qreal y) { dirtyFrom_ = std::min(dirtyFrom_, y); }

qreal DocLayout::blockTop(int index) const {
    return page().margin + tree_.heightBefore(index) + tree_.at(index).gap;
}

// ---- laying out one paragraph ------------------------------------------------

namespace {

// How far a long paragraph is laid out: its layout stays open (Qt's
// QTextLayout takes more lines after the ones it has) until it is finished.
struct Progress : QTextBlockUserData {
    int generation = -1;
    int revision = -1;    // of the block's text
    bool firstLine = true;
    QString text; // the paragraph's, while it is laid out, when words longer than a line may be in it
    qreal y = 0;      // where the next line goes
    qreal bottom = 0; // the bottom of the last line
    int end = 0;      // text laid out so far
};

// A word of this many characters is longer than any line.
constexpr int kLongWord = 1024;

// Whether text has a place to break a line within `within` characters after
// from. Asked for each line: a space, as in nearly every line, answers at once.
bool breakWithin(const QString &text, int from, int within) {
    const qsizetype n = std::min<qsizetype>(within, text.size() - from);
    if (n < within)
        return true; // the paragraph ends first
    const QStringView window(text.constData() + from, n);
    if (std::any_of(window.begin(), window.end(), [](QChar c) { return c.isSpace(); }))
        return true;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text.constData() + from, n);
    const qsizetype next = finder.toNextBoundary();
    return next > 0 && next < n;
}

} // namespace

bool DocLayout::Need::metBy(qreal height, int end, int lines) const {
    return height > y && end > position && lines > line;
}

// Lays block out in tl: its own layout, or a scratch one that only measures.
HeightTree::Entry DocLayout::layOut(const QTextBlock &block, QTextLayout *tl, const Need &need) {
    const QTextDocument *doc = document();
    const QTextBlockFormat format = block.blockFormat();
    const Page pg = page();
    const Qt::LayoutDirection dir = block.textDirection();
    const int length = block.length() - 1;

    QTextOption option = doc->defaultTextOption();
    option.setTextDirection(dir);
    option.setTabs(format.tabPositions());
    Qt::Alignment align = option.alignment();
    if (format.hasProperty(QTextFormat::BlockAlignment))
        align = format.alignment();
    if (!(align & Qt::AlignAbsolute) && dir == Qt::RightToLeft && (align & (Qt::AlignLeft | Qt::AlignRight)))
        align ^= Qt::AlignLeft | Qt::AlignRight;
    option.setAlignment(align);
    if (format.nonBreakableLines() || doc->pageSize().width() < 0)
        option.setWrapMode(QTextOption::ManualWrap);
    const QTextOption::WrapMode wrapMode = option.wrapMode();
    const bool wordOrAnywhere = wrapMode == QTextOption::WrapAtWordBoundaryOrAnywhere;

    const qreal indent = indentOf(format);
    const qreal leftMargin = format.leftMargin() + (dir == Qt::RightToLeft ? 0 : indent);
    const qreal rightMargin = format.rightMargin() + (dir == Qt::RightToLeft ? indent : 0);
    const qreal l = fixed(pg.left + leftMargin);
    const qreal r = fixed(pg.right - rightMargin);

    if (const RowCells cells = fitted(rowCells(block), r - l); cells.count > 0 && length <= kLongParagraph)
        return layOutRow(block, tl, cells, option, l, r - l);

    // A long paragraph is laid out as far as it is needed, and on from there later.
    Progress local;
    auto *progress = length > kLongParagraph && tl == block.layout() ? dynamic_cast<Progress *>(block.userData()) : &local;
    if (!progress) {
        progress = new Progress;
        const_cast<QTextBlock &>(block).setUserData(progress);
    }
    if (progress == &local || progress->generation != generation_ || progress->revision != block.revision()
        || progress->end == 0) {
        *progress = Progress();
        progress->generation = generation_;
        progress->revision = block.revision();
        tl->setTextOption(option);
        // An open layout must keep its shaped text between steps (drawing
        // would free it otherwise).
        tl->setCacheEnabled(progress != &local);
        tl->beginLayout();
    }
    if (wordOrAnywhere && length > kLongWord && progress->text.isNull())
        progress->text = block.text();
    const Need goal = progress == &local ? Need::all() : need;
    bool finished = false;
    while (!goal.metBy(progress->y, progress->end, tl->lineCount())) {
        QTextLine line = tl->createLine();
        if (!line.isValid()) {
            finished = true;
            break;
        }
        line.setLeadingIncluded(true);
        qreal left = l, right = r;
        if (progress->firstLine) {
            const qreal textIndent = fixed(format.textIndent());
            if (dir == Qt::LeftToRight)
                left += textIndent;
            else
                right -= textIndent;
            progress->firstLine = false;
        }
        // Inside a word longer than any line: broken anywhere at once (as Qt
        // breaks a word wider than the line), since looking for the word's
        // end would cost the rest of it for each of its lines.
        const bool longWord =
            wordOrAnywhere && !progress->text.isNull() && !breakWithin(progress->text, line.textStart(), kLongWord);
        if (longWord) {
            option.setWrapMode(QTextOption::WrapAnywhere);
            tl->setTextOption(option);
        }
        line.setLineWidth(right - left);
        if (longWord) {
            option.setWrapMode(wrapMode);
            tl->setTextOption(option);
        } else if (fixed(line.naturalTextWidth()) > right - left) {
            // A word wider than the line: break it anywhere, as Qt does.
            if (wordOrAnywhere) {
                option.setWrapMode(QTextOption::WrapAnywhere);
                tl->setTextOption(option);
            }
            line.setLineWidth(std::max<qreal>(line.naturalTextWidth(), right - left));
            if (wordOrAnywhere) {
                option.setWrapMode(QTextOption::WordWrap);
                tl->setTextOption(option);
            }
        }
        const LineHeights h = lineHeights(format, line);
        line.setPosition(QPointF(left - pg.left, progress->y));
        progress->bottom = progress->y + h.bottom;
        progress->y += h.advance;
        progress->end = line.textStart() + line.textLength();
        widest_ = std::max(widest_, pg.left + line.x() + line.naturalTextWidth() + rightMargin);
    }
    const qreal gap = gapBefore(block);
    if (finished) {
        tl->setCacheEnabled(false);
        tl->endLayout();
        const qreal height = std::max(progress->y, progress->bottom);
        const int lines = std::max(1, tl->lineCount());
        progress->text = QString();
        if (progress != &local)
            progress->end = 0; // finished: a later layout starts afresh
        return {gap + height, gap, lines, true};
    }
    // Not finished: the rest is estimated from what is laid out.
    const qreal perChar = progress->y / std::max(1, progress->end);
    const qreal rest = (length - progress->end) * perChar;
    const int restLines = int(std::ceil(rest / std::max<qreal>(1, progress->y / tl->lineCount())));
    return {gap + progress->y + rest, gap, tl->lineCount() + restLines, false};
}

// ---- table rows ----------------------------------------------------------------

namespace {
constexpr qreal kCellPadding = 3; // between a cell's edges and its text
} // namespace


// A paragraph of a table row: its cells' right edges are its tab stops (from
// the paragraph's left edge); a row's later paragraph goes on in the cell
// where the one before it ended.
DocLayout::RowCells DocLayout::rowCells(const QTextBlock &block) {
    RowCells cells;
    if (!inTable(block))
        return cells;
    for (const QTextOption::Tab &tab : block.blockFormat().tabPositions())
        cells.edges.append(tab.position);
    cells.count = int(cells.edges.size());
    int guard = 0;
    for (QTextBlock b = block.previous(); inTable(b) && !endsRow(b) && guard < 64;
         b = b.previous(), ++guard)
        if (!docformat::nested(b)) // the tabs of a table in a cell are its own
            cells.first += int(b.text().count(u'\t'));
    cells.first = std::min(cells.first, std::max(0, cells.count - 1));
    cells.looks = looksOfRow(block);
    cells.looks.resize(cells.count);
    return cells;
}

// How the cells of the row a paragraph is in are drawn, from the row's
// definition on its last paragraph; empty when there is none.
QList<docformat::CellLook> DocLayout::looksOfRow(QTextBlock block) {
    for (int guard = 0; inTable(block) && !endsRow(block) && guard < 64; ++guard)
        block = block.next();
    if (!inTable(block) || !endsRow(block))
        return {};
    return docformat::cellLooks(block.blockFormat().property(docformat::kRow).toByteArray());
}

int DocLayout::RowCells::rightOf(int cell) const {
    while (cell + 1 < count && looks.value(cell + 1).merge == docformat::Merge::Across)
        ++cell;
    return cell;
}

// A row wider than the room for it is narrowed, its columns in proportion.
DocLayout::RowCells DocLayout::fitted(RowCells cells, qreal room) {
    if (cells.count > 0 && room > 0 && cells.edges.last() > room) {
        const qreal scale = room / cells.edges.last();
        for (qreal &edge : cells.edges)
            edge *= scale;
    }
    return cells;
}

int DocLayout::depthOf(const QTextBlock &block) {
    return inTable(block) ? std::max(1, block.blockFormat().intProperty(docformat::kNest)) : 0;
}

// The row ends at the first paragraph of its depth holding a definition
// (kNestRow), past the paragraphs of tables deeper in its cells; a
// paragraph starts in the cell after the tabs of the row's paragraphs
// before it.
DocLayout::RowCells DocLayout::nestedCells(const QTextBlock &block, int depth) {
    RowCells cells;
    const auto ends = [&](const QTextBlock &b) {
        return depthOf(b) == depth && b.blockFormat().hasProperty(docformat::kNestRow);
    };
    QTextBlock end = block;
    for (int guard = 0; end.isValid() && depthOf(end) >= depth && !ends(end) && guard < 64; ++guard)
        end = end.next();
    if (!ends(end))
        return cells;
    const QByteArray row = end.blockFormat().property(docformat::kNestRow).toByteArray();
    qint64 rowLeft = 0;
    for (const docformat::RowWord &w : docformat::rowWords(row)) {
        if (w.name == "trleft") {
            rowLeft = w.param;
        } else if (w.name == "cellx" && cells.edges.size() < 64) { // twips to pixels at 96 dpi, as the reader's tabs
            const qreal x = std::min((qreal(w.param) - qreal(rowLeft)) / 15.0, qreal(1 << 20));
            if (x > (cells.edges.isEmpty() ? 0 : cells.edges.last()))
                cells.edges.append(x);
        }
    }
    cells.count = int(cells.edges.size());
    if (cells.count == 0)
        return cells;
    int guard = 0;
    for (QTextBlock b = block.previous(); depthOf(b) >= depth && !ends(b) && guard < 64; b = b.previous(), ++guard)
        if (depthOf(b) == depth)
            cells.first += int(b.text().count(u'\t'));
    cells.first = std::min(cells.first, cells.count - 1);
    cells.looks = docformat::cellLooks(row);
    cells.looks.resize(cells.count);
    return cells;
}

// A table two deep stands in its cell of the outer row, one deeper in its
// cell of the table around it, each inside its cell's padding; a row without
// a definition of its own stands where its table would.
std::pair<qreal, qreal> DocLayout::nestedSpan(const QTextBlock &block, const RowCells &outer, int depth) {
    depth = std::min(depth, 16);
    qreal left = 0, right = 0;
    if (depth <= 2 || outer.count == 0) {
        const int c = std::clamp(outer.first, 0, std::max(0, outer.count - 1));
        left = outer.count == 0 ? 0 : (c == 0 ? 0 : outer.edges[c - 1]);
        right = outer.count == 0 ? 0 : outer.edges[outer.rightOf(c)];
    } else {
        const auto [a, b] = nestedSpan(block, outer, depth - 1);
        const RowCells around = fitted(nestedCells(block, depth - 1), b - a);
        if (around.count == 0)
            return {a, b};
        const int c = around.first;
        left = a + (c == 0 ? 0 : around.edges[c - 1]);
        right = a + around.edges[around.rightOf(c)];
    }
    left += kCellPadding;
    return {left, std::max(left + 8, right - kCellPadding)};
}

// Each cell's text in lines of the cell's width, from the cell's top; a
// cell's tab ends its last line, and text past the last cell stays in the
// last cell. Returns how tall each cell's lines are, and where they start.
// A row of a table in a cell is all in the outer cell it stands in, its own
// cells side by side there in the columns of its definition (narrowed to
// fit), each cell's text where that cell's look puts it.
DocLayout::CellLines DocLayout::cellLines(const QTextBlock &block, QTextLayout *tl, const RowCells &cells,
                                          QTextOption option, qreal left) {
    const QTextBlockFormat format = block.blockFormat();
    const Page pg = page();
    const QString text = block.text();
    const int length = int(text.size());
    // Lines are placed in their cells here, centred or to the right as the
    // cell's part of the paragraph says (justified ones stay left).
    option.setAlignment(Qt::AlignLeft);
    const int depth = depthOf(block);
    RowCells columns = cells;
    qreal origin = left;
    if (depth >= 2) {
        const auto [a, b] = nestedSpan(block, cells, depth);
        columns = fitted(nestedCells(block, depth), b - a);
        origin = left + a;
        option.setTabs({}); // the paragraph's are the outer table's columns
    }
    const bool split = columns.count > 0; // a nested row without a definition is one line in its outer cell
    tl->setTextOption(option);
    tl->setCacheEnabled(false);
    tl->beginLayout();
    // Each column's lines from its top (one cell of the outer row, or the
    // nested row's cells).
    const int n = split ? columns.count : 1;
    QVector<qreal> height(n, 0);
    QVector<int> firstLine(n, -1);
    int cell = split ? columns.first : 0;
    for (int pos = 0, part = 0;; ++part) {
        const Qt::Alignment align = docformat::partAlignment(format, part) & (Qt::AlignHCenter | Qt::AlignRight);
        if (firstLine[cell] < 0)
            firstLine[cell] = tl->lineCount();
        const int tab = split && cell + 1 < n ? int(text.indexOf(u'\t', pos)) : -1;
        const int end = tab >= 0 ? tab + 1 : length;
        qreal x0, x1;
        if (split) {
            x0 = origin + (cell == 0 ? 0 : columns.edges[cell - 1]) + kCellPadding;
            x1 = origin + columns.edges[columns.rightOf(cell)] - kCellPadding;
        } else {
            const auto [a, b] = nestedSpan(block, cells, depth);
            x0 = left + a;
            x1 = left + b;
        }
        const qreal width = std::max<qreal>(8, x1 - x0);
        do {
            QTextLine line = tl->createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(true);
            line.setLineWidth(width);
            if (line.textStart() + line.textLength() > end || line.textLength() == 0)
                line.setNumColumns(std::max(1, end - line.textStart()), width);
            const qreal room = std::max<qreal>(0, width - line.naturalTextWidth());
            const qreal shift = align & Qt::AlignHCenter ? fixed(room / 2) : align & Qt::AlignRight ? room : 0;
            line.setPosition(QPointF(x0 - pg.left + shift, height[cell]));
            height[cell] += lineHeights(format, line).advance;
            widest_ = std::max(widest_, x0 + line.naturalTextWidth());
        } while (tl->lineAt(tl->lineCount() - 1).textStart() + tl->lineAt(tl->lineCount() - 1).textLength() < end);
        if (end >= length)
            break;
        pos = end;
        cell = std::min(cell + 1, n - 1);
    }
    tl->endLayout();
    if (depth < 2)
        return {height, firstLine};
    // The nested row is as tall as its tallest cell, each cell standing in it
    // as its look says; all of it in the outer cell.
    const qreal tallest = *std::max_element(height.begin(), height.end());
    for (int c = 0; c < n; ++c) {
        if (firstLine[c] < 0 || !split)
            continue;
        const Qt::Alignment v = columns.looks.value(c).vertical;
        const qreal dy = v == Qt::AlignVCenter ? fixed((tallest - height[c]) / 2) : v == Qt::AlignBottom ? tallest - height[c] : 0;
        int end = tl->lineCount(); // where the next cell's lines start
        for (int k = c + 1; k < n; ++k)
            if (firstLine[k] >= 0) {
                end = firstLine[k];
                break;
            }
        for (int i = firstLine[c]; dy != 0 && i < end; ++i) {
            QTextLine line = tl->lineAt(i);
            line.setPosition(line.position() + QPointF(0, dy));
        }
    }
    CellLines out{QVector<qreal>(cells.count, 0), QVector<int>(cells.count, -1)};
    const int outer = std::clamp(cells.first, 0, cells.count - 1);
    out.height[outer] = tallest;
    out.firstLine[outer] = 0;
    return out;
}

// The row's paragraphs from its first to the one holding its definition (or
// its last in the table); only the block itself when there are too many.
QList<QTextBlock> DocLayout::rowParagraphs(const QTextBlock &block) {
    constexpr int kMost = kRowParagraphs; // each paragraph's layout measures all the others
    if (!inTable(block))
        return {block};
    QTextBlock first = block, last = block;
    int n = 1;
    for (QTextBlock b = first.previous(); inTable(b) && !endsRow(b) && n <= kMost; b = b.previous(), ++n)
        first = b;
    for (QTextBlock b = last; !endsRow(b) && inTable(b.next()) && n <= kMost; b = b.next(), ++n)
        last = b.next();
    if (n > kMost)
        return {block};
    QList<QTextBlock> row;
    for (QTextBlock b = first;; b = b.next()) {
        row.append(b);
        if (b == last)
            break;
    }
    return row;
}

// The row is as tall as its tallest cell, each cell's lines one after the
// other through the row's paragraphs; a cell stands at the top, in the middle
// or at the bottom of the row as its look says. Each paragraph of the row is
// as tall as its first cell's part in it (the last one takes the rest), so
// the lines of other cells may stand above or below it.
HeightTree::Entry DocLayout::layOutRow(const QTextBlock &block, QTextLayout *tl, const RowCells &cells,
                                       const QTextOption &option, qreal left, qreal room) {
    const CellLines mine = cellLines(block, tl, cells, option, left);
    const QList<QTextBlock> row = rowParagraphs(block);
    const int n = cells.count;
    // How tall each cell is before this paragraph and in all, and where each
    // paragraph starts in its cell.
    QVector<qreal> before(n, 0), total(n, 0);
    QVector<std::pair<int, qreal>> starts; // each paragraph's first cell, and that cell's height before it
    for (const QTextBlock &b : row) {
        const RowCells theirs = b == block ? cells : fitted(rowCells(b), room);
        const int first = std::clamp(theirs.first, 0, n - 1);
        CellLines lines;
        if (b == block) {
            lines = mine;
            before = total;
        } else if (theirs.count > 0 && b.length() - 1 <= kLongParagraph) {
            QTextLayout scratch(b);
            lines = cellLines(b, &scratch, theirs, option, left);
        } else { // not laid out in cells: all of it in its first cell
            const HeightTree::Entry e = tree_.at(b.blockNumber());
            lines.height = QVector<qreal>(first + 1, 0);
            lines.height[first] = e.height - e.gap;
        }
        starts.append({first, total[first]});
        for (int c = 0; c < n && c < lines.height.size(); ++c)
            total[c] += lines.height[c];
    }
    const qreal height = std::max(*std::max_element(total.begin(), total.end()), qreal(1));
    QVector<qreal> down(n, 0); // each cell's top in the row
    for (int c = 0; c < n; ++c) {
        const Qt::Alignment v = cells.looks.value(c).vertical;
        down[c] = v == Qt::AlignVCenter ? fixed((height - total[c]) / 2) : v == Qt::AlignBottom ? height - total[c] : 0;
    }
    // Where each paragraph starts in the row: where its first cell's part does.
    qreal top = 0, bottom = height, at = 0;
    for (qsizetype i = 0; i < row.size(); ++i) {
        const qreal y = i == 0 ? 0 : std::max(at, down[starts[i].first] + starts[i].second);
        at = std::min(y, height);
        if (row[i] == block)
            top = at;
        else if (i > 0 && row[i - 1] == block)
            bottom = at;
    }
    for (int c = 0; c < n; ++c) {
        if (mine.firstLine[c] < 0)
            continue;
        const int end = [&] {
            for (int k = c + 1; k < n; ++k)
                if (mine.firstLine[k] >= 0)
                    return mine.firstLine[k];
            return tl->lineCount();
        }();
        const qreal dy = down[c] + before[c] - top;
        for (int i = mine.firstLine[c]; i < end && dy != 0; ++i) {
            QTextLine line = tl->lineAt(i);
            line.setPosition(line.position() + QPointF(0, dy));
        }
    }
    const qreal gap = gapBefore(block);
    return {gap + std::max<qreal>(bottom - top, 0), gap, std::max(1, tl->lineCount()), true};
}

QTextLayout *DocLayout::ensure(const QTextBlock &block, int index, const Need &need) {
    QTextLayout *tl = block.layout();
    if (tree_.at(index).exact && tl->lineCount() > 0)
        return tl; // (a paragraph only measured has no lines)
    if (tl->lineCount() > 0 && need.metBy(tl->lineAt(tl->lineCount() - 1).y(), lineEnd(tl), tl->lineCount())
        && isOpen(block))
        return tl; // a long paragraph, laid out far enough
    store(index, layOut(block, tl, need));
    return tl;
}

void DocLayout::store(int index, const HeightTree::Entry &fresh) {
    const HeightTree::Entry old = tree_.at(index);
    const qreal top = page().margin + tree_.heightBefore(index);
    tree_.set(index, fresh);
    if (fresh.height != old.height) {
        markDirty(top + std::min(old.height, fresh.height));
        if (top + old.height <= anchor_)
            pendingShift_ += fresh.height - old.height;
    }
}

// ---- measuring in the background -----------------------------------------------

void DocLayout::measure(const QTextBlock &block, int index) {
    if (block.length() - 1 > kLongParagraph) {
        // Its own layout, on from where it stopped (a scratch one would start
        // over each time); it keeps its lines.
        const QTextLayout *tl = block.layout();
        const int end = tl->lineCount() > 0 && isOpen(block) ? lineEnd(tl) : 0;
        ensure(block, index, Need{.position = end + kLongParagraph / 4});
        return;
    }
    QTextLayout scratch(block);
    store(index, layOut(block, &scratch, Need::all()));
}

void DocLayout::setBackground(bool on) {
    backgroundOn_ = on;
    if (!on)
        background_.stop();
    else
        scheduleBackground();
}

void DocLayout::scheduleBackground() {
    if (backgroundOn_ && !allMeasured() && !background_.isActive())
        background_.start();
}

// Measures the paragraphs not yet measured, from the first, up to index,
// while more() says so; false when more() stopped it.
bool DocLayout::measureWhile(int index, const std::function<bool()> &more) {
    QTextBlock b;
    for (int i = tree_.firstEstimatedFrom(0); i >= 0 && i <= index; i = tree_.firstEstimatedFrom(i)) {
        if (!more())
            return false;
        b = b.isValid() && b.blockNumber() + 1 == i ? b.next() : document()->findBlockByNumber(i);
        measure(b, i);
    }
    return true;
}

void DocLayout::measureSlice() {
    if (measuring_ || painting_)
        return scheduleBackground();
    QElapsedTimer clock;
    clock.start();
    measureWhile(INT_MAX, [&] { return clock.elapsed() < kSliceMs; });
    flush();
    if (allMeasured())
        emit measured();
    else
        scheduleBackground();
}

bool DocLayout::measureUpTo(int index) {
    if (measuring_)
        return false;
    measuring_ = true;
    QElapsedTimer clock;
    clock.start();
    bool told = false;
    const bool done = measureWhile(index, [&] {
        if (!progress_ || clock.elapsed() < 50)
            return true;
        clock.restart();
        told = true;
        return progress_(tree_.exactCount(), tree_.size());
    });
    if (told)
        progress_(-1, tree_.size());
    measuring_ = false;
    flush();
    return done;
}

// Small documents are laid out whole (their lines are kept); in others the
// paragraphs up to index are measured.
bool DocLayout::linesExactUpTo(int index) {
    if (!exactLines())
        return measureUpTo(index);
    ensureExactUpTo(index);
    return true;
}

QTextLayout *DocLayout::ensure(const QTextBlock &block, int index) { return ensure(block, index, Need::all()); }

bool DocLayout::isOpen(const QTextBlock &block) const {
    const auto *progress = dynamic_cast<const Progress *>(block.userData());
    return progress && progress->generation == generation_ && progress->revision == block.revision()
        && progress->end > 0;
}

int DocLayout::lineEnd(const QTextLayout *tl) {
    const QTextLine last = tl->lineAt(tl->lineCount() - 1);
    return last.textStart() + last.textLength();
}

QTextLayout *DocLayout::laidOut(const QTextBlock &block) {
    QTextLayout *tl = ensure(block, block.blockNumber());
    flush();
    return tl;
}

void DocLayout::ensureExactUpTo(int index) {
    QTextDocument *doc = document();
    int i = tree_.firstEstimatedFrom(0);
    while (i >= 0 && i <= index) {
        QTextBlock b = doc->findBlockByNumber(i);
        // estimated blocks come in runs: walk them in order
        for (; b.isValid() && i <= index && !tree_.at(i).exact; b = b.next(), ++i)
            ensure(b, i);
        i = tree_.firstEstimatedFrom(i);
    }
}

// The caret's paragraph is about to be scrolled into view: what will show
// above it is laid out first, so that its place is known when the view moves
// there and does not change under the user's eyes once shown.
void DocLayout::layOutAbove(QTextBlock block, int index, qreal height) {
    for (qreal above = 0; above < height && index > 0;) {
        block = block.previous();
        --index;
        if (block.length() > kLongParagraph && !tree_.at(index).exact)
            break; // its end lines would cost the whole of it
        ensure(block, index);
        above += tree_.at(index).height;
    }
}

void DocLayout::flush() {
    if (painting_) {
        // Not while Qt paints: the scroll bars would change under it.
        if (!flushQueued_) {
            flushQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                flushQueued_ = false;
                flush();
            });
        }
        return;
    }
    const QSizeF size = documentSize();
    if (size != reportedSize_) {
        reportedSize_ = size;
        emit documentSizeChanged(size);
    }
    if (pendingShift_ != 0) {
        const qreal shift = pendingShift_;
        pendingShift_ = 0;
        emit viewShift(shift);
    }
    if (dirtyFrom_ < kWide) {
        const qreal y = dirtyFrom_;
        dirtyFrom_ = kWide;
        emit update(QRectF(0, y, kWide, kWide));
    }
}

// ---- geometry ----------------------------------------------------------------

QSizeF DocLayout::documentSize() const {
    const Page pg = page();
    const QTextDocument *doc = document();
    const qreal width = std::max<qreal>(doc->pageSize().width(), pg.wrap ? 0 : widest_ + pg.margin);
    const QTextBlock last = doc->lastBlock();
    const qreal lastBottom = last.isValid() ? last.blockFormat().bottomMargin() : 0;
    return {width, pg.margin + tree_.totalHeight() + lastBottom + pg.margin};
}

QRectF DocLayout::frameBoundingRect(QTextFrame *frame) const {
    if (frame != document()->rootFrame())
        return {};
    return QRectF(QPointF(0, 0), documentSize());
}

QRectF DocLayout::blockBoundingRect(const QTextBlock &block) const {
    if (!block.isValid() || document()->pageSize().isNull())
        return {};
    auto *self = const_cast<DocLayout *>(this);
    const int index = block.blockNumber();
    self->ensureExactFor(index);
    // Qt asks this before it looks at the lines of the caret's paragraph, or of
    // one it moves into: a long paragraph is laid out past the caret and the view.
    Need need{.y = anchor_ + 3 * viewHeight_ - blockTop(index)};
    if (block.contains(hint_)) {
        need.position = hint_ - block.position() + kLongParagraph / 4;
        self->layOutAbove(block, index, viewHeight_);
    }
    QTextLayout *tl = self->ensure(block, index, need);
    tl->setPosition(QPointF(page().left, blockTop(index)));
    self->flush();
    QRectF rect = tl->boundingRect();
    rect.moveTopLeft(tl->position());
    return rect;
}

// As Qt's layout answers: a point above a paragraph's text is its start, one
// below it the start of the next (a point on the boundary of two belongs to
// the upper one); on a line, the nearest cursor position (with ExactHit, the
// character under the point, or -1 off the text).
int DocLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const {
    auto *self = const_cast<DocLayout *>(this);
    self->ensureExactFor(tree_.size() - 1);
    const Page pg = page();
    const QPointF p(fixed(point.x()), fixed(point.y()));
    int index = tree_.indexAtHeight(p.y() - pg.margin);
    if (index < 0)
        return accuracy == Qt::ExactHit ? -1 : 0;
    QTextBlock block = document()->findBlockByNumber(index);
    QTextLayout *tl = self->ensure(block, index, Need{.y = p.y() - blockTop(index) + 1});
    if (const int hit = self->rowHit(block, p, accuracy); hit != -2)
        return hit;
    QPointF origin(pg.left, blockTop(index));
    QRectF text = tl->boundingRect().translated(origin);
    if (p.y() <= text.top() && index > 0) {
        const QTextBlock above = block.previous();
        QTextLayout *tla = self->ensure(above, index - 1);
        const QPointF o(pg.left, blockTop(index - 1));
        const QRectF r = tla->boundingRect().translated(o);
        if (p.y() <= r.bottom()) {
            block = above;
            tl = tla;
            text = r;
            origin = o;
        }
    }
    self->flush();
    int position = block.position();
    bool exact = false;
    if (p.y() > text.bottom()) {
        position += block.length();
    } else if (p.y() >= text.top()) {
        const QPointF local = p - origin;
        int offset = 0;
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const QRectF r = line.naturalTextRect();
            if (r.top() > local.y()) {
                offset = std::min(offset, line.textStart());
            } else if (r.bottom() <= local.y()) {
                offset = std::max(offset, line.textStart() + line.textLength());
            } else {
                exact = r.left() <= local.x() && r.right() >= local.x();
                offset = line.xToCursor(local.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                                            : QTextLine::CursorBetweenCharacters);
                break;
            }
        }
        position += offset;
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    return std::clamp(position, 0, document()->characterCount() - 1);
}

// In a table row, the line nearest the point (in the document) in the cell
// under it, in any of the row's paragraphs (a cell's lines may stand beside
// another paragraph of the row): its position, or -1 off the text with
// ExactHit; -2 when the block is not a row's.
int DocLayout::rowHit(const QTextBlock &block, const QPointF &p, Qt::HitTestAccuracy accuracy) {
    if (rowCells(block).count == 0 || block.length() - 1 > kLongParagraph)
        return -2;
    const QList<QTextBlock> row = rowParagraphs(block);
    for (const QTextBlock &b : row)
        ensure(b, b.blockNumber());
    flush();
    QTextBlock best;
    QTextLine bestLine;
    QPointF bestLocal;
    qreal bestDistance = 0;
    for (const QTextBlock &b : row) {
        const QTextLayout *tl = b.layout();
        const QPointF local = p - QPointF(page().left, blockTop(b.blockNumber()));
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const QRectF r(line.x(), line.y(), line.width(), line.height());
            const qreal dx = local.x() < r.left() ? r.left() - local.x() : local.x() > r.right() ? local.x() - r.right() : 0;
            const qreal dy = local.y() < r.top() ? r.top() - local.y() : local.y() > r.bottom() ? local.y() - r.bottom() : 0;
            const qreal distance = dx * 4 + dy; // the column first
            if (!best.isValid() || distance < bestDistance) {
                best = b;
                bestLine = line;
                bestLocal = local;
                bestDistance = distance;
            }
        }
    }
    if (!best.isValid())
        return accuracy == Qt::ExactHit ? -1 : block.position();
    if (accuracy == Qt::ExactHit && !bestLine.naturalTextRect().contains(bestLocal))
        return -1;
    const int position = best.position() + bestLine.xToCursor(bestLocal.x(), accuracy == Qt::ExactHit
                                                                                  ? QTextLine::CursorOnCharacter
                                                                                  : QTextLine::CursorBetweenCharacters);
    return std::clamp(position, 0, document()->characterCount() - 1);
}

// ---- display lines -----------------------------------------------------------

int DocLayout::lineOfPosition(int pos) {
    const QTextBlock block = document()->findBlock(pos);
    if (!block.isValid())
        return 0;
    const int index = block.blockNumber();
    linesExactUpTo(index - 1);
    QTextLayout *tl = ensure(block, index, Need{.position = pos - block.position()});
    int inBlock = 0;
    if (tl->lineCount() > 0) {
        const QTextLine line = tl->lineForTextPosition(pos - block.position());
        inBlock = line.isValid() ? line.lineNumber() : tl->lineCount() - 1;
    }
    flush();
    return int(std::min<std::int64_t>(tree_.linesBefore(index) + inBlock, INT_MAX));
}

int DocLayout::lineStart(int line) {
    if (line < 0)
        return -1;
    int index = tree_.indexAtLine(line);
    // Laying blocks out may change their counts: look again until it holds.
    for (int round = 0; round < 64; ++round) {
        index = tree_.indexAtLine(line);
        if (!linesExactUpTo(index - 1))
            break;
        index = tree_.indexAtLine(line);
        const std::int64_t k = line - tree_.linesBefore(index);
        ensure(document()->findBlockByNumber(index), index, Need{.line = int(std::min<std::int64_t>(k, INT_MAX - 1))});
        if (tree_.indexAtLine(line) == index)
            break;
    }
    flush();
    const QTextBlock block = document()->findBlockByNumber(index);
    const std::int64_t k = line - tree_.linesBefore(index);
    QTextLayout *tl = block.layout();
    if (k >= tl->lineCount())
        return k == 0 ? block.position() : -1;
    return block.position() + tl->lineAt(int(k)).textStart();
}

int DocLayout::lineCount() {
    linesExactUpTo(tree_.size() - 1);
    flush();
    return int(std::min<std::int64_t>(tree_.totalLines(), INT_MAX));
}

// ---- drawing -----------------------------------------------------------------

void DocLayout::draw(QPainter *painter, const PaintContext &context) {
    ensureExactFor(tree_.size() - 1);
    painting_ = true;
    const qreal margin = page().margin;
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, 1e9, documentSize().height());
    int i = std::max(tree_.indexAtHeight(clip.top() - margin), 0);
    QTextBlock b = document()->findBlockByNumber(i);
    // A table row's paragraphs are drawn together: a cell's lines may stand
    // beside another paragraph of the row.
    if (b.isValid() && inTable(b)) {
        const QTextBlock first = rowParagraphs(b).first();
        i = first.blockNumber();
        b = first;
    }
    qreal y = margin + tree_.heightBefore(i);
    QList<QTextBlock> shown;
    const auto rowGoesOn = [&](int past) {
        return past <= kRowParagraphs && inTable(b) && inTable(shown.last()) && !endsRow(shown.last());
    };
    for (int past = 0; b.isValid() && (y <= clip.bottom() || rowGoesOn(past++)); b = b.next(), ++i) {
        QTextLayout *tl = ensure(b, i, Need{.y = clip.bottom() - y - tree_.at(i).gap});
        const HeightTree::Entry e = tree_.at(i);
        tl->setPosition(QPointF(page().left, y + e.gap));
        shown.append(b);
        y += e.height;
    }
    // The cells' shading and frames first, under any row's text.
    for (const QTextBlock &s : shown)
        if (const RowCells cells = rowCells(s); cells.count > 0 && s.layout()->lineCount() > 0)
            drawCells(painter, s, cells);
    for (const QTextBlock &s : shown)
        drawBlock(painter, context, s);
    painting_ = false;
    flush();
}

// A table row's cells, framed.
void DocLayout::drawCells(QPainter *painter, const QTextBlock &block, const RowCells &row) const {
    const QTextLayout *tl = block.layout();
    const HeightTree::Entry e = tree_.at(block.blockNumber());
    const qreal height = e.height - e.gap; // the lines of its cells may stand beyond it
    const QTextBlockFormat format = block.blockFormat();
    const qreal left = fixed(page().left + format.leftMargin() + indentOf(format));
    const qreal right = fixed(page().right - format.rightMargin());
    const RowCells cells = fitted(row, right - left);
    // The bottom line on the row's own last pixel row: the paragraph below
    // repaints from its own top without redrawing this one.
    const qreal top = tl->position().y(), bottom = top + height - 1;
    // A row of several paragraphs (a cell of several) is one frame: its
    // first paragraph draws the top, its last (the one holding the row's
    // definition) the bottom.
    const QTextBlock previous = block.previous();
    const bool first = !inTable(previous) || endsRow(previous);
    const bool last = endsRow(block) || !inTable(block.next());
    // A cell merged into the one above has no line between them.
    const QList<docformat::CellLook> below = last ? looksOfRow(block.next()) : QList<docformat::CellLook>();
    drawFrame(painter, cells, {left, top, bottom, first, last, !inTable(previous), below});
    if (depthOf(block) >= 2)
        drawNested(painter, block, cells);
}

// A row of a table in a cell, framed where its lines stand, inside the
// frames of the tables around it (the columns of each table it is in are
// drawn down it). A table's top line is drawn by its first paragraph, each
// row draws the line below it.
void DocLayout::drawNested(QPainter *painter, const QTextBlock &block, const RowCells &outer) const {
    const QTextLayout *tl = block.layout();
    if (tl->lineCount() == 0)
        return;
    qreal top = 1e300, bottom = -1e300;
    for (int i = 0; i < tl->lineCount(); ++i) {
        const QTextLine line = tl->lineAt(i);
        top = std::min(top, line.y());
        bottom = std::max(bottom, line.y() + line.height());
    }
    top += tl->position().y();
    bottom += tl->position().y() - 1;
    const QTextBlockFormat format = block.blockFormat();
    const qreal left = fixed(page().left + format.leftMargin() + indentOf(format));
    const int depth = std::min(depthOf(block), 16);
    const QTextBlock previous = block.previous(), next = block.next();
    for (int d = 2; d <= depth; ++d) {
        const auto [a, b] = nestedSpan(block, outer, d);
        const RowCells cells = fitted(nestedCells(block, d), b - a);
        if (cells.count == 0)
            continue;
        const bool last = d == depth && format.hasProperty(docformat::kNestRow);
        const QList<docformat::CellLook> below = last && depthOf(next) == d ? nestedCells(next, d).looks
                                                                             : QList<docformat::CellLook>();
        drawFrame(painter, cells, {left + a, top, bottom, depthOf(previous) < d, last, depthOf(previous) < d, below});
    }
}

// The cells' shading, light lines where a cell has no border (so that the
// table shows) and the borders the row defines, from top to bottom; the top
// and bottom lines only when the frame says so.
void DocLayout::drawFrame(QPainter *painter, const RowCells &cells, const Frame &frame) {
    const auto &[left, top, bottom, first, last, opens, below] = frame;
    const auto x0 = [&](int i) { return frame.left + (i == 0 ? 0 : cells.edges[i - 1]); };
    const auto x1 = [&](int i) { return frame.left + cells.edges[cells.rightOf(i)]; };
    // Shading first, under the lines and the text.
    for (int i = 0; i < cells.count; i = cells.rightOf(i) + 1)
        if (const QColor bg = cells.looks.value(i).background; bg.isValid() && x1(i) > x0(i))
            painter->fillRect(QRectF(x0(i), top, x1(i) - x0(i), bottom + 1 - top), bg);
    painter->setPen(QPen(QColor(160, 160, 160), 0));
    painter->drawLine(QLineF(left, top, left, bottom));
    for (int i = 0; i < cells.count; ++i) {
        const qreal a = x0(i), b = left + cells.edges[i];
        if (b <= a)
            continue;
        if (cells.looks.value(i + 1).merge != docformat::Merge::Across) // none inside merged cells
            painter->drawLine(QLineF(b, top, b, bottom));
        if (opens && cells.looks.value(i).merge != docformat::Merge::Down)
            painter->drawLine(QLineF(a, top, b, top));
        if (last && below.value(i).merge != docformat::Merge::Down)
            painter->drawLine(QLineF(a, bottom, b, bottom));
    }
    const auto border = [&](const docformat::Border &side, QLineF line) {
        if (!side.on)
            return;
        const qreal width = std::max<qreal>(1, std::round(side.twips / 15.0));
        painter->setPen(QPen(side.color.isValid() ? side.color : QColor(Qt::black), width, Qt::SolidLine, Qt::FlatCap));
        painter->drawLine(line);
    };
    for (int i = 0; i < cells.count; i = cells.rightOf(i) + 1) {
        const docformat::CellLook look = cells.looks.value(i);
        const qreal a = x0(i), b = x1(i);
        if (b <= a)
            continue;
        border(look.left, QLineF(a, top, a, bottom + 1));
        border(cells.looks.value(cells.rightOf(i)).right, QLineF(b, top, b, bottom + 1));
        if (first && look.merge != docformat::Merge::Down)
            border(look.top, QLineF(a, top, b, top));
        if (last && below.value(i).merge != docformat::Merge::Down)
            border(look.bottom, QLineF(a, bottom, b, bottom));
    }
}

// A link's text is drawn underlined in the link colour, whatever its own
// format says: a look of the screen, not a format of the text.
QList<QTextLayout::FormatRange> DocLayout::links(const QTextBlock &block, const QPalette &palette) {
    QList<QTextLayout::FormatRange> ranges;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (!frag.charFormat().isAnchor())
            continue;
        QTextCharFormat f;
        f.setForeground(palette.color(QPalette::Link));
        f.setFontUnderline(true);
        ranges.append({frag.position() - block.position(), frag.length(), f});
    }
    return ranges;
}

namespace {

// A red wavy line from x1 to x2 around y, as misspelt words are marked:
// one wave drawn once (for each pixel ratio) and repeated, which costs far
// less than stroking a path for every word at every paint.
void drawWave(QPainter *painter, qreal x1, qreal x2, qreal y) {
    constexpr int kLength = 4, kHeight = 4; // one wave, in pixels
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
    static QHash<int, QPixmap> waves; // by pixel ratio in percent
    QPixmap &wave = waves[qRound(ratio * 100)];
    if (wave.isNull()) {
        wave = QPixmap(QSize(kLength, kHeight) * ratio);
        wave.setDevicePixelRatio(ratio);
        wave.fill(Qt::transparent);
        QPainter p(&wave);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(230, 0, 0), 1));
        QPainterPath path(QPointF(0, kHeight - 1));
        path.lineTo(kLength / 2.0, 1);
        path.lineTo(kLength, kHeight - 1);
        p.drawPath(path);
    }
    painter->drawTiledPixmap(QRectF(x1, y - kHeight / 2.0, x2 - x1, kHeight), wave, QPointF(std::fmod(x1, kLength), 0));
}

} // namespace

void DocLayout::drawBlock(QPainter *painter, const PaintContext &context, const QTextBlock &block) const {
    const QTextLayout *tl = block.layout();
    const int start = block.position();
    const int length = block.length();
    QList<QTextLayout::FormatRange> selections = links(block, context.palette);
    const QTextCharFormat *markerSelection = nullptr;
    for (const Selection &range : context.selections) {
        const int from = range.cursor.selectionStart() - start;
        const int to = range.cursor.selectionEnd() - start;
        if (from < length && to > 0 && to > from) {
            selections.append({from, to - from, range.format});
        } else if (!range.cursor.hasSelection() && range.format.hasProperty(QTextFormat::FullWidthSelection)
                   && block.contains(range.cursor.position())) {
            const QTextLine l = tl->lineForTextPosition(range.cursor.position() - start);
            QTextLayout::FormatRange o{l.textStart(), l.textLength(), range.format};
            if (o.start + o.length == length - 1)
                ++o.length; // the line's end too
            selections.append(o);
        }
        if (from < 0 && to >= 1)
            markerSelection = &range.format;
    }
    if (const QTextList *list = block.textList(); list && list->format().style() != QTextListFormat::ListStyleUndefined)
        drawListItem(painter, context, block, markerSelection);

    const QPen pen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    // The underlines are placed before the text is drawn, which frees the
    // paragraph's shaped text that placing them needs; drawn over it after.
    const QList<QLineF> underlines = overlay_ ? overlayLines(context, block) : QList<QLineF>();
    tl->draw(painter, QPointF(), selections, context.clip);
    for (const QLineF &line : underlines)
        drawWave(painter, line.x1(), line.x2(), line.y1());
    const int caret = context.cursorPosition - start;
    if (caret >= 0 && caret < length && tl->lineCount() > 0 && (caret < lineEnd(tl) || caret == length - 1))
        tl->drawCursor(painter, QPointF(), caret, cursorWidth_);
    painter->setPen(pen);
}

// Where the overlay's underlines of the block's lines that meet the clip go.
QList<QLineF> DocLayout::overlayLines(const PaintContext &context, const QTextBlock &block) const {
    const QTextLayout *tl = block.layout();
    const QPointF origin = tl->position();
    const auto shown = [&](const QTextLine &line) {
        const qreal top = origin.y() + line.y();
        return !context.clip.isValid() || (top + line.height() >= context.clip.top() && top <= context.clip.bottom());
    };
    int from = INT_MAX, to = -1;
    for (int i = 0; i < tl->lineCount(); ++i)
        if (const QTextLine line = tl->lineAt(i); shown(line)) {
            from = std::min(from, line.textStart());
            to = std::max(to, line.textStart() + line.textLength());
        }
    if (to < 0)
        return {};
    const QList<std::pair<int, int>> spans = overlay_(block, from, to);
    QList<QLineF> out;
    for (int i = 0; i < tl->lineCount() && !spans.isEmpty(); ++i) {
        const QTextLine line = tl->lineAt(i);
        const int start = line.textStart(), end = start + line.textLength();
        if (!shown(line))
            continue;
        const qreal y = origin.y() + line.y() + line.ascent() + std::max<qreal>(1.5, line.descent() / 2);
        for (const auto &[s, length] : spans) {
            const int a = std::max(s, start), b = std::min(s + length, end);
            if (a >= b)
                continue;
            const qreal x1 = line.cursorToX(a), x2 = line.cursorToX(b);
            out.append(QLineF(origin.x() + std::min(x1, x2), y, origin.x() + std::max(x1, x2), y));
        }
    }
    return out;
}

std::pair<int, int> DocLayout::textBetween(qreal top, qreal bottom) const {
    const int n = tree_.size();
    if (n == 0)
        return {0, 0};
    const qreal margin = page().margin;
    const auto at = [&](qreal y, bool end) {
        const int i = std::max(0, tree_.indexAtHeight(y - margin));
        const QTextBlock b = document()->findBlockByNumber(i);
        const int length = b.length() - 1;
        if (length <= kLongParagraph)
            return b.position() + (end ? length : 0);
        // A long paragraph: its line at y when it is laid out that far.
        const qreal local = y - blockTop(i);
        const QTextLayout *tl = b.layout();
        int offset;
        if (tl->lineCount() > 0 && local <= tl->lineAt(tl->lineCount() - 1).y()) {
            int lo = 0, hi = tl->lineCount() - 1; // the last line starting at or above local
            while (lo < hi) {
                const int mid = (lo + hi + 1) / 2;
                if (tl->lineAt(mid).y() <= local)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            const QTextLine line = tl->lineAt(lo);
            offset = line.textStart() + (end ? line.textLength() : 0);
        } else {
            offset = int(std::clamp<qreal>(local / std::max<qreal>(1, tree_.at(i).height), 0, 1) * length);
        }
        return b.position() + std::clamp(offset, 0, length);
    };
    return {at(top, false), at(bottom, true)};
}

void DocLayout::redraw(const QTextBlock &block) {
    if (!block.isValid() || block.document() != document())
        return;
    const QList<QTextBlock> row = rowParagraphs(block); // the row's cells may stand beside its other paragraphs
    const int i = row.first().blockNumber(), last = row.last().blockNumber();
    const qreal top = page().margin + tree_.heightBefore(i);
    emit update(QRectF(0, top, kWide, page().margin + tree_.heightBefore(last) + tree_.at(last).height - top));
}

// The bullet or number hangs before the first line, a space's width away, in
// the paragraph mark's format. Numbers start where the list says (kListStart)
// and go on through its chain.
void DocLayout::drawListItem(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                             const QTextCharFormat *selection) const {
    const QTextLayout *tl = block.layout();
    if (tl->lineCount() == 0)
        return;
    QTextList *list = block.textList();
    const QTextListFormat lf = list->format();
    int style = lf.style();
    if (block.blockFormat().hasProperty(QTextFormat::ListStyle))
        style = block.blockFormat().intProperty(QTextFormat::ListStyle);
    const QTextCharFormat charFormat = block.charFormat();
    QFont font = charFormat.font().resolve(document()->defaultFont());
    if (paintDevice())
        font = QFont(font, paintDevice());
    const QFontMetrics fm(font);
    QPointF pos = tl->position().toPoint();
    pos += tl->lineAt(0).naturalTextRect().topLeft().toPoint();

    QString label;
    QSizeF size;
    switch (style) {
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        size = QSizeF(fm.lineSpacing() / 3, fm.lineSpacing() / 3);
        break;
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        label = docformat::listLabel(lf, listNumbers_.index(block));
        size = QSizeF(fm.horizontalAdvance(label), fm.height());
        break;
    default:
        return;
    }
    QRectF r(pos, size);
    r.translate(-fm.horizontalAdvance(QLatin1Char(' ')) - size.width(), fm.height() / 2 - size.height() / 2);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selection) {
        painter->setPen(QPen(selection->foreground(), 0));
        painter->fillRect(r, selection->background());
    } else {
        QBrush fg = charFormat.foreground();
        if (fg == Qt::NoBrush)
            fg = context.palette.text();
        painter->setPen(QPen(fg, 0));
    }
    const QBrush brush = context.palette.brush(QPalette::Text);
    if (!label.isEmpty()) {
        QTextLayout text(label, font, paintDevice());
        text.setCacheEnabled(true);
        text.setTextOption(QTextOption(Qt::AlignLeft | Qt::AlignAbsolute));
        text.beginLayout();
        if (QTextLine line = text.createLine(); line.isValid())
            line.setLeadingIncluded(true);
        text.endLayout();
        text.draw(painter, QPointF(r.left(), pos.y()));
    } else if (style == QTextListFormat::ListSquare) {
        painter->fillRect(r, brush);
    } else if (style == QTextListFormat::ListCircle) {
        painter->setPen(QPen(brush, 0));
        painter->drawEllipse(r.translated(0.5, 0.5));
    } else {
        painter->setBrush(brush);
        painter->setPen(Qt::NoPen);
        painter->drawEllipse(r);
    }
    painter->restore();
}
