#include "format/colorbox.h"

#include <QPixmap>

namespace {

struct NamedColor { QRgb rgb; const char *name; };

// Standard and extended colours, in the order colour boxes list them.
constexpr NamedColor kColors[] = {
    {0x000000, "Black"},  {0x800000, "Maroon"}, {0x008000, "Green"},   {0x808000, "Olive"},
    {0x000080, "Navy"},   {0x800080, "Purple"}, {0x008080, "Teal"},    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"}, {0xFF0000, "Red"},    {0x00FF00, "Lime"},    {0xFFFF00, "Yellow"},
    {0x0000FF, "Blue"},   {0xFF00FF, "Fuchsia"}, {0x00FFFF, "Aqua"},   {0xFFFFFF, "White"},
    {0xC0DCC0, "Money Green"}, {0xA6CAF0, "Sky Blue"}, {0xFFFBF0, "Cream"}, {0xA4A0A0, "Medium Gray"},
};

} // namespace

TColorBox::TColorBox(QWidget *parent) : QComboBox(parent) {
    for (const NamedColor &c : kColors)
        addColor(QColor::fromRgb(c.rgb), QString::fromLatin1(c.name));
    connect(this, &QComboBox::activated, this, [this] { emit Select(); });
}

void TColorBox::addColor(const QColor &color, const QString &name) {
    QPixmap swatch(16, 12);
    swatch.fill(color);
    addItem(QIcon(swatch), name, color);
}

void TColorBox::SetDefaultColor(const QColor &color) {
    defaultColor_ = color;
    SetSelected(color);
}

QColor TColorBox::Selected() const { return currentData().value<QColor>(); }

void TColorBox::SetSelected(const QColor &color) { setCurrentIndex(findData(color)); }
