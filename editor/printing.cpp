// Print, printer setup and page setup of the main window.
#include "editor/printing.h"

#include "app/tform1.h"
#include "editor/print_dialogs.h"
#include "editor/tjre.h"
#include "platform/error.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

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

void printLines(QPrinter &printer, const QFont &font, const QStringList &lines) {
    printer.setDocName(QString());
    QPainter painter;
    if (!painter.begin(&printer))
        throw tessarin::Error(failure(printer));
    painter.setFont(font); // its point size counts in the printer's own resolution
    const QFontMetrics metrics = painter.fontMetrics();
    const int bottom = printer.height();
    int y = kTop;
    for (const QString &line : lines) {
        const int height = metrics.height();
        if (y > kTop && y + height > bottom) {
            if (!printer.newPage())
                throw tessarin::Error(failure(printer));
            y = kTop;
        }
        // The printout is the text of the lines: a picture's character leaves nothing.
        painter.drawText(QPointF(kLeft, y + metrics.ascent()), QString(line).remove(QChar::ObjectReplacementCharacter));
        y += height;
    }
    if (!painter.end())
        throw tessarin::Error(failure(printer));
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

// Print: the display lines in the editor's base font, one run each.
void TForm1::ToolButton6Click() {
    if (!PrintDialog1->Execute(Printer()))
        return;
    printing::printLines(Printer(), QFont(JRE->FontName(), JRE->FontSize()), JRE->Lines().Texts());
}

// Printer setup: printer, paper and orientation for the next print jobs.
void TForm1::ToolButton5Click() { PrinterSetupDialog1->Execute(Printer()); }

// Page setup: paper and orientation for the next print jobs; the margins stay
// with the dialog.
void TForm1::ToolButton38Click() { PageSetupDialog1->Execute(Printer()); }
