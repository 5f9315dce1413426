#include "format/font_dialog.h"

#include "platform/modal.h"

#include <QFontDialog>

bool TFontDialog::Execute(QWidget *parent) {
    QFontDialog dialog(Font, parent);
    if (modal::exec(dialog) != QDialog::Accepted)
        return false;
    Font = dialog.currentFont();
    return true;
}
