// The interface-language flag: CB3 and its two menu items. Only the hint of
// CB3 follows it; every other text of the program stays Russian.
#include "app/tform1.h"

#include <QAction>
#include <QCheckBox>

void TForm1::CB3Click() {
    QAction *n52 = Action(QStringLiteral("N52"));
    QAction *n100 = Action(QStringLiteral("N100"));
    n52->setChecked(!n52->isChecked());
    n100->setChecked(!n100->isChecked());
    CB3->setToolTip(CB3->isChecked() ? QStringLiteral("Русский интерфейс") : QStringLiteral("English interface"));
}

void TForm1::N52Click() { CB3->toggle(); }
void TForm1::N100Click() { CB3->toggle(); }
