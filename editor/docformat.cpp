#include "editor/docformat.h"
#include "editor/rtf/numbering.h"

#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>

namespace docformat {

namespace {
constexpr double kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch
}

int startIndent(const QTextBlockFormat &f) { return f.intProperty(kStartIndent); }
int offset(const QTextBlockFormat &f) { return f.intProperty(kOffset); }

void setParagraphIndents(QTextBlockFormat &f, int startTwips, int offsetTwips) {
    f.setProperty(kStartIndent, startTwips);
    f.setProperty(kOffset, offsetTwips);
    // Later lines start at start + offset; the first line is pulled back by
    // offset. A bulleted paragraph (one in a list) starts its first line's text
    // there too: its bullet hangs in the room the offset leaves before it.
    f.setLeftMargin((startTwips + offsetTwips) / kTwipsPerPixel);
    f.setTextIndent(f.objectIndex() >= 0 ? 0.0 : -offsetTwips / kTwipsPerPixel);
}

namespace {
// Derives the margins again after the paragraph joined or left a list.
void refreshIndents(const QTextBlock &block) {
    QTextBlockFormat bf = block.blockFormat();
    setParagraphIndents(bf, startIndent(bf), offset(bf));
    QTextCursor(block).setBlockFormat(bf);
}
} // namespace

bool isBullet(QTextListFormat::Style style) {
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

QString bulletMarker(QTextListFormat::Style style) {
    switch (style) {
    case QTextListFormat::ListCircle: return QStringLiteral("\u25E6");
    case QTextListFormat::ListSquare: return QStringLiteral("\u25AA");
    default: return QStringLiteral("\u2022");
    }
}

int bulletKind(QTextListFormat::Style style, int level) { return -style * 16 + level; }
int bulletKind(const QTextListFormat &f) { return bulletKind(f.style(), f.intProperty(kListLevel)); }

bool hasBullet(const QTextBlock &block) {
    const QTextList *list = block.textList();
    return list && isBullet(list->format().style());
}

int listStart(const QTextListFormat &f) {
    return f.hasProperty(kListStart) ? f.intProperty(kListStart) : 1;
}

QString numberSuffix(const QTextListFormat &f) {
    return f.hasProperty(QTextFormat::ListNumberSuffix) ? f.numberSuffix() : QStringLiteral(".");
}

QString listLabel(const QTextListFormat &f, int index) {
    using numbering::Style;
    Style style = Style::Decimal;
    switch (f.style()) {
    case QTextListFormat::ListDecimal: break;
    case QTextListFormat::ListLowerAlpha: style = Style::LowerAlpha; break;
    case QTextListFormat::ListUpperAlpha: style = Style::UpperAlpha; break;
    case QTextListFormat::ListLowerRoman: style = Style::LowerRoman; break;
    case QTextListFormat::ListUpperRoman: style = Style::UpperRoman; break;
    default: return QStringLiteral("\u2022");
    }
    return f.numberPrefix() + QString::fromStdU16String(numbering::text(style, listStart(f) + index)) + numberSuffix(f);
}

int listChain(const QTextList *list) {
    const QTextListFormat f = list->format();
    return f.hasProperty(kListChain) ? f.intProperty(kListChain) : list->objectIndex();
}

QTextListFormat chainedFormat(const QTextList *list) {
    QTextListFormat f = list->format();
    f.setProperty(kListChain, listChain(list));
    return f;
}

int ListNumbers::index(const QTextBlock &block) {
    const QTextList *list = block.textList();
    if (!valid_) {
        // Each chain's lists in the order of their first items.
        QHash<int, QList<std::pair<int, const QTextList *>>> chains;
        for (const QTextList *l : block.document()->findChildren<QTextList *>(Qt::FindDirectChildrenOnly))
            if (l->count() > 0)
                chains[listChain(l)].append({l->item(0).position(), l});
        before_.clear();
        for (auto &chain : chains) {
            std::sort(chain.begin(), chain.end());
            int items = 0;
            for (const auto &[position, l] : chain) {
                before_.insert(l->objectIndex(), items);
                items += l->count();
            }
        }
        valid_ = true;
    }
    return before_.value(list->objectIndex()) + list->itemNumber(block);
}

void setBullet(QTextCursor &cursor, bool on) {
    QTextDocument *doc = cursor.document();
    QTextBlock first = doc->findBlock(cursor.selectionStart());
    const QTextBlock last = doc->findBlock(cursor.selectionEnd());
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        QTextList *current = b.textList();
        if (on && !hasBullet(b)) {
            if (current)
                current->remove(b);
            // Join the bulleted paragraph just before, if there is one.
            QTextBlock prev = b.previous();
            if (prev.isValid() && hasBullet(prev) && prev.textList()->count() < kListChunk) {
                prev.textList()->add(b);
            } else {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::ListDisc);
                lf.setIndent(0);
                QTextCursor c(b);
                c.createList(lf);
            }
            refreshIndents(b);
        } else if (!on && current) {
            current->remove(b);
            QTextCursor c(b);
            QTextBlockFormat bf = b.blockFormat();
            bf.setObjectIndex(-1);
            bf.setIndent(0);
            setParagraphIndents(bf, startIndent(bf), offset(bf));
            c.setBlockFormat(bf);
        }
        if (b == last)
            break;
    }
}

