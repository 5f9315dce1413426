// The command map: menus, popup, toolbar buttons, forwarding and the keys
// that reach the menu before the focused control.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/modal.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

class CommandMapTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;

    QAction *act(const char *name) const {
        QAction *a = form_->Action(QLatin1String(name));
        if (!a)
            qWarning("no action %s", name);
        return a;
    }

    static QStringList captions(const QList<QAction *> &actions) {
        QStringList out;
        for (QAction *a : actions)
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }

private slots:
    void init() {
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
        form_->JRE->setFocus();
    }
    void cleanup() { form_.reset(); }

    void mainMenuStructure() {
        QCOMPARE(captions(form_->MainMenu1->actions()),
                 QStringList({"Файл", "Правка", "Вид", "Вставка", "Формат", "Справка"}));
        QCOMPARE(captions(act("N1")->menu()->actions()),
                 QStringList({"Новый", "Открыть", "Сохранить", "Сохранить как", "-", "Печать",
                              "Параметры страницы", "-", "Выход"}));
        QCOMPARE(captions(act("N5")->menu()->actions()),
                 QStringList({"Сортировка по возрастанию", "Английская раскладка клавиатуры",
                              "Русская раскладка клавиатуры", "Выравнивание", "Маркер", "Шрифт", "Цвет",
                              "Параметры страницы", "Почта", "Календарь", "Калькулятор",
                              "Автоматический перенос строк", "Режим RTF/текстовый режим", "Русский интерфейс"}));
        QCOMPARE(act("N6")->statusTip(), QStringLiteral("Спрвка о программе и её разработчике"));
        QCOMPARE(act("N7")->statusTip(), QStringLiteral("Новый документ"));
    }

    void shortcutsAndTicks_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("N15") << "N15" << "Esc" << false;
        QTest::newRow("N23") << "N23" << "Del" << false;
        QTest::newRow("N46") << "N46" << "Shift+Ins" << false;
        QTest::newRow("N47") << "N47" << "Ctrl+Ins" << false;
        QTest::newRow("N48") << "N48" << "Alt+Shift+Backspace" << false;
        QTest::newRow("N54") << "N54" << "Ctrl+Shift+F1" << false;
        QTest::newRow("N27") << "N27" << "Ctrl+Q" << true;
        QTest::newRow("RTF1") << "RTF1" << "F8" << true;
        QTest::newRow("N41") << "N41" << "" << false;
        QTest::newRow("N69") << "N69" << "Ctrl+B" << false;
        QTest::newRow("N100") << "N100" << "F9" << true;
    }
    void shortcutsAndTicks() {
        QFETCH(QString, item);
        QFETCH(QString, keys);
        QFETCH(bool, ticked);
        QAction *a = form_->Action(item);
        QVERIFY(a);
        QCOMPARE(a->shortcut(), QKeySequence(keys, QKeySequence::PortableText));
        QCOMPARE(a->isChecked(), ticked);
    }

    void popupFollowsMainMenuWithItsOwnCaptions() {
        QCOMPARE(captions(form_->PopupMenu1->actions()),
                 QStringList({"Файл", "Правка", "Вид", "Вставка", "Формат", "Справка"}));
        QCOMPARE(captions(act("N55")->menu()->actions()),
                 QStringList({"Новый", "Открыть", "Сохранить", "Сохранить как...", "Параметры страницы для печати",
                              "Печать", "Выход"}));
        QCOMPARE(act("N69")->text(), QStringLiteral("Откат"));
        QCOMPARE(act("N74")->text(), QStringLiteral("Найти"));
        QCOMPARE(act("N87")->text(), QStringLiteral("Выравнивание текста"));
        // Popup shortcuts are shown, but act only inside the popup.
        QCOMPARE(act("N61")->shortcutContext(), Qt::WidgetShortcut);
    }

    void toolBars() {
        const QList<QAction *> bar1 = form_->ToolBar1->actions();
        QCOMPARE(bar1.size(), 27);
        QCOMPARE(bar1.first()->objectName(), QStringLiteral("ToolButton1"));
        QCOMPARE(bar1.first()->toolTip(), QStringLiteral("Файл"));
        QCOMPARE(bar1[19]->toolTip(), QStringLiteral("Переместить"));
        for (QAction *a : bar1) {
            QVERIFY(!a->icon().isNull());
            QCOMPARE(form_->ToolBar1->widgetForAction(a)->width(), 25);
        }
        // The buttons of the second band come before its boxes.
        const QList<QAction *> bar2 = form_->ToolBar2->actions();
        QCOMPARE(bar2[0]->objectName(), QStringLiteral("ToolButton28"));
        QCOMPARE(bar2[13]->objectName(), QStringLiteral("ToolButton41"));
        QCOMPARE(form_->ToolBar2->widgetForAction(bar2[14]), form_->ComboBox1);
    }

    // A menu item clicks its button; the button's handler is the command.
    void itemsClickTheirButtons() {
        QSignalSpy open(act("ToolButton2"), &QAction::triggered);
        QStringList titles;
        for (int i = 0; i < 2; ++i)
            modal::answerNext([&](QDialog &d) {
                titles << d.windowTitle();
                return int(QDialog::Rejected);
            });
        act("N8")->trigger();
        act("N62")->trigger();
        QCOMPARE(open.count(), 2);
        QCOMPARE(titles, QStringList({"Выбор файла для работы", "Выбор файла для работы"}));
        QSignalSpy stats(act("N54"), &QAction::triggered);
        modal::answerNext([](QDialog &) { return int(QDialog::Accepted); }); // the statistics window
        act("N103")->trigger();
        QCOMPARE(stats.count(), 1);
    }

    // Keys a menu item owns run the item, not the focused control's own action.
    void menuKeysComeFirst_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("target");
        QTest::newRow("Esc") << int(Qt::Key_Escape) << 0 << "ToolButton7";
        QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << "ToolButton13";
        QTest::newRow("Shift+Insert") << int(Qt::Key_Insert) << int(Qt::ShiftModifier) << "ToolButton37";
        QTest::newRow("Ctrl+Insert") << int(Qt::Key_Insert) << int(Qt::ControlModifier) << "N47";
        QTest::newRow("F10") << int(Qt::Key_F10) << 0 << "ToolButton24";
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << int(Qt::ControlModifier) << "ToolButton10";
        QTest::newRow("Ctrl+V") << int(Qt::Key_V) << int(Qt::ControlModifier) << "ToolButton12";
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << "ToolButton17";
    }
    void menuKeysComeFirst() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, target);
        for (int widget = 0; widget < 2; ++widget) {
            init(); // a fresh window: Exit may have closed the last one
            form_->JRE->ReplaceSelection(QStringLiteral("abc"));
            form_->JRE->Select(0, 3);
            QWidget *focus = widget == 0 ? static_cast<QWidget *>(form_->JRE) : form_->ComboBox1;
            focus->setFocus();
            // Whatever the command asks or shows is cancelled.
            for (int i = 0; i < 3; ++i)
                modal::answerNext([](QDialog &) { return int(QDialog::Rejected); });
            QSignalSpy spy(form_->Action(target), &QAction::triggered);
            QTest::keyClick(focus, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            modal::clearAnswers();
            QCOMPARE(spy.count(), 1);
        }
    }

    void editorKeepsOrdinaryKeys() {
        form_->JRE->setFocus();
        QTest::keyClicks(form_->JRE, QStringLiteral("ab"));
        QTest::keyClick(form_->JRE, Qt::Key_Tab);
        QCOMPARE(form_->JRE->GetText(), QStringLiteral("ab\t"));
    }

    void languageFlagThreeTimes() {
        QCOMPARE(form_->CB3->toolTip(), QStringLiteral("Русский интерфейс"));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(form_->JRE, Qt::Key_F9);
        QVERIFY(!form_->CB3->isChecked());
        QVERIFY(!act("N52")->isChecked());
        QVERIFY(!act("N100")->isChecked());
        QCOMPARE(form_->CB3->toolTip(), QStringLiteral("English interface"));
        QCOMPARE(act("N1")->text(), QStringLiteral("Файл"));
        form_->CB3->click();
        QVERIFY(act("N52")->isChecked() && act("N100")->isChecked());
        QCOMPARE(form_->CB3->toolTip(), QStringLiteral("Русский интерфейс"));
    }

    void wrapKeyFlipsBoxAndBothTicks() {
        QTest::keyClick(form_->JRE, Qt::Key_F7);
        QVERIFY(!form_->CB1->isChecked() && !act("N51")->isChecked() && !act("N99")->isChecked());
        QVERIFY(!form_->JRE->WordWrap());
        act("N99")->trigger();
        QVERIFY(form_->CB1->isChecked() && act("N51")->isChecked() && act("N99")->isChecked());
    }
};

QTEST_MAIN(CommandMapTest)
#include "commandmap_test.moc"
