#include "windows/ondemand.h"

#include "platform/guard.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {

// A link: opened by a click, or from the keyboard (Tab reaches it; Enter or
// Space opens it), framed while it has the focus.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString &text, QWidget *parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setFocusPolicy(Qt::TabFocus); // a click opens it and leaves the focus where it was
        setAccessibleName(text);
    }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            guarded(onClick_);
    }
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
            event->accept();
            guarded(onClick_);
            return;
        }
        QLabel::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent *event) override {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        QPainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }

private:
    std::function<void()> onClick_;
};

} // namespace

TOnDemandForm::TOnDemandForm(const QString &caption, QSize size)
    : QDialog(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(caption);
    resize(size);
}

void TOnDemandForm::CentreOnDesktop() {
    const QRect desktop = screen()->availableGeometry();
    move(desktop.center() - QPoint(width() / 2, height() / 2));
}

QLabel *TOnDemandForm::AddLabel(QPoint at, const QString &text) {
    auto *label = new QLabel(text, this);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel *TOnDemandForm::AddLink(QPoint at, const QString &text, std::function<void()> onClick) {
    auto *label = new LinkLabel(text, this, std::move(onClick));
    QFont underlined = font();
    underlined.setUnderline(true);
    label->setFont(underlined);
    label->setCursor(Qt::PointingHandCursor);
    label->move(at);
    label->adjustSize();
    return label;
}

QPushButton *TOnDemandForm::AddOkButton(QRect place) {
    auto *ok = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    ok->setGeometry(place);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    return ok;
}

void TOnDemandForm::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TOnDemandForm::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    if (OnResize)
        OnResize();
}
