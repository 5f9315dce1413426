#pragma once
// The text tools' pure logic: letter reversal, repetition and the line sort's
// order. Nothing here touches a window, so tests and benchmarks reach it alone.
#include <QCollator>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

namespace text_tools {

// The most characters a text tool builds (64 MB as a file): far more than any
// real use, and still a text that memory and the layout cope with.
constexpr qint64 kMaxResult = qint64(64) << 20;

// The characters of text in reverse order, so a CR LF pair comes out as LF CR.
// A character of two code units, and a character with its combining marks,
// stays whole.
QString reversed(QStringView text);

// count copies of text back to back; a count of 0 or less gives "".
QString repeat(const QString &text, int count);

// The comparison of the line sort: the user's locale, case ignored. The C and
// POSIX locales have no collation of their own and get the common one of
// Unicode (the root collation), so case is ignored there too.
QCollator lineCollator();

// Indices of lines in ascending order of collator's sort keys, each key made
// once; lines that compare equal keep their document order.
std::vector<int> sortOrder(const QStringList &lines, const QCollator &collator);

// The lines in ascending order (sortOrder applied).
QStringList sortedLines(const QStringList &lines, const QCollator &collator);

} // namespace text_tools
