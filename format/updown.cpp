#include "format/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>
#include <algorithm>

TUpDown::TUpDown(QWidget *parent) : QSpinBox(parent) {
    // Only the arrows show: the number lives in the associated edit box.
    lineEdit()->hide();
    lineEdit()->setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setKeyboardTracking(false);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setWrapping(false);
}

void TUpDown::SetAssociate(QLineEdit *edit) {
    if (associate_)
        associate_->removeEventFilter(this);
    associate_ = edit;
    if (associate_)
        associate_->installEventFilter(this);
}

int TUpDown::Position() const {
    bool ok = false;
    const int shown = associate_ ? associate_->text().trimmed().toInt(&ok) : 0;
    return ok ? std::clamp(shown, minimum(), maximum()) : value();
}

void TUpDown::stepBy(int steps) {
    const qint64 next = qint64(Position()) + qint64(steps) * singleStep();
    setValue(int(std::clamp<qint64>(next, minimum(), maximum())));
    if (associate_)
        associate_->setText(QString::number(value()));
    emit Changing();
}

// Both arrows always answer: the position comes from the edit box, which the
// program may have rewritten since the last step.
QAbstractSpinBox::StepEnabled TUpDown::stepEnabled() const {
    return isReadOnly() ? StepNone : (StepUpEnabled | StepDownEnabled);
}

bool TUpDown::eventFilter(QObject *watched, QEvent *event) {
    if (watched == associate_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::NoModifier && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            stepBy(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QSpinBox::eventFilter(watched, event);
}

void TUpDown::wheelEvent(QWheelEvent *event) { event->ignore(); }

QSize TUpDown::sizeHint() const { return QSize(17, QSpinBox::sizeHint().height()); }
QSize TUpDown::minimumSizeHint() const { return QSize(17, QSpinBox::minimumSizeHint().height()); }
