#include "editor/rtf/numbering.h"

#include <algorithm>

namespace numbering {

namespace {

std::u16string digits(int n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string letters(int n, char16_t a) {
    std::u16string out;
    for (; n > 0; n = (n - 1) / 26)
        out.insert(out.begin(), char16_t(a + (n - 1) % 26));
    return out;
}

std::u16string roman(int n, bool upper) {
    if (n >= 5000)
        return u"?";
    static const struct {
        int value;
        const char16_t *digits;
    } kDigits[] = {{1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"}, {90, u"xc"}, {50, u"l"},
                   {40, u"xl"},  {10, u"x"},   {9, u"ix"},  {5, u"v"},    {4, u"iv"},   {1, u"i"}};
    std::u16string out;
    for (const auto &d : kDigits)
        for (; n >= d.value; n -= d.value)
            out += d.digits;
    if (upper)
        std::transform(out.begin(), out.end(), out.begin(), [](char16_t c) { return char16_t(c - u'a' + u'A'); });
    return out;
}

} // namespace

std::u16string text(Style style, int n) {
    switch (style) {
    case Style::LowerAlpha: return n > 0 ? letters(n, u'a') : digits(n);
    case Style::UpperAlpha: return n > 0 ? letters(n, u'A') : digits(n);
    case Style::LowerRoman: return roman(n, false);
    case Style::UpperRoman: return roman(n, true);
    case Style::Decimal: break;
    }
    return digits(n);
}

} // namespace numbering
