// The windows built on demand and the author links, through the modal seam.
#include "app/tform1.h"
#include "editor/tjre.h"
#include "platform/modal.h"
#include "platform/shell.h"
#include "windows/help.h"

#include <QtWidgets>
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
    // The texts a screen reader reads in a column of labels at tops 8, 32, 56...
    static QStringList column(QDialog &d, int left) {
        QStringList texts;
        for (QLabel *l : d.findChildren<QLabel *>())
            if (l->pos() == QPoint(left, 8 + 24 * texts.size()))
                texts << QAccessible::queryAccessibleInterface(l)->text(QAccessible::Name);
        return texts;
    }
    // Escape leaves the window open; Enter presses OK, which closes it.
    static void enterClosesEscapeDoesNot(QDialog &d, QRect ok) {
        QCOMPARE(d.findChild<QPushButton *>()->geometry(), ok);
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
        form_->resize(250, form_->height()); // word wrap is on: a long paragraph wraps
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    // Lines, all characters, the selection's; -1 lines: the paragraph's display lines.
    void statistics() {
        const struct { QString text; int selected; QStringList counts; } rows[] = {
            {"", 0, {"0", "0", "0"}},
            {"ab\r\ncd\r\nef", 7, {"3", "10", "7"}},
            {"ab\r\ncd\r\n", 0, {"2", "8", "0"}},
            {QString("word ").repeated(60).trimmed(), 0, {"-1", "299", "0"}}};
        for (auto row : rows) {
            init();
            form_->JRE->ReplaceSelection(row.text);
            form_->JRE->Select(qMin(1, row.text.size()), row.selected);
            if (row.counts[0] == "-1")
                row.counts[0] = QString::number(form_->JRE->document()->firstBlock().layout()->lineCount());
            QVERIFY(row.counts[0] != "1"); // the long paragraph wraps
            run("N103", [&](QDialog &d) {
                QCOMPARE(d.pos() + QPoint(125, 75), d.screen()->availableGeometry().center());
                QCOMPARE(column(d, 8), QStringList({"Количество строк", "Количество знаков всего", "Количество знаков"}));
                QCOMPARE(column(d, 210), row.counts);
                enterClosesEscapeDoesNot(d, {75, 80, 100, 30});
            });
        }
    }

    // The links open their targets and the window stays; the mail command's
    // Cyrillic goes percent-encoded as UTF-8.
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
                // The links are reached with Tab and opened with Enter or Space, the window staying.
                QCOMPARE(l->focusPolicy() == Qt::TabFocus, l->font().underline());
                if (l->font().underline()) {
                    QTest::keyClick(l, l->text().contains(u'@') ? Qt::Key_Space : Qt::Key_Return);
                    QVERIFY(d.isVisible());
                }
            }
            enterClosesEscapeDoesNot(d, {136, 176, 145, 25});
        });
        form_->Action(QStringLiteral("N49"))->trigger();
        QCOMPARE(shell::capturedTargets(),
                 QStringList({"https://tessarin.example.org/", "https://tessarin.example.org/",
                              "mailto:tessarin@example.org", "mailto:tessarin@example.org",
                              "mailto:team@example.org?Subject=%D0%9F%D0%B8%D1%81%D1%8C%D0%BC%D0%B5%D1%86%D0%BE"
                              "&Body=%D0%97%D0%B4%D1%80%D0%B0%D0%B2%D1%81%D1%82%D0%B2%D1%83%D0%B9%D1%82%D0%B5,"}));
    }

    // README.rtf of the current folder first, else the data folder's, else none.
    void helpFileLookup() {
        QTemporaryDir prefix;
        const QString bin = prefix.filePath("bin"), data = prefix.filePath("share/tessarin/README.rtf");
        QCOMPARE(helpFilePath(bin), QString());
        QVERIFY(QDir().mkpath(QFileInfo(data).path()) && QFile(data).open(QIODevice::WriteOnly));
        QCOMPARE(helpFilePath(bin), data);
        QVERIFY(QFile(QStringLiteral("README.rtf")).open(QIODevice::WriteOnly));
        QCOMPARE(helpFilePath(bin), QStringLiteral("README.rtf"));
    }

    // The installed help (its copy in the build tree) names every menu item
    // with its keys and every button; a plain README in the current folder
    // shows as text, read-only; a resize re-justifies and drops the selection.
    void helpViewer() {
        run("N33", [&](QDialog &d) {
            const QTextDocument *doc = d.findChild<TJRE *>()->document();
            // What the program does, where a help could easily say otherwise.
            const QString text = doc->toPlainText().simplified();
            for (const char *says : {"ни о чём не спрашивая", "столько страниц, сколько нужно", "имя выбранного файла без папки",
                                     "на поиск не влияют", "применяется нажатием стрелок",
                                     "текущим файлом документа остаётся прежний", "возвращают к документу, ничего не меняя",
                                     "Восстановление после сбоя", "каждый перевод строки считается за два знака",
                                     "это папка того файла"})
                QVERIFY2(text.contains(QString::fromUtf8(says)), says);
            for (const char *never : {"на одной странице", "полное имя", "спрашивает о несохранённых"})
                QVERIFY2(!text.contains(QString::fromUtf8(never)), never);
            for (QAction *a : form_->findChildren<QAction *>()) // main menu and buttons; not the popup
                if (!a->associatedObjects().isEmpty() && a->shortcutContext() == Qt::WindowShortcut)
                    QVERIFY2(doc->toPlainText().contains(a->text()) &&
                                 doc->toPlainText().contains(a->shortcut().toString(QKeySequence::PortableText)),
                             qPrintable(a->text()));
        });
        QFile local(QStringLiteral("README.rtf"));
        QVERIFY(local.open(QIODevice::WriteOnly) && local.write("Plain {help}\r\nsecond") > 0);
        local.close();
        run("ToolButton21", [&](QDialog &d) {
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
            QVERIFY(viewer->ParagraphFormat().alignment() == Qt::AlignJustify);
        });
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
            for (QWidget *w : calendar->findChildren<QWidget *>()) // the arrows, and every control the keyboard reaches
                if ((w->focusPolicy() & Qt::TabFocus && w->isVisible()) || w->objectName().endsWith(QLatin1String("month")))
                    QVERIFY2(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                             w->objectName().toLatin1());
        });
        QLocale::setDefault(QLocale::system());
    }
};

QTEST_MAIN(AuxWindowsTest)
#include "auxwindows_test.moc"
