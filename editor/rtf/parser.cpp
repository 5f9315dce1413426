#include "editor/rtf/parser.h"

#include "editor/rtf/codepage.h"
#include "editor/rtf/numbering.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace rtf::detail {

namespace {

// Groups nested deeper than this are read flat: their text is kept, but what
// they change is not undone when they close.
constexpr size_t kMaxDepth = 10000;
constexpr int kMaxTwips = 31680;        // 22 inches
constexpr uint16_t kMaxHalfPoints = 3276; // 1638 points
constexpr size_t kMaxFontName = 256;
constexpr int kMaxListLevels = 9;
constexpr size_t kMaxLabelText = 16; // characters before or after a list number
constexpr size_t kMaxLevelText = 64;
constexpr size_t kMaxPnFormats = 256;   // distinct classic numberings kept
constexpr int32_t kMaxListStart = 1000000;

// ---------------------------------------------------------------------------
// Control words

enum class Kw : uint8_t {
    // header
    rtf, ansi, mac, pc, pca, ansicpg, deff,
    // destinations we read
    fonttbl, colortbl, listtable, listoverridetable, pn, pntext, listtext, hide, show, textbox,
    field, fldrslt, fldinst, keep, styles, bookmark, commentMark, pict, transparent, shapeName, shapeValue, pageSetup, footnote, leveltext, levelnumbers, pntxtb, pntxta,
    // destinations skipped whole
    skip,
    // character format
    b, i, ul, ulnone, strike, fs, f, cf, plain,
    // paragraph format
    par, pard, s, ql, qc, qr, qj, fi, li, ls, ilvl, trowd, trleft, cellx, nestcell, nestrow, itap, nesttableprops, pnlvlblt, pnlvlbody, pnlvlcont, intbl,
    // special characters and breaks
    tab, emdash, endash, bullet, lquote, rquote, ldblquote, rdblquote, space, line, pageBreak, cell, row,
    // Unicode
    u, uc,
    // font, colour and list tables
    fcharset, cpg, red, green, blue, list, listlevel, levelnfc, levelstartat, listid, listoverride,
    pnstart, pndec, pnucltr, pnlcltr, pnucrm, pnlcrm,
    bin,
};

enum class Kind : uint8_t { Plain, Destination, Skip };

struct KwEntry {
    const char *name;
    Kw id;
    Kind kind;
};

constexpr KwEntry kKeywords[] = {
    {"rtf", Kw::rtf, Kind::Plain}, {"ansi", Kw::ansi, Kind::Plain}, {"mac", Kw::mac, Kind::Plain},
    {"pc", Kw::pc, Kind::Plain}, {"pca", Kw::pca, Kind::Plain}, {"ansicpg", Kw::ansicpg, Kind::Plain},
    {"deff", Kw::deff, Kind::Plain},

    {"fonttbl", Kw::fonttbl, Kind::Destination}, {"colortbl", Kw::colortbl, Kind::Destination},
    {"listtable", Kw::listtable, Kind::Destination},
    {"listoverridetable", Kw::listoverridetable, Kind::Destination},
    {"pn", Kw::pn, Kind::Destination}, {"pntext", Kw::pntext, Kind::Destination},
    {"listtext", Kw::listtext, Kind::Destination}, {"field", Kw::field, Kind::Destination},
    {"fldrslt", Kw::fldrslt, Kind::Destination},
    {"leveltext", Kw::leveltext, Kind::Destination}, {"levelnumbers", Kw::levelnumbers, Kind::Destination},
    {"pntxtb", Kw::pntxtb, Kind::Destination}, {"pntxta", Kw::pntxta, Kind::Destination},
    // Groups whose text is not shown but for one part: the Unicode form of
    // \upr, the text of a drawing object's text box or of a shape.
    {"upr", Kw::hide, Kind::Destination}, {"ud", Kw::show, Kind::Destination},
    {"do", Kw::hide, Kind::Destination}, {"shp", Kw::hide, Kind::Destination},
    {"shpinst", Kw::field, Kind::Destination}, {"dptxbxtext", Kw::textbox, Kind::Destination},
    {"shptxt", Kw::textbox, Kind::Destination},

    // Never shown: document data, pictures, objects, page furniture, notes,
    // field instructions, bookmarks, index entries, the fallback of nested
    // tables (read from \itap and \nestcell instead), a shape's picture form.
    {"stylesheet", Kw::styles, Kind::Destination}, {"info", Kw::keep, Kind::Destination},
    {"pict", Kw::pict, Kind::Destination}, {"object", Kw::skip, Kind::Skip},
    {"header", Kw::keep, Kind::Destination}, {"headerl", Kw::keep, Kind::Destination},
    {"headerr", Kw::keep, Kind::Destination}, {"headerf", Kw::keep, Kind::Destination},
    {"footer", Kw::keep, Kind::Destination}, {"footerl", Kw::keep, Kind::Destination},
    {"footerr", Kw::keep, Kind::Destination}, {"footerf", Kw::keep, Kind::Destination},
    {"footnote", Kw::footnote, Kind::Destination}, {"fldinst", Kw::fldinst, Kind::Destination},
    {"themedata", Kw::skip, Kind::Skip}, {"colorschememapping", Kw::skip, Kind::Skip},
    {"latentstyles", Kw::skip, Kind::Skip}, {"datastore", Kw::skip, Kind::Skip},
    {"xmlnstbl", Kw::skip, Kind::Skip}, {"rsidtbl", Kw::skip, Kind::Skip},
    {"generator", Kw::skip, Kind::Skip}, {"listpicture", Kw::skip, Kind::Skip},
    {"revtbl", Kw::skip, Kind::Skip}, {"nonesttables", Kw::skip, Kind::Skip},
    {"shppict", Kw::transparent, Kind::Destination}, // a picture, in the form Word prefers
    {"nonshppict", Kw::skip, Kind::Skip}, {"shprslt", Kw::skip, Kind::Skip},
    {"objdata", Kw::skip, Kind::Skip},
    // A comment (its author, initials and text) and the range it is on: kept
    // as read where it stands, like a bookmark.
    {"annotation", Kw::bookmark, Kind::Destination}, {"atnid", Kw::bookmark, Kind::Destination},
    {"atnauthor", Kw::bookmark, Kind::Destination}, {"atrfstart", Kw::bookmark, Kind::Destination},
    {"atrfend", Kw::bookmark, Kind::Destination}, {"chatn", Kw::commentMark, Kind::Plain},
    {"atndate", Kw::skip, Kind::Skip}, {"atnref", Kw::skip, Kind::Skip},
    {"bkmkstart", Kw::bookmark, Kind::Destination}, {"bkmkend", Kw::bookmark, Kind::Destination},
    {"txe", Kw::skip, Kind::Skip}, {"xe", Kw::skip, Kind::Skip}, {"tc", Kw::skip, Kind::Skip},
    {"tcn", Kw::skip, Kind::Skip}, {"ftnsep", Kw::skip, Kind::Skip},
    {"ftnsepc", Kw::skip, Kind::Skip}, {"ftncn", Kw::skip, Kind::Skip},
    {"aftnsep", Kw::skip, Kind::Skip}, {"aftnsepc", Kw::skip, Kind::Skip},
    {"aftncn", Kw::skip, Kind::Skip}, {"pnseclvl", Kw::skip, Kind::Skip},
    {"listname", Kw::skip, Kind::Skip}, {"fontemb", Kw::skip, Kind::Skip},
    {"fontfile", Kw::skip, Kind::Skip}, {"falt", Kw::skip, Kind::Skip},
    {"fname", Kw::skip, Kind::Skip}, {"panose", Kw::skip, Kind::Skip},
    {"userprops", Kw::skip, Kind::Skip}, {"docvar", Kw::skip, Kind::Skip},
    {"template", Kw::skip, Kind::Skip}, {"comment", Kw::skip, Kind::Skip},
    {"title", Kw::skip, Kind::Skip}, {"subject", Kw::skip, Kind::Skip},
    {"author", Kw::skip, Kind::Skip}, {"operator", Kw::skip, Kind::Skip},
    {"keywords", Kw::skip, Kind::Skip}, {"doccomm", Kw::skip, Kind::Skip},
    {"company", Kw::skip, Kind::Skip}, {"manager", Kw::skip, Kind::Skip},
    {"category", Kw::skip, Kind::Skip}, {"hlinkbase", Kw::skip, Kind::Skip},
    {"buptim", Kw::skip, Kind::Skip}, {"creatim", Kw::skip, Kind::Skip},
    {"printim", Kw::skip, Kind::Skip}, {"revtim", Kw::skip, Kind::Skip},
    {"mmathPr", Kw::skip, Kind::Skip}, {"pgdsctbl", Kw::skip, Kind::Skip},
    {"sv", Kw::shapeValue, Kind::Destination}, {"sn", Kw::shapeName, Kind::Destination},
    {"pgptbl", Kw::skip, Kind::Skip}, {"protusertbl", Kw::skip, Kind::Skip},
    {"wgrffmtfilter", Kw::skip, Kind::Skip}, {"passwordhash", Kw::skip, Kind::Skip},
    {"filetbl", Kw::skip, Kind::Skip}, {"formfield", Kw::skip, Kind::Skip},
    {"datafield", Kw::skip, Kind::Skip}, {"background", Kw::skip, Kind::Skip},
    {"nesttableprops", Kw::nesttableprops, Kind::Destination}, {"private", Kw::skip, Kind::Skip},

    // Page setup, kept as written.
    {"paperw", Kw::pageSetup, Kind::Plain}, {"paperh", Kw::pageSetup, Kind::Plain},
    {"margl", Kw::pageSetup, Kind::Plain}, {"margr", Kw::pageSetup, Kind::Plain},
    {"margt", Kw::pageSetup, Kind::Plain}, {"margb", Kw::pageSetup, Kind::Plain},
    {"landscape", Kw::pageSetup, Kind::Plain},

    {"b", Kw::b, Kind::Plain}, {"i", Kw::i, Kind::Plain},
    {"ul", Kw::ul, Kind::Plain}, {"uld", Kw::ul, Kind::Plain}, {"uldash", Kw::ul, Kind::Plain},
    {"uldashd", Kw::ul, Kind::Plain}, {"uldashdd", Kw::ul, Kind::Plain},
    {"uldb", Kw::ul, Kind::Plain}, {"ulhwave", Kw::ul, Kind::Plain},
    {"ulldash", Kw::ul, Kind::Plain}, {"ulth", Kw::ul, Kind::Plain},
    {"ulthd", Kw::ul, Kind::Plain}, {"ulthdash", Kw::ul, Kind::Plain},
    {"ulthdashd", Kw::ul, Kind::Plain}, {"ulthdashdd", Kw::ul, Kind::Plain},
    {"ulthldash", Kw::ul, Kind::Plain}, {"ululdbwave", Kw::ul, Kind::Plain},
    {"ulw", Kw::ul, Kind::Plain}, {"ulwave", Kw::ul, Kind::Plain},
    {"ulnone", Kw::ulnone, Kind::Plain}, {"strike", Kw::strike, Kind::Plain},
    {"striked", Kw::strike, Kind::Plain}, {"fs", Kw::fs, Kind::Plain}, {"f", Kw::f, Kind::Plain},
    {"cf", Kw::cf, Kind::Plain}, {"plain", Kw::plain, Kind::Plain},

    {"par", Kw::par, Kind::Plain}, {"pard", Kw::pard, Kind::Plain}, {"s", Kw::s, Kind::Plain},
    {"ql", Kw::ql, Kind::Plain},
    {"qc", Kw::qc, Kind::Plain}, {"qr", Kw::qr, Kind::Plain}, {"qj", Kw::qj, Kind::Plain},
    {"qd", Kw::qj, Kind::Plain}, {"fi", Kw::fi, Kind::Plain}, {"li", Kw::li, Kind::Plain},
    {"ls", Kw::ls, Kind::Plain}, {"ilvl", Kw::ilvl, Kind::Plain},
    {"pnlvlblt", Kw::pnlvlblt, Kind::Plain}, {"pnlvlbody", Kw::pnlvlbody, Kind::Plain},
    {"pnlvl", Kw::pnlvlbody, Kind::Plain}, {"pnlvlcont", Kw::pnlvlcont, Kind::Plain},
    {"intbl", Kw::intbl, Kind::Plain},

    {"tab", Kw::tab, Kind::Plain}, {"emdash", Kw::emdash, Kind::Plain},
    {"endash", Kw::endash, Kind::Plain}, {"bullet", Kw::bullet, Kind::Plain},
    {"lquote", Kw::lquote, Kind::Plain}, {"rquote", Kw::rquote, Kind::Plain},
    {"ldblquote", Kw::ldblquote, Kind::Plain}, {"rdblquote", Kw::rdblquote, Kind::Plain},
    {"emspace", Kw::space, Kind::Plain}, {"enspace", Kw::space, Kind::Plain},
    {"qmspace", Kw::space, Kind::Plain}, {"line", Kw::line, Kind::Plain},
    {"page", Kw::pageBreak, Kind::Plain}, {"sect", Kw::pageBreak, Kind::Plain},
    {"column", Kw::line, Kind::Plain},
    {"cell", Kw::cell, Kind::Plain}, {"nestcell", Kw::nestcell, Kind::Plain},
    {"row", Kw::row, Kind::Plain}, {"nestrow", Kw::nestrow, Kind::Plain}, {"itap", Kw::itap, Kind::Plain},
    {"trowd", Kw::trowd, Kind::Plain}, {"trleft", Kw::trleft, Kind::Plain}, {"cellx", Kw::cellx, Kind::Plain},

    {"u", Kw::u, Kind::Plain}, {"uc", Kw::uc, Kind::Plain},

    {"fcharset", Kw::fcharset, Kind::Plain}, {"cpg", Kw::cpg, Kind::Plain},
    {"red", Kw::red, Kind::Plain}, {"green", Kw::green, Kind::Plain},
    {"blue", Kw::blue, Kind::Plain}, {"list", Kw::list, Kind::Plain},
    {"listlevel", Kw::listlevel, Kind::Plain}, {"levelnfc", Kw::levelnfc, Kind::Plain},
    {"levelnfcn", Kw::levelnfc, Kind::Plain}, {"levelstartat", Kw::levelstartat, Kind::Plain},
    {"listid", Kw::listid, Kind::Plain},
    {"listoverride", Kw::listoverride, Kind::Plain}, {"bin", Kw::bin, Kind::Plain},
    {"pnstart", Kw::pnstart, Kind::Plain}, {"pndec", Kw::pndec, Kind::Plain},
    {"pnord", Kw::pndec, Kind::Plain}, {"pncard", Kw::pndec, Kind::Plain},
    {"pnordt", Kw::pndec, Kind::Plain}, {"pnucltr", Kw::pnucltr, Kind::Plain},
    {"pnlcltr", Kw::pnlcltr, Kind::Plain}, {"pnucrm", Kw::pnucrm, Kind::Plain},
    {"pnlcrm", Kw::pnlcrm, Kind::Plain},
};

// Open-addressing hash of the control words, built once.
class Keywords {
public:
    Keywords() {
        for (size_t k = 0; k < std::size(kKeywords); ++k) {
            const char *n = kKeywords[k].name;
            size_t h = hash(reinterpret_cast<const uint8_t *>(n), std::strlen(n));
            while (slots_[h])
                h = (h + 1) & (kSlots - 1);
            slots_[h] = static_cast<uint16_t>(k + 1);
        }
    }
    const KwEntry *find(const uint8_t *w, size_t len) const {
        if (len > 20)
            return nullptr;
        size_t h = hash(w, len);
        while (const uint16_t s = slots_[h]) {
            const KwEntry &e = kKeywords[s - 1];
            if (std::strncmp(e.name, reinterpret_cast<const char *>(w), len) == 0 && e.name[len] == 0)
                return &e;
            h = (h + 1) & (kSlots - 1);
        }
        return nullptr;
    }

private:
    static constexpr size_t kSlots = 1024;
    static size_t hash(const uint8_t *w, size_t len) {
        uint32_t h = 2166136261u;
        for (size_t i = 0; i < len; ++i)
            h = (h ^ w[i]) * 16777619u;
        return (h ^ (h >> 15)) & (kSlots - 1);
    }
    uint16_t slots_[kSlots] = {};
};

const Keywords &keywords() {
    static const Keywords k;
    return k;
}

// ---------------------------------------------------------------------------
// Byte classes

struct ByteClasses {
    bool plain[256] = {}; // text bytes of a run: all but \ { }, CR, LF and zero
    bool skipSpecial[256] = {};
    bool hex[256] = {};
    uint8_t hexValue[256] = {};
    ByteClasses() {
        for (int b = 1; b < 256; ++b)
            plain[b] = b != '\\' && b != '{' && b != '}' && b != '\r' && b != '\n';
        skipSpecial[0x5C] = skipSpecial[0x7B] = skipSpecial[0x7D] = true; // \ { }
        for (int b = 0; b < 10; ++b) {
            hex['0' + b] = true;
            hexValue['0' + b] = static_cast<uint8_t>(b);
        }
        for (int b = 0; b < 6; ++b) {
            hex['a' + b] = hex['A' + b] = true;
            hexValue['a' + b] = hexValue['A' + b] = static_cast<uint8_t>(10 + b);
        }
    }
};

const ByteClasses kBytes;

// Characters a paragraph can hold: every one of the alphabet but zero, and CR
// and LF, which only paragraph breaks stand for.
// Not text: what a document takes for the end of a paragraph or of a frame.
inline bool isText(char16_t c) { return c != 0 && c != u'\r' && c != u'\n' && c != 0xFDD0 && c != 0xFDD1; }

constexpr char16_t kReplacement = u'\uFFFD'; // what a broken \u stands for
constexpr size_t kMaxFieldInst = 4096;       // characters of a field's instruction kept
constexpr size_t kMaxKept = size_t(64) << 20; // bytes of kept groups
constexpr size_t kMaxCells = 1024;             // columns of a table row kept
constexpr size_t kMaxRowDef = 64 * 1024;       // bytes of a row's definition kept
constexpr int32_t kMaxNesting = 64;             // depth of tables in cells kept apart

inline bool isAlpha(uint8_t c) { return static_cast<uint8_t>((c | 0x20) - 'a') < 26; }
inline bool isDigit(uint8_t c) { return static_cast<uint8_t>(c - '0') < 10; }

// ---------------------------------------------------------------------------
// Reader state

// The last four collect the text of list labels (see listText()).
enum class Dest : uint8_t {
    Normal, FontTable, ColorTable, ListTable, OverrideTable, Pn, Marker, Discard, FieldInst,
    LevelText, LevelNumbers, PnBefore, PnAfter
};
enum class Pn : uint8_t { None, Bullet, Number };
enum : uint8_t { kBold = 1, kItalic = 2, kUnderline = 4, kStrike = 8 };

struct Para {
    int32_t li = 0;
    int32_t fi = 0;
    int32_t ls = 0;
    uint8_t ilvl = 0;
    Align align = Align::Left;
    Pn pn = Pn::None;
    int16_t pnFormat = -1; // the classic numbering, an index into pnFormats_
    int32_t style = 0;     // \s
    bool intbl = false;
    uint8_t itap = 0; // the depth of the table the paragraph is in: 2 and more for a table in a cell
};

// What a group saves and restores.
struct State {
    int32_t font = -1; // -1: the document's default font (\deff)
    int32_t color = 0;
    uint16_t halfPoints = 24;
    uint8_t flags = 0;
    uint8_t uc = 1;
    Dest dest = Dest::Normal;
    Dest shownDest = Dest::Normal; // where the shown part of a hidden group sends its text
    bool hiding = false;           // inside \upr, \do or \shp
    bool textBox = false;          // the text of a text box or shape: paragraphs of its own
    const std::u16string *field = nullptr; // the instruction of the field whose result this is
    const std::string *note = nullptr;     // the note whose mark this is
    const std::string *picture = nullptr;  // the picture this character is
    const uint8_t *start = nullptr;        // the group's '{'
    size_t fieldShown = SIZE_MAX;          // a field's group: the characters shown before it
    Para para;
};

struct FontEntry {
    std::u16string name;
    int charset = -1;
    int cpg = 0;
    bool nameDone = false;
};

struct Color {
    uint32_t rgb = 0;
    bool set = false;
};

struct ListLevel {
    int nfc = 0;
    int32_t start = 1;
    std::u16string text;    // \leveltext: its length, then the label with placeholders 0..8
    std::u16string numbers; // \levelnumbers: the placeholders' places in text
    // Its label's text around the number, once worked out, where no other
    // level's number is in it (most lists): the same for every item.
    mutable std::optional<std::pair<std::u16string, std::u16string>> affixes;
};

struct ListDef {
    int levels = 0;
    ListLevel level[kMaxListLevels];
};

// Growable UTF-16 buffer that does not zero what it hands out.
class Buffer {
public:
    char16_t *grow(size_t n) {
        if (size_ + n > cap_)
            reserve(size_ + n);
        char16_t *p = data_.get() + size_;
        size_ += n;
        return p;
    }
    void push(char16_t c) { *grow(1) = c; }
    void shrink(size_t n) { size_ -= n; } // gives back the last n of what grow() handed out
    void append(const char16_t *s, size_t n) {
        if (n)
            std::memcpy(grow(n), s, n * sizeof(char16_t));
    }
    const char16_t *data() const { return data_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() { size_ = 0; }

private:
    void reserve(size_t n) {
        const size_t cap = std::max(n, cap_ * 2 + 256);
        auto d = std::make_unique_for_overwrite<char16_t[]>(cap);
        if (size_)
            std::memcpy(d.get(), data_.get(), size_ * sizeof(char16_t));
        data_ = std::move(d);
        cap_ = cap;
    }
    std::unique_ptr<char16_t[]> data_;
    size_t size_ = 0;
    size_t cap_ = 0;
};

struct Word {
    const uint8_t *name;
    size_t len;
    bool hasParam;
    int32_t param;
};

// ---------------------------------------------------------------------------

class Parser {
public:
    Parser(std::string_view bytes, Sink &sink)
        : p_(reinterpret_cast<const uint8_t *>(bytes.data())), end_(p_ + bytes.size()), sink_(sink),
          wantFormat_(sink.wantsFormat()) {}

