#include "editor/plaintext.h"

#include "editor/cp1251.h"
#include "editor/docformat.h"

#include <QHash>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

namespace plaintext {

QString text(const QTextDocument &doc) {
    QString out;
    out.reserve(doc.characterCount() + doc.blockCount());
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out += QLatin1String("\r\n");
        out += b.text();
    }
    return out;
}

void read(QByteArrayView bytes, QTextDocument &doc, const QTextCharFormat &fmt) {
    QString s = cp1251::decode(std::string_view(bytes.data(), static_cast<size_t>(bytes.size())));
    s.remove(QChar(0));
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    c.insertText(s, fmt); // splits at CR LF, CR and LF
}

QString labelledText(const QTextDocument &doc) {
    QString out;
    out.reserve(doc.characterCount() + doc.blockCount());
    QHash<const QTextList *, int> items; // list -> items so far
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        if (b != doc.begin())
            out += QLatin1String("\r\n");
        if (const QTextList *list = b.textList()) {
            out += docformat::listLabel(list->format(), items[list]++);
            out += u'\t';
        }
        out += b.text();
    }
    return out;
}

QByteArray write(const QTextDocument &doc) {
    return cp1251::encode(labelledText(doc));
}

} // namespace plaintext
