#include "editor/rtf/reader.h"

#include "editor/docformat.h"
#include "editor/rtf/parser.h"
#include "editor/rtf/picture.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QTextBlock>
#include <QSet>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextDocument>
#include <QTextList>
#include <cstring>
#include <unordered_map>

namespace rtf {

namespace {

using detail::Align;
using detail::Bullet;
using detail::ListFormat;
using detail::ListStyle;
using detail::ParaFormat;
using detail::RunFormat;

std::string_view view(QByteArrayView bytes) {
    return {bytes.data(), static_cast<size_t>(bytes.size())};
}

struct RunFormatHash {
    size_t operator()(const RunFormat &f) const {
        size_t h = std::hash<const void *>()(f.fontName);
        h = h * 31 + f.rgb;
        h = h * 31 + f.halfPoints;
        h = h * 31 + (f.hasColor | f.bold << 1 | f.italic << 2 | f.underline << 3 | f.strike << 4);
        h = h * 31 + std::hash<const void *>()(f.field);
        h = h * 31 + std::hash<const void *>()(f.note);
        h = h * 31 + std::hash<const void *>()(f.marks);
        h = h * 31 + std::hash<const void *>()(f.picture);
        return h;
    }
};

QByteArray bytes(std::string_view rtf) { return QByteArray(rtf.data(), qsizetype(rtf.size())); }

// RTF kept to be written back, without its references to the font, colour
// and list tables (and the shading that needs a colour): the tables a save
// writes are the editor's own. \bin data is copied as it stands.
QByteArray withoutTableReferences(const QByteArray &rtf) {
    static const QSet<QByteArray> refs = {"f",       "cf",      "cb",      "highlight", "chcbpat", "chcfpat",
                                          "ls",      "ilvl",    "brdrcf",  "clcbpat",   "clcfpat", "clshdng",
                                          "trcbpat", "trcfpat", "trshdng"};
    const auto letter = [](char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    QByteArray out;
    out.reserve(rtf.size());
    const qsizetype n = rtf.size();
    bool afterWord = false; // out ends with a control word that a space or a non-letter must end
    for (qsizetype i = 0; i < n;) {
        if (rtf[i] != '\\' || i + 1 >= n || !letter(rtf[i + 1])) {
            const qsizetype len = rtf[i] == '\\' && i + 1 < n ? 2 : 1; // a control symbol stays whole
            out.append(rtf.constData() + i, len);
            i += len;
            afterWord = false;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && letter(rtf[j]))
            ++j;
        const QByteArray word = rtf.mid(i + 1, j - i - 1);
        const qsizetype paramAt = j;
        if (j < n && rtf[j] == '-')
            ++j;
        long long param = 0;
        while (j < n && digit(rtf[j]))
            param = std::min(param * 10 + (rtf[j++] - '0'), 1LL << 40);
        const bool hasParam = j > paramAt && digit(rtf[j - 1]);
        const bool space = j < n && rtf[j] == ' ';
        if (hasParam && refs.contains(word)) {
            i = j + space;
            // What follows the word removed must not continue the word before it.
            if (afterWord && i < n && (letter(rtf[i]) || digit(rtf[i]) || rtf[i] == '-')) {
                out += ' ';
                afterWord = false;
            }
            continue;
        }
        out.append(rtf.constData() + i, j + space - i);
        i = j + space;
        afterWord = !space;
        if (word == "bin" && hasParam && param > 0) {
            const qsizetype take = std::min<qsizetype>(qsizetype(param), n - i);
            out.append(rtf.constData() + i, take);
            i += take;
            afterWord = false;
        }
    }
    return out;
}

// The text of a note ({\footnote ...} or {\*\footnote ...}), for its tooltip.
QString noteText(const QByteArray &note) {
    const qsizetype keyword = note.indexOf("\\footnote");
    if (keyword < 0)
        return {};
    const std::optional<QString> text = rtf::readText("{\\rtf1 " + note.mid(keyword + 9));
    return text ? text->trimmed() : QString();
}

QTextListFormat::Style bulletStyle(Bullet b) {
    static constexpr QTextListFormat::Style kBullets[] = {QTextListFormat::ListDisc, QTextListFormat::ListCircle,
                                                          QTextListFormat::ListSquare};
    return kBullets[int(b)];
}

// The QTextList format of a paragraph's list (not ListFormat::None).
QTextListFormat listFormat(const ListFormat &l) {
    static constexpr QTextListFormat::Style kStyles[] = {
        QTextListFormat::ListDisc, QTextListFormat::ListDecimal, QTextListFormat::ListLowerAlpha,
        QTextListFormat::ListUpperAlpha, QTextListFormat::ListLowerRoman, QTextListFormat::ListUpperRoman};
    QTextListFormat f;
    f.setStyle(l.style == ListStyle::Bullet ? bulletStyle(l.bullet) : kStyles[int(l.style) - int(ListStyle::Bullet)]);
    f.setIndent(0);
    if (l.level > 0)
        f.setProperty(docformat::kListLevel, l.level);
    if (l.style != ListStyle::Bullet) {
        f.setNumberPrefix(QString::fromStdU16String(l.prefix));
        f.setNumberSuffix(QString::fromStdU16String(l.suffix));
        if (l.start != 1)
            f.setProperty(docformat::kListStart, l.start);
    }
    return f;
}

static_assert(detail::kRowRgb == docformat::kRgbParam);

// Builds the document with one cursor at its end.
class DocumentSink : public detail::Sink {
    // The list of a block as the sink keeps it: which one, and for a bulleted
    // one, its marker and level (bulleted paragraphs alike share lists).
    struct List {
        QTextList *list = nullptr;
        int bullet = -1; // docformat::bulletKind(): -1 for none
        static List of(const QTextBlock &b) {
            return {b.textList(), docformat::hasBullet(b) ? docformat::bulletKind(b.textList()->format()) : -1};
        }
    };
    static int bulletKind(const ListFormat &l) { return docformat::bulletKind(bulletStyle(l.bullet), l.level); }

public:
    explicit DocumentSink(QTextDocument &doc) : cursor_(&doc) {
        cursor_.movePosition(QTextCursor::End);
        cursor_.beginEditBlock();
        emptyBlock_ = cursor_.block().length() <= 1;
        list_ = List::of(cursor_.block());
    }

    void finish() { cursor_.endEditBlock(); }

    void text(const char16_t *chars, size_t n, const RunFormat &format) override {
        if (pendingBreak_)
            breakBlock();
        const QString s(reinterpret_cast<const QChar *>(chars), static_cast<qsizetype>(n));
        if (format.note) { // a note's mark knows its text
            QTextCharFormat mark = charFormat(format);
            mark.setProperty(docformat::kNoteMark, s);
            cursor_.insertText(s, mark);
        } else {
            cursor_.insertText(s, charFormat(format));
        }
        emptyBlock_ = false;
        // A note's mark and a picture leave the cursor a format of their own.
        lastText_ = format.note || format.picture ? std::nullopt : std::optional(format);
    }

    // Kept in the document's root frame, which a save writes back.
    void kept(std::string_view rtf) override { keepInRoot(docformat::kKept, rtf); }
    void styles(std::string_view rtf) override { keepInRoot(docformat::kStyles, rtf); }

    void marksAtEnd(std::string_view rtf) override {
        QTextBlockFormat f;
        f.setProperty(docformat::kMarks, cursor_.blockFormat().property(docformat::kMarks).toByteArray() +
                                             withoutTableReferences(bytes(rtf)));
        cursor_.mergeBlockFormat(f);
    }

    void endParagraph(const ParaFormat &format, const RunFormat &markFormat) override {
        if (pendingBreak_)
            breakBlock();
        setBlockFormat(format);
        // The paragraph's own format is what an empty one shows, and what Qt
        // draws a list item's marker in: the format at the mark, not the one
        // the block took over from the paragraph before.
        if ((emptyBlock_ || format.list.style != ListStyle::None) && blockChar_ != markFormat) {
            const QTextCharFormat &mark = charFormat(markFormat);
            if (cursor_.blockCharFormat() != mark) // mostly the one the block took over
                cursor_.setBlockCharFormat(mark);
            blockChar_ = markFormat;
        }
        pendingBreak_ = true;
    }

private:
    void keepInRoot(int property, std::string_view rtf) {
        QTextFrame *root = cursor_.document()->rootFrame();
        QTextFrameFormat f = root->frameFormat();
        f.setProperty(property, f.property(property).toByteArray() + withoutTableReferences(bytes(rtf)));
        root->setFrameFormat(f);
    }

    // The new block inherits the block format, list and style included, of
    // the one before; bookmarks at its end stay with that one.
    // A full list is not inherited: the paragraph could not stay in it.
    void breakBlock() {
        QTextBlockFormat f = cursor_.blockFormat();
        f.clearProperty(docformat::kMarks);
        prevList_ = list_;
        if (list_.list && list_.list->count() >= docformat::kListChunk) {
            f.setObjectIndex(-1);
            list_ = {};
        }
        cursor_.insertBlock(f);
        // The new block's character format is the cursor's: the last text's.
        if (!emptyBlock_)
            blockChar_ = lastText_;
        pendingBreak_ = false;
        emptyBlock_ = true;
    }

    void setBlockFormat(const ParaFormat &p) {
        bool changed = !known_ || !(p == current_);
        const List want = p.list.style == ListStyle::None ? List{} : listToJoin(p.list);
        if (want.list != list_.list || (p.list.style != ListStyle::None && !want.list)) {
            const QTextBlock block = cursor_.block();
            if (list_.list)
                list_.list->remove(block);
            if (want.list)
                want.list->add(block);
            // That sets only the block's list; the rest of its format is the
            // paragraph's before, set again below when this one's differs.
            list_ = want.list || p.list.style == ListStyle::None ? want : startList(p.list);
        }
        if (!changed)
            return;
        QTextBlockFormat bf;
        switch (p.align) {
        case Align::Left: break;
        case Align::Center: bf.setAlignment(Qt::AlignHCenter); break;
        case Align::Right: bf.setAlignment(Qt::AlignRight); break;
        case Align::Justify: bf.setAlignment(Qt::AlignJustify); break;
        }
        // The list first: a bulleted paragraph's margins depend on it.
        if (list_.list)
            bf.setObjectIndex(list_.list->objectIndex());
        if (p.startTwips || p.offsetTwips)
            docformat::setParagraphIndents(bf, p.startTwips, p.offsetTwips);
        if (p.style)
            bf.setProperty(docformat::kStyle, p.style);
        if (p.row) {
            bf.setProperty(docformat::kInTable, true);
            QList<QTextOption::Tab> tabs; // at each cell's right edge (96 dpi): the layout's columns
            for (size_t i = 0; i < p.row->cellx.size() && tabs.size() < 64; ++i) {
                const qreal x = std::min((qreal(p.row->cellx[i]) - p.row->trleft) / 15.0, qreal(1 << 20));
                if (x > (tabs.isEmpty() ? 0 : tabs.last().position))
                    tabs.append(QTextOption::Tab(x, QTextOption::LeftTab));
            }
            bf.setTabPositions(tabs);
            if (p.rowEnd)
                bf.setProperty(docformat::kRow, bytes(p.row->rtf)); // control words only, colours named
            if (p.nest >= 2)
                bf.setProperty(docformat::kNest, int(p.nest));
            if (p.nestRowEnd)
                bf.setProperty(docformat::kNestRow, bytes(p.nestRow));
            if (!p.cellAligns.empty()) {
                QByteArray aligns;
                for (Align a : p.cellAligns)
                    aligns += docformat::kAlignLetters[int(a)]; // in Align's order
                bf.setProperty(docformat::kCellAligns, aligns);
            }
        }
        if (const QVariant marks = cursor_.blockFormat().property(docformat::kMarks); marks.isValid())
            bf.setProperty(docformat::kMarks, marks);
        cursor_.setBlockFormat(bf);
        current_ = p;
        known_ = true;
    }

    // The list the paragraph joins, nullptr when it starts one. Bulleted
    // paragraphs join the bulleted list just before; numbered ones the list of
    // their id. Lists hold at most kListChunk items: the next one of a
    // numbered id goes on in the same chain.
    List listToJoin(const ListFormat &l) const {
        if (l.style == ListStyle::Bullet) {
            // A new block is already in the list of the one before it.
            const int kind = bulletKind(l);
            if (list_.bullet == kind)
                return list_;
            return prevList_.bullet == kind && prevList_.list->count() < docformat::kListChunk ? prevList_ : List{};
        }
        const auto it = numbered_.find(l.id);
        QTextList *list = it == numbered_.end() ? nullptr : it->second.list.data();
        return list && (list == list_.list || list->count() < docformat::kListChunk) ? List{list} : List{};
    }

    // Puts the cursor's block into a new list of the paragraph's kind; the
    // items of an id keep the format of its first one.
    List startList(const ListFormat &l) {
        if (l.style == ListStyle::Bullet)
            return {cursor_.createList(listFormat(l)), bulletKind(l)};
        Numbered &n = numbered_[l.id];
        if (n.list) {
            n.list = cursor_.createList(n.chained);
        } else {
            n.list = cursor_.createList(listFormat(l));
            n.chained = docformat::chainedFormat(n.list);
        }
        return {n.list};
    }

    const QTextCharFormat &charFormat(const RunFormat &f) {
        if (haveLast_ && f == lastKey_)
            return lastFormat_;
        auto it = formats_.find(f);
        if (it == formats_.end()) {
            if (formats_.size() > 4096)
                formats_.clear();
            it = formats_.emplace(f, build(f)).first;
        }
        haveLast_ = true;
        lastKey_ = f;
        lastFormat_ = it->second;
        return lastFormat_;
    }

    QTextCharFormat build(const RunFormat &f) {
        QTextCharFormat cf;
        if (f.fontName) {
            auto it = names_.find(f.fontName);
            if (it == names_.end())
                it = names_.emplace(f.fontName, QString::fromStdU16String(*f.fontName)).first;
            docformat::setFontName(cf, it->second);
        }
        cf.setFontPointSize(f.halfPoints / 2.0);
        if (f.bold)
            cf.setFontWeight(QFont::Bold);
        if (f.italic)
            cf.setFontItalic(true);
        if (f.underline)
            cf.setFontUnderline(true);
        if (f.strike)
            cf.setFontStrikeOut(true);
        if (f.hasColor)
            cf.setForeground(QColor(QRgb(f.rgb)));
        if (f.field)
            docformat::setField(cf, QString::fromStdU16String(*f.field));
        if (f.picture) // kept byte for byte
            cf.merge(pictureFormat(bytes(*f.picture)));
        if (f.marks)
            cf.setProperty(docformat::kMarks, withoutTableReferences(bytes(*f.marks)));
        if (f.note) {
            const QByteArray note = withoutTableReferences(bytes(*f.note));
            cf.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
            cf.setProperty(docformat::kNote, note);
            cf.setToolTip(noteText(note));
        }
        return cf;
    }

    QTextCursor cursor_;
    List list_, prevList_; // of the cursor's block, and of the one before
    bool pendingBreak_ = false;
    bool emptyBlock_ = true;
    // Of the last text inserted, and of the cursor's block's character format,
    // when known: the format they were built from.
    std::optional<RunFormat> lastText_, blockChar_;
    bool known_ = false; // current_ describes the cursor's block
    ParaFormat current_;
    struct Numbered {
        QPointer<QTextList> list; // the latest
        QTextListFormat chained;  // of the lists after the first
    };
    std::unordered_map<int32_t, Numbered> numbered_; // by id
    std::unordered_map<RunFormat, QTextCharFormat, RunFormatHash> formats_;
    std::unordered_map<const std::u16string *, QString> names_;
    bool haveLast_ = false;
    RunFormat lastKey_;
    QTextCharFormat lastFormat_;
};

class TextSink : public detail::Sink {
public:
    explicit TextSink(ListLabels labels) : labels_(labels == ListLabels::Shown) {}
    bool wantsFormat() const override { return false; }
    void text(const char16_t *chars, size_t n, const RunFormat &) override {
        if (pendingBreak_) {
            out.append(u"\r\n");
            pendingBreak_ = false;
        }
        if (!labels_) {
            out.append(reinterpret_cast<const QChar *>(chars), static_cast<qsizetype>(n));
            return;
        }
        para_.append(reinterpret_cast<const QChar *>(chars), static_cast<qsizetype>(n));
    }
    void endParagraph(const ParaFormat &format, const RunFormat &) override {
        if (pendingBreak_)
            out.append(u"\r\n");
        pendingBreak_ = true;
        if (!labels_)
            return;
        // The paragraph's text waited for its format, which says its label.
        if (format.list.style != ListStyle::None) {
            out += label(format.list);
            out += u'\t';
        }
        para_.remove(QChar::ObjectReplacementCharacter); // as the plain-text save: a picture leaves nothing
        out += para_;
        para_.clear();
    }
    QString out;

private:
    // Numbered as the document's lists are: from the first item of the id.
    QString label(const ListFormat &l) {
        if (l.style == ListStyle::Bullet)
            return docformat::listLabel(listFormat(l), 0);
        auto [it, added] = items_.try_emplace(l.id);
        if (added)
            it->second.format = listFormat(l);
        return docformat::listLabel(it->second.format, it->second.count++);
    }

    const bool labels_;
    bool pendingBreak_ = false;
    QString para_;
    struct Items {
        QTextListFormat format; // of the id's first item
        int count = 0;          // items so far
    };
    std::unordered_map<int32_t, Items> items_;
};

} // namespace

bool isRtf(QByteArrayView bytes) {
    return bytes.size() >= 5 && std::memcmp(bytes.data(), "{\\rtf", 5) == 0;
}

bool read(QByteArrayView bytes, QTextDocument &doc) {
    if (!isRtf(bytes))
        return false;
    DocumentSink sink(doc);
    detail::parse(view(bytes), sink);
    sink.finish();
    return true;
}

std::optional<QString> readText(QByteArrayView bytes, ListLabels labels) {
    if (!isRtf(bytes))
        return std::nullopt;
    TextSink sink(labels);
    detail::parse(view(bytes), sink);
    return std::move(sink.out);
}

} // namespace rtf
