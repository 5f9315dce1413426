// Edit commands and text tools of the main window: undo and redo, the
// clipboard commands, select all, "Размножить текст", date and time, reverse
// letter order, line sort and the keyboard-layout commands. Each command that
// changes the text is one undo step.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/datetime.h"
#include "platform/error.h"
#include "platform/keyboard.h"
#include "platform/modal.h"
#include "tools/edit_commands.h"
#include "tools/multiply_dialog.h"
#include "tools/text_tools.h"

#include <QDateTime>
#include <QPoint>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QVariant>
#include <algorithm>

namespace {

// The longest text the editor takes, as its text limit says.
constexpr qint64 kTextLimit = 0x7FFFFFF0;
// A change of at least this many characters, and of at least a quarter of the
// document, is laid out step by step afterwards instead of at once.
constexpr qint64 kBulkCharacters = 1 << 18;

// The edits made while it lives form one undo step.
class UndoStep {
public:
    explicit UndoStep(QTextDocument *doc) : cursor_(doc) { cursor_.beginEditBlock(); }
    ~UndoStep() { cursor_.endEditBlock(); }
    UndoStep(const UndoStep &) = delete;
    UndoStep &operator=(const UndoStep &) = delete;

private:
    QTextCursor cursor_;
};

// The undo step of the last bulk edit: undoing it, and redoing it after that,
// is a bulk edit too. The document remembers the state from which the step
// can be undone (or redone); a state is its undo-stack position and its
// revision, which every edit, undo and redo advances, so any other change in
// between makes the remembered state stale.
const char *const kBulkUndo = "tessarinBulkUndo";
const char *const kBulkRedo = "tessarinBulkRedo";

QPoint stateOf(const QTextDocument *doc) { return QPoint(doc->availableUndoSteps(), doc->revision()); }

void remember(QTextDocument *doc, const char *which) { doc->setProperty(which, stateOf(doc)); }

bool isRemembered(const QTextDocument *doc, const char *which) {
    const QVariant v = doc->property(which);
    return v.isValid() && v.toPoint() == stateOf(doc);
}

} // namespace

void edit_commands::replaceSelection(TJRE *editor, const QString &text) {
    const qint64 selected = editor->SelectionLength();
    const qint64 changed = selected + text.size();
    const qint64 after = editor->GetTextLen() - selected + text.size();
    if (changed < kBulkCharacters || changed * 4 < after) {
        UndoStep step(editor->document());
        editor->ReplaceSelection(text);
        return;
    }
    editor->BulkEdit([&] {
        UndoStep step(editor->document());
        editor->ReplaceSelection(text);
    });
    remember(editor->document(), kBulkUndo);
}

namespace {

using edit_commands::replaceSelection;

// Undoes or redoes a bulk step as a bulk edit. The caret goes to the start of
// the changed text, so the status bar needs no layout beyond it.
void bulkUndoRedo(TJRE *editor, bool undo) {
    QTextDocument *doc = editor->document();
    editor->BulkEdit([&] {
        int from = -1;
        const QMetaObject::Connection watch = QObject::connect(
            doc, &QTextDocument::contentsChange,
            [&from](int position, int, int) { from = from < 0 ? position : std::min(from, position); });
        const auto unwatch = qScopeGuard([&] { QObject::disconnect(watch); });
        if (undo)
            editor->Undo();
        else
            editor->Redo();
        if (from >= 0) {
            QTextCursor c(doc);
            c.setPosition(std::min(from, doc->characterCount() - 1));
            editor->setTextCursor(c);
        }
    });
}

// Empties the document as Clear does (one empty paragraph in the plain
// paragraph and character formats, out of any list), but undoably; the cursor
// is left in that paragraph.
void emptyDocument(QTextCursor &c) {
    c.select(QTextCursor::Document);
    c.removeSelectedText();
    const QTextBlock block = c.block();
    if (QTextList *list = block.textList())
        list->remove(block);
    if (c.blockFormat() != QTextBlockFormat())
        c.setBlockFormat(QTextBlockFormat());
    if (c.blockCharFormat() != QTextCharFormat())
        c.setBlockCharFormat(QTextCharFormat());
}

} // namespace

