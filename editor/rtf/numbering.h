#pragma once
// A list item's number as text, in one of the numberings lists have; shared
// by the RTF reader (labels that show other levels' numbers) and the
// document's labels.
#include <string>

namespace numbering {

enum class Style { Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

// "12"; letters go on "z", "aa", "ab"... (a number below 1 stays digits);
// Roman numerals up to 4999, then "?".
std::u16string text(Style style, int n);

} // namespace numbering
