#pragma once
// Windows-1251, the code page of plain-text files and of the fallback bytes
// of RTF. Byte 0x98, unassigned in Windows-1251, maps to U+0098 and back, so every byte
// value survives a round trip.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>

namespace cp1251 {

// Unicode character of a Windows-1251 byte.
char16_t toUnicode(unsigned char byte);

// Windows-1251 byte of a Unicode code point, or -1 when it has none.
int fromUnicode(char32_t cp);

// The characters of s that Windows-1251 lacks: how many there are (a
// surrogate pair is one), and the first few different ones.
struct Missing {
    qsizetype count = 0;
    QStringList first;
};
Missing missing(QStringView s, int few = 5);

QString decode(std::string_view bytes);
QString decode(const QByteArray &bytes);
// Characters outside the alphabet are written as '?'; a surrogate pair is one
// character and becomes one '?'.
QByteArray encode(QStringView s);

} // namespace cp1251