void TForm1::ToolButton8Click() {
    if (!JRE->CanUndo())
        return;
    if (isRemembered(JRE->document(), kBulkUndo)) {
        bulkUndoRedo(JRE, true);
        remember(JRE->document(), kBulkRedo);
    } else {
        JRE->Undo();
    }
}

void TForm1::ToolButton9Click() {
    if (!JRE->CanRedo())
        return;
    if (isRemembered(JRE->document(), kBulkRedo)) {
        bulkUndoRedo(JRE, false);
        remember(JRE->document(), kBulkUndo);
    } else {
        JRE->Redo();
    }
}

void TForm1::ToolButton10Click() { JRE->Copy(); }

void TForm1::ToolButton11Click() { JRE->Cut(); }

void TForm1::ToolButton12Click() { JRE->Paste(); }

void TForm1::ToolButton13Click() { JRE->DeleteSelection(); }

void TForm1::ToolButton17Click() { JRE->SelectAll(); }

// "Размножить текст": the selection is replaced by as many copies of it as the
// user asks for. Nothing selected: nothing to multiply, no question.
void TForm1::ToolButton16Click() {
    const QString selected = JRE->SelectedText();
    if (selected.isEmpty())
        return;
    TMultiplyDialog dialog(this);
    if (modal::exec(dialog) != QDialog::Accepted)
        return;
    const int copies = dialog.Copies();
    const qint64 length = qint64(selected.size()) * copies;
    if (length > text_tools::kMaxResult)
        throw tessarin::Error(QStringLiteral("Текст не размножен: результат был бы больше %1 МБ. "
                                             "Выделите меньше текста или уменьшите число копий")
                                  .arg(text_tools::kMaxResult >> 20));
    if (length > kTextLimit - (JRE->GetTextLen() - selected.size()))
        throw tessarin::Error(QStringLiteral("Out of memory"));
    replaceSelection(JRE, text_tools::repeat(selected, copies));
}

void TForm1::ToolButton18Click() {
    replaceSelection(JRE, dateTimeText(QDateTime::currentDateTime()));
}

void TForm1::ToolButton19Click() {
    QString text = text_tools::reversed(JRE->SelectedText());
    // A paragraph break comes out of the reversal as LF CR; the editor takes it
    // back as one break, so reversing twice gives the selection back.
    text.replace(QLatin1String("\n\r"), QLatin1String("\r\n"));
    replaceSelection(JRE, text);
}

// The document's lines, as the editor's Lines list gives them, sorted
// ascending (user's locale, case ignored) and put back as plain paragraphs,
// each followed by a break, in the format text typed into an emptied document
// gets (DefaultFormat): the old formatting is gone, the typing format stays.
// One undo step restores the document as it was.
void TForm1::ToolButton25Click() {
    QStringList lines = JRE->Lines().Texts();
    const std::vector<int> order = text_tools::sortOrder(lines, text_tools::lineCollator());
    qsizetype length = 0;
    for (const QString &line : lines)
        length += line.size() + 1;
    QString text;
    text.reserve(length);
    for (int i : order) {
        text += lines[i];
        text += QChar::ParagraphSeparator;
    }
    const bool empty = lines.isEmpty();
    lines = QStringList(); // the text holds them now

    QTextDocument *doc = JRE->document();
    const QTextCharFormat typing = JRE->DefaultFormat();
    const int revision = doc->revision();
    JRE->BulkEdit([&] {
        {
            QTextCursor c(doc);
            UndoStep step(doc);
            emptyDocument(c);
            c.insertText(text, typing);
        }
        // The caret goes to the first line: the top of the sorted list is
        // shown, and nothing needs the layout of the whole document at once.
        JRE->setTextCursor(QTextCursor(doc));
        JRE->setCurrentCharFormat(typing);
    });
    if (doc->revision() != revision) // an empty document may stay as it was
        remember(doc, kBulkUndo);
    // Clear forgets the modified flag; the lines put back set it again.
    if (empty)
        JRE->SetModified(false);
}

void TForm1::ToolButton26Click() {
    if (EnglishLayout)
        keyboard::activate(EnglishLayout);
    StatusBar1->SetText(4, QStringLiteral("АНГЛ."));
}

void TForm1::ToolButton27Click() {
    if (RussianLayout)
        keyboard::activate(RussianLayout);
    StatusBar1->SetText(4, QStringLiteral("РУС."));
}
