// Print, printer setup and page setup of the main window.
#include "editor/printing.h"

#include "app/tform1.h"
#include "editor/docformat.h"
#include "editor/print_dialogs.h"
#include "editor/tjre.h"
#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <algorithm>

namespace printing {
namespace {

// Why the printer refused the job, in the words of the standard error box.
QString failure(QPrinter &printer) {
    const QString file = printer.outputFileName();
    if (file.isEmpty())
        return QStringLiteral("Printer \"%1\" cannot start the print job").arg(printer.printerName());
    QFile probe(file);
    const QString reason = probe.open(QIODevice::Append) ? QStringLiteral("Write error") : probe.errorString();
    return QStringLiteral("Cannot create file \"%1\". %2").arg(QFileInfo(file).absoluteFilePath(), reason);
}

} // namespace

void printLines(QPrinter &printer, const QFont &font, const QStringList &lines, const QList<Heading> &headings) {
    printer.setDocName(QString());
    QPainter painter;
    if (!painter.begin(&printer))
        throw tessarin::Error(failure(printer));
    painter.setFont(font); // its point size counts in the printer's own resolution
    const QFontMetrics metrics = painter.fontMetrics();
    const int bottom = printer.height();
    const int height = metrics.height();
    int y = kTop;
    const auto print = [&](const QString &line) {
        // The printout is the text of the lines: a picture's character leaves nothing.
        painter.drawText(QPointF(kLeft, y + metrics.ascent()), QString(line).remove(QChar::ObjectReplacementCharacter));
        y += height;
    };
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (y > kTop && y + height > bottom) {
            if (!printer.newPage())
                throw tessarin::Error(failure(printer));
            y = kTop;
            // A table going on to this page: its header rows first, when they
            // leave room for a line of it.
            for (const Heading &h : headings)
                if (i >= h.first + h.count && i < h.end && qint64(h.count + 1) * height <= bottom - kTop) {
                    for (int j = h.first; j < h.first + h.count; ++j)
                        print(lines[j]);
                    break;
                }
        }
        print(lines[i]);
    }
    if (!painter.end())
        throw tessarin::Error(failure(printer));
}

QList<Heading> headings(const QTextDocument &doc, const QList<int> &firstLines, int lineCount) {
    const auto lineOf = [&](const QTextBlock &b) {
        return b.isValid() && b.blockNumber() < firstLines.size() ? std::min(firstLines[b.blockNumber()], lineCount)
                                                                  : lineCount;
    };
    const auto header = [](const QTextBlock &b) {
        const QList<docformat::RowWord> words = docformat::rowWords(b.blockFormat().property(docformat::kRow).toByteArray());
        return std::any_of(words.begin(), words.end(), [](const docformat::RowWord &w) { return w.name == "trhdr"; });
    };
    QList<Heading> out;
    for (QTextBlock b = doc.begin(); b.isValid();) {
        if (!docformat::inTable(b)) {
            b = b.next();
            continue;
        }
        // A table: its header rows, then the rest of its paragraphs.
        const int first = lineOf(b);
        int headerEnd = first;
        bool heading = true;
        for (; docformat::inTable(b); b = b.next())
            if (heading && docformat::endsRow(b)) {
                heading = header(b);
                if (heading)
                    headerEnd = lineOf(b.next());
            }
        if (headerEnd > first)
            out.append({first, headerEnd - first, lineOf(b)});
    }
    return out;
}

} // namespace printing

void TForm1::createPrintDialogs() {
    PrintDialog1 = new TPrintDialog(this, TPrintDialog::Kind::Print);
    PrinterSetupDialog1 = new TPrintDialog(this, TPrintDialog::Kind::PrinterSetup);
    PageSetupDialog1 = new TPageSetupDialog(this);
}

QPrinter &TForm1::Printer() {
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

// Print: the display lines in the editor's base font, one run each, a
// table's header rows again on each page it goes on to.
void TForm1::ToolButton6Click() {
    if (!PrintDialog1->Execute(Printer()))
        return;
    QList<int> firstLines;
    const QStringList lines = JRE->Lines().Texts(&firstLines);
    printing::printLines(Printer(), QFont(JRE->FontName(), JRE->FontSize()), lines,
                         printing::headings(*JRE->document(), firstLines, int(lines.size())));
}

// Printer setup: printer, paper and orientation for the next print jobs.
void TForm1::ToolButton5Click() { PrinterSetupDialog1->Execute(Printer()); }

// Page setup: paper and orientation for the next print jobs; the margins stay
// with the dialog.
void TForm1::ToolButton38Click() { PageSetupDialog1->Execute(Printer()); }
