#include "tools/multiply_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// The width a window needs for its whole title: the window manager draws it in
// its title font, often bold, between the frame's icon and buttons (about a
// title bar's height each).
int titleWidth(const QString &title) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 5 * metrics.height();
}

} // namespace

TMultiplyDialog::TMultiplyDialog(QWidget *parent) : QDialog(parent), copies_(new QSpinBox(this)) {
    setWindowTitle(QStringLiteral("Размножить текст"));
    copies_->setRange(kMinCopies, kMaxCopies);
    copies_->setValue(kDefaultCopies);
    copies_->setAccessibleName(QStringLiteral("Число копий"));

    auto *form = new QFormLayout;
    auto *label = new QLabel(QStringLiteral("&Число копий:"), this);
    label->setBuddy(copies_);
    form->addRow(label, copies_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    column->addStrut(titleWidth(windowTitle()));
    setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    copies_->selectAll();
    copies_->setFocus();
}

int TMultiplyDialog::Copies() const {
    copies_->interpretText(); // a number typed but not yet confirmed counts
    return copies_->value();
}
