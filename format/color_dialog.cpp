#include "format/color_dialog.h"

#include "platform/modal.h"

#include <QColorDialog>

bool TColorDialog::Execute(QWidget *parent) {
    QColorDialog dialog(Color, parent);
    if (modal::exec(dialog) != QDialog::Accepted)
        return false;
    Color = dialog.currentColor();
    return true;
}
