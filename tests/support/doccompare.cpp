#include "tests/support/doccompare.h"

#include "editor/docformat.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>

#include <cmath>
#include <vector>

namespace doccompare {

Char charOf(const QTextDocument &doc, const QTextCharFormat &f) {
    Char c;
    c.font = docformat::fontName(f);
    if (c.font.isEmpty())
        c.font = doc.defaultFont().family();
    double pt = f.fontPointSize();
    if (pt <= 0)
        pt = doc.defaultFont().pointSizeF();
    c.halfPoints = pt > 0 ? int(std::lround(pt * 2)) : 24;
    c.hasColor = docformat::hasColor(f);
    c.rgb = c.hasColor ? (f.foreground().color().rgb() & 0xFFFFFF) : 0;
    c.bold = docformat::isBold(f);
    c.italic = f.fontItalic();
    c.underline = f.fontUnderline();
    c.strike = f.fontStrikeOut();
    return c;
}

Para paraOf(const QTextBlock &block) {
    const QTextBlockFormat f = block.blockFormat();
    Para p;
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    p.align = (a & Qt::AlignHCenter) ? 1 : (a & Qt::AlignJustify) ? 3 : (a & Qt::AlignRight) ? 2 : 0;
    p.start = docformat::startIndent(f);
    p.offset = docformat::offset(f);
    p.bullet = docformat::hasBullet(block);
    if (const QTextList *list = block.textList())
        p.label = docformat::listLabel(list->format(), list->itemNumber(block));
    return p;
}

QString describe(const Char &c) {
    QString s = QStringLiteral("%1 %2pt").arg(c.font).arg(c.halfPoints / 2.0);
    if (c.hasColor)
        s += QStringLiteral(" #%1").arg(c.rgb, 6, 16, QLatin1Char('0'));
    if (c.bold)
        s += QStringLiteral(" bold");
    if (c.italic)
        s += QStringLiteral(" italic");
    if (c.underline)
        s += QStringLiteral(" underline");
    if (c.strike)
        s += QStringLiteral(" strike");
    return s;
}

QString describe(const Para &p) {
    static const char *const kAlign[] = {"left", "centre", "right", "justify"};
    return QStringLiteral("%1 start %2 offset %3%4%5")
        .arg(QLatin1String(kAlign[p.align]))
        .arg(p.start)
        .arg(p.offset)
        .arg(p.bullet ? QStringLiteral(" bullet") : QString(),
             p.label.isEmpty() ? QString() : QStringLiteral(" label ") + p.label);
}

namespace {

struct Run {
    int length;
    Char format;
};

std::vector<Run> runsOf(const QTextDocument &doc, const QTextBlock &block) {
    std::vector<Run> runs;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        if (frag.length() == 0)
            continue;
        const Char c = charOf(doc, frag.charFormat());
        if (!runs.empty() && runs.back().format == c)
            runs.back().length += frag.length();
        else
            runs.push_back({frag.length(), c});
    }
    return runs;
}

} // namespace

QString firstDifference(const QTextDocument &a, const QTextDocument &b) {
    if (a.blockCount() != b.blockCount())
        return QStringLiteral("%1 paragraphs against %2").arg(a.blockCount()).arg(b.blockCount());
    int n = 0;
    for (QTextBlock ba = a.begin(), bb = b.begin(); ba.isValid(); ba = ba.next(), bb = bb.next(), ++n) {
        const QString where = QStringLiteral("paragraph %1: ").arg(n);
        if (ba.text() != bb.text())
            return where + QStringLiteral("text \"%1\" against \"%2\"").arg(ba.text(), bb.text());
        const Para pa = paraOf(ba), pb = paraOf(bb);
        if (!(pa == pb))
            return where + describe(pa) + QStringLiteral(" against ") + describe(pb);
        if (ba.length() == 1) {
            const Char ca = charOf(a, ba.charFormat()), cb = charOf(b, bb.charFormat());
            if (!(ca == cb))
                return where + QStringLiteral("empty, formatted ") + describe(ca) + QStringLiteral(" against ") +
                       describe(cb);
            continue;
        }
        const std::vector<Run> ra = runsOf(a, ba), rb = runsOf(b, bb);
        size_t i = 0, j = 0;
        int offA = 0, offB = 0, pos = 0;
        while (i < ra.size() && j < rb.size()) {
            if (!(ra[i].format == rb[j].format))
                return where + QStringLiteral("character %1 (\"%2\"): ").arg(pos).arg(ba.text().mid(pos, 12)) +
                       describe(ra[i].format) + QStringLiteral(" against ") + describe(rb[j].format);
            const int step = std::min(ra[i].length - offA, rb[j].length - offB);
            pos += step;
            offA += step;
            offB += step;
            if (offA == ra[i].length) {
                ++i;
                offA = 0;
            }
            if (offB == rb[j].length) {
                ++j;
                offB = 0;
            }
        }
    }
    return {};
}

} // namespace doccompare
