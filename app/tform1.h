#pragma once
// TForm1, the main window. Its handlers are defined in the folder of the
// subsystem that owns them; this file declares the window's controls and the
// handlers of its life: FormCreate, FormResize, FormClose, ApplyHintStyle
// (FormActivate belongs to the tray icon, app/tray.cpp).
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPrinter;
class QSpinBox;
class QTimer;
class QToolBar;
class TColorBox;
class TColorDialog;
class TFontDialog;
class TFindDialog;
class TReplaceDialog;
class TJRE;
class TOpenDialog;
class TPageSetupDialog;
class TPrintDialog;
class TStatusBar;
namespace recovery {
class Keeper;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and all its controls, then runs FormCreate.
    // settingsPath: the settings file to use (by default the one beside the executable).
    explicit TForm1(const QString &settingsPath = QString(), QWidget *parent = nullptr);
    ~TForm1() override;

    const QString &SettingsPath() const { return settingsPath_; }

    // Controls, named as the rest of the program knows them.
    QMenuBar *MainMenu1 = nullptr;
    QFrame *CoolBar1 = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolBar *ToolBar2 = nullptr;
    QComboBox *ComboBox1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QSpinBox *UpDown1 = nullptr;
    QSpinBox *SpinEdit1 = nullptr;
    TColorBox *ColorBox1 = nullptr;
    TColorBox *ColorBox2 = nullptr;
    QCheckBox *CB1 = nullptr;
    QCheckBox *CB2 = nullptr;
    QCheckBox *CB3 = nullptr;
    TJRE *JRE = nullptr;
    TStatusBar *StatusBar1 = nullptr;
    QTimer *Timer1 = nullptr;
    TOpenDialog *OpenDialog1 = nullptr; // its FileName is the current document name
    TOpenDialog *SaveDialog1 = nullptr;
    TOpenDialog *OpenDialog2 = nullptr; // part of the window, shown by no command
    TOpenDialog *OpenDialog3 = nullptr; // the two insert commands
    QMenu *PopupMenu1 = nullptr;
    TFindDialog *FindDialog1 = nullptr;    // created on first use
    TReplaceDialog *ReplaceDialog1 = nullptr;
    TFontDialog *FontDialog1 = nullptr;
    TColorDialog *ColorDialog1 = nullptr;
    TPrintDialog *PrintDialog1 = nullptr;
    TPrintDialog *PrinterSetupDialog1 = nullptr;
    TPageSetupDialog *PageSetupDialog1 = nullptr;
    QSystemTrayIcon *TrayIcon = nullptr; // shown only while the program is in the tray

    // Runs a command's handler through the guard, so no failure crosses the
    // event loop, with the editor's change notice held until it ends, so the
    // status bar describes the caret where the command left it.
    void RunCommand(void (TForm1::*handler)());

    // The program ends when this window closes (its question answered), and
    // only then: no other window or message box ends it by being closed,
    // whatever is hidden in the tray. main() calls it; tests that run an event
    // loop of their own too.
    void EndProgramOnClose();

    // A menu item or toolbar button by its name ("N8", "ToolButton2"), or null.
    QAction *Action(const QString &name) const;

    // Menu items whose ticks follow the check boxes.
    QAction *N51 = nullptr;  // main menu: word wrap
    QAction *N99 = nullptr;  // popup: word wrap
    QAction *RTF1 = nullptr; // main menu: RTF mode
    QAction *RTF2 = nullptr; // popup: RTF mode

    // Keyboard layouts found at start-up (0: not installed).
    quintptr EnglishLayout = 0;
    quintptr RussianLayout = 0;

    // Command-line arguments after the program's path: counted, never read.
    int ArgumentCount = 0;

    // Life of the window.
    void FormCreate();
    void FormActivate();
    void FormResize();
    void FormClose();
    static void ApplyHintStyle();

    // Document files (editor/document_files.cpp).
    void ToolButton1Click();  // New
    void ToolButton2Click();  // Open
    void ToolButton3Click();  // Save
    void ToolButton4Click();  // Save As
    void ToolButton7Click();  // Exit
    bool SaveChangesBeforeClosing();
    bool ConfirmLossySave();
    void ToolButton23Click(); // Insert file contents
    void ToolButton24Click(); // Insert file name
    // The copy of the unsaved document kept against a crash, and the question
    // at start about a copy a program that is gone left behind.
    recovery::Keeper *Recovery = nullptr;
    void OfferRecovery();

