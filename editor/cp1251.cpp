#include "editor/cp1251.h"

#include <array>

namespace cp1251 {
namespace {

constexpr std::array<char16_t, 64> kHigh80 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

// Reverse map for the code points above U+007F, built once.
struct Reverse {
    std::array<short, 0x2200> table{}; // code point -> byte, 0 when none
    Reverse() {
        for (int i = 0; i < 64; ++i)
            table[kHigh80[i]] = static_cast<short>(0x80 + i);
        for (int i = 0; i < 64; ++i)
            table[0x0410 + i] = static_cast<short>(0xC0 + i);
    }
};

const Reverse &reverse() {
    static const Reverse r;
    return r;
}

} // namespace

char16_t toUnicode(unsigned char byte) {
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh80[byte - 0x80];
}

int fromUnicode(char32_t cp) {
    if (cp < 0x80)
        return static_cast<int>(cp);
    if (cp >= reverse().table.size())
        return -1;
    const short b = reverse().table[cp];
    return b ? b : -1;
}

Missing missing(QStringView s, int few) {
    Missing m;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i].unicode() < 0x80)
            continue;
        const bool pair = s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
        if (!pair && fromUnicode(s[i].unicode()) >= 0)
            continue;
        const QString c = s.mid(i, pair ? 2 : 1).toString();
        ++m.count;
        if (m.first.size() < few && !m.first.contains(c))
            m.first << c;
        i += pair;
    }
    return m;
}

QString decode(std::string_view bytes) {
    QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar *d = out.data();
    for (unsigned char b : bytes)
        *d++ = QChar(toUnicode(b));
    return out;
}

QString decode(const QByteArray &bytes) {
    return decode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QByteArray encode(QStringView s) {
    QByteArray out(s.size(), Qt::Uninitialized);
    char *d = out.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
            ++i;
        const int b = fromUnicode(c.unicode());
        d[n++] = static_cast<char>(b >= 0 ? b : '?');
    }
    out.truncate(n);
    return out;
}

} // namespace cp1251
