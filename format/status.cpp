// The status bar's writers, the clock and the view toggles. Everything here
// runs on each keystroke or each second, so nothing walks the whole document.
#include "app/tform1.h"
#include "editor/docformat.h"
#include "editor/tjre.h"
#include "format/colorbox.h"
#include "format/statusbar.h"
#include "platform/datetime.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QLineEdit>

namespace {

// Name and whole-point size of the text at the selection; text without its own
// attributes has the editor's base font.
QString selectionFontName(const TJRE &editor) {
    const QString name = docformat::fontName(editor.SelectionFormat());
    return name.isEmpty() ? editor.FontName() : name;
}

int selectionFontSize(const TJRE &editor) {
    const double size = editor.SelectionFormat().fontPointSize();
    return size > 0 ? static_cast<int>(size) : editor.FontSize();
}

QColor selectionColor(const TJRE &editor) {
    const QTextCharFormat f = editor.SelectionFormat();
    return docformat::hasColor(f) ? f.foreground().color() : editor.palette().color(QPalette::Text);
}

void toggle(QAction *item) { item->setChecked(!item->isChecked()); }

} // namespace

void TForm1::CaretPositionToPanel() {
    const int p = JRE->SelectionStart();
    const int line = JRE->LineFromChar(p);
    const int column = p - JRE->LineIndex(line);
    StatusBar1->SetText(0, QString::asprintf("Стр: %3d   Кол: %3d", line + 1, column + 1));
}

void TForm1::JREChange() {
    CaretPositionToPanel();
    // The mark tells the truth: a change that leaves nothing to save (New,
    // Open, an undo back to the saved text) does not set it.
    StatusBar1->SetText(1, JRE->IsModified() ? QStringLiteral("Изменён") : QString());
    StatusBar1->SetText(2, selectionFontName(*JRE));
    StatusBar1->SetText(3, QString::number(selectionFontSize(*JRE)));
    StatusBar1->SetText(7, QString::number(JRE->CharacterCount()));
}

void TForm1::JREMouseDown() {
    CaretPositionToPanel();
    StatusBar1->SetText(2, selectionFontName(*JRE));
    StatusBar1->SetText(3, QString::number(selectionFontSize(*JRE)));
    ColorBox2->SetSelected(selectionColor(*JRE));
    ColorBox1->SetSelected(JRE->Color());
    Edit1->setText(QString::number(selectionFontSize(*JRE)));
}

void TForm1::Timer1Timer() { StatusBar1->SetText(6, dateTimeText(QDateTime::currentDateTime())); }

void TForm1::ToolButton15Click() {
    toggle(Action(QStringLiteral("N27")));
    toggle(Action(QStringLiteral("N77")));
    for (QWidget *w : std::initializer_list<QWidget *>{CoolBar1, ColorBox1, ColorBox2, CB1, CB2, CB3})
        w->setHidden(!w->isHidden());
}

void TForm1::N27Click() { ToolButton15Click(); }
void TForm1::N77Click() { ToolButton15Click(); }

void TForm1::N28Click() {
    toggle(Action(QStringLiteral("N78")));
    toggle(Action(QStringLiteral("N28")));
    StatusBar1->setHidden(!StatusBar1->isHidden());
}

void TForm1::N78Click() { N28Click(); }
