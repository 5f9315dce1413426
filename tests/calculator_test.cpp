// The calculator: its operations and number rules without a window, and the
// window "Подсчёт" with the main window it copies its answer into.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/error.h"
#include "platform/modal.h"
#include "windows/tform2.h"

#include <QAccessible>
#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <clocale>
#include <tuple>

using calculator::Operation;

class CalculatorTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void answers_data() {
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("expected"); // the answer or the message
        const auto row = [](Operation op, const char *a, const char *b, const QString &expected) {
            QTest::addRow("%d '%s' '%s'", int(op), a, b) << int(op) << a << b << expected;
        };
        const auto real = [](const char *s) { return QStringLiteral("'%1' is not a valid floating point value").arg(s); };
        const auto integer = [](const char *s) { return QStringLiteral("'%1' is not a valid integer value").arg(s); };
        const QString zero = "Floating point division by zero", invalid = "Invalid floating point operation",
                      overflow = "Floating point overflow";
        using O = Operation;
        row(O::Add, "", "", real(""));
        row(O::Add, "a", "b", real("a"));
        row(O::Power, "a", "b", real("b")); // "^" reads Edit2 first
        row(O::Subtract, "7", "2", "5");
        row(O::Divide, "7", "2", "3,5");
        row(O::Add, "  -1,5e+2 ", ",", "-150");
        row(O::Add, "1.5", "1", real("1.5"));
        row(O::Add, "1E", "1", real("1E"));
        row(O::Add, "1E5000", "0", real("1E5000"));
        row(O::Divide, "1E4000", "1E3999", "10");
        row(O::Square, "1E3", "", "1000000");
        row(O::Multiply, "1E8", "1E8", "1E16");
        row(O::Divide, "1", "3", "0,333333333333333");
        row(O::Add, "0,1", "0,2", "0,3");
        row(O::Add, "0,00001", "0", "1E-5");
        row(O::Add, "999999999999999,7", "0", "1E15");
        row(O::Power, "2", "0,5", "1,4142135623731");
        row(O::Power, "2", "10", "1024");
        row(O::Power, "0", "2", zero);
        row(O::Power, "-2", "2", invalid);
        row(O::SquareRoot, "-1", "", invalid);
        row(O::Logarithm, "0", "", zero);
        row(O::Divide, "1", "0", zero);
        row(O::Divide, "0", "0", invalid);
        row(O::Multiply, "1E4000", "1E4000", overflow);
        row(O::Factorial, "5", "", "120");
        row(O::Factorial, "1E400", "", overflow);
        row(O::Factorial, "-3", "", "Факториал отрицательного целого числа не определён");
        row(O::Quotient, "-7", "2", "-3");
        row(O::Remainder, "-7", "2", "-1");
        row(O::Quotient, "$10", "1", "16");
        row(O::Quotient, "0X1f", "-x1", "-31");
        row(O::Quotient, "$FFFFFFFF", "1", "-1");
        row(O::Quotient, "$100000000", "1", integer("$100000000"));
        row(O::Quotient, " 5", "1", "5");
        row(O::Quotient, "5 ", "1", integer("5 "));
        row(O::Quotient, "2147483648", "1", integer("2147483648"));
        row(O::Remainder, "1", "0", "Division by zero");
        row(O::Quotient, "-2147483648", "-1", "Integer overflow");
    }
    void answers() {
        QFETCH(int, op);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, expected);
        if (!std::setlocale(LC_NUMERIC, "ru_RU.UTF-8")) // a comma locale
            QSKIP("ru_RU.UTF-8 is not generated (scripts/setup does it)");
        QString outcome;
        try {
            outcome = calculator::answer(Operation(op), first, second);
        } catch (const tessarin::Error &e) {
            outcome = e.message();
        }
        QCOMPARE(outcome, expected);
    }

    // Ctrl+F1 shows the window where it was designed, every control readable
    // and reached by Tab; a failure reaches the error box and leaves Edit3;
    // closing hides the window and the fields keep their texts; COPY.
    void window() {
        TForm1 form1(dir_.filePath(QStringLiteral("Tessarin.ini")));
        TForm2 form2;
        form1.show();
        QVERIFY(QTest::qWaitForWindowActive(&form1));
        QTest::keyClick(form1.JRE, Qt::Key_F1, Qt::ControlModifier);
        QVERIFY(form2.isVisible());
        QCOMPARE(QRect(form2.pos(), form2.size()), QRect(507, 230, 169, 194));
        const QList<QToolButton *> buttons = form2.ToolBar1->findChildren<QToolButton *>();
        QWidget *tab = form2.Edit1;
        for (QWidget *w : QList<QWidget *>{form2.Edit1, form2.Edit2, form2.Edit3} + QList<QWidget *>(buttons.begin(), buttons.end())) {
            QCOMPARE(tab, w);
            do
                tab = tab->nextInFocusChain();
            while (!(tab->focusPolicy() & Qt::TabFocus));
            QVERIFY(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty());
            QVERIFY(!w->toolTip().isEmpty());
        }
        for (int i = 0; i < 12; ++i) { // three rows of four
            QCOMPARE(buttons[i]->pos(), QPoint(i % 4 * 36, buttons[i / 4 * 4]->y()));
            QVERIFY(i < 4 || buttons[i]->y() > buttons[i - 4]->geometry().bottom());
        }

        QString box;
        modal::answerNext([&](QDialog &d) {
            auto *m = qobject_cast<QMessageBox *>(&d);
            box = m ? m->windowTitle() + ": " + m->text() : QString();
            return int(QMessageBox::Ok);
        });
        form2.Edit3->setText(QStringLiteral("3"));
        form2.Edit2->setText(QStringLiteral("2"));
        form2.ToolButton1->click();
        QCOMPARE(box, QStringLiteral("Tessarin: '' is not a valid floating point value."));
        form2.close();
        QVERIFY(!form2.isVisible());
        form1.Action(QStringLiteral("N50"))->trigger();
        QVERIFY(form2.isVisible());
        QCOMPARE(form2.Edit1->text() + form2.Edit2->text() + form2.Edit3->text(), QStringLiteral("23"));

        // COPY: Edit3's text as it stands replaces the editor's selection as
        // one undo step; the keyboard stays in the calculator.
        QVERIFY(QTest::qWaitForWindowActive(&form2));
        form1.JRE->ReplaceSelection(QStringLiteral("abcde"));
        for (const auto &[text, length, expected] : {std::tuple{"", 3, "ae"}, {" x,y ", 0, "a x,y bcde"}}) {
            form1.JRE->Select(1, length);
            form2.Edit3->setText(text);
            form2.Edit2->setFocus();
            QTest::mouseClick(form2.ToolButton12, Qt::LeftButton);
            QCOMPARE(form1.JRE->GetText(), QString(expected));
            QCOMPARE(QApplication::focusWidget(), form2.Edit2);
            form1.ToolButton8Click();
            QCOMPARE(form1.JRE->GetText(), QStringLiteral("abcde"));
        }
    }
};

QTEST_MAIN(CalculatorTest)
#include "calculator_test.moc"
