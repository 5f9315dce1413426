#include "editor/rtf/writer.h"

#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/pieces.h"

#include <QHash>
#include <QSet>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextFragment>
#include <QTextList>

#include <charconv>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace rtf {
namespace {

// Character attributes as RTF sees them: indexes into the font and colour tables.
struct CharAttrs {
    int font = -1;
    int halfPoints = -1;
    int color = -1; // 0: automatic
    bool bold = false, italic = false, underline = false, strike = false;
};

constexpr int kBulletList = 1; // the \ls of "•" bullets at the outer level; other lists follow

struct ParaAttrs {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justify
    int start = 0;
    int offset = 0;
    int list = 0; // the paragraph's \ls: 0 none, kBulletList, or another list's
    int level = 0; // its \ilvl
    int style = 0; // \s, when the document keeps a style sheet
    int nest = 0;  // \itap of a table in a cell
    bool operator==(const ParaAttrs &) const = default;
};

// How the classic \pn destination, the list table and AbiWord name a numbering.
struct Numbering {
    QTextListFormat::Style style;
    const char *pn;
    int nfc;
    const char *abiword;
};
constexpr Numbering kNumberings[] = {
    {QTextListFormat::ListDecimal, "\\pndec", 0, "Numbered List"},
    {QTextListFormat::ListUpperRoman, "\\pnucrm", 1, "Upper Roman List"},
    {QTextListFormat::ListLowerRoman, "\\pnlcrm", 2, "Lower Roman List"},
    {QTextListFormat::ListUpperAlpha, "\\pnucltr", 3, "Upper Case List"},
    {QTextListFormat::ListLowerAlpha, "\\pnlcltr", 4, "Lower Case List"}};

const Numbering &numbering(QTextListFormat::Style style) {
    for (const Numbering &n : kNumberings)
        if (n.style == style)
            return n;
    return kNumberings[0];
}

// Prefix and suffix as the list table can hold them: a level's text is at most
// 255 characters.
QString affix(const QString &s) { return s.left(100); }

class Writer {
public:
    explicit Writer(const QTextDocument &doc) : doc_(doc) {
        const QFont base = doc.defaultFont();
        defaultFontName_ = base.family();
        if (defaultFontName_.isEmpty()) // no font database (no application object)
            defaultFontName_ = QStringLiteral("Arial");
        const double pt = base.pointSizeF();
        defaultHalfPoints_ = pt > 0 ? int(std::lround(pt * 2)) : 24;
        styles_ = doc.rootFrame()->frameFormat().property(docformat::kStyles).toByteArray();
    }

    QByteArray run() {
        // First the tables: the Symbol font for bullets follows the text fonts.
        bool bullets = false;
        for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
            bullets |= paraAttrs(b).list == kBulletList;
            bool empty = true;
            for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (frag.length() > 0) {
                    charAttrs(frag);
                    empty = false;
                }
            }
            if (empty)
                charAttrs(b);
            if (docformat::endsRow(b))
                rowDefinition(b); // its colours join the colour table
            if (b.blockFormat().hasProperty(docformat::kNestRow))
                rowDefinition(b, docformat::kNestRow);
        }
        if (bullets)
            bulletFont_ = int(fonts_.size());

