#include "tools/find_replace.h"

#include "app/tform1.h"
#include "editor/cp1251.h"
#include "editor/tjre.h"
#include "platform/messages.h"
#include "tools/replace_engine.h"

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

// A dialog text as the handlers use it: folded into the document's alphabet.
QString usable(const QString &typed) { return cp1251::fold(firstLine(typed).left(TFindDialog::kMaxText)); }

std::u16string_view view(const QString &s) {
    return std::u16string_view(QStringView(s).utf16(), static_cast<std::size_t>(s.size()));
}

// The mapping of TJRE::toQt (GetText positions, a paragraph break counting as
// CR LF, to Qt positions) for a run of edits that goes forward through the
// document and leaves its paragraphs whole: it walks from block to block
// instead of searching the block of each position.
class ForwardPositions {
public:
    explicit ForwardPositions(const QTextDocument *doc) : block_(doc->begin()) {}

    int toQt(int pos) {
        while (number_ > 0 && pos < qtStart_ + number_) {
            block_ = block_.previous();
            --number_;
            qtStart_ = block_.position();
        }
        for (;;) {
            const int start = qtStart_ + number_; // the block's start as GetText counts
            const int textLength = block_.length() - 1;
            if (pos <= start + textLength)
                return qtStart_ + std::max(0, pos - start);
            const QTextBlock next = block_.next();
            if (!next.isValid())
                return qtStart_ + textLength;
            qtStart_ += block_.length();
            block_ = next;
            ++number_;
        }
    }

private:
    QTextBlock block_;
    int number_ = 0;  // block number
    int qtStart_ = 0; // Qt position of the block's first character
};

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
    const auto plan = replace_engine::replaceAll(view(JRE->GetText()), view(what), view(with));
    if (plan.edits.empty())
        return;

    // Neither text holds a line break, so every occurrence lies inside one
    // paragraph and no replacement changes the paragraphs. Each replacement
    // takes the format of the text it replaces; all of them are one undo step.
    const int findLength = static_cast<int>(what.size());
    ForwardPositions positions(JRE->document());
    QTextCursor c(JRE->document());
    c.beginEditBlock();
    for (const std::size_t edit : plan.edits) {
        const int pos = static_cast<int>(edit);
        c.setPosition(positions.toQt(pos));
        c.setPosition(positions.toQt(pos + findLength), QTextCursor::KeepAnchor);
        if (with.isEmpty())
            c.removeSelectedText();
        else
            c.insertText(with);
    }
    c.endEditBlock();
    // The caret after the text inserted last.
    JRE->Select(static_cast<int>(plan.edits.back()) + static_cast<int>(with.size()), 0);
}
