#pragma once
// The plain-text form of the document: Windows-1251 bytes, paragraphs joined by
// CR LF. Reading accepts CR LF, a lone CR and a lone LF as paragraph breaks and
// drops zero bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTextCharFormat>

class QTextDocument;

namespace plaintext {

// The document's text with CR LF between paragraphs, as the editor's GetText gives it.
QString text(const QTextDocument &doc);

// Appends the bytes at the end of doc in the character format fmt.
void read(QByteArrayView bytes, QTextDocument &doc, const QTextCharFormat &fmt = {});

// The text a plain-text save writes: text() with each list item's label
// ("1.", "•") and a tab before its text, as word processors export lists.
QString labelledText(const QTextDocument &doc);

// The whole document as Windows-1251 bytes with CR LF line ends: labelledText(),
// formatting dropped.
QByteArray write(const QTextDocument &doc);

} // namespace plaintext
