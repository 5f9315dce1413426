#pragma once
// Numbers as the user reads and writes them: reals with the decimal separator
// of the user's numeric locale (LC_NUMERIC), integers in decimal or
// hexadecimal. A text that is not a number throws tessarin::Error with the
// message the user sees.
#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

namespace numbers {

// Blanks around; a sign; digits, optionally the separator and more digits (at
// least one digit or the separator); optionally "E" or "e", a sign and
// exponent digits. A value beyond the range of long double fails with
// "'text' is not a valid floating point value"; one too small for it is 0.
long double readReal(const QString &text, QChar separator);

// The integer rule of the settings file and the calculator: blanks before, a
// sign, then decimal digits within 32 bits, or up to eight significant
// hexadecimal digits after "$", "0x" or "0X" (and "x" or "X" when bareX),
// taken as a 32-bit pattern ("$FFFFFFFF" is -1). Nothing may follow, not even
// a blank. No value otherwise.
std::optional<int> parseInteger(QStringView text, bool bareX);

// parseInteger with every prefix; otherwise "'text' is not a valid integer value".
int readInteger(const QString &text);

// A finite value to 15 significant digits, rounded, without trailing zeros:
// fixed notation from 0.0001 up to below 1E15, otherwise "1,5E20" / "1E-5".
QString realText(long double value, QChar separator);

} // namespace numbers
