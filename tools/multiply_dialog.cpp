#include "tools/multiply_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

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
    setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    copies_->selectAll();
    copies_->setFocus();
}

int TMultiplyDialog::Copies() const {
    copies_->interpretText(); // a number typed but not yet confirmed counts
    return copies_->value();
}
