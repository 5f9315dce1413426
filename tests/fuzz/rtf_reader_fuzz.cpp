// Fuzzes the RTF reader through both of its sinks and checks that they agree:
// the document's paragraphs joined by CR LF are the text readText gives (and,
// with list labels, the text the plain-text save writes), every
// character is one of the Windows-1251 alphabet, and CR and LF only come as
// the pair between paragraphs.
#include "editor/cp1251.h"
#include "editor/plaintext.h"
#include "editor/rtf/reader.h"

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
        if (u == 0 || ((u == u'\r' || u == u'\n') && !breakPair) || cp1251::fromUnicode(u) < 0) {
            std::fprintf(stderr, "character U+%04X at %lld cannot be in the text\n", unsigned(u), (long long)i);
            std::abort();
        }
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
