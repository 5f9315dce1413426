#include "platform/messages.h"

#include "platform/modal.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

namespace messages {
namespace {

// QMessageBox picks an escape button of its own when none is set (a box's
// only button) and refuses to close without one; this box does neither: Esc
// does nothing without an escape button, and the frame's close button always
// closes it.
class Box : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool escapeEnabled = false;
    bool escapeDismisses = false; // Esc closes the box without pressing a button
    bool closedByFrame = false;

protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->matches(QKeySequence::Cancel) && (escapeDismisses || !escapeEnabled)) {
            event->accept();
            if (escapeDismisses)
                reject();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent *event) override {
        if (!clickedButton())
            closedByFrame = true;
        QDialog::closeEvent(event);
    }
};

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Information: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// The window a box belongs to and is centred over: the active window, or,
// while none is active (right after a dialog closed), the main window.
QWidget *ownerWindow() {
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow *>(w) && w->isVisible())
            return w;
    return nullptr;
}

} // namespace

int show(const QString &caption, const QString &text, Icon icon, int buttons, int defaultButton,
         int escapeButton) {
    Box box(ownerWindow());
    box.setWindowTitle(caption);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(qtIcon(icon));

    // One role for all: the buttons stand in the order they are added
    // (Yes, No, OK, as on Windows) whatever the desktop's button order is.
    struct Choice {
        Button button;
        const char *caption;
    };
    static const Choice choices[] = {{Yes, "&Yes"}, {No, "&No"}, {Ok, "OK"}};
    QPushButton *pushButtons[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!(buttons & choices[i].button))
            continue;
        pushButtons[i] = box.addButton(QString::fromLatin1(choices[i].caption), QMessageBox::ActionRole);
        if (choices[i].button == defaultButton)
            box.setDefaultButton(pushButtons[i]);
        if (choices[i].button == escapeButton) {
            box.setEscapeButton(pushButtons[i]);
            box.escapeEnabled = true;
        }
    }

    if (escapeButton == Cancel)
        box.escapeEnabled = box.escapeDismisses = true;

    const bool answered = modal::pendingAnswers() > 0;
    const int code = modal::exec(box);
    const int fallback = box.escapeEnabled ? escapeButton : int(No);
    if (QAbstractButton *clicked = box.clickedButton()) {
        for (int i = 0; i < 3; ++i)
            if (pushButtons[i] == clicked)
                return choices[i].button;
    }
    if (answered && !box.closedByFrame && (code == Yes || code == No || code == Ok || code == Cancel) &&
        ((buttons | escapeButton) & code))
        return code;
    return fallback;
}

QString errorText(const QString &message) {
    // By character code: the codes above "." in Windows-1251 are the
    // characters above it in Unicode too.
    if (!message.isEmpty() && message.back() > u'.')
        return message + u'.';
    return message;
}

void showError(const QString &message) {
    show(applicationTitle(), errorText(message), Icon::Error, Ok, Ok, Ok);
}

} // namespace messages
