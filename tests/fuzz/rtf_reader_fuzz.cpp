// Fuzzes the RTF reader through both of its sinks and checks that they agree:
// the document's paragraphs joined by CR LF are the text readText gives (and,
// with list labels, the text the plain-text save writes), that a surrogate
// only comes in a pair and CR and LF only as the pair between paragraphs, and
// that what the writer makes of the document reads back as the same text,
// also when its paragraphs are held in pieces.
#include "editor/pieces.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"

#include <QByteArray>
#include <QTextBlock>
#include <QTextDocument>
#include <cstdio>
#include <cstdlib>

namespace {

void check(QByteArrayView bytes) {
    const std::optional<QString> text = rtf::readText(bytes);
    QTextDocument doc;
    const bool isRtf = rtf::read(bytes, doc);
    if (isRtf != text.has_value() || isRtf != rtf::isRtf(bytes))
        std::abort();
    if (!isRtf)
        return;
    QString fromDoc;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            fromDoc += QStringLiteral("\r\n");
        fromDoc += b.text();
    }
    if (fromDoc != *text) {
        std::fprintf(stderr, "sinks disagree:\n  doc:  %s\n  text: %s\n", qPrintable(fromDoc), qPrintable(*text));
        std::abort();
    }
    // The list labels the converter's text gives are the plain-text save's.
    const QString labelled = plaintext::labelledText(doc);
    if (labelled != *rtf::readText(bytes, rtf::ListLabels::Shown)) {
        std::fprintf(stderr, "labels disagree:\n  doc:  %s\n", qPrintable(labelled));
        std::abort();
    }
    const QString &t = *text;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
        const bool breakPair = (u == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ||
                               (u == u'\n' && i > 0 && t[i - 1] == u'\r');
        const bool pair = (QChar::isHighSurrogate(u) && i + 1 < t.size() && t[i + 1].isLowSurrogate()) ||
                          (QChar::isLowSurrogate(u) && i > 0 && t[i - 1].isHighSurrogate());
        if (u == 0 || ((u == u'\r' || u == u'\n') && !breakPair) || (QChar::isSurrogate(u) && !pair)) {
            std::fprintf(stderr, "character U+%04X at %lld cannot be in the text\n", unsigned(u), (long long)i);
            std::abort();
        }
    }
    QTextDocument again;
    rtf::read(rtf::write(doc), again);
    if (plaintext::text(again) != fromDoc) {
        std::fprintf(stderr, "written and read back:\n  %s\n", qPrintable(plaintext::text(again)));
        std::abort();
    }
    // Its paragraphs held in short pieces, the document is the same text and
    // writes the same RTF.
    const QByteArray whole = rtf::write(doc);
    pieces::split(doc, 4, 6);
    if (plaintext::text(doc) != fromDoc || plaintext::labelledText(doc) != labelled || rtf::write(doc) != whole) {
        std::fprintf(stderr, "in pieces:\n  %s\n", qPrintable(plaintext::text(doc)));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    check(bytes);
    // Most mutations break the header; read them as the body of a document too.
    if (!rtf::isRtf(bytes))
        check(QByteArray("{\\rtf1 ") + bytes.toByteArray());
    return 0;
}