    void run() {
        stack_.reserve(64);
        stack_.emplace_back();
        st_ = &stack_.back();
        while (p_ < end_ && !done_) {
            switch (*p_) {
            case '\\':
                if (end_ - p_ >= 4 && p_[1] == '\'' && kBytes.hex[p_[2]] && kBytes.hex[p_[3]] && fastTextOk())
                    fastText();
                else {
                    ++p_;
                    controlSequence();
                }
                break;
            case '{':
                ++p_;
                openGroup();
                break;
            case '}':
                ++p_;
                closeGroup();
                break;
            case '\r':
            case '\n':
                ++p_;
                break;
            default:
                if (kBytes.plain[*p_] && fastTextOk())
                    fastText();
                else
                    plainText();
                break;
            }
        }
        finish();
    }

private:
    // --- tokenizer -------------------------------------------------------

    Word readWord() {
        const uint8_t *name = p_;
        while (p_ < end_ && isAlpha(*p_))
            ++p_;
        Word w{name, static_cast<size_t>(p_ - name), false, 0};
        bool negative = false;
        if (p_ + 1 < end_ && *p_ == '-' && isDigit(p_[1])) {
            negative = true;
            ++p_;
        }
        if (p_ < end_ && isDigit(*p_)) {
            w.hasParam = true;
            int64_t v = 0;
            for (; p_ < end_ && isDigit(*p_); ++p_)
                if (v <= INT32_MAX)
                    v = v * 10 + (*p_ - '0');
            if (negative)
                v = -v;
            w.param = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
        }
        if (p_ < end_ && *p_ == ' ')
            ++p_;
        return w;
    }

