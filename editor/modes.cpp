// The two mode check boxes of the editor: word wrap (CB1) and RTF mode (CB2).
// The menu items only invert their box; the box's handler flips both ticks
// and applies the state.
#include "app/tform1.h"
#include "editor/tjre.h"

#include <QAction>
#include <QCheckBox>

void TForm1::CB1Click() {
    N99->setChecked(!N99->isChecked());
    N51->setChecked(!N51->isChecked());
    JRE->SetWordWrap(CB1->isChecked());
}

void TForm1::CB2Click() {
    RTF2->setChecked(!RTF2->isChecked());
    RTF1->setChecked(!RTF1->isChecked());
    JRE->SetPlainText(!CB2->isChecked());
}

void TForm1::N51Click() { CB1->toggle(); }
void TForm1::N99Click() { CB1->toggle(); }
void TForm1::RTF1Click() { CB2->toggle(); }
void TForm1::RTF2Click() { CB2->toggle(); }
