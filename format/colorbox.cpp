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

// Standard colours, extended colours, then the system colours (named by
// their roles), in that order; Russian names, as the rest of the window.
constexpr Entry kEntries[] = {
    fixed("Чёрный", 0x000000),
    fixed("Бордовый", 0x800000),
    fixed("Зелёный", 0x008000),
    fixed("Оливковый", 0x808000),
    fixed("Тёмно-синий", 0x000080),
    fixed("Фиолетовый", 0x800080),
    fixed("Сине-зелёный", 0x008080),
    fixed("Серый", 0x808080),
    fixed("Серебристый", 0xC0C0C0),
    fixed("Красный", 0xFF0000),
    fixed("Ярко-зелёный", 0x00FF00),
    fixed("Жёлтый", 0xFFFF00),
    fixed("Синий", 0x0000FF),
    fixed("Фуксия", 0xFF00FF),
    fixed("Бирюзовый", 0x00FFFF),
    fixed("Белый", 0xFFFFFF),
    fixed("Светло-зелёный", 0xC0DCC0),
    fixed("Небесно-голубой", 0xA6CAF0),
    fixed("Кремовый", 0xFFFBF0),
    fixed("Средне-серый", 0xA4A0A0),
    system("Полоса прокрутки", QPalette::Button),
    system("Рабочий стол", QPalette::Dark),
    system("Заголовок активного окна", QPalette::Highlight),
    system("Заголовок неактивного окна", QPalette::Highlight, QPalette::Inactive),
    system("Меню", QPalette::Window),
    system("Окно", QPalette::Base),
    system("Рамка окна", QPalette::Shadow),
    system("Текст меню", QPalette::WindowText),
    system("Текст окна", QPalette::Text),
    system("Текст заголовка", QPalette::HighlightedText),
    system("Граница активного окна", QPalette::Window),
    system("Граница неактивного окна", QPalette::Window, QPalette::Inactive),
    system("Рабочая область приложения", QPalette::Mid),
    system("Выделение", QPalette::Highlight),
    system("Выделенный текст", QPalette::HighlightedText),
    system("Кнопка", QPalette::Button),
    system("Тень кнопки", QPalette::Dark),
    system("Недоступный текст", QPalette::Text, QPalette::Disabled),
    system("Текст кнопки", QPalette::ButtonText),
    system("Текст заголовка неактивного окна", QPalette::HighlightedText, QPalette::Inactive),
    system("Светлая кромка кнопки", QPalette::Light),
    system("Тёмная тень объёмных элементов", QPalette::Shadow),
    system("Светлая кромка объёмных элементов", QPalette::Midlight),
    system("Текст подсказки", QPalette::ToolTipText),
    system("Фон подсказки", QPalette::ToolTipBase),
    system("Ссылка", QPalette::Link),
    system("Градиент заголовка активного окна", QPalette::Highlight),
    system("Градиент заголовка неактивного окна", QPalette::Highlight, QPalette::Inactive),
    system("Выделение в меню", QPalette::Highlight),
    system("Строка меню", QPalette::Window),
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
        addItem(swatch(c), QString::fromUtf8(e.name), c);
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
