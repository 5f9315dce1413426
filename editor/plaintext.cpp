#include "editor/plaintext.h"

#include "editor/cp1251.h"
#include "editor/docformat.h"
#include "editor/pieces.h"

#include <QHash>
#include <algorithm>
#include <cstring>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace plaintext {

QString text(const QTextDocument &doc) { return text(doc, 0, doc.characterCount() - 1); }

QString text(const QTextDocument &doc, int from, int to) {
    const bool joins = pieces::mayHaveJoins(doc);
    QString out;
    out.reserve(to - from + doc.blockCount());
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.position() > from && !(joins && pieces::joined(b)))
            out += QLatin1String("\r\n");
        const int start = std::max(from - b.position(), 0);
        out += QStringView(b.text()).mid(start, std::min(to - b.position(), b.length() - 1) - start);
    }
    return out;
}

namespace {

const QByteArray kBom = QByteArrayLiteral("\xEF\xBB\xBF");

// The length of the valid UTF-8 sequence at p (at most end), 0 when there is
// none: no overlong forms, no surrogates, nothing past U+10FFFF.
inline int utf8Sequence(const unsigned char *p, const unsigned char *end) {
    const unsigned char b = *p;
    const auto cont = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    if (b >= 0xC2 && b <= 0xDF)
        return end - p >= 2 && cont(p[1]) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        if (end - p < 3 || !cont(p[2]))
            return 0;
        const unsigned char lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
        return p[1] >= lo && p[1] <= hi ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        if (end - p < 4 || !cont(p[2]) || !cont(p[3]))
            return 0;
        const unsigned char lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= lo && p[1] <= hi ? 4 : 0;
    }
    return 0;
}

} // namespace

Encoding detect(QByteArrayView bytes) {
    if (bytes.startsWith(kBom))
        return Encoding::Utf8Bom;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    bool multiByte = false;
    while (p < end) {
        // ASCII eight bytes at a time: most of any text.
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (!(word & 0x8080808080808080ULL)) {
                p += 8;
                continue;
            }
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int n = utf8Sequence(p, end);
        if (!n)
            return Encoding::Cp1251;
        multiByte = true;
        p += n;
    }
    return multiByte ? Encoding::Utf8 : Encoding::Cp1251;
}

QString decode(QByteArrayView bytes, Encoding encoding) {
    if (encoding == Encoding::Cp1251)
        return cp1251::decode(std::string_view(bytes.data(), static_cast<size_t>(bytes.size())));
    if (encoding == Encoding::Utf8Bom && bytes.startsWith(kBom))
        bytes = bytes.sliced(kBom.size());
    return QString::fromUtf8(bytes);
}

QByteArray encode(QStringView text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8Bom: return kBom + text.toUtf8();
    case Encoding::Utf8: return text.toUtf8();
    case Encoding::Cp1251: break;
    }
    return cp1251::encode(text);
}

void read(QByteArrayView bytes, QTextDocument &doc, const QTextCharFormat &fmt, Encoding encoding) {
    QString s = decode(bytes, encoding);
    s.remove(QChar(0));
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.beginEditBlock(); // no caret x after the insertion: that lays out its last paragraph
    c.insertText(s, fmt); // splits at CR LF, CR and LF
    c.endEditBlock();
}

QString labelledText(const QTextDocument &doc) {
    QString out;
    out.reserve(doc.characterCount() + doc.blockCount());
    QHash<int, int> items; // list chain -> items so far
    const bool joins = pieces::mayHaveJoins(doc);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin() && !(joins && pieces::joined(b)))
            out += QLatin1String("\r\n");
        if (const QTextList *list = b.textList(); list && !(joins && pieces::joined(b))) {
            out += docformat::listLabel(list->format(), items[docformat::listChain(list)]++);
            out += u'\t';
        }
        out += b.text();
    }
    out.remove(QChar::ObjectReplacementCharacter); // a picture leaves nothing in a text file
    return out;
}

QByteArray write(const QTextDocument &doc, Encoding encoding) { return encode(labelledText(doc), encoding); }

} // namespace plaintext
