#pragma once
// The RTF reader. The paragraph rules: every \par (and \line, \page, \sect,
// \row) ends a paragraph; text after the last one makes a last paragraph only
// when there is some, so "a\par}" holds one paragraph and "a\par\par}" two.
// Attributes land in the document as editor/docformat.h describes.
#include <QByteArrayView>
#include <QString>
#include <optional>

class QTextDocument;

namespace rtf {

// True when the stream begins with "{\rtf" (after nothing else).
bool isRtf(QByteArrayView bytes);

// Reads an RTF stream and appends its content at the end of doc (its first
// paragraph continues the document's last block), following the rules of
// editor/docformat.h; any Unicode character is kept. The insertion
// is one edit block; a caller loading a whole file should turn the document's
// undo off first, for speed and memory. Returns false, leaving doc untouched,
// when the bytes are not RTF.
bool read(QByteArrayView bytes, QTextDocument &doc);

enum class ListLabels : bool { Omitted, Shown };

// The text the document would hold, paragraphs joined by "\r\n" (no document is
// built): for tests, benchmarks and the converter's speed. With labels Shown,
// each list item starts with its label and a tab, as plaintext::write writes
// the document. Empty optional when not RTF.
std::optional<QString> readText(QByteArrayView bytes, ListLabels labels = ListLabels::Omitted);

} // namespace rtf
