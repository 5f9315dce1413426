#pragma once
// TForm2, the calculator window: created hidden at start-up, shown on demand
// and only hidden when closed.
#include <QWidget>

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr);
};

extern TForm2 *Form2;
