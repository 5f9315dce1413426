#include "format/colorbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <algorithm>
#include <iterator>

namespace {

// An entry: a fixed colour, or a system colour taken from a palette role.
struct Entry {
    const char *name;
    QRgb rgb = 0;
    QPalette::ColorRole role = QPalette::NoRole;
    QPalette::ColorGroup group = QPalette::Active;
};

constexpr Entry fixed(const char *name, QRgb rgb) { return {name, rgb}; }
constexpr Entry system(const char *name, QPalette::ColorRole role, QPalette::ColorGroup group = QPalette::Active) {
    return {name, 0, role, group};
}

// Standard colours, extended colours, then the system colours, in that order.
constexpr Entry kEntries[] = {
    fixed("Black", 0x000000),
    fixed("Maroon", 0x800000),
    fixed("Green", 0x008000),
    fixed("Olive", 0x808000),
    fixed("Navy", 0x000080),
    fixed("Purple", 0x800080),
    fixed("Teal", 0x008080),
    fixed("Gray", 0x808080),
    fixed("Silver", 0xC0C0C0),
    fixed("Red", 0xFF0000),
    fixed("Lime", 0x00FF00),
    fixed("Yellow", 0xFFFF00),
    fixed("Blue", 0x0000FF),
    fixed("Fuchsia", 0xFF00FF),
    fixed("Aqua", 0x00FFFF),
    fixed("White", 0xFFFFFF),
    fixed("Money Green", 0xC0DCC0),
    fixed("Sky Blue", 0xA6CAF0),
    fixed("Cream", 0xFFFBF0),
    fixed("Medium Gray", 0xA4A0A0),
    system("Scroll Bar", QPalette::Button),
    system("Background", QPalette::Dark),
    system("Active Caption", QPalette::Highlight),
    system("Inactive Caption", QPalette::Highlight, QPalette::Inactive),
    system("Menu", QPalette::Window),
    system("Window", QPalette::Base),
    system("Window Frame", QPalette::Shadow),
    system("Menu Text", QPalette::WindowText),
    system("Window Text", QPalette::Text),
    system("Caption Text", QPalette::HighlightedText),
    system("Active Border", QPalette::Window),
    system("Inactive Border", QPalette::Window, QPalette::Inactive),
    system("Application Workspace", QPalette::Mid),
    system("Highlight", QPalette::Highlight),
    system("Highlight Text", QPalette::HighlightedText),
    system("Button Face", QPalette::Button),
    system("Button Shadow", QPalette::Dark),
    system("Gray Text", QPalette::Text, QPalette::Disabled),
    system("Button Text", QPalette::ButtonText),
    system("Inactive Caption Text", QPalette::HighlightedText, QPalette::Inactive),
    system("Button Highlight", QPalette::Light),
    system("3D Dark Shadow", QPalette::Shadow),
    system("3D Light", QPalette::Midlight),
    system("Info Text", QPalette::ToolTipText),
    system("Info Background", QPalette::ToolTipBase),
    system("Hot Light", QPalette::Link),
    system("Gradient Active Caption", QPalette::Highlight),
    system("Gradient Inactive Caption", QPalette::Highlight, QPalette::Inactive),
    system("Menu Highlight", QPalette::Highlight),
    system("Menu Bar", QPalette::Window),
};

QColor colorOf(const Entry &e) {
    if (e.role == QPalette::NoRole)
        return QColor::fromRgb(e.rgb);
    const QColor c = QApplication::palette().color(e.group, e.role);
    return QColor::fromRgb(c.rgb());
}

QIcon swatch(const QColor &color) {
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

TColorBox::TColorBox(QWidget *parent) : QComboBox(parent) {
    for (const Entry &e : kEntries) {
        const QColor c = colorOf(e);
        addItem(swatch(c), QString::fromLatin1(e.name), c);
    }
    setCurrentIndex(-1);
    setMaxVisibleItems(16);
    fitListWidth(this);
    connect(this, &QComboBox::activated, this, [this] { emit Select(); });
}

void TColorBox::refreshColors() {
    for (int i = 0; i < count() && i < int(std::size(kEntries)); ++i) {
        const QColor c = colorOf(kEntries[i]);
        setItemData(i, c);
        setItemIcon(i, swatch(c));
    }
}

void TColorBox::changeEvent(QEvent *event) {
    if (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::PaletteChange)
        refreshColors();
    QComboBox::changeEvent(event);
}

void TColorBox::SetDefaultColor(const QColor &color) {
    defaultColor_ = color;
    SetSelected(color);
}

QColor TColorBox::Selected() const {
    return currentIndex() < 0 ? QColor() : currentData().value<QColor>();
}

void TColorBox::SetSelected(const QColor &color) {
    int found = -1;
    if (color.isValid()) {
        const QRgb rgb = color.rgb();
        for (int i = 0; i < count(); ++i) {
            if (itemData(i).value<QColor>().rgb() == rgb) {
                found = i;
                break;
            }
        }
    }
    setCurrentIndex(found);
}

void fitListWidth(QComboBox *box) {
    const QFontMetrics fm(box->view()->font());
    int widest = 0;
    bool icons = false;
    for (int i = 0; i < box->count(); ++i) {
        widest = std::max(widest, fm.horizontalAdvance(box->itemText(i)));
        icons = icons || !box->itemIcon(i).isNull();
    }
    // Room for the icons, the scroll bar and the frame.
    box->view()->setMinimumWidth(widest + (icons ? box->iconSize().width() : 0) + 48);
}
