#include "platform/datetime.h"

#include <clocale>
#include <cwchar>
#include <langinfo.h>
#include <string>

namespace {

QString langInfo(nl_item item) {
    // The locale's own encoding: wide conversion through the C library.
    const char *text = nl_langinfo(item);
    std::mbstate_t state{};
    const char *source = text;
    const std::size_t length = std::mbsrtowcs(nullptr, &source, 0, &state);
    if (length == std::size_t(-1))
        return QString::fromLatin1(text);
    std::wstring wide(length, L'\0');
    source = text;
    state = std::mbstate_t{};
    std::mbsrtowcs(wide.data(), &source, length, &state);
    return QString::fromStdWString(wide);
}

// strftime through its wide form, so that month and day names of any
// locale encoding come out right.
QString format(const QString &pattern, const std::tm &tm) {
    if (pattern.isEmpty())
        return {};
    const std::wstring wpattern = pattern.toStdWString();
    std::wstring out(64 + 8 * wpattern.size(), L'\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::size_t n = std::wcsftime(out.data(), out.size(), wpattern.c_str(), &tm);
        if (n > 0)
            return QString::fromWCharArray(out.data(), qsizetype(n));
        out.resize(out.size() * 4);
    }
    return {}; // a pattern that formats to nothing
}

std::tm toTm(const QDate &date, const QTime &time) {
    std::tm tm{};
    if (date.isValid()) {
        tm.tm_year = date.year() - 1900;
        tm.tm_mon = date.month() - 1;
        tm.tm_mday = date.day();
        tm.tm_wday = date.dayOfWeek() % 7;
        tm.tm_yday = date.dayOfYear() - 1;
    }
    if (time.isValid()) {
        tm.tm_hour = time.hour();
        tm.tm_min = time.minute();
        tm.tm_sec = time.second();
    }
    tm.tm_isdst = -1;
    return tm;
}

} // namespace

QString shortDateFormat() {
    return langInfo(D_FMT);
}

QString longTimeFormat() {
    return langInfo(T_FMT);
}

QString shortDateText(const QDate &date) {
    return format(shortDateFormat(), toTm(date, QTime(0, 0)));
}

QString longTimeText(const QTime &time) {
    return format(longTimeFormat(), toTm(QDate(2000, 1, 1), time));
}

QString dateTimeText(const QDateTime &now) {
    const QDate date = now.date();
    const QTime time = now.time();
    const std::tm tm = toTm(date, time);
    QString text = format(shortDateFormat(), tm);
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0)
        text += u' ' + format(longTimeFormat(), tm);
    return text;
}

QChar decimalSeparator() {
    const QString radix = langInfo(RADIXCHAR);
    return radix.isEmpty() ? QChar(u'.') : radix.front();
}
