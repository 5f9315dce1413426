#include "windows/tform2.h"

#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/guard.h"
#include "tools/edit_commands.h"

#include <QIcon>
#include <QLineEdit>
#include <QToolButton>

TForm2 *Form2 = nullptr;

namespace {

using calculator::Operation;

// Design values of the window and its controls.
constexpr QRect kGeometry(507, 230, 169, 194);
constexpr int kFieldLeft = 8, kFieldWidth = 145, kFieldHeight = 21;
constexpr QRect kToolBar(8, 80, 145, 73);
constexpr int kButtonWidth = 36, kButtonHeight = 21, kRowHeight = 23, kRowTop = 2, kPerRow = 4;

struct Field {
    QLineEdit *TForm2::*member;
    int top;
    const char *hint;
};

const Field kFields[] = {
    {&TForm2::Edit1, 8, "Введите первое число"},
    {&TForm2::Edit2, 32, "Введите второе число"},
    {&TForm2::Edit3, 56, "Ответ"},
};

struct Button {
    QToolButton *TForm2::*member;
    const char *caption;
    const char *hint;
    void (TForm2::*handler)();
};

const Button kButtons[] = {
    {&TForm2::ToolButton1, "+", "Сложение", &TForm2::ToolButton1Click},
    {&TForm2::ToolButton2, "-", "Вычитание", &TForm2::ToolButton2Click},
    {&TForm2::ToolButton3, "*", "Умножение", &TForm2::ToolButton3Click},
    {&TForm2::ToolButton4, "/", "Деление", &TForm2::ToolButton4Click},
    {&TForm2::ToolButton5, "sqrt", "Квадратный корень", &TForm2::ToolButton5Click},
    {&TForm2::ToolButton6, "sqr", "Квадратная степень", &TForm2::ToolButton6Click},
    {&TForm2::ToolButton7, "^", "Произвольная степень", &TForm2::ToolButton7Click},
    {&TForm2::ToolButton8, "fact", "Факториал", &TForm2::ToolButton8Click},
    {&TForm2::ToolButton9, "div", "Целочисленное частное от деления двух чисел", &TForm2::ToolButton9Click},
    {&TForm2::ToolButton10, "mod", "Целочисленный остаток от деления двух чисел", &TForm2::ToolButton10Click},
    {&TForm2::ToolButton11, "ln", "Натуральный логарифм", &TForm2::ToolButton11Click},
    {&TForm2::ToolButton12, "COPY", "Копировать ответ в текст", &TForm2::ToolButton12Click},
};

} // namespace

TForm2::TForm2(QWidget *parent) : QWidget(parent) {
    Form2 = this;
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Подсчёт"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/calculator.png")));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    move(kGeometry.topLeft());
    resize(kGeometry.size());
    // Only the main window's close ends the program, also while this one is shown.
    setAttribute(Qt::WA_QuitOnClose, false);

    // Created in tab order: the three fields, then the buttons.
    for (const Field &f : kFields) {
        auto *edit = new QLineEdit(this);
        edit->setGeometry(kFieldLeft, f.top, kFieldWidth, kFieldHeight);
        edit->setToolTip(QString::fromUtf8(f.hint));
        edit->setAccessibleName(QString::fromUtf8(f.hint));
        this->*f.member = edit;
    }
    ToolBar1 = new QWidget(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(kToolBar);
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        const Button &b = kButtons[i];
        auto *button = new QToolButton(ToolBar1);
        button->setObjectName(QStringLiteral("ToolButton%1").arg(i + 1));
        button->setText(QString::fromUtf8(b.caption));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        // Reached by Tab, but a click leaves the keyboard in the field.
        button->setFocusPolicy(Qt::TabFocus);
        button->setGeometry(i % kPerRow * kButtonWidth, kRowTop + i / kPerRow * kRowHeight, kButtonWidth,
                            kButtonHeight);
        connectGuarded(button, &QToolButton::clicked, this, b.handler);
        this->*b.member = button;
    }
}

TForm2::~TForm2() {
    if (Form2 == this)
        Form2 = nullptr;
}

void TForm2::Calculate(Operation op) { Edit3->setText(calculator::answer(op, Edit1->text(), Edit2->text())); }

void TForm2::ToolButton1Click() { Calculate(Operation::Add); }
void TForm2::ToolButton2Click() { Calculate(Operation::Subtract); }
void TForm2::ToolButton3Click() { Calculate(Operation::Multiply); }
void TForm2::ToolButton4Click() { Calculate(Operation::Divide); }
void TForm2::ToolButton5Click() { Calculate(Operation::SquareRoot); }
void TForm2::ToolButton6Click() { Calculate(Operation::Square); }
void TForm2::ToolButton7Click() { Calculate(Operation::Power); }
void TForm2::ToolButton8Click() { Calculate(Operation::Factorial); }
void TForm2::ToolButton9Click() { Calculate(Operation::Quotient); }
void TForm2::ToolButton10Click() { Calculate(Operation::Remainder); }
void TForm2::ToolButton11Click() { Calculate(Operation::Logarithm); }

// The answer's text as it stands, typed by hand or not, replaces the editor's
// selection; the keyboard stays here.
void TForm2::ToolButton12Click() {
    const TJRE::ChangeBatch batch(Form1->JRE);
    edit_commands::replaceSelection(Form1->JRE, Edit3->text());
}

// "Калькулятор": the calculator shows, or comes to the front when it is shown.
void TForm1::ToolButton41Click() {
    Form2->show();
    Form2->raise();
    Form2->activateWindow();
}
