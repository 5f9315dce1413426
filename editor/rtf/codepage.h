#pragma once
// Byte-to-character tables for the code pages RTF text can be written in. Each
// table is built once per process (from glibc iconv), so decoding is one
// lookup per byte.
#include <cstdint>
#include <memory>

namespace rtf::detail {

struct CodePage {
    int number = 0;           // Windows code page number; kSymbol for the Symbol font
    char16_t map[256] = {};   // character of each single byte ('?' unassigned); controls map to themselves
    bool dbcs = false;        // double-byte page: lead bytes start a pair
    bool lead[256] = {};      // lead bytes of a double-byte page
    // Character of a lead/trail pair: pairs[(lead - 0x80) * 256 + trail].
    std::unique_ptr<char16_t[]> pairs;

    char16_t pair(unsigned char leadByte, unsigned char trail) const {
        return leadByte >= 0x80 && pairs ? pairs[(leadByte - 0x80) * 256 + trail] : u'?';
    }
};

constexpr int kSymbol = 2; // our number for the Symbol font's encoding (\fcharset2)

// The table for a Windows code page number; an unknown page gives Windows-1252.
// The reference stays valid for the life of the process; thread-safe.
const CodePage &codePage(int number);

// Code page of an RTF \fcharset value, or 0 when the charset names none (the
// document's \ansicpg applies then).
int codePageOfCharset(int charset);

// Unicode character of a Symbol-font byte, 0 when unassigned.
char32_t symbolChar(unsigned char byte);

} // namespace rtf::detail
