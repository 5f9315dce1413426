#pragma once
// The windows the statistics, About, help and calendar commands build in code
// each time they run: a top-level window owned by the command, shown modally
// through modal::exec and gone when the command returns.
#include <QDialog>
#include <QLabel>

#include <functional>

class QPushButton;

class TOnDemandForm : public QDialog {
    Q_OBJECT
public:
    // A resizable window with system menu, minimise and maximise boxes.
    TOnDemandForm(const QString &caption, QSize size);

    void CentreOnDesktop();
    // A label at `at` in the client area, sized to its text.
    QLabel *AddLabel(QPoint at, const QString &text);
    // A label that runs onClick when clicked: hand cursor, underlined in the
    // window-text colour (not a link colour).
    QLabel *AddLink(QPoint at, const QString &text, std::function<void()> onClick);
    // The OK button: caption "OK" with the standard glyph, the default button
    // (Enter presses it), closing the window with the result Accepted.
    QPushButton *AddOkButton(QRect place);

    std::function<void()> OnResize; // runs on every change of the window's size

protected:
    // Escape does nothing: these windows have no cancel button.
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
};
