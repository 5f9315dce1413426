// Character and paragraph formatting on the real main window: style, font,
// size, colours, alignment, bullets, indents and the two dialogs.
#include "app/tform1.h"
#include "editor/docformat.h"
#include "editor/tjre.h"
#include "format/color_dialog.h"
#include "format/colorbox.h"
#include "format/fontlist.h"
#include "format/statusbar.h"
#include "format/updown.h"
#include "platform/modal.h"

#include <QAbstractItemView>
#include <QAction>
#include <QColorDialog>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLayout>
#include <QFontDialog>
#include <QLineEdit>
#include <QSpinBox>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {

// The format of the character at a position (our counting).
QTextCharFormat charAt(TJRE &jre, int position) {
    QTextCursor c(jre.document());
    c.setPosition(jre.toQt(position) + 1);
    return c.charFormat();
}

QTextBlock block(TJRE &jre, int n) { return jre.document()->findBlockByNumber(n); }

struct Style {
    bool bold, italic, underline, strike;
    bool operator==(const Style &) const = default;
};

Style styleOf(const QTextCharFormat &f) {
    return {docformat::isBold(f), f.fontItalic(), f.fontUnderline(), f.fontStrikeOut()};
}

char *toString(const Style &s) {
    return QTest::toString(QStringLiteral("bold %1 italic %2 underline %3 strike %4")
                               .arg(s.bold).arg(s.italic).arg(s.underline).arg(s.strike));
}

// Pixels of the widget's picture that are clearly red.
int redPixels(QWidget *widget) {
    const QImage image = widget->grab().toImage();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y).red() > 180 && image.pixelColor(x, y).green() < 90;
    return n;
}

void chooseColor(TColorBox *box, const QString &name) {
    box->setCurrentIndex(box->findText(name));
    emit box->activated(box->currentIndex());
}

} // namespace

class FormattingTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;

    TJRE &jre() const { return *form_->JRE; }
    QAction *action(const char *name) const { return form_->Action(QLatin1String(name)); }

    void setText(const QString &text) {
        jre().SelectAll();
        jre().ReplaceSelection(text);
    }

