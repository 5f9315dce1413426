#include "platform/numbers.h"

#include "platform/error.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <locale.h>
#include <stdlib.h>
#include <string>

namespace numbers {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int hexValue(QChar c) {
    if (isDigit(c))
        return c.unicode() - u'0';
    const char16_t lower = c.unicode() | 0x20;
    return lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

[[noreturn]] void notReal(const QString &text) {
    throw tessarin::Error(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

[[noreturn]] void notInteger(const QString &text) {
    throw tessarin::Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

// strtold in the "C" locale, whatever the process's locale is.
long double cNumber(const std::string &text, bool &overflow) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    errno = 0;
    const long double value = strtold_l(text.c_str(), nullptr, c);
    overflow = errno == ERANGE && std::isinf(value);
    return value;
}

} // namespace

long double readReal(const QString &text, QChar separator) {
    qsizetype i = 0, end = text.size();
    while (i < end && text[i] == u' ')
        ++i;
    while (end > i && text[end - 1] == u' ')
        --end;
    // The number again, in the form the C library reads.
    std::string c;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        c += char(text[i++].unicode());
    c += '0'; // so that the separator alone, or first, reads as in "0,5"
    bool mantissa = false;
    for (; i < end && isDigit(text[i]); ++i, mantissa = true)
        c += char(text[i].unicode());
    if (i < end && text[i] == separator) {
        mantissa = true;
        c += '.';
        for (++i; i < end && isDigit(text[i]); ++i)
            c += char(text[i].unicode());
    }
    if (!mantissa)
        notReal(text);
    if (i < end && (text[i] == u'E' || text[i] == u'e')) {
        c += 'e';
        if (++i < end && (text[i] == u'+' || text[i] == u'-'))
            c += char(text[i++].unicode());
        const qsizetype digits = i;
        for (; i < end && isDigit(text[i]); ++i)
            c += char(text[i].unicode());
        if (i == digits)
            notReal(text);
    }
    if (i != end)
        notReal(text);
    bool overflow = false;
    const long double value = cNumber(c, overflow);
    if (overflow)
        notReal(text);
    return value;
}

std::optional<int> parseInteger(QStringView text, bool bareX) {
    qsizetype i = 0;
    const qsizetype end = text.size();
    while (i < end && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const auto startsWith = [&](const char *prefix) { return text.mid(i).startsWith(QLatin1String(prefix)); };
    std::uint64_t value = 0;
    qsizetype digits = 0;
    if (startsWith("$") || startsWith("0x") || startsWith("0X") || (bareX && (startsWith("x") || startsWith("X")))) {
        i += text[i] == u'0' ? 2 : 1;
        int d;
        for (; i < end && (d = hexValue(text[i])) >= 0; ++i, ++digits) {
            value = value * 16 + d;
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        if (digits == 0 || i != end)
            return std::nullopt;
        const auto pattern = std::uint32_t(negative ? 0u - std::uint32_t(value) : std::uint32_t(value));
        return std::int32_t(pattern);
    }
    for (; i < end && isDigit(text[i]); ++i, ++digits) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::uint64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (digits == 0 || i != end || (!negative && value > std::uint64_t(INT32_MAX)))
        return std::nullopt;
    return negative ? int(-std::int64_t(value)) : int(value);
}

int readInteger(const QString &text) {
    const std::optional<int> value = parseInteger(text, true);
    if (!value)
        notInteger(text);
    return *value;
}

QString realText(long double value, QChar separator) {
    if (value == 0)
        return QStringLiteral("0");
    // d.dddddddddddddde±x: the 15 significant digits and the decimal exponent.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    const std::string scientific(buffer, result.ptr);
    const std::size_t e = scientific.find('e');
    const bool negative = scientific[0] == '-';
    std::string digits;
    for (std::size_t k = negative; k < e; ++k)
        if (scientific[k] != '.')
            digits += scientific[k];
    digits.erase(digits.find_last_not_of('0') + 1);
    int exponent = 0;
    const char *expText = scientific.c_str() + e + 1;
    std::from_chars(expText + (*expText == '+'), scientific.c_str() + scientific.size(), exponent);

    QString out = negative ? QStringLiteral("-") : QString();
    const QString d = QString::fromLatin1(digits);
    if (exponent < -4 || exponent >= 15) {
        out += d.left(1);
        if (d.size() > 1)
            out += separator + d.mid(1);
        return out + u'E' + QString::number(exponent);
    }
    if (exponent < 0)
        return out + u'0' + separator + QString(-exponent - 1, u'0') + d;
    const QString whole = d.left(exponent + 1);
    out += whole + QString(exponent + 1 - whole.size(), u'0');
    if (d.size() > exponent + 1)
        out += separator + d.mid(exponent + 1);
    return out;
}

} // namespace numbers
