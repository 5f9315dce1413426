// The document file commands of the main window and their three file dialogs.
#include "app/tform1.h"
#include "editor/cp1251.h"
#include "editor/docio.h"
#include "editor/file_dialogs.h"
#include "editor/pieces.h"
#include "editor/plaintext.h"
#include "editor/recovery.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/error.h"
#include "platform/messages.h"

#include <QCheckBox>
#include <QScopeGuard>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <optional>

#include <unistd.h>

namespace {

const char *const kOpenFilter =
    "*.RTF файлы |*.rtf|*.TXT файлы |*.txt|*.HTML файлы|*.html|*.BAT файлы|*.bat|*.REG файлы|*.reg|"
    "*.INI файлы|*.ini|*.INF файлы|*.inf|*.CFG файлы|*.cfg|*.CONF файлы|*.conf|*.SHTML файлы|*.shtml|"
    "*.HTM файлы|*.htm|*.DAT файлы|*.dat|*.DTF файлы|*.dtf|*.DOF файлы|*.dof|*.SQL файлы|*.sql|"
    "*.C файлы|*.c|*.CPP файлы|*.cpp|*.H файлы|*.H|*.DBA файлы|*.dba|*.VB файлы|*.vb|*.BB файлы|*.bb|"
    "*.CS файлы|*.cs|*.JAVA файлы|*.java|Все файлы |*.*";

const char *const kSaveFilter =
    "*.RTF файлы |*.rtf|*.TXT файлы |*.txt|*.INI файлы|*.ini|*.CFG файлы|*.cfg|*.BAT файлы|*.bat|"
    "*.REG файлы|*.reg|*.HTML файлы|*.html|*.HTM файлы|*.htm|*.SHTML файлы|*.shtml|*.INF файлы|*.inf|"
    "*.CONF файлы|*.conf|*.SQL файлы|*.sql|*.DAT файлы|*.dat|*.DTF файлы|*.dtf|*.DOF файлы|*.dof|"
    "*.C файлы|*.c|*.CPP файлы|*.cpp|*.H файлы|*.h|*.VB файлы|*.vb|*.JAVA файлы|*.java|"
    "*.DBA файлы|*.dba|*.BB файлы|*.bb|*.CS файлы|*.cs|Все файлы|*.*";

} // namespace

void TForm1::createFileDialogs() {
    OpenDialog1 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog1->Title = QStringLiteral("Выбор файла для работы");
    OpenDialog1->DefaultExt = QStringLiteral("RTF");
    OpenDialog1->Filter = QString::fromUtf8(kOpenFilter);

    SaveDialog1 = new TOpenDialog(this, TOpenDialog::Kind::Save);
    SaveDialog1->Title = QStringLiteral("Сохранение текущего файла");
    SaveDialog1->DefaultExt = QStringLiteral("RTF");
    SaveDialog1->Filter = QString::fromUtf8(kSaveFilter);

    OpenDialog2 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog2->Filter = QStringLiteral("Все файлы|*.*");

    OpenDialog3 = new TOpenDialog(this, TOpenDialog::Kind::Open);
    OpenDialog3->Filter = QStringLiteral("Все файлы (*.*)|*.*");
}

void TForm1::createRecovery() {
    Recovery = new recovery::Keeper(JRE, [this] { return OpenDialog1->FileName; }, this);
    connect(CB2, &QCheckBox::toggled, Recovery, &recovery::Keeper::Changed); // the mode is kept too
}

// ---- commands ----------------------------------------------------------------

