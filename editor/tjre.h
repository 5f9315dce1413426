#pragma once
// TJRE, the editor control: a QTextEdit that speaks the vocabulary the rest of
// the program uses. Positions are 0-based and count a paragraph break as two
// characters (CR LF), exactly as GetText returns the text. The document holds
// any Unicode character; a position is a UTF-16 code unit, as Qt counts.
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextEdit>

#include "editor/pieces.h"
#include "editor/plaintext.h"

#include <functional>
#include <optional>

class DocLayout;
namespace spell {
class SpellCheck;
}

class TJRE : public QTextEdit {
    Q_OBJECT
public:
    explicit TJRE(QWidget *parent = nullptr);

    // Text and selection.
    QString GetText() const;
    int GetTextLen() const; // length of GetText without building it
    // The character count shown to the user: the length of GetText, a line
    // break counting its two characters (nothing is taken off: our text has
    // no closing paragraph mark to leave out).
    int CharacterCount() const;
    int SelectionStart() const;
    int SelectionLength() const;
    void Select(int start, int length);
    QString SelectedText() const;
    void ReplaceSelection(const QString &text);
    void SelectAll();
    // Empties the document as one undo step: Undo brings the text and its
    // formats back. Not modified afterwards; its one paragraph has the format
    // given.
    void Clear(const QTextBlockFormat &paragraph = QTextBlockFormat());

    // Formats.
    QTextCharFormat SelectionFormat() const;
    void SetSelectionFormat(const QTextCharFormat &format); // merges the properties set in format
    QTextCharFormat DefaultFormat() const;
    void SetDefaultFormat(const QTextCharFormat &format);   // merges; also the typing format
    QTextBlockFormat ParagraphFormat() const;
    void SetParagraphFormat(const QTextBlockFormat &format); // merges into the touched paragraphs
    bool Bullet() const;
    void SetBullet(bool on);

    // The control's base font; every change is copied into DefaultFormat.
    QString FontName() const;
    int FontSize() const;
    void SetFont(const QString &name, int pointSize);
    // The paper colour of the whole control.
    QColor Color() const;
    void SetColor(const QColor &color);
    // Tab stops in dialog units; the later ones follow at half-inch steps.
    void SetTabStops(const QList<int> &dialogUnits);

    // Files (errors are thrown as tessarin::Error with the messages of docio).
    void LoadFile(const QString &path);
    void LoadBytes(const QByteArray &bytes, bool plainText); // LoadFile of bytes already read
    void SaveFile(const QString &path) const;
    // The encoding plain-text saves write: the one the document was read in
    // as plain text, else Windows-1251.
    plaintext::Encoding Encoding() const { return encoding_; }
    void SetEncoding(plaintext::Encoding encoding) { encoding_ = encoding; }

    // Modes.
    bool PlainText() const { return plainText_; }
    void SetPlainText(bool on) { plainText_ = on; }
    bool WordWrap() const;
    void SetWordWrap(bool on);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);

    bool IsModified() const;
    void SetModified(bool on);

    bool CanUndo() const;
    void Undo();
    bool CanRedo() const;
    void Redo();
    void Cut();
    void Copy();
    void Paste();
    void DeleteSelection();

    // Display lines: with word wrap on, each wrapped line counts.
    int LineFromChar(int position);
    int LineIndex(int line);
    int LineCount();

    // The document as a list of its display lines.
    class TLines {
    public:
        explicit TLines(TJRE *editor) : editor_(editor) {}
        int Count() const { return editor_->LineCount(); }
        QString operator[](int i) const; // without its line break; at most 4,096 characters
        // Every line of the list, in order, each whole (no 4,096-character
        // limit); and, when asked, the line each paragraph starts at.
        QStringList Texts(QList<int> *firstLines = nullptr) const;
        void Add(const QString &line);   // appended as plain text followed by CR LF
    private:
        TJRE *editor_;
    };
    TLines Lines() { return TLines(this); }

    // Justifies the selected paragraphs, or all of them, then drops the
    // selection and turns word wrap on. Only paragraphs not yet justified
    // change; that is an edit (modified, one undo step). Layout is the window's
    // own re-justification (start-up, resize): on a document the user has not
    // touched yet (not modified, nothing to undo or redo) it belongs to how the
    // document is shown, and is neither an undo step nor a change.
    enum class Justify { Edit, Layout };
    void ApplyJustify(Justify kind = Justify::Edit);

    // While one is alive, Change waits; one Change goes out when the last of
    // them ends and the document changed meanwhile. A command runs inside one,
    // so the status bar describes the caret where the command left it.
    class ChangeBatch {
    public:
        explicit ChangeBatch(TJRE *editor);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch &) = delete;
        ChangeBatch &operator=(const ChangeBatch &) = delete;
    private:
        TJRE *editor_;
    };

    // Runs edit, a change of a large part of the document: redrawing is off
    // meanwhile and the view is redrawn once at the end. Change is sent once,
    // at the end, so its handlers see the caret where edit left it.
    void BulkEdit(const std::function<void()> &edit);

    // The spelling check: misspelt words underlined (off until turned on; the
    // main window turns it on as its settings say), and the menu of a right
    // click in the text.
    bool Spelling() const;
    void SetSpelling(bool on);
    spell::SpellCheck *SpellChecker() const { return spell_; }

    // Position mapping between our counting (CR LF) and Qt's (one separator).
    int toQt(int position) const;
    int fromQt(int qtPosition) const;

signals:
    void Change();    // the text or its formatting changed
    void ModifiedChanged(bool modified); // IsModified changed, or a document was loaded
    void MouseDown(); // a mouse press, after the control has moved the caret
    void SpellingChanged(bool on); // the user ticked or unticked the check in the menu

protected:
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override; // Ctrl+click on a link opens it
    void contextMenuEvent(QContextMenuEvent *event) override; // the spelling menu
    void keyPressEvent(QKeyEvent *event) override;       // keys in table rows
    bool viewportEvent(QEvent *event) override;          // a note's text over its mark
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Tab, Shift+Tab, Backspace and Delete in a table row: moves between
    // cells, never merging two; true when the key was taken.
    bool TableKey(QKeyEvent *event);
    bool PieceKey(QKeyEvent *event); // keys at a join of a long paragraph's pieces
    void adoptDocument(QTextDocument *doc);
    void replaceDocument(
        const std::function<plaintext::Encoding(QTextDocument &doc, const QTextCharFormat &plainFormat)> &fill);
    void applySelectionPalette();
    void followShift(qreal delta);
    const pieces::Positions &positions() const;

    DocLayout *layout_ = nullptr;
    mutable std::optional<pieces::Positions> positions_; // until the document changes
    spell::SpellCheck *spell_ = nullptr;
    bool atEnd_ = false;       // the view shows the end of the document
    qreal shiftRest_ = 0;      // the part of view shifts smaller than a pixel
    bool plainText_ = false;
    plaintext::Encoding encoding_ = plaintext::Encoding::Cp1251;
    bool hideSelection_ = true;
    QTextCharFormat defaultFormat_;
    int changeHolds_ = 0;     // ChangeBatch scopes alive
    bool changeHeld_ = false; // the document changed inside them
    bool changeMuted_ = false; // changes that are not the user's: no Change at all
};
