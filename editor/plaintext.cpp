#include "editor/plaintext.h"

#include "editor/cp1251.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

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

QByteArray write(const QTextDocument &doc) {
    return cp1251::encode(text(doc));
}

} // namespace plaintext
