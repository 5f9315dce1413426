#pragma once
// The document's alphabet is Windows-1251. Every character that enters the
// document is folded into it; a character with no Windows-1251 form becomes '?'.
// Byte 0x98, unassigned in Windows-1251, maps to U+0098 and back, so every byte
// value survives a round trip.
#include <QByteArray>
#include <QString>
#include <string_view>

namespace cp1251 {

// Unicode character of a Windows-1251 byte.
char16_t toUnicode(unsigned char byte);

// Windows-1251 byte of a Unicode code point, or -1 when it has none.
int fromUnicode(char32_t cp);

// True when every UTF-16 unit of s is a character of the alphabet.
bool isFolded(QStringView s);

// s with every character outside the alphabet replaced by '?'; a surrogate
// pair is one character and becomes one '?'.
QString fold(QStringView s);

// The code point folded into the alphabet, as a UTF-16 unit.
char16_t foldChar(char32_t cp);

QString decode(std::string_view bytes);
QString decode(const QByteArray &bytes);
// Characters outside the alphabet are written as '?'.
QByteArray encode(QStringView s);

} // namespace cp1251
