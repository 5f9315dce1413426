#pragma once
// An up-down control: a pair of arrows attached to an edit box. Its position is
// the number the edit box shows; an arrow (or Up and Down typed in the edit box)
// steps that number within the range, writes it back into the box and reports
// Changing. The arrows take no focus and ignore the mouse wheel.
#include <QSpinBox>

class QLineEdit;

class TUpDown : public QSpinBox {
    Q_OBJECT
public:
    explicit TUpDown(QWidget *parent = nullptr);

    void SetAssociate(QLineEdit *edit);
    QLineEdit *Associate() const { return associate_; }

    // The edit box's number kept within the range; the last position when the
    // box holds no number.
    int Position() const;

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Changing(); // after a step; the edit box shows the new position

protected:
    StepEnabled stepEnabled() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    QLineEdit *associate_ = nullptr;
};