QString fontName(const QTextCharFormat &f) {
    const QStringList fams = f.fontFamilies().toStringList();
    return fams.isEmpty() ? QString() : fams.first();
}

void setFontName(QTextCharFormat &f, const QString &name) {
    f.setFontFamilies(QStringList{name});
}

bool isBold(const QTextCharFormat &f) { return f.fontWeight() >= QFont::Bold; }

bool hasColor(const QTextCharFormat &f) { return f.hasProperty(QTextFormat::ForegroundBrush); }

QString field(const QTextCharFormat &f) { return f.stringProperty(kField); }

void setField(QTextCharFormat &f, const QString &instruction) {
    f.setProperty(kField, instruction);
    const QString target = hyperlinkTarget(instruction);
    if (!target.isEmpty()) {
        f.setAnchor(true);
        f.setAnchorHref(target);
    }
}

QString hyperlinkTarget(const QString &instruction) {
    const QString s = instruction.trimmed();
    if (!s.startsWith(QLatin1String("HYPERLINK"), Qt::CaseInsensitive))
        return {};
    // The words after HYPERLINK: switches (\o "tip", \t frame...), a \l
    // bookmark, and the target, quoted or not.
    QString target, bookmark;
    bool local = false, skipNext = false;
    for (qsizetype i = 9; i < s.size();) {
        while (i < s.size() && s[i].isSpace())
            ++i;
        if (i >= s.size())
            break;
        QString word;
        if (s[i] == u'"') {
            const qsizetype end = s.indexOf(u'"', i + 1);
            word = s.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? s.size() : end + 1;
        } else {
            qsizetype end = i;
            while (end < s.size() && !s[end].isSpace())
                ++end;
            word = s.mid(i, end - i);
            i = end;
        }
        if (word.startsWith(u'\\') && word.size() == 2) {
            local = word[1] == u'l';
            skipNext = !local && (word[1] == u'o' || word[1] == u't');
            continue;
        }
        if (skipNext) {
            skipNext = false;
        } else if (local) {
            bookmark = word;
            local = false;
        } else if (target.isEmpty()) {
            target = word;
        }
    }
    return !target.isEmpty() ? target : bookmark.isEmpty() ? QString() : u'#' + bookmark;
}

namespace {
// The parts' letters while the paragraph's own alignment is the last one's.
QByteArray heldAligns(const QTextBlockFormat &f) {
    const QByteArray aligns = f.property(kCellAligns).toByteArray();
    const Qt::Alignment own = f.alignment();
    const int last = own & Qt::AlignHCenter ? 1 : own & Qt::AlignRight ? 2 : own & Qt::AlignJustify ? 3 : 0;
    return aligns.endsWith(kAlignLetters[last]) ? aligns : QByteArray();
}
} // namespace

QByteArray partAligns(const QTextBlockFormat &f, int parts) {
    const QByteArray aligns = heldAligns(f);
    return aligns.size() == parts ? aligns : QByteArray();
}

Qt::Alignment partAlignment(const QTextBlockFormat &f, int part) {
    const QByteArray aligns = heldAligns(f);
    if (part < 0 || part >= aligns.size())
        return f.alignment();
    static constexpr Qt::Alignment kAligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    return kAligns[std::max<qsizetype>(0, QByteArrayView(kAlignLetters).indexOf(aligns[part]))];
}

bool nested(const QTextBlock &block) { return block.blockFormat().intProperty(kNest) >= 2; }

bool inTable(const QTextBlock &block) { return block.isValid() && block.blockFormat().boolProperty(kInTable); }
bool endsRow(const QTextBlock &block) { return block.blockFormat().hasProperty(kRow); }

