#include "editor/rtf/codepage.h"

#include "editor/cp1251.h"

#include <cerrno>
#include <iconv.h>
#include <map>
#include <mutex>

namespace rtf::detail {

namespace {

// Adobe Symbol encoding, 0x20..0xFF (0: unassigned or a bracket piece).
constexpr char16_t kSymbolTable[224] = {
    // 0x20
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B,
    0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212, 0x002E, 0x002F,
    // 0x30
    0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F,
    // 0x40
    0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393,
    0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    // 0x50
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F,
    // 0x60
    0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF,
    // 0x70
    0x03C0, 0x03B8, 0x03C1, 0x03C3, 0x03C4, 0x03C5, 0x03D6, 0x03C9,
    0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
    // 0x80
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0x90
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // 0xA0
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663,
    0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    // 0xB0
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5,
    // 0xC0
    0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    // 0xD0
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    // 0xE0
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0,
    // 0xF0
    0, 0x232A, 0x222B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// The glibc name of a Windows code page; nullptr for pages we do not read.
const char *iconvName(int number) {
    switch (number) {
    case 437: return "CP437";
    case 737: return "CP737";
    case 775: return "CP775";
    case 850: return "CP850";
    case 852: return "CP852";
    case 855: return "CP855";
    case 857: return "CP857";
    case 860: return "CP860";
    case 861: return "CP861";
    case 862: return "CP862";
    case 863: return "CP863";
    case 864: return "CP864";
    case 865: return "CP865";
    case 866: return "CP866";
    case 869: return "CP869";
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "GBK";
    case 949: return "UHC";
    case 950: return "BIG5";
    case 1250: return "CP1250";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 1361: return "JOHAB";
    case 10000: return "MACINTOSH";
    case 10007: return "MAC-CYRILLIC";
    case 10029: return "MAC-CENTRALEUROPE";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 28605: return "ISO-8859-15";
    default: return nullptr;
    }
}

// Decodes one byte sequence to one code point; 0 on an invalid sequence, -1 when
// the bytes are an incomplete (lead) sequence.
long decodeOne(iconv_t cd, const unsigned char *bytes, size_t n) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char32_t out[4] = {};
    char *in = reinterpret_cast<char *>(const_cast<unsigned char *>(bytes));
    char *op = reinterpret_cast<char *>(out);
    size_t il = n, ol = sizeof out;
    const size_t r = iconv(cd, &in, &il, &op, &ol);
    if (r == static_cast<size_t>(-1) && errno == EINVAL)
        return -1;
    if (r == static_cast<size_t>(-1) && errno != E2BIG)
        return 0;
    iconv(cd, nullptr, nullptr, &op, &ol); // flush a stateful converter (CP1258)
    return op == reinterpret_cast<char *>(out) ? 0 : static_cast<long>(out[0]);
}

// A decoded character, or '?' for a byte sequence the page does not assign.
char16_t charOrQuestion(long cp) {
    return cp > 0 && cp <= 0xFFFF ? static_cast<char16_t>(cp) : u'?';
}

std::unique_ptr<CodePage> build(int number) {
    auto page = std::make_unique<CodePage>();
    page->number = number;
    for (int b = 0; b < 0x20; ++b)
        page->map[b] = static_cast<char16_t>(b);
    if (number == 1251) {
        for (int b = 0x20; b < 256; ++b)
            page->map[b] = cp1251::toUnicode(static_cast<unsigned char>(b));
        return page;
    }
    if (number == kSymbol) {
        for (int b = 0x20; b < 256; ++b)
            page->map[b] = charOrQuestion(kSymbolTable[b - 0x20]);
        return page;
    }
    const char *iname = iconvName(number);
    if (!iname)
        return nullptr;
    iconv_t cd = iconv_open("UTF-32LE", iname);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return nullptr;
    for (int b = 0x20; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        const long cp = decodeOne(cd, &byte, 1);
        if (cp == -1 && b >= 0x80) {
            page->lead[b] = true;
            page->dbcs = true;
            page->map[b] = u'?';
        } else {
            page->map[b] = charOrQuestion(cp);
        }
    }
    if (page->dbcs) {
        page->pairs = std::make_unique<char16_t[]>(128 * 256);
        for (int l = 0x80; l < 256; ++l) {
            char16_t *row = &page->pairs[(l - 0x80) * 256];
            for (int t = 0; t < 256; ++t) {
                if (!page->lead[l]) {
                    row[t] = u'?';
                    continue;
                }
                const unsigned char two[2] = {static_cast<unsigned char>(l), static_cast<unsigned char>(t)};
                const long cp = decodeOne(cd, two, 2);
                row[t] = charOrQuestion(cp);
            }
        }
    }
    iconv_close(cd);
    return page;
}

} // namespace

char32_t symbolChar(unsigned char byte) {
    return byte >= 0x20 ? kSymbolTable[byte - 0x20] : byte;
}

int codePageOfCharset(int charset) {
    switch (charset) {
    case 0: return 1252;
    case 2: return kSymbol;
    case 77: return 10000;
    case 89: return 10007;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

namespace {

std::mutex pagesMutex;
std::map<int, std::unique_ptr<CodePage>> pages; // nullptr: iconv could not build it

const CodePage *findOrBuild(int number) {
    auto it = pages.find(number);
    if (it == pages.end())
        it = pages.emplace(number, build(number)).first;
    return it->second.get();
}

} // namespace

const CodePage &codePage(int number) {
    std::lock_guard lock(pagesMutex);
    if (number == 1251 || number == kSymbol || iconvName(number))
        if (const CodePage *p = findOrBuild(number))
            return *p;
    if (const CodePage *p = findOrBuild(1252))
        return *p;
    return *findOrBuild(1251); // built without iconv, never fails
}

} // namespace rtf::detail