    // Printing (editor/printing.cpp).
    void ToolButton5Click();  // Printer setup
    void ToolButton6Click();  // Print
    void ToolButton38Click(); // Page setup
    QPrinter &Printer();      // one for the whole run, created on first use

    // Tray icon (app/tray.cpp).
    void AddTrayIcon();
    void RemoveTrayIcon();
    void HideToTray();
    void RestoreFromTray();
    void ShowTrayMenu();
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void HandleSystemCommand(); // the window was minimised
    bool TrayClickRestores() const { return trayClickRestores_; }

    // Edit commands and text tools (tools/edit_commands.cpp).
    void ToolButton8Click();  // Undo
    void ToolButton9Click();  // Redo
    void ToolButton10Click(); // Copy
    void ToolButton11Click(); // Cut
    void ToolButton12Click(); // Paste
    void ToolButton13Click(); // Delete
    void ToolButton16Click(); // Multiply text
    void ToolButton17Click(); // Select all
    void ToolButton18Click(); // Date and time
    void ToolButton19Click(); // Reverse letter order
    void ToolButton25Click(); // Sort lines ascending
    void ToolButton26Click(); // English layout
    void ToolButton27Click(); // Russian layout

    // Find and replace (tools/find_replace.cpp).
    void ToolButton14Click(); // Find
    void ToolButton20Click(); // Replace
    void FindDialog1Find();
    void ReplaceDialog1Replace();

    // Character and paragraph formatting (format/formatting.cpp).
    void ComboBox1Change();
    void UpDown1Changing();
    void ColorBox1Select();
    void ColorBox2Select();
    void ToolButton28Click(); // italic
    void ToolButton29Click(); // underline
    void ToolButton30Click(); // bold
    void ToolButton31Click(); // left
    void ToolButton32Click(); // centre
    void ToolButton33Click(); // right
    void ToolButton34Click(); // justify
    void ToolButton35Click(); // bullet on
    void ToolButton36Click(); // bullet off
    void ToolButton37Click(); // font dialog
    void N45Click();
    void N96Click();
    void N47Click();
    void N93Click();
    void SpinEdit1Change();
    // The attributes a font-dialog result goes to: the selection's, or the
    // typing attributes when nothing is selected.
    enum class Target { Selection, Default };
    Target FormatTarget() const;

    // Status bar, clock and view toggles (format/status.cpp).
    void JREChange();
    void JREMouseDown();
    void Timer1Timer();
    void N27Click();
    void N77Click();
    void ToolButton15Click();
    void N28Click();
    void N78Click();
    void CaretPositionToPanel(); // panel 0, for both editor handlers

    // Auxiliary windows (windows/).
    void ToolButton41Click(); // calculator

    // Interface-language flag (app/language.cpp).
    void CB3Click();
    void N52Click();
    void N100Click();

    // Auxiliary windows (windows/): each is built when its command runs.
    void N54Click();          // statistics
    void ToolButton22Click(); // About
    void Action1Execute();    // About: the author's web site
    void Action2Execute();    // About: the author's e-mail
    void ToolButton39Click(); // mail to the author
    void ToolButton21Click(); // help
    void Action3Execute();    // help window resized: re-justify its text
    void ToolButton40Click(); // calendar
    TJRE *HelpViewer = nullptr; // the help window's text while it is open

    // Mode check boxes (editor/modes.cpp).
    void CB1Click();
    void CB2Click();
    void N51Click();
    void N99Click();
    void RTF1Click();
    void RTF2Click();

    // The window's outer geometry as the settings file stores it.
    QRect OuterGeometry() const;

signals:
    void Closed(); // the window closed for good: the settings are written

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool event(QEvent *event) override;

private:
    void createPrintDialogs(); // editor/printing.cpp
    void createTrayIcon();     // app/tray.cpp
    void buildLayout();
    void createFileDialogs(); // editor/document_files.cpp
    void createRecovery();    // editor/document_files.cpp
    void connectFormatting(); // format/formatting.cpp: the dialogs and the formatting controls
    void buildToolBar2Controls();
    void placeOverlays();
    void restoreGeometry();
    void findKeyboardLayouts();

    QString settingsPath_;
    bool closed_ = false;
    std::unique_ptr<QPrinter> printer_;
    bool activated_ = false;              // FormActivate ran once
    QRect trayRestoreGeometry_;           // where the window was before the tray
    QList<QPointer<QWidget>> trayHidden_; // the other windows the tray hid
    QTimer *trayClick_ = nullptr;         // a single click waits to be no double click
    bool trayClickRestores_ = false;      // the notification area sends no double click
};

extern TForm1 *Form1;
