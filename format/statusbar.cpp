#include "format/statusbar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <algorithm>

namespace {

// Screen readers find the bar by its role, and read its panels as its children.
QAccessibleInterface *statusBarAccessible(const QString &className, QObject *object) {
    if (className == QLatin1String("TStatusBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::StatusBar);
    return nullptr;
}

} // namespace

TStatusBar::TStatusBar(QWidget *parent) : QWidget(parent) {
    static const bool roleInstalled = [] {
        QAccessible::installFactory(statusBarAccessible);
        return true;
    }();
    Q_UNUSED(roleInstalled);
    widths_.fill(kDesignPanelWidth);
    setFixedHeight(kHeight);
    // A narrow face, so that "Стр: 1234   Кол: 120" fits its 2u panel.
    setFont(QFont(QStringLiteral("Liberation Sans Narrow"), 8));
    for (int i = 0; i < kPanels; ++i) {
        auto *label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment((i == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
        label->setMargin(1);
        panels_[i] = label;
    }
    placePanels();
}

void TStatusBar::SetText(int panel, const QString &text) {
    if (panels_[panel]->text() == text)
        return;
    panels_[panel]->setText(text);
    placePanels();
}
QString TStatusBar::Text(int panel) const { return panels_[panel]->text(); }

void TStatusBar::SetWidth(int panel, int width) {
    widths_[panel] = width;
    placePanels();
}

int TStatusBar::Width(int panel) const { return panels_[panel]->width(); }

// The panels keep their widths side by side from the left; a window narrower
// than all of them cuts off the last ones instead of refusing to shrink. A
// text wider than its panel (a larger font, or none of the narrow face on
// the system) widens the panel, so that it reads whole; what that pushes past
// the bar's end is taken from the room other panels have to spare.
void TStatusBar::placePanels() {
    int tallest = kHeight;
    std::array<int, kPanels> width{}, spare{};
    int grown = 0, total = 0, spares = 0;
    for (int i = 0; i < kPanels; ++i) {
        const QLabel *panel = panels_[i];
        const QSize need = panel->text().isEmpty() ? QSize() : panel->sizeHint();
        tallest = std::max(tallest, need.height());
        width[i] = std::max(widths_[i], need.width());
        spare[i] = width[i] - need.width();
        grown += width[i] - widths_[i];
        total += width[i];
        spares += spare[i];
    }
    if (const int over = std::min(grown, total - this->width()); over > 0 && spares > 0) {
        const int take = std::min(over, spares);
        for (int i = 0, left = take; i < kPanels; ++i) { // in proportion, rounded up
            const int cut = std::min(left, int((qint64(spare[i]) * take + spares - 1) / spares));
            width[i] -= cut;
            left -= cut;
        }
    }
    if (tallest != height())
        setFixedHeight(tallest);
    int x = 0;
    for (int i = 0; i < kPanels; ++i) {
        panels_[i]->setGeometry(x, 0, width[i], tallest);
        x += width[i];
    }
}

void TStatusBar::resizeEvent(QResizeEvent *) { placePanels(); }

void TStatusBar::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && panels_[0])
        placePanels();
}
