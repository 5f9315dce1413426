#include "tools/find_replace.h"

#include "app/tform1.h"
#include "editor/pieces.h"
#include "editor/tjre.h"
#include "platform/error.h"
#include "platform/messages.h"
#include "tools/replace_engine.h"
#include "tools/text_tools.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFragment>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The part of s before its first line break: the edits hold one line.
QString firstLine(const QString &s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            return s.left(i);
    }
    return s;
}

// A dialog text as the handlers use it: its first line, at most kMaxText code
// units, a character of two units kept whole or left out.
QString usable(const QString &typed) {
    QString s = firstLine(typed).left(TFindDialog::kMaxText);
    if (!s.isEmpty() && s.back().isHighSurrogate())
        s.chop(1);
    return s;
}

std::u16string_view view(const QString &s) {
    return std::u16string_view(QStringView(s).utf16(), static_cast<std::size_t>(s.size()));
}

// Replaces the selection of c with text.
void replaceSelected(QTextCursor &c, const QString &text) {
    if (text.isEmpty())
        c.removeSelectedText();
    else
        c.insertText(text);
}

// Whether the characters from..to of block (counted from its start) have one format.
bool oneFormat(const QTextBlock &block, int from, int to) {
    int format = -1;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        const int start = f.position() - block.position();
        if (start >= to)
            break;
        if (start + f.length() <= from)
            continue;
        if (format >= 0 && f.charFormatIndex() != format)
            return false;
        format = f.charFormatIndex();
    }
    return true;
}

// Makes the replacements of plan in doc as one undo step, paragraph by
// paragraph. Neither text
// holds a line break, so every occurrence lies inside one paragraph and the
// replacements of a paragraph follow each other. Each replacement takes the
// format of the text it replaces. Where several fall into one paragraph and
// the span they touch has one format, the span is rewritten at once with its
// final text: the same text and formats, without cutting the paragraph into
// a piece for each replacement (which makes laying it out crawl).
void makeReplacements(QTextDocument *doc, const replace_engine::Result<char16_t> &plan, int findLength,
                      const QString &with) {
    const std::vector<std::size_t> &edits = plan.edits;
    const int growth = int(with.size()) - findLength;
    QTextCursor c(doc);
    c.beginEditBlock();
    // An occurrence may go over the join of a long paragraph's pieces: the
    // pieces are joined for the replacements and split again after them.
    const bool joins = pieces::mayHaveJoins(*doc) && pieces::unsplit(*doc) > 0;
    QTextBlock block = doc->begin();
    for (std::size_t i = 0; i < edits.size();) {
        int start = block.position() + block.blockNumber(); // as GetText counts, breaks as CR LF
        while (int(edits[i]) + findLength > start + block.length() - 1) {
            block = block.next();
            start = block.position() + block.blockNumber();
        }
        // This paragraph's replacements, and the text they leave alone at
        // either end of it.
        const int length = block.length() - 1;
        int lead = length, trail = length;
        std::size_t end = i;
        for (int now = length; end < edits.size(); ++end, now += growth) {
            const int at = int(edits[end]) - start;
            if (at < 0 || at + findLength > now)
                break;
            lead = std::min(lead, at);
            trail = std::min(trail, now - at - findLength);
        }
        const int qtStart = block.position();
        if (end - i > 1 && oneFormat(block, lead, length - trail)) {
            const int replaced = length + int(end - i) * growth - trail - lead;
            c.setPosition(qtStart + lead);
            c.setPosition(qtStart + length - trail, QTextCursor::KeepAnchor);
            replaceSelected(c, QString(reinterpret_cast<const QChar *>(plan.text.data() + start + lead), replaced));
        } else {
            for (; i < end; ++i) {
                c.setPosition(qtStart + int(edits[i]) - start);
                c.setPosition(c.position() + findLength, QTextCursor::KeepAnchor);
                replaceSelected(c, with);
            }
        }
        i = end;
    }
    if (joins)
        pieces::split(*doc);
    c.endEditBlock();
}

} // namespace

// ---- the dialogs -------------------------------------------------------------

TFindDialog::TFindDialog(QWidget *parent) : TFindDialog(parent, Kind::Find) {}

