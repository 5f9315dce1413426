#include "format/font_dialog.h"

#include "format/colorbox.h"
#include "platform/modal.h"

#include <QCheckBox>
#include <QFontDialog>
#include <QLabel>
#include <QLayout>

namespace {

// Puts "Цвет:" and a colour box below the check boxes of the dialog's
// effects group; returns the box.
TColorBox *addColorBox(QFontDialog &dialog) {
    auto *effect = dialog.findChild<QCheckBox *>();
    QWidget *effects = effect ? effect->parentWidget() : nullptr;
    if (!effects || !effects->layout())
        return nullptr;
    auto *box = new TColorBox(effects);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(10);
    auto *label = new QLabel(QStringLiteral("&Цвет:"), effects);
    label->setBuddy(box);
    effects->layout()->addWidget(label);
    effects->layout()->addWidget(box);
    return box;
}

} // namespace

bool TFontDialog::Execute(QWidget *parent) {
    QFontDialog dialog(Font, parent);
    TColorBox *box = addColorBox(dialog);
    bool picked = false;
    if (box) {
        // The automatic colour shows as the window-text colour it is drawn in.
        box->SetSelected(Color.isValid() ? Color : dialog.palette().color(QPalette::Text));
        connect(box, &TColorBox::Select, &dialog, [&picked] { picked = true; });
    }
    if (modal::exec(dialog) != QDialog::Accepted)
        return false;
    Font = dialog.currentFont();
    if (picked && box->Selected().isValid())
        Color = box->Selected();
    return true;
}
