// Character and paragraph formatting: the font-name box, the size box with its
// arrows, the colour boxes, the style, alignment and bullet buttons, the font
// and paper-colour dialogs and the first-line indent box. Each command changes
// the text at once and is one step of the undo history.
#include "app/tform1.h"
#include "editor/docformat.h"
#include "editor/tjre.h"
#include "format/color_dialog.h"
#include "format/colorbox.h"
#include "format/font_dialog.h"
#include "format/fontlist.h"
#include "format/statusbar.h"
#include "format/updown.h"
#include "platform/guard.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFont>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTextCursor>
#include <algorithm>

namespace {

constexpr int kBulletIndentPoints = 10;
// Indents are kept within 22 inches either way, as in RTF files.
constexpr int kMaxIndentTwips = 31680;

// Groups everything a command changes in the document into one undo step.
class UndoStep {
public:
    explicit UndoStep(TJRE &editor) : cursor_(editor.document()) { cursor_.beginEditBlock(); }
    ~UndoStep() { cursor_.endEditBlock(); }
    UndoStep(const UndoStep &) = delete;
    UndoStep &operator=(const UndoStep &) = delete;

private:
    QTextCursor cursor_;
};

// Bold, italic, underline and strikeout, all four written.
QTextCharFormat styleFormat(bool bold, bool italic, bool underline, bool strikeOut) {
    QTextCharFormat f;
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    f.setFontUnderline(underline);
    f.setFontStrikeOut(strikeOut);
    return f;
}

QTextBlockFormat offsetFormat(int twips) {
    QTextBlockFormat f;
    f.setProperty(docformat::kOffset, twips);
    return f;
}

QTextBlockFormat alignmentFormat(Qt::Alignment alignment) {
    QTextBlockFormat f;
    f.setAlignment(alignment);
    return f;
}

// True while the bullet items set their own check marks; any other change of
// them (Qt ticks a checkable item before it reports the click) is undone.
bool settingBulletMarks = false;

} // namespace

void TForm1::connectFormatting() {
    FontDialog1 = new TFontDialog(this);
    ColorDialog1 = new TColorDialog(this);

    // The font name follows a list entry chosen or the text typed.
    connectGuarded(ComboBox1, &QComboBox::activated, this, &TForm1::ComboBox1Change);
    connectGuarded(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &TForm1::ComboBox1Change);

    // The arrows belong to the size box: together they look and act as one control.
    if (auto *upDown = qobject_cast<TUpDown *>(UpDown1)) {
        upDown->SetAssociate(Edit1);
        upDown->setFixedHeight(Edit1->sizeHint().height());
        Edit1->setFixedHeight(Edit1->sizeHint().height());
        upDown->setAccessibleName(UpDown1->toolTip());
        connectGuarded(upDown, &TUpDown::Changing, this, &TForm1::UpDown1Changing);
    }
    Edit1->setAccessibleName(Edit1->toolTip());

    connectGuarded(ColorBox1, &TColorBox::Select, this, &TForm1::ColorBox1Select);
    connectGuarded(ColorBox2, &TColorBox::Select, this, &TForm1::ColorBox2Select);
    ColorBox1->setAccessibleName(ColorBox1->toolTip());
    ColorBox2->setAccessibleName(ColorBox2->toolTip());
    ComboBox1->setAccessibleName(ComboBox1->toolTip());
    // A box's list, and the font box's text field, are read with the box's name.
    for (QComboBox *box : {ComboBox1, static_cast<QComboBox *>(ColorBox1), static_cast<QComboBox *>(ColorBox2)}) {
        box->view()->setAccessibleName(box->accessibleName());
        if (box->lineEdit())
            box->lineEdit()->setAccessibleName(box->accessibleName());
    }

    // Every change of the indent box's text counts: a half-typed number (which
    // the spin box itself does not report), a whole one, a step of its arrows.
    if (auto *edit = SpinEdit1->findChild<QLineEdit *>()) {
        connectGuarded(edit, &QLineEdit::textEdited, this, &TForm1::SpinEdit1Change);
        connectGuarded(SpinEdit1, &QSpinBox::textChanged, this, [this, edit] {
            if (!edit->isModified()) // typed text is reported above
                SpinEdit1Change();
        });
    }
    SpinEdit1->setAccessibleName(SpinEdit1->toolTip());

    // After a choice in a toolbar box the keyboard goes back to the text, so
    // that Home, End and the arrows move the caret, not the box. A box left
    // for another control (its text then counts as chosen too) leaves the
    // focus where the user put it.
    const auto backToText = [this](QWidget *box) {
        return [this, box] {
            if (box->hasFocus())
                JRE->setFocus();
        };
    };
    connect(ColorBox1, &TColorBox::Select, this, backToText(ColorBox1));
    connect(ColorBox2, &TColorBox::Select, this, backToText(ColorBox2));
    connect(ComboBox1, &QComboBox::activated, this, backToText(ComboBox1));
    connect(ComboBox1->lineEdit(), &QLineEdit::returnPressed, this, backToText(ComboBox1));
    connect(Edit1, &QLineEdit::returnPressed, this, backToText(Edit1));
    connect(SpinEdit1, &QSpinBox::editingFinished, this, backToText(SpinEdit1));

    for (const char *name : {"N45", "N96"}) {
        QAction *item = Action(QLatin1String(name));
        if (!item)
            continue;
        item->setCheckable(true);
        item->setChecked(false);
        connect(item, &QAction::toggled, item, [item] {
            if (settingBulletMarks)
                return;
            const QSignalBlocker block(item);
            item->setChecked(!item->isChecked());
        });
    }
}