TFindDialog::TFindDialog(QWidget *parent, Kind kind) : QDialog(parent) {
    const bool replacing = kind == Kind::Replace;
    setWindowTitle(replacing ? QStringLiteral("Заменить") : QStringLiteral("Найти"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    setSizeGripEnabled(false);

    findEdit_ = makeEdit(QStringLiteral("Что"));
    auto *findLabel = new QLabel(QStringLiteral("&Что:"), this);
    findLabel->setBuddy(findEdit_);
    wholeWord_ = new QCheckBox(QStringLiteral("Только слово &целиком"), this);
    matchCase_ = new QCheckBox(QStringLiteral("С учетом &регистра"), this);

    findNext_ = new QPushButton(QStringLiteral("&Найти далее"), this);
    findNext_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Отмена"), this);
    connect(findNext_, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(findNext_);
    auto *left = new QVBoxLayout;
    auto *options = new QVBoxLayout;
    options->addWidget(wholeWord_);
    options->addWidget(matchCase_);
    options->addStretch();

    if (replacing) {
        replaceEdit_ = makeEdit(QStringLiteral("Заменить на"));
        auto *replaceLabel = new QLabel(QStringLiteral("Заменить н&а:"), this);
        replaceLabel->setBuddy(replaceEdit_);
        auto *texts = new QGridLayout;
        texts->addWidget(findLabel, 0, 0);
        texts->addWidget(findEdit_, 0, 1);
        texts->addWidget(replaceLabel, 1, 0);
        texts->addWidget(replaceEdit_, 1, 1);
        left->addLayout(texts);
        left->addLayout(options);

        replace_ = new QPushButton(QStringLiteral("&Заменить"), this);
        replaceAll_ = new QPushButton(QStringLiteral("Заменить &все"), this);
        buttons->addWidget(replace_);
        buttons->addWidget(replaceAll_);
    } else {
        auto *what = new QHBoxLayout;
        what->addWidget(findLabel);
        what->addWidget(findEdit_);
        left->addLayout(what);

        auto *direction = new QGroupBox(QStringLiteral("Направление"), this);
        up_ = new QRadioButton(QStringLiteral("&Вверх"), direction);
        down_ = new QRadioButton(QStringLiteral("В&низ"), direction);
        down_->setChecked(true);
        auto *directionRow = new QHBoxLayout(direction);
        directionRow->addWidget(up_);
        directionRow->addWidget(down_);

        auto *lower = new QHBoxLayout;
        lower->addLayout(options);
        lower->addWidget(direction);
        left->addLayout(lower);
    }
    buttons->addWidget(cancel_);
    buttons->addStretch();

    auto *all = new QHBoxLayout(this);
    all->addLayout(left, 1);
    all->addLayout(buttons);
    all->setSizeConstraint(QLayout::SetFixedSize);

    // Tab follows the layout: the texts, the options, then the buttons.
    QWidget *const order[] = {findEdit_, replaceEdit_, wholeWord_, matchCase_, up_, down_,
                              findNext_, replace_, replaceAll_, cancel_};
    QWidget *previous = nullptr;
    for (QWidget *w : order) {
        if (!w)
            continue; // not in this dialog
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }

    connect(findEdit_, &QLineEdit::textChanged, this, &TFindDialog::updateButtons);
    updateButtons();
    findEdit_->setFocus();
}

QLineEdit *TFindDialog::makeEdit(const QString &accessibleName) {
    auto *edit = new QLineEdit(this);
    edit->setMaxLength(kMaxText);
    edit->setAccessibleName(accessibleName);
    edit->setMinimumWidth(200);
    // A pasted text keeps its first line, as in a one-line edit of the platform.
    connect(edit, &QLineEdit::textChanged, edit, [edit](const QString &text) {
        const QString line = firstLine(text);
        if (line.size() != text.size())
            edit->setText(line);
    });
    return edit;
}

void TFindDialog::updateButtons() {
    // As in the classic dialog, the buttons that search wait for a search text.
    const bool any = !findEdit_->text().isEmpty();
    findNext_->setEnabled(any);
    if (replace_)
        replace_->setEnabled(any);
    if (replaceAll_)
        replaceAll_->setEnabled(any);
}

QString TFindDialog::FindText() const { return findEdit_->text(); }

void TFindDialog::SetFindText(const QString &text) { findEdit_->setText(firstLine(text).left(kMaxText)); }

int TFindDialog::Options() const {
    int options = 0;
    if (down_ ? down_->isChecked() : downChosen_)
        options |= frDown;
    if (wholeWord_->isChecked())
        options |= frWholeWord;
    if (matchCase_->isChecked())
        options |= frMatchCase;
    return options;
}

void TFindDialog::SetOptions(int options) {
    const bool down = options & frDown;
    downChosen_ = down;
    if (down_) {
        down_->setChecked(down);
        up_->setChecked(!down);
    }
    wholeWord_->setChecked(options & frWholeWord);
    matchCase_->setChecked(options & frMatchCase);
}

void TFindDialog::Execute() {
    if (!isVisible()) {
        show();
        findEdit_->selectAll();
        findEdit_->setFocus();
    } else if (isMinimized()) {
        showNormal();
    }
    raise();
    activateWindow();
}

TReplaceDialog::TReplaceDialog(QWidget *parent) : TFindDialog(parent, Kind::Replace) {
    connect(replace_, &QPushButton::clicked, this, &TReplaceDialog::Replace);
    connect(replaceAll_, &QPushButton::clicked, this, &TReplaceDialog::Replace);
}

QString TReplaceDialog::ReplaceText() const { return replaceEdit_->text(); }

void TReplaceDialog::SetReplaceText(const QString &text) {
    replaceEdit_->setText(firstLine(text).left(kMaxText));
}

// ---- the main window's handlers ----------------------------------------------

void TForm1::ToolButton14Click() {
    if (!FindDialog1) {
        FindDialog1 = new TFindDialog(this);
        connect(FindDialog1, &TFindDialog::Find, this, [this] { RunCommand(&TForm1::FindDialog1Find); });
    }
    FindDialog1->Execute();
}

void TForm1::ToolButton20Click() {
    if (!ReplaceDialog1) {
        ReplaceDialog1 = new TReplaceDialog(this);
        // Its find-next button has no handler: it does nothing.
        connect(ReplaceDialog1, &TReplaceDialog::Replace, this, [this] { RunCommand(&TForm1::ReplaceDialog1Replace); });
    }
    ReplaceDialog1->Execute();
}

void TForm1::FindDialog1Find() {
    if (!FindDialog1)
        return;
    // Exact comparison from the first character of the document; the caret,
    // the direction and the options play no part.
    const QString what = usable(FindDialog1->FindText());
    const qsizetype p = what.isEmpty() ? -1 : JRE->GetText().indexOf(what, 0, Qt::CaseSensitive);
    if (p < 0) {
        messages::show(QStringLiteral("Confirm"), QStringLiteral("Строка ") + what + QStringLiteral(" не найдена!"),
                       messages::Icon::Question, messages::Ok, messages::Ok, messages::Ok);
        return;
    }
    JRE->SetHideSelection(false);
    JRE->Select(static_cast<int>(p), static_cast<int>(what.size()));
}

void TForm1::ReplaceDialog1Replace() {
    if (!ReplaceDialog1)
        return;
    const QString what = usable(ReplaceDialog1->FindText());
    if (what.isEmpty())
        return;
    const QString with = usable(ReplaceDialog1->ReplaceText());
    const QString text = JRE->GetText();
    // A text that would grow past the bound of the text tools is refused
    // before anything changes.
    const std::size_t plain = replace_engine::plainResultLength(view(text), view(what), view(with));
    if (qint64(plain) > std::max(qint64(text.size()), text_tools::kMaxResult))
        throw tessarin::Error(QStringLiteral("Замена не выполнена: текст стал бы больше %1 МБ")
                                  .arg(text_tools::kMaxResult >> 20));
    const auto plan = replace_engine::replaceAll(view(text), view(what), view(with),
                                                 replace_engine::defaultLimits(std::size_t(text.size()), plain));
    if (plan.edits.empty())
        return;

    makeReplacements(JRE->document(), plan, int(what.size()), with);
    // The caret after the text inserted last.
    JRE->Select(static_cast<int>(plan.edits.back()) + static_cast<int>(with.size()), 0);
}
