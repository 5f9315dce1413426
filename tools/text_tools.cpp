#include "tools/text_tools.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>

namespace text_tools {

namespace {

bool isPair(QStringView s, qsizetype i) {
    return s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
}

// A combining mark at i: it belongs to the character before it.
bool isMarkAt(QStringView s, qsizetype i) {
    const char32_t cp = isPair(s, i) ? QChar::surrogateToUcs4(s[i], s[i + 1]) : s[i].unicode();
    const QChar::Category c = QChar::category(cp);
    return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining || c == QChar::Mark_Enclosing;
}

} // namespace

QString reversed(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar *to = out.data() + out.size();
    // Character by character from the front, each written at the back: a
    // surrogate pair, or a character with its combining marks, stays whole.
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        do {
            end += isPair(text, end) ? 2 : 1;
        } while (end < text.size() && isMarkAt(text, end));
        to -= end - i;
        std::copy(text.begin() + i, text.begin() + end, to);
        i = end;
    }
    return out;
}

QString repeat(const QString &text, int count) {
    return count > 0 ? text.repeated(count) : QString();
}

QCollator lineCollator() {
    QLocale locale = QLocale::system();
    // Qt's collator compares C-locale keys byte by byte, case and all.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

std::vector<int> sortOrder(const QStringList &lines, const QCollator &collator) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(lines.size());
    for (const QString &line : lines)
        keys.push_back(collator.sortKey(line));
    std::vector<int> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&keys](int a, int b) {
        const int c = keys[a].compare(keys[b]);
        return c < 0 || (c == 0 && a < b);
    });
    return order;
}

QStringList sortedLines(const QStringList &lines, const QCollator &collator) {
    QStringList out;
    out.reserve(lines.size());
    for (int i : sortOrder(lines, collator))
        out.append(lines[i]);
    return out;
}

} // namespace text_tools