    void controlSequence() {
        if (p_ >= end_)
            return;
        const uint8_t c = *p_;
        if (isAlpha(c)) {
            const Word w = readWord();
            controlWord(w, keywords().find(w.name, w.len));
            return;
        }
        ++p_;
        if (c == '\'') {
            if (p_ >= end_ || !kBytes.hex[*p_])
                return;
            int b = kBytes.hexValue[*p_++];
            if (p_ < end_ && kBytes.hex[*p_])
                b = b * 16 + kBytes.hexValue[*p_++];
            if (ucSkip_) {
                --ucSkip_;
                return;
            }
            textByte(static_cast<uint8_t>(b));
            return;
        }
        if (pendingLead_ >= 0)
            flushLead();
        if (ucSkip_) {
            --ucSkip_;
            return;
        }
        switch (c) {
        case '\\':
        case '{':
        case '}':
            emitChar(c);
            break;
        case '~':
            emitChar(0x00A0);
            break;
        case '_':
            emitChar(u'-'); // non-breaking hyphen: the alphabet has none
            break;
        case '\r':
        case '\n':
            paragraphBreak(true);
            break;
        default: // \- optional hyphen, \* out of place, \| \: and unknown symbols
            break;
        }
    }

    void openGroup() {
        const uint8_t *start = p_ - 1;
        if (pendingLead_ >= 0)
            flushLead();
        ucSkip_ = 0;
        if (stack_.size() > kMaxDepth) {
            ++flatDepth_;
        } else {
            const State copy = *st_;
            stack_.push_back(copy);
            st_ = &stack_.back();
            st_->start = start;
            st_->fieldShown = SIZE_MAX; // only the field's own group
        }
        if (end_ - p_ >= 2 && p_[0] == '\\' && p_[1] == '*') {
            p_ += 2;
            ignorableDestination();
        }
    }

    // After "{\*": read the destination if we know it, else skip the group.
    void ignorableDestination() {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\r' || *p_ == '\n'))
            ++p_;
        if (end_ - p_ >= 2 && p_[0] == '\\' && isAlpha(p_[1])) {
            ++p_;
            const Word w = readWord();
            const KwEntry *k = keywords().find(w.name, w.len);
            if (k && k->kind != Kind::Plain) {
                controlWord(w, k);
                return;
            }
        }
        skipGroup();
    }

    void closeGroup() {
        if (pendingLead_ >= 0)
            flushLead();
        ucSkip_ = 0;
        if (flatDepth_ > 0) {
            --flatDepth_;
            return;
        }
        if (stack_.size() <= 2) { // the document's group: what follows it is not read
            done_ = true;
            return;
        }
        const State &top = stack_.back();
        State &parent = stack_[stack_.size() - 2];
        if (top.dest == Dest::FontTable) {
            if (curFont_ && fontEntryDepth_ == stack_.size())
                endFontEntry();
            if (parent.dest != Dest::FontTable) {
                endFontEntry();
                ++fontGen_;
            }
        } else if (top.dest == Dest::Pn && parent.dest != Dest::Pn) {
            // {\*\pn ...} describes the paragraph around it.
            parent.para.pn = top.para.pn;
            parent.para.pnFormat = top.para.pn == Pn::Number ? pnFormatIndex() : -1;
        } else if (top.textBox && !parent.textBox && contentSinceBreak_) {
            paragraphBreak(); // the box's last paragraph ends with it
        } else if (top.fieldShown == shown() && pendingMarks_.size() < kMaxKept) {
            // A field that shows nothing (its result empty, or left for the
            // reader to compute) is kept as read, like a bookmark.
            const std::string_view field(reinterpret_cast<const char *>(top.start), static_cast<size_t>(p_ - top.start));
            if (showsNothing(field))
                pendingMarks_.append(field);
        }
        stack_.pop_back();
        st_ = &stack_.back();
        needPre_ = true;
    }

    // Skips the rest of the current group, braces balanced, \bin data jumped over.
    // Skips to the end of the group; false when the input ends first.
    bool skipGroup() {
        int depth = 1;
        while (p_ < end_) {
            const uint8_t c = *p_++;
            if (!kBytes.skipSpecial[c])
                continue;
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0) {
                    closeGroup();
                    return true;
                }
            } else if (p_ < end_) {
                if (isAlpha(*p_)) {
                    const Word w = readWord();
                    if (w.len == 3 && std::memcmp(w.name, "bin", 3) == 0)
                        skipBinary(w);
                } else {
                    ++p_; // \{ \} \\ and other symbols
                }
            }
        }
        return false;
    }

    void skipBinary(const Word &w) {
        const int64_t n = w.hasParam ? std::max<int32_t>(w.param, 0) : 0;
        p_ += std::min<int64_t>(n, end_ - p_);
    }

    // Whether text can take the fast path: document text, single-byte code
    // page, nothing pending.
    bool fastTextOk() {
        return st_->dest == Dest::Normal && ucSkip_ == 0 && pendingLead_ < 0 && pendingHigh_ == 0 && !page()->dbcs;
    }

    // Text bytes and \'hh escapes straight into the run, one table lookup each.
    void fastText() {
        if (needPre_)
            preamble();
        const char16_t *map = curPage_->map;
        constexpr ptrdiff_t kChunk = 4096;
        for (;;) {
            const ptrdiff_t room = std::min(end_ - p_, kChunk);
            char16_t *const start = run_.grow(static_cast<size_t>(room));
            char16_t *o = start;
            const uint8_t *const limit = p_ + room;
            while (p_ < limit) {
                const uint8_t c = *p_;
                if (kBytes.plain[c]) {
                    *o++ = map[c];
                    ++p_;
                } else if (c == '\\' && end_ - p_ >= 4 && p_[1] == '\'' && kBytes.hex[p_[2]] && kBytes.hex[p_[3]]) {
                    const char16_t u = map[kBytes.hexValue[p_[2]] * 16 + kBytes.hexValue[p_[3]]];
                    p_ += 4;
                    if (isText(u))
                        *o++ = u;
                } else {
                    break;
                }
            }
            run_.shrink(static_cast<size_t>(room - (o - start)));
            if (p_ < limit || p_ == end_)
                return;
        }
    }

    // One text byte the fast path does not take (the caller saw one that is
    // not \ { } CR LF).
    void plainText() {
        const uint8_t b = *p_++;
        if (ucSkip_) {
            --ucSkip_;
            return;
        }
        if (b == 0)
            return;
        textByte(b);
    }

    // --- decoding ----------------------------------------------------------

    // The code page of the text being read: the current font's, or, inside the
    // font table, the one of the entry being defined.
    const CodePage *page() {
        if (st_->dest == Dest::FontTable)
            return curFont_ ? pageOf(curFont_) : ansiPage();
        const int32_t f = st_->font < 0 ? deff_ : st_->font;
        if (f != cachedFont_ || fontGen_ != cachedGen_) {
            cachedFont_ = f;
            cachedGen_ = fontGen_;
            const auto it = fonts_.find(f);
            curEntry_ = it == fonts_.end() ? nullptr : it->second;
            curPage_ = curEntry_ ? pageOf(curEntry_) : ansiPage();
        }
        return curPage_;
    }

    const CodePage *ansiPage() {
        if (!ansiPage_ || ansiPageNumber_ != ansiCpg_) {
            ansiPage_ = &codePage(ansiCpg_); // an unknown page gives 1252
            ansiPageNumber_ = ansiCpg_;
        }
        return ansiPage_;
    }

    const CodePage *pageOf(const FontEntry *e) {
        if (e->cpg > 0)
            return &codePage(e->cpg);
        if (e->charset >= 0)
            if (const int n = codePageOfCharset(e->charset))
                return &codePage(n);
        return ansiPage();
    }