TForm1::Target TForm1::FormatTarget() const {
    return JRE->SelectionLength() > 0 ? Target::Selection : Target::Default;
}

// ---- font name, size and colours ------------------------------------------------

void TForm1::ComboBox1Change() {
    // The text of the entry the box's text names; typed text naming none gives
    // an empty name, which shows as the editor's font.
    const int index = ComboBox1->findText(ComboBox1->currentText(), Qt::MatchFixedString);
    QTextCharFormat f;
    docformat::setFontName(f, index >= 0 ? ComboBox1->itemText(index) : QString());
    JRE->SetSelectionFormat(f);
}

void TForm1::UpDown1Changing() {
    // The number the size box shows after the step; text has at least 1 point.
    QTextCharFormat f;
    f.setFontPointSize(std::max(1, UpDown1->value()));
    JRE->SetSelectionFormat(f);
}

void TForm1::ColorBox1Select() {
    const QColor color = ColorBox1->Selected();
    if (color.isValid())
        JRE->SetColor(color);
}

void TForm1::ColorBox2Select() {
    const QColor color = ColorBox2->Selected();
    if (!color.isValid())
        return;
    QTextCharFormat f;
    f.setForeground(color);
    JRE->SetSelectionFormat(f);
}

// ---- style ------------------------------------------------------------------------

void TForm1::ToolButton28Click() { JRE->SetSelectionFormat(styleFormat(false, true, false, false)); }
void TForm1::ToolButton29Click() { JRE->SetSelectionFormat(styleFormat(false, false, true, false)); }
void TForm1::ToolButton30Click() { JRE->SetSelectionFormat(styleFormat(true, false, false, false)); }

// ---- alignment --------------------------------------------------------------------

void TForm1::ToolButton31Click() {
    JRE->SetParagraphFormat(alignmentFormat(Qt::AlignLeft));
    StatusBar1->SetText(5, QStringLiteral("По левому краю"));
}

void TForm1::ToolButton32Click() {
    JRE->SetParagraphFormat(alignmentFormat(Qt::AlignHCenter));
    StatusBar1->SetText(5, QStringLiteral("По центру"));
}

