#pragma once
// TForm2, the calculator window "Подсчёт": two fields for the numbers, one for
// the answer and twelve operation buttons. Created hidden at start-up, shown
// on demand, only hidden when closed, so its fields keep their texts.
#include "windows/calculator.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
    ~TForm2() override;

    QLineEdit *Edit1 = nullptr; // first number
    QLineEdit *Edit2 = nullptr; // second number
    QLineEdit *Edit3 = nullptr; // answer
    QWidget *ToolBar1 = nullptr;
    QToolButton *ToolButton1 = nullptr, *ToolButton2 = nullptr, *ToolButton3 = nullptr,
                *ToolButton4 = nullptr, *ToolButton5 = nullptr, *ToolButton6 = nullptr,
                *ToolButton7 = nullptr, *ToolButton8 = nullptr, *ToolButton9 = nullptr,
                *ToolButton10 = nullptr, *ToolButton11 = nullptr, *ToolButton12 = nullptr;

    void ToolButton1Click();  // +
    void ToolButton2Click();  // -
    void ToolButton3Click();  // *
    void ToolButton4Click();  // /
    void ToolButton5Click();  // sqrt
    void ToolButton6Click();  // sqr
    void ToolButton7Click();  // ^
    void ToolButton8Click();  // fact
    void ToolButton9Click();  // div
    void ToolButton10Click(); // mod
    void ToolButton11Click(); // ln
    void ToolButton12Click(); // COPY: the answer's text into the document

private:
    // The answer of op to the first two fields goes into Edit3.
    void Calculate(calculator::Operation op);
};

extern TForm2 *Form2;
