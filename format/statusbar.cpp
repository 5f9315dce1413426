#include "format/statusbar.h"

#include <QAccessible>
#include <QAccessibleWidget>

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
    setFixedHeight(kHeight);
    // A narrow face, so that "Стр: 1234   Кол: 120" fits its 2u panel.
    setFont(QFont(QStringLiteral("Liberation Sans Narrow"), 8));
    for (int i = 0; i < kPanels; ++i) {
        auto *label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment((i == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
        label->setMargin(1);
        label->resize(kDesignPanelWidth, kHeight);
        panels_[i] = label;
    }
    placePanels();
}

void TStatusBar::SetText(int panel, const QString &text) { panels_[panel]->setText(text); }
QString TStatusBar::Text(int panel) const { return panels_[panel]->text(); }

void TStatusBar::SetWidth(int panel, int width) {
    panels_[panel]->resize(width, kHeight);
    placePanels();
}

int TStatusBar::Width(int panel) const { return panels_[panel]->width(); }

// The panels keep their widths side by side from the left; a window narrower
// than all of them cuts off the last ones instead of refusing to shrink.
void TStatusBar::placePanels() {
    int x = 0;
    for (QLabel *panel : panels_) {
        panel->move(x, 0);
        x += panel->width();
    }
}
