#include "windows/tform2.h"

TForm2 *Form2 = nullptr;

TForm2::TForm2(QWidget *parent) : QWidget(parent) {
    Form2 = this;
    setWindowTitle(QStringLiteral("Подсчёт"));
    setGeometry(507, 230, 169, 194);
    // Only the main window's close ends the program, also while this one is shown.
    setAttribute(Qt::WA_QuitOnClose, false);
}