namespace {

// The text of a file up to its first zero byte, read as UTF-8 or Windows-1251
// as plaintext::detect decides.
// Reading stops at that byte, so a huge file whose text ends early costs
// nothing more. No value when the file cannot be opened or read (anything but
// a regular file is refused at once), or when its text would not fit the
// editor (more than the text limit).
std::optional<QString> fileText(const QString &path) {
    int fd = -1;
    try {
        fd = docio::openRegularFile(path);
    } catch (const tessarin::Error &) {
        return std::nullopt; // the command is silent about it
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    try {
        QByteArray bytes;
        constexpr qsizetype kChunk = qsizetype(1) << 20;
        for (;;) {
            const qsizetype used = bytes.size();
            bytes.resize(used + kChunk);
            const ssize_t n = ::read(fd, bytes.data() + used, size_t(kChunk));
            if (n < 0) {
                bytes.resize(used);
                if (errno == EINTR)
                    continue;
                return std::nullopt;
            }
            const char *zero = static_cast<const char *>(std::memchr(bytes.constData() + used, 0, size_t(n)));
            bytes.resize(zero ? zero - bytes.constData() : used + n);
            if (bytes.size() > docio::kTextLimit)
                return std::nullopt;
            if (zero || n == 0)
                break;
        }
        return plaintext::decode(bytes, plaintext::detect(bytes));
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
}

// The file-name part of a path: everything after its last "/", "\" or ":".
QString fileNamePart(const QString &path) {
    qsizetype cut = -1;
    for (QChar separator : {QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char(':')})
        cut = std::max(cut, path.lastIndexOf(separator));
    return path.mid(cut + 1);
}

// From this many characters on, an insertion is laid out afterwards as a
// loaded document is, from the top in steps. Qt lays out an edited range in
// one pass, and that pass slows down out of all proportion on very tall
// documents: a 32 MB text (10 million pixels) took over 15 minutes that way,
// 22 seconds this way.
constexpr qsizetype kStepwiseLayoutFrom = qsizetype(1) << 20;

// Replaces the editor's selection with text as one step of the undo history.
void replaceSelectionAsOneStep(TJRE *editor, const QString &text) {
    QTextDocument *doc = editor->document();
    const bool stepwise = text.size() >= kStepwiseLayoutFrom && doc->isLayoutEnabled();
    if (stepwise)
        doc->setLayoutEnabled(false);
    const auto relayout = qScopeGuard([&] {
        if (stepwise) {
            doc->setLayoutEnabled(true);
            editor->ensureCursorVisible(); // as ReplaceSelection does when laid out at once
        }
    });
    QTextCursor block = editor->textCursor();
    block.beginEditBlock();
    editor->ReplaceSelection(text);
    if (text.size() > pieces::kSplitFrom)
        pieces::split(*doc); // a long paragraph inserted: in pieces, as one read from a file
    block.endEditBlock();
}

} // namespace

// New: an empty document without a name, so that the next Save asks for one
// instead of overwriting the file opened before; the mode stays. One undo
// step, which brings the text back. The paragraph is justified as in a fresh
// window, so that a resize finds nothing to change.
void TForm1::ToolButton1Click() {
    QTextBlockFormat justified;
    justified.setAlignment(Qt::AlignJustify);
    JRE->Clear(justified);
    JRE->SetEncoding(plaintext::Encoding::Cp1251);
    OpenDialog1->FileName.clear();
}

// Open: the confirmed path is the document name at once, even if it cannot be
// read; a load failure reaches the error box and leaves the document as it was.
void TForm1::ToolButton2Click() {
    if (!OpenDialog1->Execute())
        return;
    JRE->LoadFile(OpenDialog1->FileName);
    JRE->SetModified(false);
}

// Save: to the document name, or, when there is none yet, to a path asked for
// with the Open dialog. Status panel 1 is emptied after a write and after a
// cancel; a failed write reaches the error box and leaves it and IsModified
// as they were.
void TForm1::ToolButton3Click() {
    if (OpenDialog1->FileName.isEmpty()) {
        if (OpenDialog1->Execute()) {
            if (!ConfirmLossySave())
                return;
            JRE->SaveFile(OpenDialog1->FileName);
            JRE->SetModified(false);
        }
    } else {
        if (!ConfirmLossySave())
            return;
        JRE->SaveFile(OpenDialog1->FileName);
        JRE->SetModified(false);
    }
    StatusBar1->SetText(1, QString());
}

// Save As: to a path of its own; the document name stays.
void TForm1::ToolButton4Click() {
    if (SaveDialog1->Execute()) {
        if (!ConfirmLossySave())
            return;
        JRE->SaveFile(SaveDialog1->FileName);
        JRE->SetModified(false);
    }
    StatusBar1->SetText(1, QString());
}

// Exit: closing the window asks about unsaved changes (SaveChangesBeforeClosing).
void TForm1::ToolButton7Click() { close(); }

// Asked whenever the main window is about to close, by Exit or by any other
// way. Unsaved changes: "Yes" saves through the Save As dialog, "No" drops
// them. False keeps the window open: Esc or the box's close button (a reflex
// Esc must not throw the document away), or a cancelled Save As dialog. A
// failed save throws, and the window stays open too.
bool TForm1::SaveChangesBeforeClosing() {
    if (!JRE->IsModified())
        return true;
    const int answer = messages::show(QStringLiteral("Warning"), QStringLiteral("Файл не сохранён! Сохранить?"),
                                      messages::Icon::Warning, messages::Yes | messages::No, messages::Yes,
                                      messages::Cancel);
    if (answer != messages::Yes)
        return answer == messages::No;
    if (!SaveDialog1->Execute() || !ConfirmLossySave())
        return false;
    JRE->SaveFile(SaveDialog1->FileName);
    JRE->SetModified(false);
    return true;
}

// Before a plain-text save in Windows-1251: characters the code page lacks
// would become '?'. The user is asked first; No saves nothing.
bool TForm1::ConfirmLossySave() {
    if (!JRE->PlainText() || JRE->Encoding() != plaintext::Encoding::Cp1251)
        return true;
    const cp1251::Missing missing = cp1251::missing(plaintext::labelledText(*JRE->document()));
    if (!missing.count)
        return true;
    const QString text = QStringLiteral("Символов документа, которых нет в кодировке Windows-1251: %1 (%2%3). "
                                        "В файле они будут заменены знаком «?». Сохранить?")
                             .arg(missing.count)
                             .arg(missing.first.join(QStringLiteral(", ")),
                                  missing.count > missing.first.size() ? QStringLiteral(", …") : QString());
    return messages::show(QStringLiteral("Warning"), text, messages::Icon::Warning, messages::Yes | messages::No,
                          messages::No, messages::No) == messages::Yes;
}

// At start: the copies that programs no longer running left behind are
// offered, newest first, until one is taken. Yes loads it as the modified
// document it was, in its mode and under its name; No deletes it; Esc or the
// close button starts with an empty document and keeps it for the next start.
// A damaged copy is not offered: it is set aside, and the user told so.
void TForm1::OfferRecovery() {
    const QString caption = QStringLiteral("Восстановление");
    for (const std::unique_ptr<recovery::Orphan> &orphan : recovery::claimOrphans()) {
        bool damaged = false;
        const std::optional<recovery::Copy> copy = orphan->read(&damaged);
        if (damaged) {
            const QString aside = orphan->setAside();
            messages::show(caption,
                           QStringLiteral("Копия несохранённого документа предыдущего сеанса повреждена "
                                          "и не может быть восстановлена. Она оставлена в файле %1.")
                               .arg(aside),
                           messages::Icon::Warning, messages::Ok, messages::Ok, messages::Ok);
            continue;
        }
        if (!copy)
            continue;
        const int answer = messages::show(caption, QStringLiteral("Найден несохранённый документ предыдущего сеанса. Восстановить?"),
                                          messages::Icon::Question, messages::Yes | messages::No, messages::Yes,
                                          messages::Cancel);
        if (answer == messages::Cancel)
            return;
        if (answer == messages::No) {
            orphan->remove();
            continue;
        }
        CB2->setChecked(!copy->plainText);
        JRE->LoadBytes(copy->rtf, false);
        JRE->SetEncoding(copy->encoding);
        OpenDialog1->FileName = copy->name;
        JRE->SetModified(true);
        JREChange(); // the status bar shows it unsaved
        Recovery->Adopt(*orphan);
        return;
    }
}

// Insert file contents: the file's bytes up to the first zero byte replace
// the selection, unconverted. Any failure leaves the document alone, silently.
void TForm1::ToolButton23Click() {
    if (!OpenDialog3->Execute())
        return;
    const std::optional<QString> text = fileText(OpenDialog3->FileName);
    if (!text)
        return;
    try {
        replaceSelectionAsOneStep(JRE, *text);
    } catch (const std::bad_alloc &) {
    }
}

// Insert file name: the last component of the chosen path replaces the selection.
void TForm1::ToolButton24Click() {
    if (!OpenDialog3->Execute())
        return;
    replaceSelectionAsOneStep(JRE, fileNamePart(OpenDialog3->FileName));
}
