#pragma once
// Printing: the document's display lines as plain text, one font, at fixed
// positions in printer dots from the top-left of the printable area.
#include <QStringList>

class QFont;
class QPrinter;

namespace printing {

constexpr int kLeft = 100; // x of every line
constexpr int kTop = 100;  // y of the first line of every page

// Prints each line as one run of text in font, without wrapping; a line that
// would pass the bottom of the printable area starts a new page. No lines
// print one blank page. Throws tessarin::Error with the printer's reason when
// the job cannot start or a page cannot be added.
void printLines(QPrinter &printer, const QFont &font, const QStringList &lines);

} // namespace printing