private slots:
    void init() {
        modal::clearAnswers();
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() {
        form_.reset();
        QCOMPARE(modal::pendingAnswers(), 0);
        modal::clearAnswers();
    }

    void styleButtonsWriteTheWholeStyle() {
        setText(QStringLiteral("abc def"));
        jre().Select(0, 3);
        QTextCharFormat iu;
        iu.setFontItalic(true);
        iu.setFontUnderline(true);
        iu.setFontStrikeOut(true);
        jre().SetSelectionFormat(iu);
        jre().Select(1, 1);
        QTextCharFormat big;
        big.setFontPointSize(20);
        jre().SetSelectionFormat(big); // three runs now
        jre().Select(0, 3);

        form_->ToolButton30Click();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(styleOf(charAt(jre(), i)), (Style{true, false, false, false}));
        QCOMPARE(styleOf(charAt(jre(), 4)), (Style{false, false, false, false}));
        form_->ToolButton28Click();
        QCOMPARE(styleOf(charAt(jre(), 1)), (Style{false, true, false, false}));
        form_->ToolButton29Click();
        QCOMPARE(styleOf(charAt(jre(), 1)), (Style{false, false, true, false}));
        form_->ToolButton29Click(); // again: no change, no removal
        QCOMPARE(styleOf(charAt(jre(), 1)), (Style{false, false, true, false}));
        QCOMPARE(jre().SelectionStart(), 0);
        QCOMPARE(jre().SelectionLength(), 3);

        // Each command is one undo step.
        jre().Undo();
        QCOMPARE(styleOf(charAt(jre(), 1)), (Style{false, false, true, false}));
        jre().Undo();
        QCOMPARE(styleOf(charAt(jre(), 1)), (Style{false, true, false, false}));
        jre().Undo();
        jre().Undo();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(styleOf(charAt(jre(), i)), (Style{false, true, true, true}));
        QCOMPARE(charAt(jre(), 1).fontPointSize(), 20.0);
    }

    void withNothingSelectedTheNextTypedTextGetsIt() {
        setText(QStringLiteral("plain"));
        jre().Select(5, 0);
        jre().setFocus();
        form_->ToolButton30Click();
        form_->ColorBox2->SetSelected(QColor(Qt::red));
        form_->ColorBox2Select();
        form_->Edit1->setText(QStringLiteral("19"));
        static_cast<TUpDown *>(form_->UpDown1)->stepBy(1);
        QTest::keyClicks(&jre(), QStringLiteral("xy"));
        QCOMPARE(jre().GetText(), QStringLiteral("plainxy"));
        for (int i : {5, 6}) {
            const QTextCharFormat f = charAt(jre(), i);
            QCOMPARE(styleOf(f), (Style{true, false, false, false}));
            QCOMPARE(f.foreground().color(), QColor(Qt::red));
            QCOMPARE(f.fontPointSize(), 20.0);
        }
        QVERIFY(!docformat::isBold(charAt(jre(), 4)));
        QVERIFY(!docformat::hasColor(charAt(jre(), 4)));
    }

    void fontDialogGoesToTheSelection() {
        setText(QStringLiteral("abc def"));
        jre().Select(0, 3);
        QTextCharFormat start;
        docformat::setFontName(start, QStringLiteral("DejaVu Serif"));
        start.setFontPointSize(14);
        start.setFontItalic(true);
        start.setForeground(QColor(0x00, 0x80, 0x80));
        jre().SetSelectionFormat(start);
        QCOMPARE(form_->FormatTarget(), TForm1::Target::Selection);

        QFont preset;
        QString presetColor;
        bool placed = false;
        modal::answerNext([&](QDialog &d) {
            auto &dialog = dynamic_cast<QFontDialog &>(d);
            preset = dialog.currentFont();
            // "Цвет:" and its box under the effects' check boxes, as in the classic dialog.
            auto *colors = dialog.findChild<TColorBox *>();
            const QLayout *effects = dialog.findChild<QCheckBox *>()->parentWidget()->layout();
            const auto *label = qobject_cast<QLabel *>(effects->itemAt(effects->count() - 2)->widget());
            placed = colors && effects->indexOf(colors) == effects->count() - 1 && label && label->buddy() == colors;
            presetColor = colors ? colors->currentText() : QString();
            QFont chosen(QStringLiteral("DejaVu Sans Mono"), 20);
            chosen.setBold(true);
            chosen.setUnderline(true);
            dialog.setCurrentFont(chosen);
            if (colors)
                chooseColor(colors, QStringLiteral("Красный"));
            return int(QDialog::Accepted);
        });
        form_->ToolButton37Click();
        QCOMPARE(preset.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(preset.pointSize(), 14);
        QVERIFY(preset.italic());
        QVERIFY(!preset.bold());
        QCOMPARE(presetColor, QStringLiteral("Сине-зелёный"));
        QVERIFY(placed);

        for (int i = 0; i < 3; ++i) {
            const QTextCharFormat f = charAt(jre(), i);
            QCOMPARE(docformat::fontName(f), QStringLiteral("DejaVu Sans Mono"));
            QCOMPARE(f.fontPointSize(), 20.0);
            QCOMPARE(styleOf(f), (Style{true, false, true, false}));
            QCOMPARE(f.foreground().color(), QColor(Qt::red));
        }
        QVERIFY(docformat::fontName(charAt(jre(), 4)) != QStringLiteral("DejaVu Sans Mono"));
        QVERIFY(!docformat::hasColor(charAt(jre(), 4)));
        QVERIFY(docformat::fontName(jre().DefaultFormat()) != QStringLiteral("DejaVu Sans Mono"));
        jre().Undo();
        QCOMPARE(docformat::fontName(charAt(jre(), 1)), QStringLiteral("DejaVu Serif"));
        QVERIFY(charAt(jre(), 1).fontItalic());
    }

    void fontDialogWithoutSelectionGoesToTheTypingFormat() {
        setText(QStringLiteral("abc"));
        jre().Select(3, 0);
        QCOMPARE(form_->FormatTarget(), TForm1::Target::Default);
        modal::answerNext([](QDialog &d) {
            QFont chosen(QStringLiteral("DejaVu Serif"), 9);
            chosen.setStrikeOut(true);
            dynamic_cast<QFontDialog &>(d).setCurrentFont(chosen);
            return int(QDialog::Accepted);
        });
        form_->ToolButton37Click();
        QCOMPARE(docformat::fontName(jre().DefaultFormat()), QStringLiteral("DejaVu Serif"));
        QCOMPARE(jre().DefaultFormat().fontPointSize(), 9.0);
        QVERIFY(!docformat::hasColor(jre().DefaultFormat())); // no colour picked: still automatic
        QVERIFY(jre().DefaultFormat().fontStrikeOut());
        QVERIFY(!charAt(jre(), 1).fontStrikeOut()); // the text itself is untouched
        QTest::keyClicks(&jre(), QStringLiteral("d"));
        const QTextCharFormat typed = charAt(jre(), 3);
        QCOMPARE(docformat::fontName(typed), QStringLiteral("DejaVu Serif"));
        QCOMPARE(typed.fontPointSize(), 9.0);
        QVERIFY(typed.fontStrikeOut());
    }

    void cancelledFontDialogChangesNothingAndReturnsFocus() {
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        setText(QStringLiteral("abc def"));
        for (int selected : {3, 0}) {
            jre().Select(0, selected);
            const QTextCharFormat before = charAt(jre(), 1);
            const QTextCharFormat defaultBefore = jre().DefaultFormat();
            const int undoSteps = jre().document()->availableUndoSteps();
            form_->ComboBox1->setFocus();
            QVERIFY(!jre().hasFocus());
            modal::answerNext([](QDialog &d) {
                dynamic_cast<QFontDialog &>(d).setCurrentFont(QFont(QStringLiteral("DejaVu Serif"), 30));
                return int(QDialog::Rejected);
            });
            form_->ToolButton37Click();
            QCOMPARE(charAt(jre(), 1), before);
            QCOMPARE(jre().DefaultFormat(), defaultBefore);
            QCOMPARE(jre().document()->availableUndoSteps(), undoSteps);
            QVERIFY(jre().hasFocus());
        }
    }

    // The dialog opens on the selection's font (found in its list in any
    // case; for a font not installed, the one the text is drawn in), size
    // and style: not the dialog's default font, nor the first or a condensed style.
    void fontDialogOpensOnTheSelectionsFont() {
        setText(QStringLiteral("abc"));
        jre().Select(0, 3);
        for (const auto &[name, bold] : {std::pair{"DejaVu Serif", false}, std::pair{"dejavu sans mono", true},
                                         std::pair{"MS Sans Serif", false}}) {
            QTextCharFormat f;
            docformat::setFontName(f, QString::fromLatin1(name));
            f.setFontPointSize(17);
            f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
            jre().SetSelectionFormat(f);
            QFont preset;
            modal::answerNext([&](QDialog &d) {
                preset = dynamic_cast<QFontDialog &>(d).currentFont();
                return int(QDialog::Rejected);
            });
            form_->ToolButton37Click();
            QCOMPARE(fontFamily(preset.family()), QFontInfo(QFont(QString::fromLatin1(name))).family());
            QVERIFY2(preset.pointSize() == 17 && preset.bold() == bold && !preset.italic() &&
                         !preset.styleName().contains(QStringLiteral("Condensed")),
                     qPrintable(preset.toString()));
        }
    }

    // Family names, each once, whole in the drop-down list; never with a
    // foundry ("C059 [urw]").
    void fontListHasFamilyNames() {
        QComboBox *box = form_->ComboBox1;
        box->showPopup();
        QSet<QString> seen;
        for (int i = 0; i < box->count(); ++i) {
            const QString name = box->itemText(i);
            QVERIFY2(!name.contains(u'[') && !seen.contains(name.toLower()) &&
                         box->view()->fontMetrics().horizontalAdvance(name) < box->view()->viewport()->width() - 8,
                     qPrintable(name));
            seen.insert(name.toLower());
        }
        QVERIFY(seen.contains(QStringLiteral("default")));
        for (const QString &family : QFontDatabase::families())
            QVERIFY2(seen.contains(fontFamily(family).toLower()), qPrintable(family));
    }

    // A colour given to selected text shows at once: selected in the focused
    // editor (the keyboard is back there after the choice), selected in the
    // unfocused one (selection hidden), deselected.
    void chosenTextColourIsDrawnAtOnce() {
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        setText(QStringLiteral("Hello red world"));
        jre().Select(0, 15);
        QCOMPARE(redPixels(jre().viewport()), 0);
        form_->ColorBox2->setFocus();
        chooseColor(form_->ColorBox2, QStringLiteral("Красный"));
        QVERIFY(jre().hasFocus());
        QVERIFY2(redPixels(jre().viewport()) > 20, "focused");
        form_->SpinEdit1->setFocus();
        QVERIFY2(redPixels(jre().viewport()) > 20, "unfocused");
        jre().Select(15, 0);
        QVERIFY2(redPixels(jre().viewport()) > 20, "deselected");
    }

    // After a choice in a toolbar box the keys move the caret again; typing
    // in the font box keeps them there.
    void keyboardGoesBackToTheTextAfterAChoice() {
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        setText(QStringLiteral("some text"));
        for (QWidget *control : std::initializer_list<QWidget *>{form_->ColorBox1, form_->ComboBox1, form_->Edit1}) {
            jre().Select(0, 4);
            control->setFocus();
            QTest::keyClick(control, control == form_->Edit1 ? Qt::Key_Return : Qt::Key_Down);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
            QVERIFY2(jre().hasFocus() && jre().SelectionStart() == 9, control->toolTip().toUtf8());
        }
        form_->ComboBox1->setFocus();
        QTest::keyClicks(form_->ComboBox1->lineEdit(), QStringLiteral("Deja"));
        QVERIFY(form_->ComboBox1->hasFocus());
    }

    void bulletIndents() {
        setText(QStringLiteral("first\r\nsecond\r\nthird"));
        // The second paragraph already hangs 20 points.
        jre().Select(jre().LineIndex(1), 0);
        QTextBlockFormat hang;
        hang.setProperty(docformat::kOffset, 400);
        jre().SetParagraphFormat(hang);

        form_->ToolButton35Click();
        QVERIFY(docformat::hasBullet(block(jre(), 1)));
        QCOMPARE(docformat::offset(block(jre(), 1).blockFormat()), 400);
        QVERIFY(!docformat::hasBullet(block(jre(), 0)));

        jre().Select(0, 0);
        form_->ToolButton35Click();
        const QTextBlockFormat first = block(jre(), 0).blockFormat();
        QVERIFY(docformat::hasBullet(block(jre(), 0)));
        QCOMPARE(docformat::offset(first), 200);
        // Drawn hanging: the text starts at start + offset on every line, the
        // bullet in the room before the first line.
        QCOMPARE(first.textIndent(), 0.0);
        QVERIFY(first.leftMargin() > 10);

        // One undo step takes both the indent and the bullet back.
        jre().Undo();
        QVERIFY(!docformat::hasBullet(block(jre(), 0)));
        QCOMPARE(docformat::offset(block(jre(), 0).blockFormat()), 0);
        jre().Redo();
        QVERIFY(docformat::hasBullet(block(jre(), 0)));

        // Off: no bullet, left indent 0, whatever it was.
        jre().Select(jre().LineIndex(1), 0);
        form_->ToolButton36Click();
        const QTextBlockFormat second = block(jre(), 1).blockFormat();
        QVERIFY(!docformat::hasBullet(block(jre(), 1)));
        QCOMPARE(docformat::offset(second), 0);
        QCOMPARE(second.leftMargin(), 0.0);
        QCOMPARE(second.textIndent(), 0.0);
        QVERIFY(docformat::hasBullet(block(jre(), 0)));

        // A selection over all three paragraphs bullets each of them.
        jre().SelectAll();
        form_->ToolButton35Click();
        for (int i = 0; i < 3; ++i)
            QVERIFY(docformat::hasBullet(block(jre(), i)));
        QCOMPARE(block(jre(), 0).textList(), block(jre(), 2).textList());
    }

    void bulletMenuItemsToggleBothMarks() {
        QAction *n45 = action("N45");
        QAction *n96 = action("N96");
        QVERIFY(n45 && n96);
        QVERIFY(n45->isCheckable() && n96->isCheckable());
        QVERIFY(!n45->isChecked() && !n96->isChecked());
        setText(QStringLiteral("item"));

        form_->N45Click();
        QVERIFY(n45->isChecked() && n96->isChecked());
        QVERIFY(jre().Bullet());
        QCOMPARE(docformat::offset(jre().ParagraphFormat()), 200);
        form_->N96Click();
        QVERIFY(!n45->isChecked() && !n96->isChecked());
        QVERIFY(!jre().Bullet());
        QCOMPARE(docformat::offset(jre().ParagraphFormat()), 0);

        // The buttons leave the marks alone.
        form_->ToolButton35Click();
        QVERIFY(!n45->isChecked() && !n96->isChecked());

        // Choosing the item: the marks change only through the handler, so they
        // always agree with each other and with what the item did.
        form_->ToolButton36Click();
        n45->trigger();
        QCOMPARE(n45->isChecked(), n96->isChecked());
        QCOMPARE(n45->isChecked(), jre().Bullet());
        n96->trigger();
        QCOMPARE(n45->isChecked(), n96->isChecked());
        QCOMPARE(n45->isChecked(), jre().Bullet());
    }

    void alignmentButtons() {
        setText(QStringLiteral("one\r\ntwo\r\nthree"));
        jre().Select(1, 5); // from "one" into "two"
        const int start = jre().SelectionStart();
        const int length = jre().SelectionLength();
        struct Case { void (TForm1::*click)(); Qt::Alignment align; const char *panel; };
        const Case cases[] = {
            {&TForm1::ToolButton32Click, Qt::AlignHCenter, "По центру"},
            {&TForm1::ToolButton33Click, Qt::AlignRight, "По правому краю"},
            {&TForm1::ToolButton31Click, Qt::AlignLeft, "По левому краю"},
        };
        for (const Case &c : cases) {
            (form_.get()->*c.click)();
            QCOMPARE(form_->StatusBar1->Text(5), QString::fromUtf8(c.panel));
            QCOMPARE(block(jre(), 0).blockFormat().alignment(), c.align);
            QCOMPARE(block(jre(), 1).blockFormat().alignment(), c.align);
            QVERIFY(block(jre(), 2).blockFormat().alignment() != c.align);
            QCOMPARE(jre().SelectionStart(), start);
            QCOMPARE(jre().SelectionLength(), length);
        }
        jre().Select(0, 0);
        form_->ToolButton34Click();
        QCOMPARE(form_->StatusBar1->Text(5), QStringLiteral("По ширине"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(block(jre(), i).blockFormat().alignment(), Qt::AlignJustify);
        QCOMPARE(jre().SelectionStart(), 0);
        QCOMPARE(jre().SelectionLength(), 0);
    }

    void sizeArrowsApplyTheShownNumber() {
        auto *upDown = qobject_cast<TUpDown *>(form_->UpDown1);
        QVERIFY(upDown);
        QCOMPARE(upDown->Associate(), form_->Edit1);
        setText(QStringLiteral("sized"));
        jre().Select(0, 5);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("12"));

        // The real upper arrow.
        QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, upDown->height() / 4));
        QCOMPARE(form_->Edit1->text(), QStringLiteral("13"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 13.0);
        // (later than a double click would be)
        QTest::mouseClick(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, upDown->height() * 3 / 4),
                          QGuiApplication::styleHints()->mouseDoubleClickInterval() + 10);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("12"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 12.0);

        // A typed number is the position the arrows step from; typing applies nothing.
        form_->Edit1->setFocus();
        form_->Edit1->selectAll();
        QTest::keyClicks(form_->Edit1, QStringLiteral("30"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 12.0);
        QTest::keyClick(form_->Edit1, Qt::Key_Down);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("29"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 29.0);
        QTest::keyClick(form_->Edit1, Qt::Key_Up);
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 30.0);

        // The range ends at 100 without wrapping; text that is no number steps
        // from the last position.
        form_->Edit1->setText(QStringLiteral("100"));
        upDown->stepBy(1);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("100"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 100.0);
        form_->Edit1->setText(QStringLiteral("abc"));
        upDown->stepBy(-1);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("99"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 99.0);
        // At 0 the text keeps the smallest size there is.
        form_->Edit1->setText(QStringLiteral("1"));
        upDown->stepBy(-1);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("0"));
        QCOMPARE(charAt(jre(), 2).fontPointSize(), 1.0);
    }

    void fontNameBox() {
        setText(QStringLiteral("name"));
        jre().Select(0, 4);
        QComboBox *box = form_->ComboBox1;
        const int dejaVu = box->findText(QStringLiteral("DejaVu Sans"));
        QVERIFY(dejaVu >= 0);
        QVERIFY(box->findText(QStringLiteral("Default")) >= 0);

        // A list entry chosen.
        box->setCurrentIndex(dejaVu);
        emit box->activated(dejaVu);
        QCOMPARE(docformat::fontName(charAt(jre(), 1)), QStringLiteral("DejaVu Sans"));

        // Text typed that names an entry, in any case, gives that entry.
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("dejavu serif"));
        QCOMPARE(docformat::fontName(charAt(jre(), 1)), QStringLiteral("DejaVu Serif"));

        // Text naming no entry applies an empty name: the text shows in the
        // editor's font, and saves and loads.
        box->lineEdit()->selectAll();
        QTest::keyClicks(box->lineEdit(), QStringLiteral("No Such Font"));
        QCOMPARE(docformat::fontName(charAt(jre(), 1)), QString());
        QVERIFY(jre().grab().width() > 0);
        const QString path = dir_.filePath(QStringLiteral("empty-name.rtf"));
        jre().SaveFile(path);
        jre().LoadFile(path);
        QCOMPARE(jre().GetText(), QStringLiteral("name"));
    }

    void colourBoxes() {
        TColorBox *box = form_->ColorBox2;
        QVERIFY(box->count() >= 40); // standard, extended and system colours
        for (int i = 0; i < box->count(); ++i) // every name in Russian letters
            QVERIFY2(!box->itemText(i).contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(box->itemText(i)));
        QCOMPARE(box->itemText(0), QStringLiteral("Чёрный"));
        QVERIFY(!box->itemIcon(0).isNull());
        QVERIFY(box->findText(QStringLiteral("Светло-зелёный")) >= 0);
        QVERIFY(box->findText(QStringLiteral("Текст окна")) >= 0);
        box->SetSelected(QColor(0x12, 0x34, 0x56));
        QCOMPARE(box->currentIndex(), -1);
        QVERIFY(!box->Selected().isValid());
        box->SetSelected(QColor(0x80, 0x00, 0x00));
        QCOMPARE(box->currentText(), QStringLiteral("Бордовый"));
        QCOMPARE(form_->ColorBox1->currentText(), QStringLiteral("Белый")); // the default colour

        setText(QStringLiteral("colour"));
        jre().Select(0, 3);
        const int teal = box->findText(QStringLiteral("Сине-зелёный"));
        box->setCurrentIndex(teal);
        emit box->activated(teal);
        QCOMPARE(charAt(jre(), 1).foreground().color(), QColor(0x00, 0x80, 0x80));
        QVERIFY(!docformat::hasColor(charAt(jre(), 4)));

        const int cream = form_->ColorBox1->findText(QStringLiteral("Кремовый"));
        form_->ColorBox1->setCurrentIndex(cream);
        emit form_->ColorBox1->activated(cream);
        QCOMPARE(jre().Color(), QColor(0xFF, 0xFB, 0xF0));
    }

    void paperColourDialog() {
        const QColor paper = jre().Color();
        QColor shown;
        modal::answerNext([&](QDialog &d) {
            auto &dialog = dynamic_cast<QColorDialog &>(d);
            shown = dialog.currentColor();
            dialog.setCurrentColor(Qt::blue);
            return int(QDialog::Rejected);
        });
        form_->N47Click();
        QCOMPARE(shown, QColor(Qt::black));
        QCOMPARE(jre().Color(), paper);
        QCOMPARE(form_->ColorBox1->currentText(), QStringLiteral("Белый"));

        modal::answerNext([&](QDialog &d) {
            dynamic_cast<QColorDialog &>(d).setCurrentColor(QColor(0x00, 0x80, 0x00));
            return int(QDialog::Accepted);
        });
        form_->N93Click();
        QCOMPARE(jre().Color(), QColor(0x00, 0x80, 0x00));
        QCOMPARE(form_->ColorBox1->currentText(), QStringLiteral("Зелёный"));

        // The dialog starts from the last confirmed colour; an unlisted one
        // leaves the box showing no entry.
        modal::answerNext([&](QDialog &d) {
            auto &dialog = dynamic_cast<QColorDialog &>(d);
            shown = dialog.currentColor();
            dialog.setCurrentColor(QColor(0x12, 0x34, 0x56));
            return int(QDialog::Accepted);
        });
        form_->N47Click();
        QCOMPARE(shown, QColor(0x00, 0x80, 0x00));
        QCOMPARE(jre().Color(), QColor(0x12, 0x34, 0x56));
        QCOMPARE(form_->ColorBox1->currentIndex(), -1);
    }

    void firstLineIndent() {
        setText(QStringLiteral("one\r\ntwo"));
        jre().Select(jre().LineIndex(1), 0);
        QTextBlockFormat hang;
        hang.setProperty(docformat::kOffset, 200);
        jre().SetParagraphFormat(hang);

        form_->SpinEdit1->setValue(15);
        QTextBlockFormat f = block(jre(), 1).blockFormat();
        QCOMPARE(docformat::startIndent(f), 300);
        QCOMPARE(docformat::offset(f), 200); // later lines keep hanging from the first
        QCOMPARE(docformat::startIndent(block(jre(), 0).blockFormat()), 0);

        form_->SpinEdit1->setValue(-5); // no limits: negative passes
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), -100);

        // Typed text that is no number yet counts 0.
        auto *edit = form_->SpinEdit1->findChild<QLineEdit *>();
        QVERIFY(edit);
        form_->SpinEdit1->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Minus);
        QCOMPARE(edit->text(), QStringLiteral("-"));
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), 0);
        QTest::keyClicks(edit, QStringLiteral("7"));
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), -140);
        form_->SpinEdit1->stepBy(1); // its arrows
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), -120);
        // Each change was applied once: one undo step each.
        jre().Undo();
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), -140);
        jre().Undo();
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), 0);
        jre().Redo();
        jre().Redo();

        // A huge value stays within the editor's limits.
        form_->SpinEdit1->setValue(2000000000);
        QCOMPARE(docformat::startIndent(block(jre(), 1).blockFormat()), 31680);
    }

    void bulletsSurviveSaveAndLoad() {
        setText(QStringLiteral("intro\r\napples\r\npears\r\noutro"));
        jre().Select(jre().LineIndex(1), jre().LineIndex(2) + 1 - jre().LineIndex(1));
        form_->ToolButton35Click();
        jre().Select(jre().LineIndex(3), 0);
        form_->SpinEdit1->setValue(20);
        const QString path = dir_.filePath(QStringLiteral("bullets.rtf"));
        jre().SaveFile(path);
        jre().LoadFile(path);

        QCOMPARE(jre().GetText(), QStringLiteral("intro\r\napples\r\npears\r\noutro"));
        const bool bullets[] = {false, true, true, false};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(docformat::hasBullet(block(jre(), i)), bullets[i]);
        for (int i : {1, 2}) {
            const QTextBlockFormat f = block(jre(), i).blockFormat();
            QCOMPARE(docformat::startIndent(f), 0);
            QCOMPARE(docformat::offset(f), 200);
            QCOMPARE(f.textIndent(), 0.0);
        }
        QCOMPARE(docformat::startIndent(block(jre(), 3).blockFormat()), 400);
    }
};

QTEST_MAIN(FormattingTest)
#include "formatting_test.moc"
