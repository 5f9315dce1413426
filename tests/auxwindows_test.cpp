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

    // Runs the command; inspect gets its window, shown and active.
    void run(const char *command, const std::function<void(QDialog &)> &inspect) {
        bool active = false;
        modal::answerNext([&](QDialog &d) {
            d.show();
            if ((active = QTest::qWaitForWindowActive(&d)))
                inspect(d);
            return int(QDialog::Accepted);
        });
        form_->Action(QLatin1String(command))->trigger();
        QVERIFY(active);
    }
    // The texts of the labels in a column, top to bottom, each one readable
    // by a screen reader.
    static QStringList column(QDialog &d, int left) {
        QMap<int, QString> texts;
        for (QLabel *l : d.findChildren<QLabel *>())
            if (l->x() == left && QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name) == l->text())
                texts[l->y()] = l->text();
        return texts.keys() == QList<int>{8, 32, 56, 80, 104, 128}.mid(0, texts.size()) ? texts.values() : QStringList();
    }
    // Escape leaves the window open; Enter presses OK, which closes it.
    static void enterClosesEscapeDoesNot(QDialog &d) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(d.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!d.isVisible() && d.result() == QDialog::Accepted);
    }

private slots:
    void init() {
        QDir::setCurrent(dir_.path());
        QFile::remove(QStringLiteral("README.rtf"));
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }
    void cleanup() { form_.reset(); }

    // Lines, all characters and the selection's; "0" lines of a text stands
    // for the display lines of its one paragraph, wrapped in a narrow window.
    void statistics_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<QStringList>("counts");
        QTest::newRow("empty") << "" << 0 << QStringList{"0", "0", "0"};
        QTest::newRow("selection with breaks") << "ab\r\ncd\r\nef" << 7 << QStringList{"3", "8", "7"};
        QTest::newRow("ends with a break") << "ab\r\ncd\r\n" << 0 << QStringList{"2", "6", "0"};
        QTest::newRow("wrapped") << QString("word ").repeated(60).trimmed() << 0 << QStringList{"0", "297", "0"};
    }
    void statistics() {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(QStringList, counts);
        form_->resize(250, form_->height());
        form_->JRE->ReplaceSelection(text);
        if (length)
            form_->JRE->Select(1, length);
        if (counts[0] == "0" && !text.isEmpty()) {
            counts[0] = QString::number(form_->JRE->document()->firstBlock().layout()->lineCount());
            QVERIFY(counts[0].toInt() > 1);
        }
        run("N103", [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Статистика программы"));
            QCOMPARE(d.pos() + QPoint(125, 75), d.screen()->availableGeometry().center());
            QCOMPARE(column(d, 8), QStringList({"Количество строк", "Количество знаков всего", "Количество знаков"}));
            QCOMPARE(column(d, 210), counts);
            QCOMPARE(d.findChild<QPushButton *>()->geometry(), QRect(75, 80, 100, 30));
            enterClosesEscapeDoesNot(d);
        });
    }

    // Texts and places; the links open their targets and the window stays;
    // the mail command's Cyrillic goes percent-encoded as UTF-8.
    void aboutAndMail() {
        shell::startCapture();
        run("N34", [&](QDialog &d) {
            QCOMPARE(QRect(d.pos(), d.size()), QRect(400, 300, 428, 238));
            QCOMPARE(column(d, 8), QStringList({"Программа", "Версия", "Разработчик", "Дата выхода", "Сайт автора",
                                                "E-mail автора"}));
            QCOMPARE(column(d, 184), QStringList({"Tessarin", "2.0", "Команда Tessarin", "08.02.2003",
                                                  "https://tessarin.example.org/", "tessarin@example.org"}));
            for (QLabel *l : d.findChildren<QLabel *>()) {
                QTest::mouseClick(l, Qt::LeftButton);
                QCOMPARE(l->cursor().shape() == Qt::PointingHandCursor, l->font().underline());
            }
            QCOMPARE(d.findChild<QPushButton *>()->geometry(), QRect(136, 176, 145, 25));
            enterClosesEscapeDoesNot(d);
        });
        form_->Action(QStringLiteral("N49"))->trigger();
        QCOMPARE(shell::capturedTargets(),
                 QStringList({"https://tessarin.example.org/", "mailto:tessarin@example.org",
                              "mailto:team@example.org?Subject=%D0%9F%D0%B8%D1%81%D1%8C%D0%BC%D0%B5%D1%86%D0%BE"
                              "&Body=%D0%97%D0%B4%D1%80%D0%B0%D0%B2%D1%81%D1%82%D0%B2%D1%83%D0%B9%D1%82%D0%B5,"}));
    }

    // README.rtf of the current folder first, else the data folder's, else none.
    void helpFileLookup() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath(QStringLiteral("bin")), data = prefix.filePath("share/tessarin/README.rtf");
        QCOMPARE(helpFilePath(bin), QString());
        QVERIFY(QDir().mkpath(QFileInfo(data).path()) && QFile(data).open(QIODevice::WriteOnly));
        QCOMPARE(helpFilePath(bin), data);
        QVERIFY(QFile(QStringLiteral("README.rtf")).open(QIODevice::WriteOnly));
        QCOMPARE(helpFilePath(bin), QStringLiteral("README.rtf"));
    }

    // A plain-text README shows as such, read-only; a resize re-justifies and
    // drops the selection.
    void helpViewer() {
        QFile local(QStringLiteral("README.rtf"));
        QVERIFY(local.open(QIODevice::WriteOnly) && local.write("Plain {help}\r\nsecond") > 0);
        local.close();
        run("ToolButton21", [&](QDialog &d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Помощь"));
            auto *viewer = d.findChild<TJRE *>();
            QTest::keyClicks(viewer, QStringLiteral("xy\t"));
            QTest::keyClick(viewer, Qt::Key_Delete);
            QCOMPARE(viewer->GetText(), QStringLiteral("Plain {help}\r\nsecond"));
            QTextBlockFormat left;
            left.setAlignment(Qt::AlignLeft);
            viewer->Select(2, 12);
            viewer->SetParagraphFormat(left);
            d.resize(400, 450);
            QTRY_COMPARE(viewer->SelectionLength(), 0);
            for (QTextBlock b = viewer->document()->begin(); b.isValid(); b = b.next())
                QCOMPARE(b.blockFormat().alignment(), Qt::AlignJustify);
        });
    }

    // The installed help (a copy in the build tree) is rich text with bold
    // headings and lists, naming every menu item with its keys and every button.
    void installedHelpCoversEveryCommand() {
        QString shown, missing;
        bool bold = false, lists = false;
        run("N33", [&](QDialog &d) {
            const QTextDocument *doc = d.findChild<TJRE *>()->document();
            shown = doc->toPlainText();
            for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
                bold |= b.begin().fragment().charFormat().fontWeight() == QFont::Bold;
                lists |= b.textList() != nullptr;
            }
        });
        QVERIFY(bold && lists);
        for (QAction *a : form_->findChildren<QAction *>()) {
            const QString keys = a->shortcut().toString(QKeySequence::PortableText);
            // Main-menu items and buttons; popup items act only inside the popup.
            const bool command = !a->associatedObjects().isEmpty() && a->shortcutContext() == Qt::WindowShortcut;
            if (command && !a->menu() && !a->isSeparator() && !(shown.contains(a->text()) && shown.contains(keys)))
                missing += a->text() + ' ' + keys + '\n';
        }
        QCOMPARE(missing, QString());
    }

    // Today selected; the week starts as the user's locale says, not as the
    // program's default locale would have it.
    void calendar() {
        const bool monday = QLocale::system().firstDayOfWeek() == Qt::Monday;
        QLocale::setDefault(monday ? QLocale(QLocale::English, QLocale::UnitedStates) : QLocale(QLocale::Russian));
        run("N53", [&](QDialog &d) {
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