        out_.reserve(size_t(doc_.characterCount()) * 2 + 1024);
        writeTables();
        const QByteArray kept = doc_.rootFrame()->frameFormat().property(docformat::kKept).toByteArray();
        out_.append(kept.constData(), size_t(kept.size()));
        out_ += "\\viewkind4\\uc1";
        needDelim_ = true;
        bool first = true;
        ParaAttrs prev;
        bool inRow = false;
        bool rowEndAfterPieces = false; // a row's last paragraph goes on in pieces
        const bool joins = pieces::mayHaveJoins(doc_);
        for (QTextBlock b = doc_.begin(); b.isValid(); b = b.next()) {
            const ParaAttrs &pa = paraAttrs(b);
            const Item item = pa.list > kBulletList ? nextItem(pa.list) : Item{};
            const bool wasInRow = inRow;
            if (!inRow)
                inRow = startRow(b);
            // A piece of the paragraph before goes on in it: its attributes stand.
            if (!(joins && pieces::joined(b))) {
                if (first || !(pa == prev) || inRow != wasInRow)
                    writePara(pa, item);
                else if (pa.list)
                    writeListText(item);
                nestedBlock_ = inRow && pa.nest >= 2;
                if (inRow && (first || !(pa == prev) || inRow != wasInRow)) {
                    word("\\intbl");
                    if (nestedBlock_)
                        word("\\itap", pa.nest);
                }
                // Cells aligned apart: each part's alignment after its cell's end.
                partAligns_ = inRow ? docformat::partAligns(b.blockFormat(), int(b.text().count(u'\t')) + 1) : QByteArray();
                part_ = 0;
                if (!partAligns_.isEmpty() && partAligns_[0] != docformat::kAlignLetters[pa.align])
                    writeAlign(partAligns_[0]);
                prev = pa;
            }
            first = false;
            // A cell's end right before a table in the next cell ends the
            // paragraph itself.
            const bool lastTabEndsCell = nestedBlock_ || cellTabs_ >= b.text().count(u'\t');
            const bool beforeDeeper = inRow && lastTabEndsCell && endsCellBeforeDeeper(b);
            nestTabs_ = nestedBlock_ ? nestedCellEnds(b, beforeDeeper) : 0;
            bool empty = true;
            for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (frag.length() == 0)
                    continue;
                empty = false;
                writeMarks(frag.charFormat());
                setField(docformat::field(frag.charFormat()));
                setChar(charAttrs(frag));
                if (frag.charFormat().hasProperty(docformat::kPicture))
                    writePictures(frag);
                else
                    writeText(writeNote(frag));
            }
            const bool goesOnNext = joins && pieces::joined(b.next());
            if (!goesOnNext)
                setField({}); // a field ends with its paragraph at the latest
            // An empty paragraph shows its mark's format: keep it.
            if (empty)
                setChar(charAttrs(b));
            writeMarks(b.blockFormat());
            if (beforeDeeper) {
                out_ += "\r\n";
            } else if (nestedBlock_ && b.blockFormat().hasProperty(docformat::kNestRow)) { // a nested row's end
                out_ += "\\nestcell{\\*\\nesttableprops";
                out_ += nestedRowDefinition(b);
                out_ += "\\nestrow}{\\nonesttables\\par}\r\n";
            } else if (goesOnNext) { // the paragraph goes on in the next piece, and a row's end after it
                rowEndAfterPieces = inRow && (rowEndAfterPieces || b.blockFormat().hasProperty(docformat::kRow));
                continue;
            } else if (inRow && (rowEndAfterPieces || b.blockFormat().hasProperty(docformat::kRow))) { // the row's end
                out_ += "\\cell\\row\r\n";
                cellTabs_ = 0; // tabs after it are tabs
                inRow = false;
                rowEndAfterPieces = false;
                prev = ParaAttrs{.align = -1}; // a new \pard after a row
            } else {
                if (inRow && cellEndFollows(b.next()))
                    out_ += "\\par"; // read back, a \par right before \cell only ends the cell
                out_ += "\\par\r\n";
            }
            needDelim_ = false;
        }
        out_ += "}\r\n";
        return QByteArray(out_.data(), qsizetype(out_.size()));
    }

