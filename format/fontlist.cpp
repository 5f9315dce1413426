#include "format/fontlist.h"

#include <QFontDatabase>

#include <algorithm>

QString fontFamily(const QString &name) {
    const QString trimmed = name.trimmed();
    if (!trimmed.endsWith(u']'))
        return trimmed;
    const qsizetype open = trimmed.lastIndexOf(u'[');
    return open > 0 ? trimmed.left(open).trimmed() : trimmed;
}

QStringList fontFamilies() {
    QStringList names;
    for (const QString &family : QFontDatabase::families())
        names.append(fontFamily(family));
    names.append(QStringLiteral("Default"));
    // Case-insensitive order; fontconfig matches names in any case, so names
    // differing only in case are one font and listed once.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }),
                names.end());
    return names;
}

QString installedFamily(const QString &name) {
    const QString wanted = fontFamily(name);
    if (wanted.isEmpty())
        return {};
    QString found;
    for (const QString &family : QFontDatabase::families()) {
        const QString bare = fontFamily(family);
        if (bare == wanted)
            return bare;
        if (found.isEmpty() && bare.compare(wanted, Qt::CaseInsensitive) == 0)
            found = bare;
    }
    return found;
}
