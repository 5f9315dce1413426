#pragma once
// The plain-text form of the document: Windows-1251 or UTF-8 bytes, paragraphs
// joined by CR LF. Reading accepts CR LF, a lone CR and a lone LF as paragraph
// breaks and drops zero bytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTextCharFormat>

class QTextDocument;

namespace plaintext {

// The encodings of plain-text files: Windows-1251 (new documents, and every
// file that is not UTF-8), UTF-8, and UTF-8 that starts with a byte order mark.
enum class Encoding { Cp1251, Utf8, Utf8Bom };

// How a file's bytes are read: UTF-8 with its mark when they start with the
// UTF-8 byte order mark; UTF-8 when they are valid UTF-8 holding at least one
// multi-byte sequence; Windows-1251 otherwise (a Windows-1251 text with
// letters is practically never valid UTF-8). One pass over the bytes.
Encoding detect(QByteArrayView bytes);

// The document's text with CR LF between paragraphs, as the editor's GetText
// gives it (pieces of one paragraph joined with nothing between), or its text
// from Qt position from to to.
QString text(const QTextDocument &doc);
QString text(const QTextDocument &doc, int from, int to);

// The text of bytes in the encoding (its byte order mark left out), and the
// bytes of a text in it (Windows-1251 writes a character it lacks as '?').
QString decode(QByteArrayView bytes, Encoding encoding);
QByteArray encode(QStringView text, Encoding encoding);

// Appends the bytes, read in the encoding given (its byte order mark left
// out), at the end of doc in the character format fmt.
void read(QByteArrayView bytes, QTextDocument &doc, const QTextCharFormat &fmt = {},
          Encoding encoding = Encoding::Cp1251);

// The text a plain-text save writes: text() with each list item's label
// ("1.", "•") and a tab before its text, as word processors export lists.
QString labelledText(const QTextDocument &doc);

// The whole document in the encoding with CR LF line ends: labelledText(),
// formatting dropped; in Windows-1251 a character it lacks is written as '?'.
QByteArray write(const QTextDocument &doc, Encoding encoding = Encoding::Cp1251);

} // namespace plaintext
