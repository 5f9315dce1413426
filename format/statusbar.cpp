#include "format/statusbar.h"

#include <QHBoxLayout>

TStatusBar::TStatusBar(QWidget *parent) : QWidget(parent) {
    setFixedHeight(kHeight);
    // A narrow face, so that "Стр: 1234   Кол: 120" fits its 2u panel.
    setFont(QFont(QStringLiteral("Liberation Sans Narrow"), 8));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < kPanels; ++i) {
        auto *label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment((i == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
        label->setMargin(1);
        panels_[i] = label;
        row->addWidget(label);
        SetWidth(i, kDesignPanelWidth);
    }
    row->addStretch(1);
}

void TStatusBar::SetText(int panel, const QString &text) { panels_[panel]->setText(text); }
QString TStatusBar::Text(int panel) const { return panels_[panel]->text(); }
void TStatusBar::SetWidth(int panel, int width) { panels_[panel]->setFixedWidth(width); }
int TStatusBar::Width(int panel) const { return panels_[panel]->width(); }
