#pragma once
// The printer dialog components: PrintDialog1 (print: whole document, copies),
// PrinterSetupDialog1 (printer, paper, orientation) and PageSetupDialog1
// (paper, orientation, margins). Each Execute() shows Qt's dialog through the
// modal seam for the printer it is given; what the user confirms becomes that
// printer's settings for the next print job.
#include <QObject>
#include <QPageLayout>
#include <QWidget>

class QPrinter;

class TPrintDialog : public QObject {
    Q_OBJECT
public:
    enum class Kind { Print, PrinterSetup };
    explicit TPrintDialog(QWidget *owner, Kind kind) : QObject(owner), owner_(owner), kind_(kind) {}
    // True when the user confirmed.
    bool Execute(QPrinter &printer);

private:
    QWidget *owner_;
    Kind kind_;
};

class TPageSetupDialog : public QObject {
    Q_OBJECT
public:
    explicit TPageSetupDialog(QWidget *owner) : QObject(owner), owner_(owner) {}
    // What the dialog shows next: at first A4, margins of 25 mm on all sides;
    // then what the user confirmed last. Printing never reads the margins.
    QPageLayout PageLayout{QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(25, 25, 25, 25),
                           QPageLayout::Millimeter};
    // True when the user confirmed; the printer then takes the paper and the
    // orientation, and keeps its own margins.
    bool Execute(QPrinter &printer);

private:
    QWidget *owner_;
};
