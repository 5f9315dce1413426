#include "editor/print_dialogs.h"

#include "platform/modal.h"

#include <QDialogButtonBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

bool TPrintDialog::Execute(QPrinter &printer) {
    QPrintDialog dialog(&printer, owner_);
    // The whole document only; printing to a file stays, as on Linux it is
    // often the only printer there is.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCollateCopies);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (kind_ == Kind::PrinterSetup) {
        // The same dialog chooses the printer and its paper; it prints nothing.
        dialog.setWindowTitle(QStringLiteral("Настройка печати"));
        if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
            if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
                ok->setText(QStringLiteral("OK"));
    }
    return modal::exec(dialog) == QDialog::Accepted;
}

bool TPageSetupDialog::Execute(QPrinter &printer) {
    const QPageLayout before = printer.pageLayout();
    printer.setPageLayout(PageLayout);
    QPageSetupDialog dialog(&printer, owner_);
    if (modal::exec(dialog) != QDialog::Accepted) {
        printer.setPageLayout(before);
        return false;
    }
    PageLayout = printer.pageLayout();
    QPageLayout kept = PageLayout;
    kept.setUnits(before.units());
    kept.setMinimumMargins(QMarginsF());
    kept.setMargins(before.margins());
    printer.setPageLayout(kept);
    return true;
}
