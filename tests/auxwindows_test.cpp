// The windows built on demand (statistics, About, help, calendar) and the
// author links, driven through the modal seam on the real main window.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/modal.h"
#include "platform/shell.h"
#include "windows/help.h"

#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextList>
#include <QToolBar>
#include <QtTest>

class AuxWindowsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;

    // Runs the command; inspect sees its window, which then closes with OK.
    void run(const char *command, const std::function<void(QDialog &)> &inspect) {
        modal::answerNext([&](QDialog &d) {
            d.show();
            inspect(d);
            return int(QDialog::Accepted);
        });
        form_->Action(QLatin1String(command))->trigger();
        QCOMPARE(modal::pendingAnswers(), 0);
    }
    static QString labelAt(QDialog &d, QPoint at) {
        for (QLabel *l : d.findChildren<QLabel *>())
            if (l->pos() == at)
                return l->text();
        return QStringLiteral("<none>");
    }

private slots:
    void init() {
        QDir::setCurrent(dir_.path());
        QFile::remove(QStringLiteral("README.rtf"));
        modal::clearAnswers();
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    // Lines (-1: the wrapped display lines of the one paragraph), all
    // characters and the selection's, counted when the window is built.
    void statisticsCounts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("counts");
        QTest::newRow("empty") << "" << 0 << 0 << 0 << QStringList{"0", "0", "0"};
        QTest::newRow("selection with breaks") << "ab\r\ncd\r\nef" << 1 << 7 << 0 << QStringList{"3", "8", "7"};
        QTest::newRow("ends with a break") << "ab\r\ncd\r\n" << 0 << 0 << 0 << QStringList{"2", "6", "0"};
        QTest::newRow("wrapped") << QString("word ").repeated(60).trimmed() << 0 << 0 << 250
                                 << QStringList{"-1", "297", "0"};
    }
    void statisticsCounts() {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, width);
        QFETCH(QStringList, counts);
        TJRE *jre = form_->JRE;
        if (width)
            form_->resize(width, form_->height());
        jre->ReplaceSelection(text);
        jre->Select(start, length);
        if (counts[0] == "-1") {
            const int lines = jre->document()->firstBlock().layout()->lineCount();
            QVERIFY(lines > 3);
            counts[0] = QString::number(lines);
        }
        run("N54", [&](QDialog &d) {
            QCOMPARE(QStringList({labelAt(d, {210, 8}), labelAt(d, {210, 32}), labelAt(d, {210, 56})}), counts);
        });
    }

    // Both windows with an OK button: their texts and places, readable by a
    // screen reader; Escape leaves them open, Enter closes them with OK.
    void windowsWithOk_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QRect>("geometry"); // null position: centred
        QTest::addColumn<QRect>("ok");
        QTest::addColumn<QStringList>("labels"); // "x,y,text"
        QTest::newRow("statistics")
            << "N103" << "Статистика программы" << QRect(0, 0, 250, 150) << QRect(75, 80, 100, 30)
            << QStringList{"8,8,Количество строк", "8,32,Количество знаков всего", "8,56,Количество знаков"};
        QTest::newRow("about") << "N34" << "Tessarin 2.0" << QRect(400, 300, 428, 238) << QRect(136, 176, 145, 25)
                               << QStringList{"8,8,Программа", "8,32,Версия", "8,56,Разработчик", "8,80,Дата выхода",
                                              "8,104,Сайт автора", "8,128,E-mail автора", "184,8,Tessarin",
                                              "184,32,2.0", "184,56,Команда Tessarin", "184,80,08.02.2003",
                                              "184,104,https://tessarin.example.org/",
                                              "184,128,tessarin@example.org"};
    }
    void windowsWithOk() {
        QFETCH(QString, command);
        QFETCH(QString, title);
        QFETCH(QRect, geometry);
        QFETCH(QRect, ok);
        QFETCH(QStringList, labels);
        run(command.toLatin1().constData(), [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), title);
            QCOMPARE(d.size(), geometry.size());
            const QPoint centred = d.screen()->availableGeometry().center() - QPoint(d.width() / 2, d.height() / 2);
            QCOMPARE(d.pos(), geometry.topLeft().isNull() ? centred : geometry.topLeft());
            for (const QString &l : labels) {
                const QStringList f = l.split(',');
                QCOMPARE(labelAt(d, {f[0].toInt(), f[1].toInt()}), f[2]);
            }
            for (QLabel *l : d.findChildren<QLabel *>())
                QCOMPARE(QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name), l->text());
            auto *button = d.findChild<QPushButton *>();
            QCOMPARE(button->geometry(), ok);
            QCOMPARE(button->text(), QStringLiteral("OK"));
            QVERIFY(QTest::qWaitForWindowActive(&d));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(d.isVisible());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(!d.isVisible());
            QCOMPARE(d.result(), int(QDialog::Accepted));
        });
    }

    // The links open their targets and stay in the window; the captions beside
    // them do nothing; the mail command's Cyrillic is percent-encoded UTF-8.
    void authorLinks() {
        shell::startCapture();
        run("ToolButton22", [&](QDialog &d) {
            for (QLabel *l : d.findChildren<QLabel *>()) {
                QTest::mouseClick(l, Qt::LeftButton);
                if (l->font().underline()) {
                    QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
                    QCOMPARE(l->palette().color(QPalette::WindowText), d.palette().color(QPalette::WindowText));
                }
            }
            QVERIFY(d.isVisible());
        });
        form_->Action(QStringLiteral("N49"))->trigger();
        QCOMPARE(shell::capturedTargets(),
                 QStringList({"https://tessarin.example.org/", "mailto:tessarin@example.org",
                              "mailto:team@example.org?Subject=%D0%9F%D0%B8%D1%81%D1%8C%D0%BC%D0%B5%D1%86%D0%BE"
                              "&Body=%D0%97%D0%B4%D1%80%D0%B0%D0%B2%D1%81%D1%82%D0%B2%D1%83%D0%B9%D1%82%D0%B5,"}));
    }

    // README.rtf of the current folder first, else the data folder's, else none.
    void helpFileLookup() {
        QTemporaryDir exe;
        const QString data = exe.filePath(QStringLiteral("share/tessarin/README.rtf"));
        QCOMPARE(helpFilePath(exe.filePath(QStringLiteral("bin"))), QString());
        QVERIFY(QDir().mkpath(QFileInfo(data).path()));
        QFile(data).open(QIODevice::WriteOnly);
        QCOMPARE(helpFilePath(exe.filePath(QStringLiteral("bin"))), data);
        QFile(QStringLiteral("README.rtf")).open(QIODevice::WriteOnly);
        QCOMPARE(helpFilePath(exe.filePath(QStringLiteral("bin"))), QStringLiteral("README.rtf"));
    }

    // Plain text shows as such, justified and read-only; a resize re-justifies
    // and puts the caret back at the start.
    void helpViewer() {
        QFile local(QStringLiteral("README.rtf"));
        QVERIFY(local.open(QIODevice::WriteOnly));
        local.write("Plain {help}\r\nsecond line");
        local.close();
        run("ToolButton21", [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Помощь"));
            QCOMPARE(d.size(), QSize(500, 500));
            auto *viewer = d.findChild<TJRE *>();
            QCOMPARE(viewer->GetText(), QStringLiteral("Plain {help}\r\nsecond line"));
            viewer->setFocus();
            QTest::keyClicks(viewer, QStringLiteral("xy\t"));
            QTest::keyClick(viewer, Qt::Key_Delete);
            QCOMPARE(viewer->GetText(), QStringLiteral("Plain {help}\r\nsecond line"));
            QTextBlockFormat left;
            left.setAlignment(Qt::AlignLeft);
            viewer->Select(0, 20);
            viewer->SetParagraphFormat(left);
            d.resize(400, 450);
            QTRY_COMPARE(viewer->SelectionLength(), 0);
            QCOMPARE(viewer->SelectionStart(), 0);
            for (QTextBlock b = viewer->document()->begin(); b.isValid(); b = b.next())
                QCOMPARE(b.blockFormat().alignment(), Qt::AlignJustify);
        });
    }

    // The installed help, found from the executable's folder, is rich text that
    // names every menu item with its shortcut and every toolbar button.
    void installedHelpCoversEveryCommand() {
        QString shown;
        bool bold = false, bullets = false;
        run("N33", [&](QDialog &d) {
            const QTextDocument *doc = d.findChild<TJRE *>()->document();
            shown = doc->toPlainText();
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
                bold |= b.begin().fragment().charFormat().fontWeight() == QFont::Bold;
                bullets |= b.textList() != nullptr;
            }
        });
        QVERIFY(bold && bullets);
        QStringList missing;
        std::function<void(QMenu *)> check = [&](QMenu *menu) {
            for (QAction *item : menu->actions()) {
                const QString keys = item->shortcut().toString(QKeySequence::PortableText);
                if (item->menu())
                    check(item->menu());
                else if (!item->isSeparator() && !(shown.contains(item->text()) && shown.contains(keys)))
                    missing << item->text() + ' ' + keys;
            }
        };
        for (QAction *menu : form_->MainMenu1->actions())
            check(menu->menu());
        for (QToolBar *bar : {form_->ToolBar1, form_->ToolBar2})
            for (QAction *button : bar->actions())
                if (!button->toolTip().isEmpty() && !shown.contains(button->toolTip()))
                    missing << button->toolTip();
        QCOMPARE(missing, QStringList());
    }

    // Today selected; the week starts as the user's locale says, not as the
    // program's default locale does.
    void calendar() {
        const bool monday = QLocale::system().firstDayOfWeek() == Qt::Monday;
        QLocale::setDefault(monday ? QLocale(QLocale::English, QLocale::UnitedStates)
                                   : QLocale(QLocale::Russian, QLocale::Russia));
        run("ToolButton40", [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Календарь"));
            QCOMPARE(QRect(d.pos(), d.size()), QRect(300, 200, 200, 200));
            auto *calendar = d.findChild<QCalendarWidget *>();
            QCOMPARE(calendar->selectedDate(), QDate::currentDate());
            QCOMPARE(calendar->firstDayOfWeek(), QLocale::system().firstDayOfWeek());
        });
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_MAIN(AuxWindowsTest)
#include "auxwindows_test.moc"
