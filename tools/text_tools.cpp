#include "tools/text_tools.h"

#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>

namespace text_tools {

QString reversed(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    std::reverse_copy(text.begin(), text.end(), out.begin());
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