void TForm1::ToolButton33Click() {
    JRE->SetParagraphFormat(alignmentFormat(Qt::AlignRight));
    StatusBar1->SetText(5, QStringLiteral("По правому краю"));
}

void TForm1::ToolButton34Click() {
    JRE->ApplyJustify();
    StatusBar1->SetText(5, QStringLiteral("По ширине"));
}

// ---- bullets ----------------------------------------------------------------------

void TForm1::ToolButton35Click() {
    UndoStep step(*JRE);
    // The later lines of a bulleted paragraph hang at least 10 points in.
    if (docformat::offset(JRE->ParagraphFormat()) / docformat::kTwipsPerPoint < kBulletIndentPoints)
        JRE->SetParagraphFormat(offsetFormat(kBulletIndentPoints * docformat::kTwipsPerPoint));
    JRE->SetBullet(true);
}

void TForm1::ToolButton36Click() {
    UndoStep step(*JRE);
    JRE->SetParagraphFormat(offsetFormat(0));
    JRE->SetBullet(false);
}

void TForm1::N45Click() {
    QAction *n45 = Action(QStringLiteral("N45"));
    QAction *n96 = Action(QStringLiteral("N96"));
    settingBulletMarks = true;
    if (n96)
        n96->setChecked(!n96->isChecked());
    if (n45)
        n45->setChecked(!n45->isChecked());
    settingBulletMarks = false;
    if (n45 && n45->isChecked())
        ToolButton35Click();
    else
        ToolButton36Click();
}

void TForm1::N96Click() { N45Click(); }

// ---- dialogs ----------------------------------------------------------------------

void TForm1::ToolButton37Click() {
    // The dialog starts from the selection's attributes.
    const QTextCharFormat sel = JRE->SelectionFormat();
    QFont font;
    const QString name = docformat::fontName(sel);
    font.setFamilies(QStringList{name.isEmpty() ? JRE->FontName() : name});
    const int size = qRound(sel.fontPointSize());
    font.setPointSize(size > 0 ? size : std::max(1, JRE->FontSize()));
    font.setBold(docformat::isBold(sel));
    font.setItalic(sel.fontItalic());
    font.setUnderline(sel.fontUnderline());
    font.setStrikeOut(sel.fontStrikeOut());
    FontDialog1->Font = font;
    FontDialog1->Color = docformat::hasColor(sel) ? sel.foreground().color() : QColor();

    if (FontDialog1->Execute(this)) {
        const QFont &chosen = FontDialog1->Font;
        QTextCharFormat f = styleFormat(chosen.weight() >= QFont::Bold, chosen.italic(), chosen.underline(),
                                        chosen.strikeOut());
        docformat::setFontName(f, fontFamily(chosen.family()));
        const int points = chosen.pointSize() > 0 ? chosen.pointSize() : qRound(chosen.pointSizeF());
        if (points > 0)
            f.setFontPointSize(points);
        if (FontDialog1->Color.isValid())
            f.setForeground(FontDialog1->Color);
        UndoStep step(*JRE);
        if (FormatTarget() == Target::Selection)
            JRE->SetSelectionFormat(f);
        else
            JRE->SetDefaultFormat(f);
    }
    JRE->setFocus();
}

void TForm1::N47Click() {
    if (!ColorDialog1->Execute(this))
        return;
    JRE->SetColor(ColorDialog1->Color);
    ColorBox1->SetSelected(ColorDialog1->Color);
}

void TForm1::N93Click() { N47Click(); }

// ---- first-line indent ------------------------------------------------------------

void TForm1::SpinEdit1Change() {
    bool ok = false;
    const qint64 points = SpinEdit1->text().trimmed().toLongLong(&ok);
    const qint64 twips = ok ? points * docformat::kTwipsPerPoint : 0;
    QTextBlockFormat f;
    f.setProperty(docformat::kStartIndent, int(std::clamp<qint64>(twips, -kMaxIndentTwips, kMaxIndentTwips)));
    JRE->SetParagraphFormat(f);
}
