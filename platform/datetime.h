#pragma once
// The user's date, time and number formats, from the C library's locale
// (LC_TIME, LC_NUMERIC) as the process has set it: QCoreApplication sets it
// from the environment. Qt's QLocale keeps data of its own and is not used.
#include <QChar>
#include <QDateTime>
#include <QString>

// The short-date and long-time formats as strftime patterns, e.g. "%d.%m.%Y"
// and "%T" for ru_RU.
QString shortDateFormat();
QString longTimeFormat();

// A date in the short-date format, a time in the long-time format.
QString shortDateText(const QDate &date);
QString longTimeText(const QTime &time);

// The date in the short-date format, one blank and the time in the long-time
// format; the time and its blank are left out at exactly 00:00:00.
QString dateTimeText(const QDateTime &now);

// The decimal separator of the user's numbers: "," for ru_RU, "." for C.
QChar decimalSeparator();
