// The status bar's panels, the clock and the view toggles on the real window.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "format/colorbox.h"
#include "format/statusbar.h"
#include "platform/datetime.h"
#include "tools/find_replace.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QDateTime>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class StatusTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;

    TJRE *jre() const { return form_->JRE; }
    QString panel(int i) const { return form_->StatusBar1->Text(i); }

private slots:
    void init() {
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void caretPosition() {
        jre()->ReplaceSelection(QStringLiteral("x"));
        jre()->Select(0, 0);
        form_->JREChange();
        QCOMPARE(panel(0), QStringLiteral("Стр:   1   Кол:   1"));

        QString text;
        for (int i = 0; i < 1300; ++i)
            text += QStringLiteral("line %1\r\n").arg(i);
        jre()->SelectAll();
        jre()->ReplaceSelection(text);
        jre()->Select(jre()->LineIndex(1233), 0);
        form_->JREChange();
        QCOMPARE(panel(0), QStringLiteral("Стр: 1234   Кол:   1"));
        // A selection made right to left reports its left end.
        QTextCursor c = jre()->textCursor();
        c.setPosition(jre()->toQt(jre()->LineIndex(9) + 3));
        c.setPosition(jre()->toQt(jre()->LineIndex(4) + 2), QTextCursor::KeepAnchor);
        jre()->setTextCursor(c);
        form_->JREChange();
        QCOMPARE(panel(0), QStringLiteral("Стр:   5   Кол:   3"));
    }

    void wrappedSecondLineIsLineTwo() {
        jre()->resize(200, 200);
        QString para;
        for (int i = 0; i < 40; ++i)
            para += QStringLiteral("word ");
        jre()->ReplaceSelection(para);
        const int second = jre()->LineIndex(1);
        QVERIFY(second > 0);
        jre()->Select(second + 1, 0);
        form_->JREChange();
        QCOMPARE(panel(0), QStringLiteral("Стр:   2   Кол:   2"));
    }

    void typingWritesThePanels() {
        jre()->setFocus();
        QCOMPARE(panel(1), QString());
        QTest::keyClicks(jre(), QStringLiteral("ab"));
        QCOMPARE(panel(1), QStringLiteral("Изменён"));
        QCOMPARE(panel(0), QStringLiteral("Стр:   1   Кол:   3"));
        QCOMPARE(panel(2), QStringLiteral("MS Sans Serif"));
        QCOMPARE(panel(3), QStringLiteral("12"));
        QCOMPARE(panel(7), QStringLiteral("2"));
        // A new paragraph and more typing keep the line and column right.
        QTest::keyClicks(jre(), QStringLiteral(" Hello world, this is Tessarin."));
        QTest::keyClick(jre(), Qt::Key_Return);
        QTest::keyClicks(jre(), QStringLiteral("Second line"));
        QCOMPARE(panel(0), QStringLiteral("Стр:   2   Кол:  12"));
        QTest::keyClick(jre(), Qt::Key_Return);
        QCOMPARE(panel(0), QStringLiteral("Стр:   3   Кол:   1"));
        // Undone back to the text as it was: nothing to save, no mark.
        while (jre()->CanUndo())
            form_->Action(QStringLiteral("ToolButton8"))->trigger();
        QVERIFY(!jre()->IsModified());
        QCOMPARE(panel(1), QString());
    }

    // A command that edits away from the caret (replace-all) leaves the panels
    // describing the caret where the command put it.
    void panelsFollowTheCaretACommandLeaves() {
        jre()->ReplaceSelection(QStringLiteral("one\r\ntwo\r\n"));
        QTextCharFormat big;
        big.setFontPointSize(20);
        jre()->SetSelectionFormat(big);
        jre()->ReplaceSelection(QStringLiteral("aaaa"));
        jre()->Select(0, 0);
        form_->Action(QStringLiteral("ToolButton20"))->trigger();
        form_->ReplaceDialog1->SetFindText(QStringLiteral("a"));
        form_->ReplaceDialog1->SetReplaceText(QStringLiteral("bb"));
        form_->ReplaceDialog1->ReplaceAllButton()->click();
        QCOMPARE(jre()->GetText(), QStringLiteral("one\r\ntwo\r\nbbbbbbbb"));
        QCOMPARE(panel(0), QStringLiteral("Стр:   3   Кол:   9"));
        QCOMPARE(panel(3), QStringLiteral("20"));
    }

    // The length of GetText, a line break counting two.
    void characterCount() {
        const struct {
            const char *text;
            const char *count;
        } rows[] = {{"", "0"}, {"a", "1"}, {"\r\n", "2"}, {"abc", "3"}, {"abc\r\nde", "7"}};
        for (const auto &row : rows) {
            jre()->Clear();
            jre()->ReplaceSelection(QString::fromUtf8(row.text));
            form_->JREChange();
            QCOMPARE(panel(7), QLatin1String(row.count));
        }
    }

    void mouseDownRefreshesBoxes() {
        jre()->ReplaceSelection(QStringLiteral("red text"));
        jre()->SelectAll();
        QTextCharFormat f;
        f.setForeground(QColor(Qt::red));
        f.setFontPointSize(20);
        jre()->SetSelectionFormat(f);
        jre()->SetColor(QColor(0x123456)); // not in the paper list
        QTest::mouseClick(jre()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
        QCOMPARE(form_->ColorBox2->Selected(), QColor(Qt::red));
        QCOMPARE(form_->ColorBox1->currentIndex(), -1);
        QCOMPARE(form_->Edit1->text(), QStringLiteral("20"));
        QCOMPARE(panel(3), QStringLiteral("20"));
    }

    void clock() {
        form_->Timer1Timer();
        QCOMPARE(panel(6), dateTimeText(QDateTime::currentDateTime()));
        QCOMPARE(form_->Timer1->interval(), 1000);
        QVERIFY(form_->Timer1->isActive());
    }

    void toolbarToggle() {
        QAction *n27 = form_->Action(QStringLiteral("N27"));
        QAction *n77 = form_->Action(QStringLiteral("N77"));
        form_->Action(QStringLiteral("ToolButton15"))->trigger();
        QVERIFY(!n27->isChecked() && !n77->isChecked());
        for (QWidget *w : std::initializer_list<QWidget *>{form_->CoolBar1, form_->ColorBox1, form_->ColorBox2,
                                                           form_->CB1, form_->CB2, form_->CB3})
            QVERIFY(w->isHidden());
        QTRY_VERIFY(form_->JRE->geometry().top() < 10); // the editor takes the room
        n77->trigger();
        QVERIFY(n27->isChecked() && n77->isChecked());
        QVERIFY(!form_->CoolBar1->isHidden() && !form_->CB3->isHidden());
    }

    void statusBarToggleTwice() {
        QAction *n28 = form_->Action(QStringLiteral("N28"));
        n28->trigger();
        QVERIFY(form_->StatusBar1->isHidden());
        QVERIFY(!n28->isChecked() && !form_->Action(QStringLiteral("N78"))->isChecked());
        form_->Action(QStringLiteral("N78"))->trigger();
        QVERIFY(!form_->StatusBar1->isHidden());
        QVERIFY(n28->isChecked() && form_->Action(QStringLiteral("N78"))->isChecked());
    }

    void panelsAreReadable() {
        form_->StatusBar1->SetText(5, QStringLiteral("По центру"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(form_->StatusBar1->Panel(5));
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("По центру"));
    }
};

QTEST_MAIN(StatusTest)
#include "status_test.moc"
