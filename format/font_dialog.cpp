#include "format/font_dialog.h"

#include "format/colorbox.h"
#include "format/fontlist.h"
#include "platform/modal.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>

#include <climits>
#include <cstdlib>

namespace {

// The style the font is drawn in, by the font database's name ("Book",
// "Bold Italic"); failing that, the family's style of that slant with the
// nearest weight. Qt's dialog finds a style by name, and its own name for a
// plain style is translated ("Обычный") and found in no list, which would
// preselect the first style.
QString styleName(const QFont &font) {
    const QStringList styles = QFontDatabase::styles(font.family());
    const QString drawn = QFontInfo(font).styleName();
    if (styles.contains(drawn))
        return drawn;
    QString best;
    int distance = INT_MAX;
    for (const QString &style : styles) {
        const int d = std::abs(QFontDatabase::weight(font.family(), style) - font.weight());
        const bool slanted = QFontDatabase::font(font.family(), style, 12).style() != QFont::StyleNormal;
        if (slanted == font.italic() && d < distance) {
            best = style;
            distance = d;
        }
    }
    return best;
}

// The font as Qt's dialog finds it in its lists: its family as the font
// database spells it (a name in another case or with a foundry is found; a
// name that is not installed gives the family the text is drawn in), and
// its style by name. Otherwise the dialog opens on its default font.
QFont listedFont(QFont font) {
    const QString name = font.families().value(0, font.family());
    QString family = installedFamily(name);
    if (family.isEmpty())
        family = fontFamily(QFontInfo(font).family());
    font.setFamilies({family});
    font.setStyleName(styleName(font));
    return font;
}

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
    QFontDialog dialog(listedFont(Font), parent);
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
