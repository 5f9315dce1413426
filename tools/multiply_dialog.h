#pragma once
// The question of "Размножить текст": how many copies of the selection to make.
#include <QDialog>

class QSpinBox;

class TMultiplyDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinCopies = 1;
    static constexpr int kMaxCopies = 1000;
    static constexpr int kDefaultCopies = 2;

    explicit TMultiplyDialog(QWidget *parent = nullptr);

    int Copies() const;
    QSpinBox *CopiesBox() const { return copies_; }

private:
    QSpinBox *copies_;
};
