#pragma once
// The find and replace dialogs: small modeless windows laid out like the
// classic ones. They keep their texts and options for the whole run; the main
// window's FindDialog1Find and ReplaceDialog1Replace (tools/find_replace.cpp)
// do the work and read neither the options nor anything but the texts.
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Options of the dialogs, an or-ed set. Shown and kept, read by no handler.
enum TFindOption { frDown = 0x1, frWholeWord = 0x2, frMatchCase = 0x4 };

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxText = 255; // characters an edit holds

    explicit TFindDialog(QWidget *parent = nullptr);

    // The search text as typed: at most 255 characters, no line break (a
    // pasted text keeps what comes before its first line break).
    QString FindText() const;
    void SetFindText(const QString &text);
    int Options() const;
    void SetOptions(int options);

    // Shows the dialog, or brings it to the front when it is already open.
    void Execute();

    // The controls, for tests and accessibility checks.
    QLineEdit *FindEdit() const { return findEdit_; }
    QPushButton *FindNextButton() const { return findNext_; }
    QPushButton *CancelButton() const { return cancel_; }
    QCheckBox *WholeWordBox() const { return wholeWord_; }
    QCheckBox *MatchCaseBox() const { return matchCase_; }
    QRadioButton *UpButton() const { return up_; }     // null in the replace dialog
    QRadioButton *DownButton() const { return down_; } // null in the replace dialog

signals:
    void Find(); // the find-next button

protected:
    enum class Kind { Find, Replace };
    // Builds the controls of either dialog.
    TFindDialog(QWidget *parent, Kind kind);

    QLineEdit *replaceEdit_ = nullptr;
    QPushButton *replace_ = nullptr;
    QPushButton *replaceAll_ = nullptr;

private:
    QLineEdit *makeEdit(const QString &accessibleName);
    void updateButtons(); // the buttons that need a search text

    QLineEdit *findEdit_ = nullptr;
    QPushButton *findNext_ = nullptr;
    QPushButton *cancel_ = nullptr;
    QCheckBox *wholeWord_ = nullptr;
    QCheckBox *matchCase_ = nullptr;
    QRadioButton *up_ = nullptr;
    QRadioButton *down_ = nullptr;
    bool downChosen_ = true; // kept where no direction is shown
};

class TReplaceDialog : public TFindDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget *parent = nullptr);

    QString ReplaceText() const;
    void SetReplaceText(const QString &text);

    QLineEdit *ReplaceEdit() const { return replaceEdit_; }
    QPushButton *ReplaceButton() const { return replace_; }
    QPushButton *ReplaceAllButton() const { return replaceAll_; }

signals:
    void Replace(); // the replace and the replace-all buttons alike
};
