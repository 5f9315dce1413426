// The tray icon: minimising, or the first activation with command-line
// arguments, hides the program's windows and shows the icon; a click on the
// icon opens PopupMenu1, a double click brings the windows back. Where no
// notification area runs, nothing goes to the tray: the window would have no
// way back. A notification area that sends no double click (D-Bus) brings
// the window back on a click, and opens the menu on the context click.
// While a modal dialog or question is open, nothing goes to the tray: hiding
// it would answer it.
#include "app/tform1.h"

#include "platform/guard.h"
#include "platform/notifyarea.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QTimer>

void TForm1::createTrayIcon() {
    TrayIcon = new QSystemTrayIcon(this);
    connectGuarded(TrayIcon, &QSystemTrayIcon::activated, this, &TForm1::TrayIconActivated);
    // A single click opens the menu once it cannot be the start of a double click.
    trayClick_ = new QTimer(this);
    trayClick_->setSingleShot(true);
    trayClick_->setInterval(QApplication::doubleClickInterval());
    connectGuarded(trayClick_, &QTimer::timeout, this, &TForm1::ShowTrayMenu);
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { RemoveTrayIcon(); });
    trayClickRestores_ = notifyarea::sendsNoDoubleClick();
}

void TForm1::AddTrayIcon() {
    TrayIcon->setIcon(windowIcon());
    TrayIcon->setToolTip(QStringLiteral("Tessarin 2.0"));
    TrayIcon->show();
}

void TForm1::RemoveTrayIcon() {
    if (TrayIcon)
        TrayIcon->hide();
}

// The main window and every other shown window of the program go out of
// sight, with their task-bar entries.
void TForm1::HideToTray() {
    trayRestoreGeometry_ = geometry();
    trayHidden_.clear();
    for (QWidget *w : QApplication::topLevelWidgets()) {
        const Qt::WindowType type = w->windowType();
        if (w != this && w->isVisible() && (type == Qt::Window || type == Qt::Dialog)) {
            trayHidden_ << w;
            w->hide();
        }
    }
    hide();
}

// The windows come back where they were; controls the user switched off
// (a toolbar area, the status bar) keep their own visibility.
void TForm1::RestoreFromTray() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    setGeometry(trayRestoreGeometry_);
    for (const QPointer<QWidget> &w : std::as_const(trayHidden_))
        if (w)
            w->show();
    trayHidden_.clear();
    raise();
    activateWindow();
}

void TForm1::ShowTrayMenu() { PopupMenu1->popup(QCursor::pos()); }

void TForm1::TrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (trayClickRestores_) {
            RemoveTrayIcon();
            RestoreFromTray();
        } else {
            trayClick_->start();
        }
        break;
    case QSystemTrayIcon::Context:
        ShowTrayMenu();
        break;
    case QSystemTrayIcon::DoubleClick:
        trayClick_->stop();
        RemoveTrayIcon();
        RestoreFromTray();
        break;
    default:
        break;
    }
}

void TForm1::HandleSystemCommand() {
    if (!isMinimized() || !isVisible() || !QSystemTrayIcon::isSystemTrayAvailable() ||
        QApplication::activeModalWidget())
        return; // an ordinary minimise: the task-bar entry stays
    HideToTray();
    AddTrayIcon();
}

// With command-line arguments the first activation sends the program to the
// tray; later ones (the window brought back, a dialog closed) leave it alone.
// A question open at that moment (recovery) is answered first.
void TForm1::FormActivate() {
    if (activated_ || QApplication::activeModalWidget())
        return;
    activated_ = true;
    if (ArgumentCount > 0 && QSystemTrayIcon::isSystemTrayAvailable()) {
        HideToTray();
        AddTrayIcon();
    }
}

void TForm1::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    // Qt has minimised the window; it goes to the tray once that is done.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QTimer::singleShot(0, this, [this] { guarded([this] { HandleSystemCommand(); }); });
}

bool TForm1::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate)
        QTimer::singleShot(0, this, [this] { guarded([this] { FormActivate(); }); });
    return QMainWindow::event(event);
}