private:
    void writeTables() {
        out_ += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049{\\fonttbl";
        for (int i = 0; i < fonts_.size(); ++i) {
            out_ += "{\\f";
            appendInt(out_, i);
            out_ += "\\fnil\\fcharset204 ";
            appendName(out_, fonts_[i]);
            out_ += ";}";
        }
        if (bulletFont_ >= 0) {
            out_ += "{\\f";
            appendInt(out_, bulletFont_);
            out_ += "\\fnil\\fcharset2 Symbol;}";
        }
        out_ += "}\r\n";
        if (!colors_.isEmpty()) {
            out_ += "{\\colortbl ;"; // entry 0, empty, is the automatic colour
            for (QRgb c : colors_) {
                out_ += "\\red";
                appendInt(out_, qRed(c));
                out_ += "\\green";
                appendInt(out_, qGreen(c));
                out_ += "\\blue";
                appendInt(out_, qBlue(c));
                out_ += ';';
            }
            out_ += "}\r\n";
        }
        if (!styles_.isEmpty()) {
            out_.append(styles_.constData(), size_t(styles_.size()));
            out_ += "\r\n";
        }
        if (bulletFont_ < 0 && lists_.isEmpty())
            return;
        // The lists as word processors write them: LibreOffice, AbiWord and
        // pandoc read lists from \ls; the classic \pn destination beside it
        // serves rich edit controls. One list for the usual bullets, one for
        // each other bullet, and one for each numbered list, so that each is
        // numbered on its own.
        out_ += "{\\*\\listtable";
        if (bulletFont_ >= 0)
            out_ += "{\\list\\listtemplateid1\\listsimple{\\listlevel\\levelnfc23\\leveljc0"
                    "\\levelfollow0\\levelstartat1{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}}\\listid1}";
        for (int i = 0; i < lists_.size(); ++i)
            writeList(kBulletList + 1 + i, lists_[i]);
        out_ += "}\r\n{\\*\\listoverridetable";
        for (int ls = bulletFont_ >= 0 ? kBulletList : kBulletList + 1; ls <= kBulletList + lists_.size(); ++ls) {
            out_ += "{\\listoverride\\listid";
            appendInt(out_, ls);
            out_ += "\\listoverridecount0\\ls";
            appendInt(out_, ls);
            out_ += '}';
        }
        out_ += "}\r\n";
    }

    // A list whose items stand at its level: the levels up to it, each with
    // the number between the prefix and suffix (only its own number), or the
    // bullet.
    void writeList(int id, const QTextListFormat &f) {
        const int level = std::clamp(f.intProperty(docformat::kListLevel), 0, 8);
        out_ += "{\\list\\listtemplateid";
        appendInt(out_, id);
        if (level == 0)
            out_ += "\\listsimple";
        const bool bullet = docformat::isBullet(f.style());
        for (int l = 0; l <= level; ++l) {
            out_ += "{\\listlevel\\levelnfc";
            appendInt(out_, bullet ? 23 : numbering(f.style()).nfc);
            out_ += "\\leveljc0\\levelfollow0\\levelstartat";
            appendInt(out_, docformat::listStart(f));
            if (bullet) {
                out_ += "{\\leveltext\\'01";
                appendName(out_, docformat::bulletMarker(f.style()));
                out_ += ";}{\\levelnumbers;}}";
                continue;
            }
            const QString prefix = affix(f.numberPrefix());
            const QString suffix = affix(docformat::numberSuffix(f));
            out_ += "{\\leveltext";
            appendHex(out_, static_cast<unsigned char>(prefix.size() + 1 + suffix.size()));
            appendName(out_, prefix);
            appendHex(out_, static_cast<unsigned char>(l));
            appendName(out_, suffix);
            out_ += ";}{\\levelnumbers";
            appendHex(out_, static_cast<unsigned char>(prefix.size() + 1));
            out_ += ";}}";
        }
        out_ += "\\listid";
        appendInt(out_, id);
        out_ += '}';
    }

    static void appendInt(std::string &s, int v) {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, v);
        s.append(buf, r.ptr);
    }

    void word(const char *w) {
        out_ += w;
        needDelim_ = true;
    }
    void word(const char *w, int v) {
        out_ += w;
        appendInt(out_, v);
        needDelim_ = true;
    }
    // A note's mark: the note as it was read, numbered by the reader (\chftn).
    // Returns what else the fragment holds (text typed into the mark), to be
    // written as text.
    QString writeNote(const QTextFragment &frag) {
        const QTextCharFormat f = frag.charFormat();
        const QByteArray note = f.property(docformat::kNote).toByteArray();
        QString text = frag.text();
        if (note.isEmpty())
            return text;
        const QString mark = f.stringProperty(docformat::kNoteMark);
        const qsizetype at = mark.isEmpty() ? -1 : text.indexOf(mark);
        if (at < 0)
            return text; // the mark was edited away: the note goes with it
        text.remove(at, mark.size());
        writeText(text.left(at));
        out_ += "{\\super\\chftn}";
        out_.append(note.constData(), size_t(note.size()));
        needDelim_ = false;
        return text.mid(at);
    }

    // A table row starting at the block: the paragraphs up to the one that
    // holds the row's definition, when there is one, are its cells. Writes
    // the definition; false when the block is not a row's (any more).
    bool startRow(const QTextBlock &block) {
        if (block.blockNumber() < noRowBefore_)
            return false;
        QTextBlock b = block;
        for (; b.isValid() && b.blockFormat().boolProperty(docformat::kInTable); b = b.next()) {
            const QByteArray def = rowDefinition(b);
            if (def.isEmpty())
                continue;
            out_.append(def.constData(), size_t(def.size()));
            needDelim_ = !def.endsWith(' ');
            cellTabs_ = int(std::max<qsizetype>(def.count("\\cellx") - 1, 0));
            return true;
        }
        noRowBefore_ = b.isValid() ? b.blockNumber() : INT_MAX; // these paragraphs are plain ones
        return false;
    }

    // A paragraph of a row whose last tab ends its cell, with a deeper table
    // in the next cell: the next paragraph's.
    static bool endsCellBeforeDeeper(const QTextBlock &b) {
        return b.text().endsWith(u'\t') &&
               b.next().blockFormat().intProperty(docformat::kNest) > std::max(b.blockFormat().intProperty(docformat::kNest), 1);
    }

    // The tabs of a paragraph of a table in a cell that end its cells: all
    // but a last one where neither its row nor its cell ends.
    static int nestedCellEnds(const QTextBlock &b, bool beforeDeeper) {
        const QString text = b.text();
        const bool lastIsTab = text.endsWith(u'\t') && !beforeDeeper && !b.blockFormat().hasProperty(docformat::kNestRow);
        return int(text.count(u'\t')) - (lastIsTab ? 1 : 0);
    }

    // Whether the row's next paragraph starts with the end of a cell: a tab
    // that becomes one, or nothing before the row's end.
    bool cellEndFollows(const QTextBlock &next) const {
        if (!next.isValid())
            return false;
        const QString text = next.text();
        if (docformat::nested(next)) { // a row of a table in a cell: its tabs end its cells
            if (text.isEmpty())
                return next.blockFormat().hasProperty(docformat::kNestRow) || docformat::endsRow(next);
            return text.startsWith(u'\t') && nestedCellEnds(next, endsCellBeforeDeeper(next)) > 0;
        }
        if (text.isEmpty())
            return docformat::endsRow(next);
        return cellTabs_ > 0 && text.startsWith(u'\t'); // while cells remain, a tab ends one
    }

    // Bookmarks as they were read, once each: Qt copies a block's format to
    // the paragraph that Enter makes, and pasted text takes its formats along.
    void writeMarks(const QTextFormat &f) {
        const QByteArray marks = f.property(docformat::kMarks).toByteArray();
        if (marks.isEmpty() || writtenMarks_.contains(marks))
            return;
        writtenMarks_.insert(marks);
        out_.append(marks.constData(), size_t(marks.size()));
        needDelim_ = false;
    }

    // Each picture character as the picture's group, kept as read.
    void writePictures(const QTextFragment &frag) {
        const QByteArray picture = frag.charFormat().property(docformat::kPicture).toByteArray();
        QString text = frag.text();
        qsizetype from = 0;
        for (qsizetype at; (at = text.indexOf(QChar::ObjectReplacementCharacter, from)) >= 0; from = at + 1) {
            writeText(text.mid(from, at - from));
            out_.append(picture.constData(), size_t(picture.size()));
            needDelim_ = false;
        }
        writeText(text.mid(from));
    }

    // Opens the group of a field whose result the next runs are, or closes
    // the one open: {\field{\*\fldinst INSTRUCTION}{\fldrslt RUNS}}. The
    // character attributes set inside end with the group.
    void setField(const QString &instruction) {
        if (instruction == field_)
            return;
        if (!field_.isEmpty()) {
            out_ += "}}";
            cur_ = beforeField_;
            needDelim_ = false;
        }
        field_ = instruction;
        if (field_.isEmpty())
            return;
        out_ += "{\\field{\\*\\fldinst ";
        appendName(out_, field_, false);
        out_ += "}{\\fldrslt ";
        beforeField_ = cur_;
        needDelim_ = false;
    }

    void toggle(const char *w, bool on) {
        out_ += w;
        if (!on)
            out_ += '0';
        needDelim_ = true;
    }

    static void appendHex(std::string &s, unsigned char byte) {
        static const char hex[] = "0123456789abcdef";
        const char escape[4] = {'\\', '\'', hex[byte >> 4], hex[byte & 15]};
        s.append(escape, 4);
    }

    // A font name in the font table: ';' ends the name, so it is escaped too
    // unless the reader takes the text as it stands (AbiWord's list delimiter).
    static void appendName(std::string &s, const QString &name, bool escapeSemicolon = true) {
        for (QChar qc : name) {
            const char16_t c = qc.unicode();
            if (c == '\\' || c == '{' || c == '}') {
                s += '\\';
                s += char(c);
            } else if ((c == ';' && escapeSemicolon) || c < 0x20) {
                appendHex(s, static_cast<unsigned char>(c));
            } else if (c < 0x80) {
                s += char(c);
            } else if (int b = cp1251::fromUnicode(c); b >= 0) {
                appendHex(s, static_cast<unsigned char>(b));
            } else {
                s += "\\u";
                appendInt(s, int(int16_t(c)));
                s += '?';
            }
        }
    }

    int fontIndex(const QString &name) {
        auto it = fontIds_.constFind(name);
        if (it != fontIds_.constEnd())
            return *it;
        const int id = int(fonts_.size());
        fonts_.append(name);
        fontIds_.insert(name, id);
        return id;
    }

    // A nested row's definition as read, or one of equal cells when it was
    // not kept.
    QByteArray nestedRowDefinition(const QTextBlock &b) {
        QByteArray def = rowDefinition(b, docformat::kNestRow);
        if (def.isEmpty()) {
            def = "\\trowd";
            for (qsizetype i = 1, cells = b.text().count(u'\t') + 1; i <= cells && i <= 64; ++i)
                def += "\\cellx" + QByteArray::number(i * 1440);
        }
        return def;
    }

    // A row's definition as written: its colours as entries of the colour table.
    QByteArray rowDefinition(const QTextBlock &b, int property = docformat::kRow) {
        const QByteArray def = b.blockFormat().property(property).toByteArray();
        QByteArray out;
        qsizetype done = 0;
        for (const docformat::RowWord &w : docformat::rowWords(def)) {
            if (!docformat::isColourWord(w.name) || w.param < docformat::kRgbParam || w.param >= 2 * docformat::kRgbParam)
                continue;
            out += QByteArrayView(def.constData() + done, w.from - done);
            out += '\\';
            out += w.name;
            out += QByteArray::number(colorIndex(QRgb(w.param - docformat::kRgbParam)));
            out += ' ';
            done = w.to;
        }
        if (done == 0)
            return def;
        out += QByteArrayView(def.constData() + done, def.size() - done);
        return out;
    }

    int colorIndex(QRgb rgb) {
        rgb &= 0xFFFFFF;
        auto it = colorIds_.constFind(rgb);
        if (it != colorIds_.constEnd())
            return *it;
        colors_.append(rgb);
        const int id = int(colors_.size()); // 0 is the automatic colour
        colorIds_.insert(rgb, id);
        return id;
    }

    // Of a fragment, or of a block's own mark.
    template <typename T> const CharAttrs &charAttrs(const T &owner) {
        int index = owner.charFormatIndex();
        if (index < 0)
            index = 0;
        if (size_t(index) >= charCache_.size())
            charCache_.resize(size_t(index) + 1);
        Slot<CharAttrs> &slot = charCache_[size_t(index)];
        if (!slot.known) {
            const QTextCharFormat f = owner.charFormat();
            CharAttrs a;
            QString name = docformat::fontName(f);
            a.font = fontIndex(name.isEmpty() ? defaultFontName_ : name);
            const double pt = f.fontPointSize();
            a.halfPoints = pt > 0 ? int(std::lround(pt * 2)) : defaultHalfPoints_;
            a.color = docformat::hasColor(f) ? colorIndex(f.foreground().color().rgb()) : 0;
            a.bold = docformat::isBold(f);
            a.italic = f.fontItalic();
            a.underline = f.fontUnderline();
            a.strike = f.fontStrikeOut();
            slot.value = a;
            slot.known = true;
        }
        return slot.value;
    }

    const ParaAttrs &paraAttrs(const QTextBlock &b) {
        const size_t index = size_t(std::max(0, b.blockFormatIndex()));
        if (index >= paraCache_.size())
            paraCache_.resize(index + 1);
        Slot<ParaAttrs> &slot = paraCache_[index];
        if (!slot.known) {
            const QTextBlockFormat f = b.blockFormat();
            ParaAttrs a;
            const Qt::Alignment al = f.alignment() & Qt::AlignHorizontal_Mask;
            if (al & Qt::AlignHCenter)
                a.align = 1;
            else if (al & Qt::AlignJustify)
                a.align = 3;
            else if (al & Qt::AlignRight)
                a.align = 2;
            a.start = docformat::startIndent(f);
            a.offset = docformat::offset(f);
            // The list a block belongs to is named by its format, so the
            // format index decides the list too.
            a.list = listNumber(b);
            if (const QTextList *list = b.textList())
                a.level = std::clamp(list->format().intProperty(docformat::kListLevel), 0, 8);
            if (!styles_.isEmpty())
                a.style = f.intProperty(docformat::kStyle);
            a.nest = std::clamp(f.intProperty(docformat::kNest), 0, 64);
            slot.value = a;
            slot.known = true;
        }
        return slot.value;
    }

    // The \ls of a block's list: the other lists in the order they first
    // appear, a numbered list for each chain, a bulleted one for each marker and level.
    int listNumber(const QTextBlock &b) {
        const QTextList *list = b.textList();
        if (!list)
            return 0;
        const QTextListFormat f = list->format();
        const int level = f.intProperty(docformat::kListLevel);
        if (f.style() == QTextListFormat::ListDisc && level == 0)
            return kBulletList;
        const int key = docformat::isBullet(f.style()) ? -1 - docformat::bulletKind(f) : docformat::listChain(list);
        auto it = listIds_.constFind(key);
        if (it == listIds_.constEnd()) {
            lists_.append(list->format());
            it = listIds_.insert(key, kBulletList + int(lists_.size()));
        }
        return *it;
    }

    // The next item of a numbered list: its number and its label.
    struct Item {
        int number = 0;
        QString label;
    };
    Item nextItem(int ls) {
        const QTextListFormat &f = lists_[ls - kBulletList - 1];
        const int index = items_[ls]++;
        if (docformat::isBullet(f.style()))
            return {0, docformat::bulletMarker(f.style())};
        return {docformat::listStart(f) + index, docformat::listLabel(f, index)};
    }

    // The marker as text, for readers that show lists they cannot format.
    void writeListText(const Item &item) {
        if (item.label.isEmpty()) {
            out_ += "{\\listtext\\f";
            appendInt(out_, bulletFont_);
            out_ += "\\'B7\\tab}";
        } else {
            out_ += "{\\listtext ";
            appendName(out_, item.label);
            out_ += "\\tab}";
        }
        needDelim_ = false;
    }

    // AbiWord knows lists only from a destination of its own, which others skip.
    void writeAbiList(int ls) {
        out_ += "{\\*\\abilist\\abilistid";
        appendInt(out_, ls);
        out_ += "\\abilistparentid0\\abilistlevel1\\abistartat";
        if (ls == kBulletList || docformat::isBullet(lists_[ls - kBulletList - 1].style())) {
            out_ += "0{\\abifieldfont NULL}{\\abilistdecimal NULL}{\\abilistdelim %L}{\\abiliststyle Bullet List}}";
            return;
        }
        const QTextListFormat &f = lists_[ls - kBulletList - 1];
        appendInt(out_, docformat::listStart(f));
        out_ += "{\\abifieldfont NULL}{\\abilistdecimal .}{\\abilistdelim ";
        appendName(out_, affix(f.numberPrefix()), false);
        out_ += "%L";
        appendName(out_, affix(docformat::numberSuffix(f)), false);
        out_ += "}{\\abiliststyle ";
        out_ += numbering(f.style()).abiword;
        out_ += "}}";
    }

    void writePara(const ParaAttrs &pa, const Item &item) {
        word("\\pard");
        if (pa.style > 0)
            word("\\s", pa.style);
        const QTextListFormat f = pa.list > kBulletList ? lists_[pa.list - kBulletList - 1] : QTextListFormat();
        if (pa.list == kBulletList) {
            out_ += "{\\*\\pn\\pnlvlblt\\pnf";
            appendInt(out_, bulletFont_);
            out_ += "\\pnindent0{\\pntxtb\\'B7}}";
        } else if (docformat::isBullet(f.style())) {
            out_ += "{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb ";
            appendName(out_, docformat::bulletMarker(f.style()));
            out_ += "}}";
        } else if (pa.list) {
            // \pnstart is this item's number: a list that goes on after other
            // paragraphs goes on in rich edit controls too.
            out_ += "{\\*\\pn\\pnlvlbody\\pnindent0\\pnstart";
            appendInt(out_, item.number);
            out_ += numbering(f.style()).pn;
            out_ += "{\\pntxtb ";
            appendName(out_, affix(f.numberPrefix()));
            out_ += "}{\\pntxta ";
            appendName(out_, affix(docformat::numberSuffix(f)));
            out_ += "}}";
        }
        if (pa.list)
            writeAbiList(pa.list);
        if (pa.list) {
            needDelim_ = false;
            word("\\ls", pa.list);
            word("\\ilvl", pa.level);
        }
        if (pa.offset != 0)
            word("\\fi", -pa.offset);
        if (pa.start + pa.offset != 0)
            word("\\li", pa.start + pa.offset);
        static const char *const kAlign[] = {nullptr, "\\qc", "\\qr", "\\qj"};
        if (pa.align)
            word(kAlign[pa.align]);
        if (pa.list)
            writeListText(item);
    }

    void writeAlign(char letter) {
        static const char *const kWords[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
        word(kWords[std::max<qsizetype>(0, QByteArrayView(docformat::kAlignLetters).indexOf(letter))]);
    }

    void setChar(const CharAttrs &a) {
        if (a.font != cur_.font)
            word("\\f", a.font);
        if (a.halfPoints != cur_.halfPoints)
            word("\\fs", a.halfPoints);
        if (a.color != cur_.color)
            word("\\cf", a.color);
        if (a.bold != cur_.bold)
            toggle("\\b", a.bold);
        if (a.italic != cur_.italic)
            toggle("\\i", a.italic);
        if (a.underline != cur_.underline)
            toggle(a.underline ? "\\ul" : "\\ulnone", true);
        if (a.strike != cur_.strike)
            toggle("\\strike", a.strike);
        cur_ = a;
    }

    void writeText(const QString &text) {
        const char16_t *p = reinterpret_cast<const char16_t *>(text.constData());
        const char16_t *end = p + text.size();
        for (; p != end; ++p) {
            const char16_t c = *p;
            if (c >= 0x20 && c < 0x80 && c != '\\' && c != '{' && c != '}') {
                if (needDelim_) {
                    out_ += ' ';
                    needDelim_ = false;
                }
                out_ += char(c);
                continue;
            }
            switch (c) {
            case '\\':
            case '{':
            case '}':
                out_ += '\\';
                out_ += char(c);
                needDelim_ = false;
                continue;
            case '\t':
                if (nestedBlock_) { // between cells of a table in a cell, or a tab in one
                    word(nestTabs_ > 0 ? "\\nestcell" : "\\tab");
                    --nestTabs_;
                } else if (cellTabs_ > 0) { // between cells of a table row
                    --cellTabs_;
                    word("\\cell");
                    if (part_ + 1 < partAligns_.size() && partAligns_[part_ + 1] != partAligns_[part_])
                        writeAlign(partAligns_[part_ + 1]);
                    ++part_;
                } else {
                    word("\\tab");
                }
                continue;
            default:
                break;
            }
            const int b = c < 0x80                    ? int(c)
                          : c >= 0x0410 && c <= 0x044F ? c - 0x0410 + 0xC0 // А..я, the bulk of the text
                                                       : cp1251::fromUnicode(c);
            if (b >= 0) { // the document's code page (\ansicpg1251) holds it
                appendHex(out_, static_cast<unsigned char>(b));
                needDelim_ = false;
            } else {
                // Outside the alphabet: the Unicode value with '?' for readers
                // that skip \u.
                out_ += "\\u";
                appendInt(out_, int(int16_t(c)));
                out_ += '?';
                needDelim_ = false;
            }
        }
    }

    template <typename T> struct Slot {
        T value;
        bool known = false;
    };

    const QTextDocument &doc_;
    QString defaultFontName_;
    int defaultHalfPoints_ = 24;
    std::string out_;
    bool needDelim_ = false;
    CharAttrs cur_ = {-1, -1, 0}; // what a reader has now; -1: unknown, so written
    QByteArray styles_;            // the style sheet kept, empty when none
    QSet<QByteArray> writtenMarks_;
    int cellTabs_ = 0; // tabs of the row being written still to become cell ends
    bool nestedBlock_ = false; // the paragraph being written is a row of a table in a cell
    int nestTabs_ = 0;         // its tabs still to become cell ends
    QByteArray partAligns_; // of the paragraph being written, when its cells are aligned apart
    int part_ = 0;          // its part being written
    int noRowBefore_ = -1;
    QString field_;                // the instruction of the field open, empty when none
    CharAttrs beforeField_;        // cur_ when it opened
    std::vector<Slot<CharAttrs>> charCache_;
    std::vector<Slot<ParaAttrs>> paraCache_;
    QList<QString> fonts_;
    QHash<QString, int> fontIds_;
    QList<QRgb> colors_;
    QHash<QRgb, int> colorIds_;
    int bulletFont_ = -1; // the Symbol font, after the text fonts
    QList<QTextListFormat> lists_; // of \ls kBulletList + 1 + i
    QHash<int, int> listIds_;      // list chain (numbered), or -1 - marker and level (bulleted) -> \ls
    QHash<int, int> items_;           // \ls -> items written

};

} // namespace

QByteArray write(const QTextDocument &doc) {
    Writer w(doc);
    return w.run();
}

} // namespace rtf