QList<RowWord> rowWords(const QByteArray &row) {
    const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    QList<RowWord> words;
    const qsizetype n = row.size();
    for (qsizetype i = row.indexOf('\\'); i >= 0 && i < n; i = row.indexOf('\\', i)) {
        qsizetype j = i + 1;
        while (j < n && letter(row[j]))
            ++j;
        RowWord w{QByteArrayView(row.constData() + i + 1, j - i - 1)};
        const bool negative = j < n && row[j] == '-';
        qsizetype k = j + negative;
        while (k < n && digit(row[k]))
            w.param = std::min(w.param * 10 + (row[k++] - '0'), qint64(1) << 40);
        w.hasParam = k > j + negative;
        if (!w.hasParam)
            k = j;
        else if (negative)
            w.param = -w.param;
        w.from = i;
        w.to = k < n && row[k] == ' ' ? k + 1 : k;
        if (j > i + 1)
            words.append(w);
        i = std::max(w.to, i + 1);
    }
    return words;
}

bool isColourWord(QByteArrayView name) {
    return name == "clcbpat" || name == "clcfpat" || name == "brdrcf" || name == "trcbpat" || name == "trcfpat";
}

namespace {
QColor colourOf(const RowWord &w) {
    return w.param >= kRgbParam && w.param < kRgbParam + 0x1000000 ? QColor(QRgb(w.param - kRgbParam)) : QColor();
}

// What a border word does to the side it follows: a style turns it on.
void applyBorderWord(Border &side, const RowWord &w) {
    if (w.name == "brdrw")
        side.twips = int(std::clamp<qint64>(w.param, 0, 1440));
    else if (w.name == "brdrcf")
        side.color = colourOf(w);
    else if (w.name == "brdrnone" || w.name == "brdrnil")
        side.on = false;
    else if (w.name != "brdrsp" && w.name != "brdrbtw" && w.name != "brdrbar" && w.name != "brdrbox")
        side.on = true;
}
} // namespace

QList<CellLook> cellLooks(const QByteArray &row) {
    QList<CellLook> cells;
    CellLook next;
    QColor pattern;
    int shading = 0;       // of 10000
    Border *side = nullptr; // the one the border words are about
    bool cellBorders = false;
    enum { T, L, B, R, H, V };
    Border rowSides[6];
    for (const RowWord &w : rowWords(row)) {
        const QByteArrayView name = w.name;
        if (name == "clmrg") {
            next.merge = Merge::Across;
        } else if (name == "clvmrg") {
            next.merge = Merge::Down;
        } else if (name == "clvertalc") {
            next.vertical = Qt::AlignVCenter;
        } else if (name == "clvertalb") {
            next.vertical = Qt::AlignBottom;
        } else if (name == "clcbpat") {
            next.background = colourOf(w);
        } else if (name == "clcfpat") {
            pattern = colourOf(w);
        } else if (name == "clshdng") {
            shading = int(std::clamp<qint64>(w.param, 0, 10000));
        } else if (name.size() == 7 && name.startsWith("clbrdr")) {
            Border *sides[] = {&next.top, &next.left, &next.bottom, &next.right};
            const int at = QByteArrayView("tlbr").indexOf(name[6]);
            side = at >= 0 ? sides[at] : nullptr;
            cellBorders |= side != nullptr;
        } else if (name.size() == 7 && name.startsWith("trbrdr")) {
            const int at = QByteArrayView("tlbrhv").indexOf(name[6]);
            side = at >= 0 ? &rowSides[at] : nullptr;
        } else if (name.startsWith("brdr")) {
            if (side)
                applyBorderWord(*side, w);
        } else if (name == "cellx") {
            if (shading > 0) { // the pattern colour over the background, so much of it
                const QColor fg = pattern.isValid() ? pattern : QColor(Qt::black);
                const QColor bg = next.background.isValid() ? next.background : QColor(Qt::white);
                const auto mix = [&](int a, int b) { return (a * shading + b * (10000 - shading)) / 10000; };
                next.background = QColor(mix(fg.red(), bg.red()), mix(fg.green(), bg.green()), mix(fg.blue(), bg.blue()));
            }
            cells.append(next);
            next = CellLook();
            pattern = QColor();
            shading = 0;
            side = nullptr;
        } else if (!name.startsWith("cl")) {
            side = nullptr; // a border's words follow it at once
        }
    }
    if (!cellBorders)
        for (qsizetype i = 0; i < cells.size(); ++i) {
            cells[i].top = rowSides[T];
            cells[i].bottom = rowSides[B];
            cells[i].left = rowSides[i == 0 ? L : V];
            cells[i].right = rowSides[i + 1 == cells.size() ? R : V];
        }
    return cells;
}

} // namespace docformat
