#pragma once
// The RTF tokenizer and destination state machine. Plain C++: it emits runs of
// text (UTF-16, any character) and paragraph ends to a Sink, which
// builds whatever it wants from them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rtf::detail {

// Character attributes of a run, resolved against the font and colour tables.
struct RunFormat {
    const std::u16string *fontName = nullptr; // nullptr: the font is not known
    uint32_t rgb = 0;                         // 0xRRGGBB when hasColor
    uint16_t halfPoints = 24;
    bool hasColor = false; // false: automatic colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    const std::u16string *field = nullptr; // the field's instruction, when the run is a field's result
    const std::string *note = nullptr;     // the note, as RTF, when the run is its mark
    const std::string *picture = nullptr; // the picture, as RTF, when the run is its character (U+FFFC)
    const std::string *marks = nullptr;    // bookmarks ({\*\bkmkstart ...}) just before the run

    bool operator==(const RunFormat &) const = default;
};

enum class Align : uint8_t { Left, Center, Right, Justify };

enum class ListStyle : uint8_t { None, Bullet, Decimal, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman };

// The list a paragraph is an item of. Numbered items with the same id make up
// one list, numbered in document order from start, also across paragraphs of
// other kinds between them; bulleted paragraphs that follow each other share
// one list.
// The look of a bulleted item's marker: "•", "◦" (also a letter o) or "▪".
enum class Bullet : uint8_t { Disc, Circle, Square };

struct ListFormat {
    ListStyle style = ListStyle::None;
    int32_t start = 1;
    int32_t id = 0;
    std::u16string prefix; // text before the number
    std::u16string suffix; // text after it
    uint8_t level = 0;     // of a list-table list (\ilvl): 0 the outermost
    Bullet bullet = Bullet::Disc;

    bool operator==(const ListFormat &) const = default;
};

// A table row's definition (\trowd ... the last \cellx) as read, and its
// cells' right edges in twips from the row's left edge (\trleft).
// In a row's definition as kept, a colour word (\clcbpat, \brdrcf...) holds
// kRowRgb + 0xRRGGBB, its colour itself: the file's colour table is not kept.
constexpr int64_t kRowRgb = 1 << 24;

struct RowDef {
    std::string rtf; // empty when it could not be kept whole
    std::vector<int32_t> cellx;
    int32_t trleft = 0;
};

struct ParaFormat {
    Align align = Align::Left;
    ListFormat list;
    int startTwips = 0;  // first line's indent: \li + \fi
    int offsetTwips = 0; // later lines relative to the first: -\fi
    int32_t style = 0;   // \s: the style sheet's paragraph style
    const RowDef *row = nullptr; // a paragraph of a table row's cells: the row's definition
    bool rowEnd = false;         // the row's last paragraph (its \row), of a row kept whole
    // Of a row's paragraph whose cells are aligned apart: the alignment of
    // each of its tab-separated parts, in order (empty when all are align).
    std::vector<Align> cellAligns;
    // Of a table in a cell: its depth (2 and more; 0 for any other paragraph),
    // and on a paragraph that ends one of its rows, that row's definition.
    uint8_t nest = 0;
    bool nestRowEnd = false;
    std::string nestRow;

    bool operator==(const ParaFormat &) const = default;
};

// Receives the document. Paragraph breaks are given lazily: endParagraph() closes
// the paragraph that text() has been filling, and the next paragraph only exists
// once more text or another endParagraph() arrives. A document that ends with
// \par therefore has no empty paragraph after it.
class Sink {
public:
    virtual ~Sink() = default;
    // Whether runs must be split where the format changes; a sink that only
    // collects text says false and gets longer runs.
    virtual bool wantsFormat() const { return true; }
    virtual void text(const char16_t *chars, size_t n, const RunFormat &format) = 0;
    // markFormat: the character format at the paragraph mark (what an empty
    // paragraph shows).
    virtual void endParagraph(const ParaFormat &format, const RunFormat &markFormat) = 0;
    // At the end: what the document holds that the editor keeps without
    // showing it, as RTF to write back (headers, footers, document
    // information, page setup).
    virtual void kept(std::string_view) {}
    // The style sheet as read, which paragraphs' styles refer to.
    virtual void styles(std::string_view) {}
    // Bookmarks at the end of the paragraph last ended (a cell's still open).
    virtual void marksAtEnd(std::string_view) {}
};

// Reads the RTF stream into the sink. The caller has checked that it is RTF.
void parse(std::string_view bytes, Sink &sink);

} // namespace rtf::detail
