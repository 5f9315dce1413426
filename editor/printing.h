#pragma once
// Printing: the document's display lines as plain text, one font, at fixed
// positions in printer dots from the top-left of the printable area.
#include <QList>
#include <QStringList>

class QFont;
class QPrinter;
class QTextDocument;

namespace printing {

constexpr int kLeft = 100; // x of every line
constexpr int kTop = 100;  // y of the first line of every page

// A table's header rows, in lines: lines [first, first + count) print again
// at the top of each page that starts with a line of [first + count, end).
struct Heading {
    int first = 0, count = 0, end = 0;
    bool operator==(const Heading &) const = default;
};

// Prints each line as one run of text in font, without wrapping; a line that
// would pass the bottom of the printable area starts a new page, under the
// header rows of the table it is in. No lines print one blank page. Throws
// tessarin::Error with the printer's reason when the job cannot start or a
// page cannot be added.
void printLines(QPrinter &printer, const QFont &font, const QStringList &lines, const QList<Heading> &headings = {});

// The header rows (\trhdr) at the top of the document's tables; firstLines:
// the line each paragraph starts at, lineCount: the lines in all.
QList<Heading> headings(const QTextDocument &doc, const QList<int> &firstLines, int lineCount);

} // namespace printing