    void textByte(uint8_t b) {
        if (pendingLead_ >= 0) {
            const char16_t c = leadPage_->pair(static_cast<uint8_t>(pendingLead_), b);
            pendingLead_ = -1;
            emitChar(c);
            return;
        }
        const CodePage *cp = page();
        if (cp->dbcs && cp->lead[b]) {
            pendingLead_ = b;
            leadPage_ = cp;
            return;
        }
        emitChar(cp->map[b]);
    }

    // A lead byte with no trail byte after it.
    void flushLead() {
        pendingLead_ = -1;
        emitChar(u'?');
    }

    void unicodeChar(int64_t cp) {
        if (cp < 0)
            cp += 65536;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (pendingHigh_)
                flushHigh();
            pendingHigh_ = static_cast<char32_t>(cp);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            if (pendingHigh_) {
                const char32_t full = 0x10000 + ((pendingHigh_ - 0xD800) << 10) + static_cast<char32_t>(cp - 0xDC00);
                pendingHigh_ = 0;
                emitCodePoint(full);
            } else {
                emitChar(kReplacement); // a low surrogate alone
            }
        } else {
            emitCodePoint(cp);
        }
        ucSkip_ = st_->uc;
    }

    void emitCodePoint(int64_t cp) {
        if (cp < 0 || cp > 0x10FFFF) {
            emitChar(kReplacement);
            return;
        }
        // Symbol-font characters written as Unicode sit at U+F020..U+F0FF.
        if (cp >= 0xF020 && cp <= 0xF0FF && page()->number == kSymbol) {
            const char32_t s = symbolChar(static_cast<uint8_t>(cp - 0xF000));
            cp = s ? s : u'?';
        }
        if (cp > 0xFFFF) {
            emitChar(static_cast<char16_t>(0xD7C0 + (cp >> 10))); // the surrogate pair
            emitChar(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            emitChar(static_cast<char16_t>(cp));
        }
    }

    // A high surrogate with no low one after it.
    void flushHigh() {
        pendingHigh_ = 0;
        emitChar(kReplacement);
    }

    // --- output -------------------------------------------------------------

    void emitChar(char16_t c) {
        if (pendingHigh_)
            flushHigh();
        if (c == u'\u2029' && st_->dest < Dest::LevelText) { // a paragraph separator breaks as \line does
            paragraphBreak();
            return;
        }
        if (st_->dest >= Dest::LevelText) {
            listText(c);
            return;
        }
        if (!isText(c))
            return;
        switch (st_->dest) {
        case Dest::Normal:
            if (needPre_)
                preamble();
            run_.push(c);
            break;
        case Dest::Marker:
            if (marker_.empty())
                markerFormat_ = resolveRun();
            marker_.push(c);
            break;
        case Dest::FontTable:
            if (!curFont_ || curFont_->nameDone)
                break;
            if (c == u';')
                endFontEntry();
            else if (c >= 0x20 && curFont_->name.size() < kMaxFontName)
                curFont_->name.push_back(c);
            break;
        case Dest::FieldInst:
            if (fieldInst_.size() < kMaxFieldInst)
                fieldInst_.push_back(c);
            break;
        case Dest::ColorTable:
            if (c == u';') {
                colors_.push_back(curColor_);
                curColor_ = Color{};
            }
            break;
        default:
            break;
        }
    }

    // Text of a list label: a list level's \leveltext keeps its length and
    // placeholders (control characters), \levelnumbers is bytes too.
    void listText(char16_t c) {
        std::u16string *to = nullptr;
        const bool level = st_->dest == Dest::LevelText || st_->dest == Dest::LevelNumbers;
        if (level && (lists_.empty() || lists_.back().levels == 0))
            return; // a list table inside the level text started another list
        if (level)
            listLevel().affixes.reset();
        switch (st_->dest) {
        case Dest::LevelText: to = &listLevel().text; break;
        case Dest::LevelNumbers: to = &listLevel().numbers; break;
        case Dest::PnBefore: to = &pn_.prefix; break;
        default: to = &pn_.suffix; break;
        }
        const bool label = st_->dest >= Dest::PnBefore;
        if (to->size() < (label ? kMaxLabelText : kMaxLevelText) && (!label || c >= 0x20))
            to->push_back(c);
    }

    bool inListLevel() const {
        return st_->dest == Dest::ListTable && !lists_.empty() && lists_.back().levels > 0;
    }
    // The list level being defined; only where inListLevel() is true, or in
    // its \leveltext and \levelnumbers.
    ListLevel &listLevel() { return lists_.back().level[lists_.back().levels - 1]; }

    // Runs before text joins the current paragraph: what was waiting for it
    // (cell tabs, a list marker) goes first, and a new run starts if the
    // format changed.
    void preamble() {
        needPre_ = false;
        if (deferredPar_) {
            endDeferredParagraph();
            contentSinceBreak_ = false;
        }
        if (blockStarted_ && nestDepth(st_->para) != blockDepth_)
            breakForNesting();
        if (!blockStarted_)
            startBlock();
        contentSinceBreak_ = true;
        emitPendingTabs();
        if (markerPending_)
            resolveMarker();
        if (!pendingMarks_.empty()) { // bookmarks go with the text that follows them
            marks_.push_back(std::move(pendingMarks_));
            pendingMarks_.clear();
            runMarks_ = &marks_.back();
        }
        syncFormat();
        runMarks_ = nullptr;
    }

    void emitPendingTabs() {
        if (!pendingTabs_)
            return;
        syncFormat();
        char16_t *o = run_.grow(pendingTabs_);
        std::fill_n(o, pendingTabs_, u'\t');
        pendingTabs_ = 0;
        if (partAligns_.size() < kMaxCells)
            partAligns_.insert(partAligns_.end(), tabAligns_.begin(), tabAligns_.end());
        tabAligns_.clear();
    }

    void startBlock() {
        blockDepth_ = nestDepth(st_->para);
        blockPara_ = st_->para;
        blockStarted_ = true;
    }

    // A table in a cell is one only in a paragraph that says it is in a table.
    static uint8_t nestDepth(const Para &para) { return para.intbl && para.itap >= 2 ? para.itap : 0; }

    // Text of another table depth than the paragraph's so far (a table in a
    // cell after the end of the cell before it): the paragraph ends here,
    // with that cell's end, in its own format; no paragraph mark is read.
    void breakForNesting() {
        if (markerPending_ && markerBeforeCell_) { // the ending paragraph's (its cell ended after it)...
            if (markerListKnown_)
                marker_.clear(); // ...but read in a list item's format, whose list draws it
            resolveMarker(blockPara_);
        }
        emitPendingTabs();
        flushRun();
        const ParaFormat format = paraFormat(blockPara_);
        sink_.endParagraph(format, wantFormat_ ? resolveRun() : RunFormat{});
        ++ends_;
        paragraphEnded();
        contentSinceBreak_ = false;
    }

    // What the ended paragraph's cells said goes with it.
    void paragraphEnded() {
        partAligns_.clear();
        cellAlign_.reset();
        blockStarted_ = false;
    }

    void syncFormat() {
        if (!wantFormat_)
            return;
        const RunFormat f = resolveRun();
        if (!(f == runFormat_)) {
            flushRun();
            runFormat_ = f;
        }
    }

    void flushRun() {
        if (!run_.empty()) {
            sink_.text(run_.data(), run_.size(), runFormat_);
            flushed_ += run_.size();
            run_.clear();
        }
    }

    RunFormat resolveRun() {
        page(); // brings curEntry_ up to date
        RunFormat f;
        if (curEntry_ && !curEntry_->name.empty())
            f.fontName = &curEntry_->name;
        f.halfPoints = st_->halfPoints;
        f.bold = st_->flags & kBold;
        f.italic = st_->flags & kItalic;
        f.underline = st_->flags & kUnderline;
        f.strike = st_->flags & kStrike;
        f.field = st_->field;
        f.note = st_->note;
        f.picture = st_->picture;
        f.marks = runMarks_;
        const int32_t c = st_->color;
        if (c > 0 && static_cast<size_t>(c) < colors_.size() && colors_[c].set) {
            f.hasColor = true;
            f.rgb = colors_[c].rgb;
        }
        return f;
    }

    // The list marker ({\pntext} or {\listtext}) of this paragraph: a bullet
    // is shown by the paragraph's format, any other marker stays as text.
    void resolveMarker() { resolveMarker(st_->para); }
    // The marker of a paragraph in format para: dropped when it is a list
    // item (the list draws it), else its text.
    void resolveMarker(const Para &para) {
        markerPending_ = false;
        markerHint_ = looksLikeBullet();
        if (!listKnown(para) && listFormat(para).style == ListStyle::None && !marker_.empty()) {
            flushRun();
            sink_.text(marker_.data(), marker_.size(), markerFormat_);
            flushed_ += marker_.size();
        }
        marker_.clear();
    }

    bool looksLikeBullet() const {
        size_t n = marker_.size();
        while (n > 0 && (marker_.data()[n - 1] == u'\t' || marker_.data()[n - 1] == u' '))
            --n;
        if (n != 1)
            return false;
        const char16_t c = marker_.data()[0];
        const bool alnum = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                           (c >= 0x400 && c < 0x460);
        return c == u'o' || !alnum; // "1." or "a)" is a number; "•", "o", "-" are bullets
    }

    // The list-table list that \ls names, nullptr when there is none.
    const ListDef *listOf(int32_t ls) const {
        if (ls == 0)
            return nullptr;
        const auto o = overrides_.find(ls);
        if (o == overrides_.end())
            return nullptr;
        const auto l = listIds_.find(o->second);
        return l != listIds_.end() && lists_[l->second].levels > 0 ? &lists_[l->second] : nullptr;
    }

    // Whether the paragraph's format says what its list marker is, so that
    // the marker text ({\listtext}, {\pntext}) is not needed.
    bool listKnown(const Para &para) const { return para.pn != Pn::None || listOf(para.ls); }

    static ListStyle styleOfNfc(int nfc) {
        switch (nfc) {
        case 1: return ListStyle::UpperRoman;
        case 2: return ListStyle::LowerRoman;
        case 3: return ListStyle::UpperAlpha;
        case 4: return ListStyle::LowerAlpha;
        case 23: return ListStyle::Bullet;
        case 255: return ListStyle::None; // a list level without a number
        default: return ListStyle::Decimal; // and the numberings we have no style for
        }
    }

    // The text around the number of a list-table level: its \leveltext is a
    // length, then the label with placeholders 0..8 for the numbers of the
    // levels. In a label such as "1.2." the numbers of the levels above this
    // one are those their items have reached, written into the text before
    // this level's number; the text after it goes up to the next number.
    void levelAffixes(const ListDef &list, int32_t ls, int ilvl, ListFormat &f) const {
        const ListLevel &lv = list.level[std::min<int>(ilvl, list.levels - 1)];
        if (lv.affixes) {
            std::tie(f.prefix, f.suffix) = *lv.affixes;
            return;
        }
        if (lv.text.empty()) {
            f.suffix.assign(1, u'.');
            return;
        }
        const std::u16string body = lv.text.substr(1, std::min<size_t>(lv.text[0], lv.text.size() - 1));
        std::vector<size_t> at; // the placeholders' places in body
        for (char16_t n : lv.numbers)
            if (n >= 1 && n <= body.size() && body[n - 1] < kMaxListLevels)
                at.push_back(n - 1u);
        if (at.empty())
            for (size_t i = 0; i < body.size(); ++i)
                if (body[i] < kMaxListLevels)
                    at.push_back(i);
        if (at.empty())
            return;
        std::sort(at.begin(), at.end());
        at.erase(std::unique(at.begin(), at.end()), at.end());
        size_t k = at.size() - 1;
        for (size_t i = 0; i < at.size(); ++i)
            if (body[at[i]] == ilvl)
                k = i;
        std::u16string prefix;
        size_t from = 0;
        for (size_t i = 0; i < k; from = at[i] + 1, ++i) {
            prefix += body.substr(from, at[i] - from);
            if (const int above = body[at[i]]; above < ilvl)
                prefix += numbering::text(numberingOf(styleOfNfc(list.level[std::min(above, list.levels - 1)].nfc)),
                                          reached(list, ls, above));
        }
        f.prefix = labelText(prefix + body.substr(from, at[k] - from));
        const size_t end = k + 1 < at.size() ? at[k + 1] : body.size();
        f.suffix = labelText(body.substr(at[k] + 1, end - at[k] - 1));
        if (k == 0 && ilvl < list.levels)
            lv.affixes.emplace(f.prefix, f.suffix);
    }

    // The marker a bulleted level's text shows: its first character, as
    // Unicode or in a symbol font (Wingdings' square, Courier's o).
    static Bullet bulletOf(const ListLevel &lv) {
        for (size_t i = 1; i < lv.text.size(); ++i) {
            switch (lv.text[i]) {
            case u'o': case 0x25CB: case 0x25E6: case 0xF06F: return Bullet::Circle;
            case 0x25A0: case 0x25AA: case 0xA7: case 0xF0A7: case 0xF0A8: case 0xF06E: return Bullet::Square;
            default:
                if (lv.text[i] >= 0x20)
                    return Bullet::Disc;
            }
        }
        return Bullet::Disc;
    }

    // The number the items of a level of list ls have reached: its start
    // before the first.
    int reached(const ListDef &list, int32_t ls, int level) const {
        const auto it = levelIds_.find(int64_t(ls) * kMaxListLevels + level);
        const int start = list.level[std::min(level, list.levels - 1)].start;
        return it == levelIds_.end() || it->second.items == 0 ? start : start + it->second.items - 1;
    }

    static numbering::Style numberingOf(ListStyle s) {
        switch (s) {
        case ListStyle::LowerAlpha: return numbering::Style::LowerAlpha;
        case ListStyle::UpperAlpha: return numbering::Style::UpperAlpha;
        case ListStyle::LowerRoman: return numbering::Style::LowerRoman;
        case ListStyle::UpperRoman: return numbering::Style::UpperRoman;
        default: return numbering::Style::Decimal;
        }
    }

    static std::u16string labelText(std::u16string s) {
        std::erase_if(s, [](char16_t c) { return c < 0x20; });
        if (s.size() > kMaxLabelText)
            s.resize(kMaxLabelText);
        return s;
    }

    // The list format of a paragraph, all but its id: the list table's level
    // first, then the classic numbering, then, for a list we do not know, the
    // look of its marker.
    ListFormat listFormat(const Para &para) {
        ListFormat f;
        if (const ListDef *list = listOf(para.ls)) {
            const ListLevel &lv = list->level[std::min<int>(para.ilvl, list->levels - 1)];
            f.style = styleOfNfc(lv.nfc);
            f.level = para.ilvl;
            if (f.style > ListStyle::Bullet) {
                f.start = lv.start;
                levelAffixes(*list, para.ls, para.ilvl, f);
            } else if (f.style == ListStyle::Bullet) {
                f.bullet = bulletOf(lv);
            }
        } else if (para.pn == Pn::Bullet) {
            f.style = ListStyle::Bullet;
        } else if (para.pn == Pn::Number) {
            if (para.pnFormat >= 0)
                f = pnFormats_[static_cast<size_t>(para.pnFormat)];
            else
                f.style = ListStyle::Decimal;
        } else if (para.ls != 0 && (markerPending_ ? looksLikeBullet() : markerHint_)) {
            f.style = ListStyle::Bullet;
        }
        return f;
    }

    // Numbers the paragraph's list: the items of one list-table list and level
    // make one list, which starts again after an item of a higher level; a
    // classic numbering runs over the paragraphs that follow each other
    // numbered alike.
    void assignListId(const Para &para, ListFormat &f) {
        if (f.style <= ListStyle::Bullet) {
            lastPnFormat_ = -2;
            return;
        }
        if (listOf(para.ls)) {
            const int64_t list = int64_t(para.ls) * kMaxListLevels;
            for (int deeper = para.ilvl + 1; deeper < kMaxListLevels; ++deeper)
                levelIds_.erase(list + deeper);
            const auto [it, added] = levelIds_.try_emplace(list + para.ilvl);
            if (added)
                it->second.id = nextListId_++;
            ++it->second.items;
            f.id = it->second.id;
            lastPnFormat_ = -2;
            return;
        }
        if (para.pnFormat != lastPnFormat_) {
            lastPnFormat_ = para.pnFormat;
            lastPnId_ = nextListId_++;
        }
        f.id = lastPnId_;
    }

    // The classic numbering just read in {\*\pn ...}, as an index into pnFormats_.
    int16_t pnFormatIndex() {
        ListFormat f = pn_;
        if (f.style <= ListStyle::Bullet)
            f.style = ListStyle::Decimal;
        for (size_t i = 0; i < pnFormats_.size(); ++i)
            if (pnFormats_[i] == f)
                return static_cast<int16_t>(i);
        if (pnFormats_.size() == kMaxPnFormats)
            return static_cast<int16_t>(kMaxPnFormats - 1);
        pnFormats_.push_back(std::move(f));
        return static_cast<int16_t>(pnFormats_.size() - 1);
    }

    // A paragraph is a cell's when it says so (\intbl), and also when a cell
    // of a defined row has ended before it and the row has not: writers put
    // \pard between cells, and readers keep such a row a table.
    bool inTable(const Para &para) const { return para.intbl || cellsOpen_; }

    ParaFormat paraFormat(const Para &para) {
        ParaFormat p;
        // A row's last paragraph ends with its last cell, aligned as that cell.
        p.align = rowEnd_ && cellAlign_ ? *cellAlign_ : para.align;
        p.list = listFormat(para);
        assignListId(para, p.list);
        p.startTwips = para.li + para.fi;
        p.offsetTwips = -para.fi;
        p.style = para.style;
        if (inTable(para) && st_->dest == Dest::Normal) {
            if (rowChanged_) { // the definition read since the last paragraph
                rows_.push_back(row_);
                rowChanged_ = false;
            }
            p.row = rows_.empty() ? nullptr : &rows_.back();
            p.rowEnd = rowEnd_ && p.row && !p.row->rtf.empty();
            if (nestDepth(para)) {
                p.nest = para.itap;
                if (nestedRowEnd_) {
                    p.nestRowEnd = true;
                    p.nestRow = nestedRow_;
                }
            }
            holdCellAligns(p);
        }
        return p;
    }

    // The alignments of the paragraph's cells, when they are not all its own.
    void holdCellAligns(ParaFormat &p) const {
        p.cellAligns.clear();
        if (std::any_of(partAligns_.begin(), partAligns_.end(), [&](Align a) { return a != p.align; })) {
            p.cellAligns = partAligns_;
            p.cellAligns.push_back(p.align);
        }
    }

    // Ends the current paragraph. A \par inside a table cell waits: when the
    // cell ends right after it, the cell's tab takes its place, so a row stays
    // one paragraph even when the writer ends every cell with \par.
    void paragraphBreak(bool mayWaitForCell = false) {
        if (st_->dest != Dest::Normal)
            return;
        if (pendingHigh_)
            flushHigh();
        if (deferredPar_)
            endDeferredParagraph();
        // Cells that ended with nothing after them in the paragraph: a \par
        // that waits keeps them (the row or the next cell's text follows).
        const bool wait = mayWaitForCell && inTable(st_->para);
        if (!wait) {
            pendingTabs_ = 0;
            tabAligns_.clear();
        }
        if (markerPending_)
            preamble();
        flushRun();
        const ParaFormat format = paraFormat(st_->para);
        const RunFormat mark = wantFormat_ ? resolveRun() : RunFormat{};
        ++ends_;
        if (wait) {
            deferredPar_ = true;
            deferredFormat_ = format;
            deferredMark_ = mark;
        } else {
            sink_.endParagraph(format, mark);
            paragraphEnded();
        }
        marksAtEnd();
        contentSinceBreak_ = false;
        markerHint_ = false;
        needPre_ = true;
    }

    void endDeferredParagraph() {
        deferredPar_ = false;
        if (pendingTabs_) { // cells ended before the \par: the paragraph ends in the cell after them
            emitPendingTabs();
            holdCellAligns(deferredFormat_);
        }
        flushRun();
        sink_.endParagraph(deferredFormat_, deferredMark_);
        paragraphEnded();
    }

    void finish() {
        if (pendingLead_ >= 0)
            flushLead();
        if (pendingHigh_)
            flushHigh();
        if (deferredPar_)
            endDeferredParagraph();
        pendingTabs_ = 0;
        tabAligns_.clear();
        const bool open = contentSinceBreak_ || markerPending_;
        if (markerPending_)
            preamble();
        flushRun();
        if (open)
            sink_.endParagraph(paraFormat(st_->para), wantFormat_ ? resolveRun() : RunFormat{});
        marksAtEnd();
        if (!kept_.empty())
            sink_.kept(kept_);
        if (!styles_.empty())
            sink_.styles(styles_);
    }

    // Whether the RTF holds nothing but control words of a table row's
    // definition (row, cell, border and table-style words), which can be
    // written back before any paragraph without changing what follows.
    // A row's definition with its colour words naming their colours (kRowRgb
    // + 0xRRGGBB); a word whose colour the table lacks is left out, with the
    // space that ended it.
    std::string withColours(std::string_view rtf) const {
        static constexpr std::string_view kWords[] = {"brdrcf", "clcbpat", "clcfpat", "trcbpat", "trcfpat"};
        std::string out;
        out.reserve(rtf.size() + 16);
        for (size_t i = 0; i < rtf.size();) {
            if (rtf[i] != '\\' || i + 1 >= rtf.size() || !isAlpha(uint8_t(rtf[i + 1]))) {
                out += rtf[i++];
                continue;
            }
            size_t j = i + 1;
            while (j < rtf.size() && isAlpha(uint8_t(rtf[j])))
                ++j;
            const std::string_view word = rtf.substr(i + 1, j - i - 1);
            size_t k = j + (j < rtf.size() && rtf[j] == '-');
            const size_t digits = k;
            int64_t n = 0;
            while (k < rtf.size() && isDigit(uint8_t(rtf[k])))
                n = std::min<int64_t>(n * 10 + (rtf[k++] - '0'), INT32_MAX);
            if (k == digits || std::find(std::begin(kWords), std::end(kWords), word) == std::end(kWords)) {
                out.append(rtf.substr(i, k - i));
            } else if (rtf[j] != '-' && n > 0 && size_t(n) < colors_.size() && colors_[size_t(n)].set) {
                out.append(rtf.substr(i, j - i));
                out += std::to_string(kRowRgb + colors_[size_t(n)].rgb);
            } else if (k < rtf.size() && rtf[k] == ' ') {
                ++k;
            }
            i = k;
        }
        return out;
    }

    // A cell's end: a tab, put in when text follows in the paragraph.
    void endCell() {
        if (pendingHigh_)
            flushHigh();
        if (!blockStarted_)
            startBlock(); // a paragraph that starts with a cell's end is of that cell's depth
        // The cell's own alignment: its last paragraph's, which may have
        // ended in a group of its own.
        cellAlign_ = deferredPar_ ? deferredFormat_.align : st_->para.align;
        markerBeforeCell_ = markerPending_;
        if (deferredPar_) { // the cell's last paragraph continues the row
            deferredPar_ = false;
            contentSinceBreak_ = true;
        }
        ++pendingTabs_;
        if (tabAligns_.size() < kMaxCells)
            tabAligns_.push_back(*cellAlign_);
        needPre_ = true;
    }

    // A nested row's end: its definition, from \trowd to its last \cellx in
    // the {\*\nesttableprops} group, goes with the paragraph that ends here.
    void endNestedRow(std::string_view group) {
        std::string def;
        const size_t from = group.find("\\trowd");
        const size_t cellx = group.rfind("\\cellx");
        if (from != std::string_view::npos && cellx != std::string_view::npos && cellx > from) {
            size_t to = cellx + 6;
            while (to < group.size() && (isDigit(uint8_t(group[to])) || group[to] == '-'))
                ++to;
            const std::string_view words = group.substr(from, to - from);
            if (words.size() < kMaxRowDef && onlyRowWords(words))
                def = withColours(words);
        }
        nestedRow_ = std::move(def);
        keepEmptyLastCells();
        nestedRowEnd_ = true;
        paragraphBreak();
        nestedRowEnd_ = false;
    }

    // Empty cells at a row's end keep their places: all its cells' ends but
    // the last become tabs.
    void keepEmptyLastCells() {
        if (pendingTabs_ > 1) {
            --pendingTabs_;
            if (!tabAligns_.empty())
                tabAligns_.pop_back();
            preamble();
        }
    }

    void startRow(const uint8_t *at, bool implicit) {
        row_ = RowDef{};
        rowStart_ = at;
        rowShown_ = shown();
        rowChanged_ = true;
        rowDefining_ = true;
        implicitRow_ = implicit;
    }

    static bool onlyRowWords(std::string_view rtf) {
        static constexpr std::string_view kPrefixes[] = {"tr",  "cl",     "cell",  "brdr",  "ts",    "tbl",   "irow",
                                                         "ltrrow", "rtlrow", "tdfrm", "tph", "tpv", "tpos", "tabsnoovrlp",
                                                         "taprtl", "box",  "lastrow", "itap"};
        for (size_t i = 0; i < rtf.size();) {
            const char c = rtf[i];
            if (c == ' ' || c == '\r' || c == '\n') {
                ++i;
                continue;
            }
            if (c != '\\' || i + 1 >= rtf.size() || !isAlpha(uint8_t(rtf[i + 1])))
                return false;
            size_t j = i + 1;
            while (j < rtf.size() && isAlpha(uint8_t(rtf[j])))
                ++j;
            const std::string_view word = rtf.substr(i + 1, j - i - 1);
            if (std::none_of(std::begin(kPrefixes), std::end(kPrefixes),
                             [&](std::string_view p) { return word.substr(0, p.size()) == p; }))
                return false;
            if (j < rtf.size() && rtf[j] == '-')
                ++j;
            while (j < rtf.size() && isDigit(uint8_t(rtf[j])))
                ++j;
            i = j;
        }
        return true;
    }

    // Whether a group read on its own shows nothing at all: nothing it leaves
    // waiting (a list marker, half a pair) shows later either. It is read
    // between letters, so that a break that ends only an open paragraph
    // (\page, \sect) shows. One holding another field is not tried.
    static bool showsNothing(std::string_view group) {
        static thread_local bool probing = false; // the field itself, inside the probe
        if (probing)
            return true;
        if (group.find("\\field", 2) != std::string_view::npos)
            return false;
        const auto shownBy = [](std::string_view body) {
            struct Counter : Sink {
                size_t shown = 0;
                bool wantsFormat() const override { return false; }
                void text(const char16_t *, size_t n, const RunFormat &) override { shown += n; }
                void endParagraph(const ParaFormat &, const RunFormat &) override { ++shown; }
            } counter;
            std::string document = "{\\rtf1 x";
            document.append(body);
            document += "x}";
            probing = true;
            struct Done {
                ~Done() { probing = false; }
            } done;
            parse(document, counter);
            return counter.shown;
        };
        static thread_local const size_t letter = shownBy({});
        return shownBy(group) == letter;
    }

    // Characters (one waiting for its pair too), paragraph ends and cell tabs
    // of the document's text so far.
    size_t shown() const { return flushed_ + run_.size() + ends_ + pendingTabs_ + (pendingHigh_ != 0); }

    void marksAtEnd() {
        if (!pendingMarks_.empty() && wantFormat_)
            sink_.marksAtEnd(pendingMarks_);
        pendingMarks_.clear();
    }

    // Whether the control word is the first thing of its group ("{\\word" or
    // "{\\*\\word"), so that the group from its '{' is the word's alone.
    bool opensGroup(const Word &w) const {
        const uint8_t *q = st_->start;
        if (!q)
            return false;
        // Line ends are nothing; a space after '{' is text (read before the
        // word), one after "\\*" is skipped as the destination is looked up.
        const auto blanks = [&](bool spaces) {
            while (*++q == '\r' || *q == '\n' || (spaces && *q == ' ')) {
            }
        };
        blanks(false);
        if (q[0] == '\\' && q[1] == '*') {
            ++q;
            blanks(true);
        }
        return q == w.name - 1;
    }

    // The mark of a note just read: its number, as word processors number
    // them (footnotes 1, 2, 3..., endnotes i, ii, iii...), in a run of its own.
    void noteMark(const std::string &note) {
        const bool endnote = note.find("\\ftnalt") != std::string::npos;
        const int n = endnote ? ++endnotes_ : ++footnotes_;
        std::u16string mark;
        if (endnote) {
            static const char *const kRoman[][10] = {
                {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"},
                {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"},
                {"", "c", "cc", "ccc", "cd", "d", "dc", "dcc", "dccc", "cm"}};
            for (int m = n / 1000; m > 0; --m)
                mark += u'm';
            for (int place : {2, 1, 0})
                for (const char *c = kRoman[place][n / (place == 2 ? 100 : place == 1 ? 10 : 1) % 10]; *c; ++c)
                    mark += char16_t(*c);
        } else {
            for (char c : std::to_string(n))
                mark += char16_t(c);
        }
        objectChar(&State::note, note, mark);
    }

    // Characters that stand for something kept (a note's mark, a picture), in
    // a run of their own that knows it.
    void objectChar(const std::string *State::*slot, const std::string &kept, std::u16string_view chars) {
        if (pendingHigh_)
            flushHigh(); // half a pair before it is text of its own
        if (needPre_)
            preamble(); // what waits for text (cell tabs, a list marker) comes before it
        flushRun();
        st_->*slot = &kept;
        needPre_ = true;
        for (char16_t c : chars)
            emitChar(c);
        flushRun();
        st_->*slot = nullptr;
        needPre_ = true;
    }

    // --- destinations -------------------------------------------------------

    // Skips the group the word opens, appending it as read to `to`: only a
    // whole group of the document's text (not one cut short, nor one inside
    // another destination) is kept.
    void keepGroup(const Word &w, std::string &to) {
        if (st_->dest != Dest::Normal || flatDepth_ > 0 || !opensGroup(w)) {
            skipGroup();
            return;
        }
        const uint8_t *start = st_->start;
        if (skipGroup() && to.size() < kMaxKept)
            to.append(reinterpret_cast<const char *>(start), static_cast<size_t>(p_ - start));
    }

    // Switches the current group to a destination; a group read flat (too
    // deep) cannot be undone when it closes, so it is skipped instead.
    // The document's tables and code page count only in its header, not in a
    // group inside its text (RTF kept from another place and written back
    // there would change how the rest of the text reads).
    bool inHeader(size_t groups) const { return stack_.size() <= 2 + groups; }

    bool enter(Dest d) {
        if (flatDepth_ > 0) {
            skipGroup();
            return false;
        }
        st_->dest = d;
        return true;
    }

    void startFontEntry(int32_t number) {
        endFontEntry();
        FontEntry *&slot = fonts_[number];
        if (!slot || !slot->name.empty() || slot->charset >= 0 || slot->cpg > 0) {
            fontStore_.emplace_back(); // entries never change once named: runs point at them
            slot = &fontStore_.back();
        }
        curFont_ = slot;
        fontEntryDepth_ = stack_.size();
        ++fontGen_;
    }

    void endFontEntry() {
        if (!curFont_)
            return;
        std::u16string &n = curFont_->name;
        const size_t b = n.find_first_not_of(u' ');
        const size_t e = n.find_last_not_of(u' ');
        n = b == std::u16string::npos ? std::u16string() : n.substr(b, e - b + 1);
        curFont_->nameDone = true;
        curFont_ = nullptr;
        ++fontGen_;
    }

    void commitOverride() {
        if (overrideLs_ && overrideListId_)
            overrides_[*overrideLs_] = *overrideListId_;
    }

    // \ansi \mac \pc \pca: the character set, unless \ansicpg named the page already.
    void setAnsiPage(int number) {
        if (!ansiCpgSet_) {
            ansiCpg_ = number;
            ++fontGen_;
        }
    }

    void setFlag(uint8_t flag, bool on) {
        st_->flags = on ? (st_->flags | flag) : (st_->flags & ~flag);
        needPre_ = true;
    }

    static int32_t twips(const Word &w) {
        return w.hasParam ? std::clamp(w.param, -kMaxTwips, kMaxTwips) : 0;
    }

    void controlWord(const Word &w, const KwEntry *k) {
        if (pendingLead_ >= 0)
            flushLead();
        if (ucSkip_) { // a control word is one unit of a \u fallback
            --ucSkip_;
            if (k && k->id == Kw::bin)
                skipBinary(w);
            return;
        }
        if (!k)
            return; // unknown words are ignored; their group's text is kept
        const bool on = !w.hasParam || w.param != 0;
        State &s = *st_;
        switch (k->id) {
        case Kw::rtf:
            break;
        case Kw::ansi:
            setAnsiPage(1252);
            break;
        case Kw::mac:
            setAnsiPage(10000);
            break;
        case Kw::pc:
            setAnsiPage(437);
            break;
        case Kw::pca:
            setAnsiPage(850);
            break;
        case Kw::ansicpg:
            if (w.hasParam && w.param > 0 && inHeader(0)) {
                ansiCpg_ = w.param;
                ansiCpgSet_ = true;
                ++fontGen_;
            }
            break;
        case Kw::deff:
            deff_ = w.param;
            ++fontGen_;
            needPre_ = true;
            break;

        case Kw::fonttbl:
            if (!inHeader(1))
                skipGroup();
            else if (enter(Dest::FontTable))
                curFont_ = nullptr;
            break;
        case Kw::colortbl:
            if (!inHeader(1)) {
                skipGroup();
            } else if (enter(Dest::ColorTable)) {
                colors_.clear();
                curColor_ = Color{};
            }
            break;
        case Kw::listtable:
            if (!inHeader(1))
                skipGroup();
            else
                enter(Dest::ListTable);
            break;
        case Kw::listoverridetable:
            if (!inHeader(1))
                skipGroup();
            else
                enter(Dest::OverrideTable);
            break;
        case Kw::pn:
            if (enter(Dest::Pn))
                pn_ = ListFormat{};
            break;
        case Kw::pntxtb:
        case Kw::pntxta:
            if (s.dest != Dest::Pn)
                skipGroup();
            else if (enter(k->id == Kw::pntxtb ? Dest::PnBefore : Dest::PnAfter))
                (k->id == Kw::pntxtb ? pn_.prefix : pn_.suffix).clear();
            break;
        case Kw::leveltext:
        case Kw::levelnumbers:
            if (!inListLevel())
                skipGroup();
            else if (enter(k->id == Kw::leveltext ? Dest::LevelText : Dest::LevelNumbers)) {
                (k->id == Kw::leveltext ? listLevel().text : listLevel().numbers).clear();
                listLevel().affixes.reset();
            }
            break;
        case Kw::pntext:
        case Kw::listtext:
            if (s.dest != Dest::Normal) {
                enter(Dest::Discard);
            } else if (enter(Dest::Marker)) {
                markerPending_ = true;
                markerBeforeCell_ = false;
                markerListKnown_ = listKnown(s.para);
                needPre_ = true;
            }
            break;
        case Kw::hide:
            if (flatDepth_ == 0) {
                s.shownDest = s.dest;
                s.hiding = true;
                s.dest = Dest::Discard;
            }
            break;
        case Kw::show:
            if (s.hiding)
                s.dest = s.shownDest;
            break;
        case Kw::shapeName: { // a shape's property: its name, for the value after it
            const uint8_t *from = p_;
            const bool whole = skipGroup();
            shapeProperty_.assign(reinterpret_cast<const char *>(from), whole ? static_cast<size_t>(p_ - 1 - from) : 0);
            break;
        }
        case Kw::shapeValue: // a shape's picture (pib) stands inline where the shape is
            if (shapeProperty_ == "pib" && s.hiding && s.shownDest == Dest::Normal && flatDepth_ == 0)
                s.dest = Dest::Normal;
            else
                skipGroup();
            shapeProperty_.clear();
            break;
        case Kw::textbox: // its paragraphs stand where the object is
            if (s.hiding && s.shownDest == Dest::Normal) {
                s.dest = Dest::Normal;
                if (contentSinceBreak_)
                    paragraphBreak();
                st_->textBox = true;
            }
            break;
        case Kw::field:
            if (s.dest == Dest::Normal && flatDepth_ == 0 && opensGroup(w))
                s.fieldShown = shown();
            break;
        case Kw::fldinst: // a field's instruction, kept with the result it gives
            if (s.dest != Dest::Normal)
                skipGroup();
            else if (enter(Dest::FieldInst)) // else skipped, too deep
                fieldInst_.clear();
            break;
        case Kw::fldrslt:
            if (!fieldInst_.empty() && s.dest == Dest::Normal) {
                fields_.push_back(std::move(fieldInst_));
                s.field = &fields_.back();
            }
            fieldInst_.clear();
            break;
        case Kw::skip:
            skipGroup();
            break;
        case Kw::keep: // headers, footers, document information: kept as read
            keepGroup(w, kept_);
            break;
        case Kw::styles: // the style sheet, which the paragraphs' \s name
            if (!inHeader(1))
                skipGroup();
            else
                keepGroup(w, styles_);
            break;
        case Kw::bookmark: // kept as read, before the text that follows
            keepGroup(w, pendingMarks_);
            break;
        case Kw::commentMark: // where a comment stands: its text follows
            if (s.dest == Dest::Normal && pendingMarks_.size() < kMaxKept)
                pendingMarks_ += "\\chatn ";
            break;
        case Kw::transparent:
            break;
        case Kw::pict: // a picture: one character, its group kept as read
            if (s.dest != Dest::Normal || flatDepth_ > 0 || !opensGroup(w)) {
                skipGroup();
            } else {
                const uint8_t *start = s.start;
                if (skipGroup()) { // a picture cut short is not kept
                    pictures_.emplace_back(reinterpret_cast<const char *>(start), static_cast<size_t>(p_ - start));
                    objectChar(&State::picture, pictures_.back(), u"\uFFFC");
                }
            }
            break;
        case Kw::footnote: // a note: kept as read, shown as its number where it stands
            if (s.dest != Dest::Normal || flatDepth_ > 0 || !opensGroup(w)) {
                skipGroup();
            } else {
                const uint8_t *start = s.start;
                if (skipGroup()) { // a note cut short is not kept
                    notes_.emplace_back(reinterpret_cast<const char *>(start), static_cast<size_t>(p_ - start));
                    noteMark(notes_.back());
                }
            }
            break;
        case Kw::pageSetup:
            if (s.dest == Dest::Normal && kept_.size() < kMaxKept) {
                kept_ += '\\';
                kept_.append(reinterpret_cast<const char *>(w.name), w.len);
                if (w.hasParam)
                    kept_ += std::to_string(w.param);
                kept_ += ' ';
            }
            break;

        case Kw::b:
            setFlag(kBold, on);
            break;
        case Kw::i:
            setFlag(kItalic, on);
            break;
        case Kw::ul:
            setFlag(kUnderline, on);
            break;
        case Kw::ulnone:
            setFlag(kUnderline, false);
            break;
        case Kw::strike:
            setFlag(kStrike, on);
            break;
        case Kw::fs:
            s.halfPoints = w.hasParam && w.param > 0 ? static_cast<uint16_t>(std::min<int32_t>(w.param, kMaxHalfPoints)) : 24;
            needPre_ = true;
            break;
        case Kw::f:
            if (s.dest == Dest::FontTable)
                startFontEntry(w.param);
            else
                s.font = w.param;
            needPre_ = true;
            break;
        case Kw::cf:
            s.color = std::max<int32_t>(w.param, 0);
            needPre_ = true;
            break;
        case Kw::plain:
            s.font = -1;
            s.color = 0;
            s.halfPoints = 24;
            s.flags = 0;
            needPre_ = true;
            break;

        case Kw::par:
            paragraphBreak(true);
            break;
        case Kw::line:
            paragraphBreak();
            break;
        case Kw::pageBreak: // the page, column or section ends: a paragraph ends with it, if one is open
            if (contentSinceBreak_ || markerPending_)
                paragraphBreak();
            break;
        case Kw::pard:
            needPre_ = needPre_ || s.para.itap >= 2;
            s.para = Para{};
            break;
        case Kw::s:
            if (s.dest == Dest::Normal)
                s.para.style = w.param;
            break;
        case Kw::ql:
            s.para.align = Align::Left;
            break;
        case Kw::qc:
            s.para.align = Align::Center;
            break;
        case Kw::qr:
            s.para.align = Align::Right;
            break;
        case Kw::qj:
            s.para.align = Align::Justify;
            break;
        case Kw::fi:
            s.para.fi = twips(w);
            break;
        case Kw::li:
            s.para.li = twips(w);
            break;
        case Kw::ls:
            if (s.dest == Dest::OverrideTable) {
                overrideLs_ = w.param;
                commitOverride();
            } else {
                s.para.ls = w.param;
            }
            break;
        case Kw::ilvl:
            s.para.ilvl = static_cast<uint8_t>(std::clamp<int32_t>(w.param, 0, kMaxListLevels - 1));
            break;
        case Kw::pnlvlblt:
            s.para.pn = Pn::Bullet;
            break;
        case Kw::pnlvlbody:
            s.para.pn = Pn::Number;
            break;
        case Kw::pnlvlcont:
            s.para.pn = Pn::None;
            break;
        case Kw::intbl:
            s.para.intbl = true;
            break;
        case Kw::itap:
            s.para.itap = static_cast<uint8_t>(std::clamp<int32_t>(w.param, 0, kMaxNesting));
            needPre_ = true; // text of another depth starts a paragraph of its own
            break;

        case Kw::tab:
            emitChar(u'\t');
            break;
        case Kw::emdash:
            emitChar(0x2014);
            break;
        case Kw::endash:
            emitChar(0x2013);
            break;
        case Kw::bullet:
            emitChar(0x2022);
            break;
        case Kw::lquote:
            emitChar(0x2018);
            break;
        case Kw::rquote:
            emitChar(0x2019);
            break;
        case Kw::ldblquote:
            emitChar(0x201C);
            break;
        case Kw::rdblquote:
            emitChar(0x201D);
            break;
        case Kw::space:
            emitChar(u' ');
            break;
        case Kw::trowd: // a row's definition: kept as read up to its last \cellx
            // Once cells of a defined row have ended, a \trowd before its
            // \row (as LibreOffice reads it) and the cell edges after it
            // leave the row as it is.
            if (s.dest == Dest::Normal && !cellsOpen_)
                startRow(w.name - 1, false);
            else if (s.dest == Dest::Normal)
                rowRepeated_ = true;
            break;
        case Kw::trleft:
            if (s.dest == Dest::Normal)
                row_.trleft = w.param;
            break;
        case Kw::cellx:
            if (s.dest == Dest::Normal && !rowDefining_)
                startRow(w.name - 1, true); // cell edges with no \trowd before them start a row
            if (s.dest == Dest::Normal && row_.cellx.size() < kMaxCells && !rowRepeated_) {
                row_.cellx.push_back(w.param);
                rowChanged_ = true;
                // Whole only when it holds no text and no group.
                const auto from = reinterpret_cast<const char *>(rowStart_);
                const size_t n = rowStart_ ? static_cast<size_t>(p_ - rowStart_) : 0;
                if (n && n < kMaxRowDef && rowShown_ == shown() && onlyRowWords({from, n}))
                    row_.rtf = (implicitRow_ ? "\\trowd" : "") + withColours({from, n});
                else
                    row_.rtf.clear();
            }
            break;
        // A table in a cell (\itap 2 and deeper): each of its rows is a
        // paragraph of the cell around it, its cells apart by tabs, as a
        // row's are; {\*\nesttableprops ...\nestrow} defines the row and ends it.
        case Kw::nestcell:
            if (s.dest == Dest::Normal && nestDepth(s.para))
                endCell();
            else
                paragraphBreak(true);
            break;
        case Kw::nestrow: // one of its own: its last cell's paragraph has ended already
            if (!deferredPar_)
                paragraphBreak(true);
            break;
        case Kw::nesttableprops:
            if (s.dest != Dest::Normal || flatDepth_ > 0 || !opensGroup(w)) {
                skipGroup();
            } else {
                const uint8_t *start = s.start;
                if (skipGroup())
                    endNestedRow({reinterpret_cast<const char *>(start), static_cast<size_t>(p_ - start)});
            }
            break;
        case Kw::cell: // cells are joined by tabs; the row's last one adds none
            if (s.dest == Dest::Normal) {
                endCell();
                cellsOpen_ = cellsOpen_ || !row_.cellx.empty();
            }
            break;
        case Kw::row:
            if (s.dest == Dest::Normal) {
                deferredPar_ = false;
                keepEmptyLastCells();
                rowEnd_ = true;
                paragraphBreak();
                rowEnd_ = cellsOpen_ = rowDefining_ = rowRepeated_ = false;
            }
            break;

        case Kw::u:
            unicodeChar(w.param);
            break;
        case Kw::uc:
            s.uc = static_cast<uint8_t>(std::clamp<int32_t>(w.hasParam ? w.param : 1, 0, 255));
            break;

        case Kw::fcharset:
            if (s.dest == Dest::FontTable && curFont_)
                curFont_->charset = w.param;
            break;
        case Kw::cpg:
            if (s.dest == Dest::FontTable && curFont_)
                curFont_->cpg = w.param;
            break;
        case Kw::red:
        case Kw::green:
        case Kw::blue:
            if (s.dest == Dest::ColorTable) {
                const uint32_t v = static_cast<uint32_t>(std::clamp<int32_t>(w.param, 0, 255));
                const int shift = k->id == Kw::red ? 16 : k->id == Kw::green ? 8 : 0;
                curColor_.rgb = (curColor_.rgb & ~(0xFFu << shift)) | (v << shift);
                curColor_.set = true;
            }
            break;
        case Kw::list:
            if (s.dest == Dest::ListTable)
                lists_.emplace_back();
            break;
        case Kw::listlevel:
            if (s.dest == Dest::ListTable && !lists_.empty() && lists_.back().levels < kMaxListLevels)
                ++lists_.back().levels;
            break;
        case Kw::levelnfc:
            if (inListLevel())
                listLevel().nfc = std::clamp<int32_t>(w.param, 0, 255);
            break;
        case Kw::levelstartat:
            if (inListLevel())
                listLevel().start = std::clamp<int32_t>(w.param, 0, kMaxListStart);
            break;
        case Kw::pnstart:
            if (s.dest == Dest::Pn)
                pn_.start = std::clamp<int32_t>(w.param, 0, kMaxListStart);
            break;
        case Kw::pndec:
        case Kw::pnucltr:
        case Kw::pnlcltr:
        case Kw::pnucrm:
        case Kw::pnlcrm:
            if (s.dest == Dest::Pn)
                pn_.style = k->id == Kw::pndec     ? ListStyle::Decimal
                            : k->id == Kw::pnucltr ? ListStyle::UpperAlpha
                            : k->id == Kw::pnlcltr ? ListStyle::LowerAlpha
                            : k->id == Kw::pnucrm  ? ListStyle::UpperRoman
                                                   : ListStyle::LowerRoman;
            break;
        case Kw::listid:
            if (s.dest == Dest::ListTable && !lists_.empty()) {
                listIds_[w.param] = lists_.size() - 1;
            } else if (s.dest == Dest::OverrideTable) {
                overrideListId_ = w.param;
                commitOverride();
            }
            break;
        case Kw::listoverride:
            if (s.dest == Dest::OverrideTable) {
                overrideLs_.reset();
                overrideListId_.reset();
            }
            break;
        case Kw::bin:
            skipBinary(w);
            break;
        }
    }

    const uint8_t *p_;
    const uint8_t *const end_;
    Sink &sink_;
    const bool wantFormat_;
    bool done_ = false;

    std::vector<State> stack_;
    State *st_ = nullptr;
    size_t flatDepth_ = 0;
    int ucSkip_ = 0;
    int pendingLead_ = -1;
    const CodePage *leadPage_ = nullptr;
    char32_t pendingHigh_ = 0;
    std::u16string fieldInst_;          // the instruction being read
    std::string kept_;                  // what the editor keeps without showing it
    std::deque<std::string> notes_;     // the notes read, as RTF
    std::deque<std::string> pictures_;  // the pictures read, as RTF
    std::string shapeProperty_;         // the name of the shape property whose value follows
    std::deque<RowDef> rows_;           // the table rows' definitions read
    RowDef row_;                        // the one being read
    const uint8_t *rowStart_ = nullptr; // its \trowd
    size_t rowShown_ = 0;               // shown() at its \trowd
    bool rowChanged_ = false;           // row_ differs from rows_.back()
    bool rowEnd_ = false;               // the paragraph ending is a row's last
    bool cellsOpen_ = false;            // a cell of a defined row has ended, the row not yet
    bool rowDefining_ = false;          // a row has been defined since the last \row
    bool implicitRow_ = false;          // by its \cellx alone
    bool rowRepeated_ = false;          // a \trowd after the row's cells: its words change nothing
    int footnotes_ = 0, endnotes_ = 0;
    std::deque<std::u16string> fields_; // the instructions of the fields read
    std::string styles_;                // the style sheet
    std::string pendingMarks_;          // bookmarks (and empty fields) waiting for text
    size_t flushed_ = 0;                // characters given to the sink
    size_t ends_ = 0;                   // paragraph ends given to it
    std::deque<std::string> marks_;     // bookmarks read, each with the text after it
    const std::string *runMarks_ = nullptr;

    // document tables
    int ansiCpg_ = 1252;
    bool ansiCpgSet_ = false;
    int32_t deff_ = 0;
    std::deque<FontEntry> fontStore_;
    std::unordered_map<int32_t, FontEntry *> fonts_;
    FontEntry *curFont_ = nullptr; // entry being defined in the font table
    size_t fontEntryDepth_ = 0;
    uint64_t fontGen_ = 1;
    std::vector<Color> colors_;
    Color curColor_;
    std::vector<ListDef> lists_;
    std::unordered_map<int32_t, size_t> listIds_; // \listid -> lists_ index
    std::unordered_map<int32_t, int32_t> overrides_; // \ls -> \listid
    std::optional<int32_t> overrideLs_;
    std::optional<int32_t> overrideListId_;
    ListFormat pn_; // the {\*\pn ...} being read
    std::vector<ListFormat> pnFormats_;
    struct LevelList {
        int32_t id = 0;
        int items = 0; // read so far
    };
    std::unordered_map<int64_t, LevelList> levelIds_; // \ls and \ilvl -> their list
    int32_t nextListId_ = 1;
    int lastPnFormat_ = -2; // the classic numbering of the paragraph before, -2: none
    int32_t lastPnId_ = 0;

    // font lookup cache
    int32_t cachedFont_ = INT32_MIN;
    uint64_t cachedGen_ = 0;
    const FontEntry *curEntry_ = nullptr;
    const CodePage *curPage_ = nullptr;
    const CodePage *ansiPage_ = nullptr;
    int ansiPageNumber_ = 0; // the \ansicpg ansiPage_ was looked up for

    // output
    Buffer run_;
    RunFormat runFormat_;
    bool needPre_ = true;
    bool contentSinceBreak_ = false;
    size_t pendingTabs_ = 0;
    bool markerBeforeCell_ = false; // a cell ended while the list marker waited for text
    bool markerListKnown_ = false;  // the marker was read in a format that says what its list is
    std::vector<Align> tabAligns_;  // the alignment of the cell each pending tab ends
    std::vector<Align> partAligns_; // of the paragraph's parts before its last tab
    std::optional<Align> cellAlign_; // of the last cell ended in the paragraph
    bool nestedRowEnd_ = false;      // the paragraph ending is a nested row's last
    bool blockStarted_ = false;      // the paragraph has text or a cell's end
    uint8_t blockDepth_ = 0;         // the table depth of the paragraph's text so far
    Para blockPara_;                 // the paragraph's format where its text began
    std::string nestedRow_;          // that row's definition (empty when not kept)
    bool deferredPar_ = false; // a \par in a table cell, waiting to see if the cell ends
    ParaFormat deferredFormat_;
    RunFormat deferredMark_;
    bool markerPending_ = false;
    bool markerHint_ = false;
    Buffer marker_;
    RunFormat markerFormat_;
};

} // namespace

void parse(std::string_view bytes, Sink &sink) {
    Parser(bytes, sink).run();
}

} // namespace rtf::detail
