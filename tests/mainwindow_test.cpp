// The main window's life: geometry from the settings file, the layout, the
// settings written at close, the mode check boxes and their ticks.
#include "app/tform1.h"
#include "editor/file_dialogs.h"
#include "editor/tjre.h"
#include "format/colorbox.h"
#include "format/statusbar.h"
#include "platform/modal.h"
#include "platform/windowfit.h"
#include "windows/tform2.h"
#include "tests/support/testsupport.h"

#include <QAccessible>
#include <QToolBar>
#include <QToolButton>
#include <functional>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolTip>
#include <QtTest>

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString ini() const { return dir_.filePath(QStringLiteral("Tessarin.ini")); }

    void writeIni(const QByteArray &text) { testsupport::writeFile(ini(), text); }

private slots:
    void init() { QFile::remove(ini()); modal::clearAnswers(); }

    void designGeometryWithoutSettings() {
        TForm1 form(ini());
        QCOMPARE(form.OuterGeometry(), QRect(192, 114, 703, 538));
        QCOMPARE(form.windowTitle(), QStringLiteral("Tessarin 2.0"));
        QVERIFY(!QFile::exists(ini())); // reading creates nothing
    }

    void geometryValues_data() {
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("300") << 300;
        QTest::newRow("not a number") << QByteArray("abc") << 192;
        QTest::newRow("hex 0x") << QByteArray("0x20") << 32;
        QTest::newRow("hex $") << QByteArray("$20") << 32;
        QTest::newRow("empty") << QByteArray("") << 192;
    }
    void geometryValues() {
        QFETCH(QByteArray, left);
        QFETCH(int, expected);
        writeIni("[FORM]\r\nLeft=" + left + "\r\nTop=50\r\nWidth=640\r\nHeight=480\r\n");
        TForm1 form(ini());
        QCOMPARE(form.OuterGeometry(), QRect(expected, 50, 640, 480));
    }

    // Settings that would put the window off the screen or make it larger
    // than the screen: it fits the screen, at least its title bar on it, and
    // what is written back is what was shown. Values whose window shows its
    // title bar stand as they are.
    void windowFitsTheScreen() {
        const QRect screen(0, 0, 1920, 1080);
        const QSize least(320, 240);
        const struct { QPoint at; QSize size; QRect shown; } rows[] = {
            {{192, 133}, {703, 538}, {192, 133, 703, 538}},
            {{1500, 100}, {703, 538}, {1500, 100, 703, 538}}, // partly off, its title bar on screen
            {{0, 0}, {32767, 32767}, {0, 0, 1920, 1080}},
            {{10, 10}, {INT_MAX, INT_MAX}, {0, 0, 1920, 1080}},
            {{10, 10}, {2000, 538}, {0, 10, 1920, 538}},
            {{INT_MAX - 5, INT_MAX - 5}, {INT_MAX, INT_MAX}, {0, 0, 1920, 1080}},
            {{-5000, -5000}, {703, 538}, {0, 0, 703, 538}},
            {{5000, 4000}, {703, 538}, {1217, 542, 703, 538}},
            {{1850, 10}, {703, 538}, {1217, 10, 703, 538}}, // 70 px of it on screen
            {{100, -10}, {703, 538}, {100, 0, 703, 538}},
            {{100, 1060}, {703, 538}, {100, 542, 703, 538}},
            {{100, 100}, {10, -5}, {100, 100, 320, 240}},
        };
        for (const auto &row : rows)
            QCOMPARE(windowfit::fit(row.at, row.size, screen, least), row.shown);

        writeIni("[FORM]\r\nLeft=-5000\r\nTop=50\r\nWidth=32767\r\nHeight=2147483647\r\n");
        QRect shown;
        {
            TForm1 form(ini());
            shown = form.OuterGeometry();
            QVERIFY2(form.screen()->availableGeometry().contains(shown), qPrintable(QString::number(shown.width())));
            form.close();
        }
        const QByteArray text = testsupport::readFile(ini());
        QVERIFY2(text.contains("Width=" + QByteArray::number(shown.width()) + "\r\n"), text.constData());
        QVERIFY(text.contains("Left=0\r\n"));
    }

    void layoutAtDesignSize() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.StatusBar1->width() >= 695, true);
        const int expected[] = {98, 98, 98, 49, 49, 98, 147, 49};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(form.StatusBar1->Width(i), expected[i]);
        QCOMPARE(form.CoolBar1->height(), 75);
        QCOMPARE(form.StatusBar1->height(), 19);
        QCOMPARE(form.StatusBar1->Text(4), QStringLiteral("РУС."));
        QCOMPARE(form.StatusBar1->Text(5), QStringLiteral("По ширине"));
        QCOMPARE(form.StatusBar1->Text(1), QString());
        QCOMPARE(form.JRE->FontSize(), 12);
        QCOMPARE(form.JRE->Color(), QColor(Qt::white));
        QCOMPARE(form.ComboBox1->currentText(), QStringLiteral("MS Sans Serif"));
        QVERIFY(form.ComboBox1->findText(QStringLiteral("Default")) >= 0);
        QVERIFY(!form.JRE->IsModified());
        QCOMPARE(form.JRE->document()->begin().blockFormat().alignment(), Qt::AlignJustify);
        // The bars and the editor share the client area from top to bottom.
        QVERIFY(form.JRE->geometry().top() >= form.CoolBar1->geometry().bottom());
        QVERIFY(form.StatusBar1->geometry().top() >= form.JRE->geometry().bottom());
        // A resize keeps the panel widths, justifies and moves the caret home.
        form.JRE->ReplaceSelection(QStringLiteral("one\r\ntwo"));
        form.JRE->Select(2, 0);
        form.StatusBar1->SetText(5, QString());
        form.resize(900, 600);
        QTest::qWait(10);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(form.StatusBar1->Width(i), expected[i]);
        QCOMPARE(form.StatusBar1->Text(5), QStringLiteral("По ширине"));
        QCOMPARE(form.JRE->SelectionStart(), 0);
    }

    // A fresh window: nothing to undo, not modified, and the panels that only
    // the editor's handlers write are still empty.
    void freshWindowState() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int panel : {0, 1, 2, 3, 7})
            QVERIFY2(form.StatusBar1->Text(panel).isEmpty(), qPrintable(QString::number(panel)));
        QVERIFY(!form.JRE->CanUndo());
        form.Action(QStringLiteral("ToolButton8"))->trigger(); // Undo
        QVERIFY(!form.JRE->IsModified());
        QCOMPARE(form.JRE->document()->begin().blockFormat().alignment(), Qt::AlignJustify);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.JRE); // the keyboard starts in the text
        QTest::keyClick(form.JRE, Qt::Key_A);
        QCOMPARE(form.StatusBar1->Text(3), QStringLiteral("12")); // the size typed text has
        QCOMPARE(form.StatusBar1->Text(1), QStringLiteral("Изменён"));
    }

    // A resize justifies what is not yet justified. On a document the user has
    // not touched (just opened, new, fresh) that is how it is shown, not a
    // change; on an edited one it is a change of one undo step; on one already
    // justified it is nothing.
    void resizeChangesOnlyWhatIsNotJustified_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("change");
        QTest::newRow("opened") << QStringLiteral("open") << false;
        QTest::newRow("new") << QStringLiteral("new") << false;
        QTest::newRow("edited, left-aligned") << QStringLiteral("left") << true;
        QTest::newRow("edited, justified") << QStringLiteral("typed") << false;
    }
    void resizeChangesOnlyWhatIsNotJustified() {
        QFETCH(QString, how);
        QFETCH(bool, change);
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TJRE &e = *form.JRE;
        const QString file = dir_.filePath(QStringLiteral("plain.txt"));
        testsupport::writeFile(file, "one\r\ntwo\r\n");
        QTest::keyClicks(&e, QStringLiteral("typed"));
        if (how == QLatin1String("open"))
            e.LoadFile(file);
        else if (how == QLatin1String("new"))
            form.Action(QStringLiteral("ToolButton1"))->trigger();
        else if (how == QLatin1String("left"))
            form.Action(QStringLiteral("ToolButton31"))->trigger();
        const bool modified = e.IsModified();
        const int steps = e.document()->availableUndoSteps();
        form.StatusBar1->SetText(1, QString());

        form.resize(form.width() + 40, form.height() + 20);
        QCOMPARE(e.IsModified(), modified || change);
        QCOMPARE(e.document()->availableUndoSteps(), steps + (change ? 1 : 0));
        QCOMPARE(form.StatusBar1->Text(1), change ? QStringLiteral("Изменён") : QString());
        for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().alignment(), Qt::AlignJustify);
        form.resize(form.width() - 40, form.height());
        QCOMPARE(e.document()->availableUndoSteps(), steps + (change ? 1 : 0));
        if (change) { // the undo step gives the alignment back
            e.Undo();
            QCOMPARE(e.document()->begin().blockFormat().alignment(), Qt::AlignLeft);
        }
    }

    // The toolbars do not hold the window wide: a narrow window shows what fits.
    void narrowWindow() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(form.minimumSizeHint().width() <= 320, qPrintable(QString::number(form.minimumSizeHint().width())));
        form.resize(320, 300);
        QTRY_COMPARE(form.width(), 320);
        QCOMPARE(form.StatusBar1->Width(0), 98); // panels keep their widths, cut at the edge
        QVERIFY(form.JRE->width() < 320);
    }

    // In a narrow window the colour boxes and check boxes stay whole inside it,
    // and what of the second band they would cover is behind its extension
    // button; at the design size they stand where the design puts them.
    void narrowWindowKeepsEveryControl() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const auto extension = [&] {
            for (QToolButton *b : form.ToolBar2->findChildren<QToolButton *>(QStringLiteral("qt_toolbar_ext_button")))
                if (b->isVisible())
                    return true;
            return false;
        };
        QCOMPARE(form.ColorBox1->geometry(), QRect(564, 40, 41, 22));
        QVERIFY(!extension());
        for (int width : {640, 320}) {
            form.resize(width, 400);
            QTRY_COMPARE(form.width(), width);
            for (QWidget *w : std::initializer_list<QWidget *>{form.ColorBox1, form.ColorBox2, form.CB1, form.CB2, form.CB3})
                QVERIFY2(form.centralWidget()->rect().contains(w->geometry()), qPrintable(QString::number(width)));
            QTRY_VERIFY(extension());
            QVERIFY(form.ToolBar2->geometry().right() < form.ColorBox1->geometry().left() + 1);
        }
    }

    // Every toolbar icon reads as enabled beside its disabled look: their
    // pixels differ, on average over the icon's opaque pixels, by 9.5 % of
    // the range at least (a pale grey icon looks disabled while enabled).
    void enabledIconsLookEnabled() {
        TForm1 form(ini());
        QStringList pale;
        for (QToolBar *bar : {form.ToolBar1, form.ToolBar2})
            for (QAction *a : bar->actions()) {
                if (a->icon().isNull())
                    continue;
                const QImage on = a->icon().pixmap(16, QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32);
                const QImage off = a->icon().pixmap(16, QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32);
                double difference = 0;
                int opaque = 0;
                for (int y = 0; y < on.height(); ++y)
                    for (int x = 0; x < on.width(); ++x) {
                        const QRgb p = on.pixel(x, y), q = off.pixel(x, y);
                        if (qAlpha(p) < 128)
                            continue;
                        ++opaque;
                        difference += (std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q))) / 765.0;
                    }
                const double mean = opaque ? difference / opaque : 0;
                if (mean < 0.095)
                    pale << QStringLiteral("%1 %2").arg(a->text()).arg(mean, 0, 'f', 3);
            }
        QVERIFY2(pale.isEmpty(), qPrintable(pale.join(u", ")));
    }

    void statusBarIsOneToAssistiveTechnology() {
        TForm1 form(ini());
        form.show();
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(form.StatusBar1);
        QVERIFY(bar);
        QCOMPARE(bar->role(), QAccessible::StatusBar);
        QCOMPARE(bar->childCount(), 8);
        QCOMPARE(bar->child(4)->text(QAccessible::Name), QStringLiteral("РУС."));
    }

    // Every control a screen reader reaches (focusable, or a toolbar) has a
    // name, none of them an internal one; the editor and the toolbars are
    // named in Russian with their roles.
    void everyControlHasAName() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList unnamed;
        std::function<void(QAccessibleInterface *, int)> walk = [&](QAccessibleInterface *node, int depth) {
            if (!node || depth > 30)
                return;
            const QString name = node->text(QAccessible::Name);
            const bool reached = node->state().focusable || node->role() == QAccessible::ToolBar;
            if (reached && (name.trimmed().isEmpty() || name.startsWith(QLatin1String("ToolBar"))))
                unnamed << QStringLiteral("%1 %2 in %3 (role %4)")
                               .arg(node->object() ? node->object()->metaObject()->className() : "")
                               .arg(node->object() ? node->object()->objectName() : QString())
                               .arg(node->object() && node->object()->parent() ? node->object()->parent()->objectName() : QString())
                               .arg(int(node->role()), 0, 16);
            for (int i = 0; i < node->childCount(); ++i)
                walk(node->child(i), depth + 1);
        };
        walk(QAccessible::queryAccessibleInterface(&form), 0);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", ")));
        QAccessibleInterface *editor = QAccessible::queryAccessibleInterface(form.JRE);
        QCOMPARE(editor->text(QAccessible::Name), QStringLiteral("Текст документа"));
        for (const auto &[bar, name] : {std::pair(form.ToolBar1, "Панель инструментов"), std::pair(form.ToolBar2, "Панель форматирования")}) {
            QAccessibleInterface *i = QAccessible::queryAccessibleInterface(bar);
            QCOMPARE(i->role(), QAccessible::ToolBar);
            QCOMPARE(i->text(QAccessible::Name), QString::fromUtf8(name));
        }
    }

    // The calculator is a window of its own; closing the main window still ends the program.
    void closingMainWindowEndsProgramWhileCalculatorIsShown() {
        TForm1 form(ini());
        TForm2 calculator;
        form.show();
        calculator.show();
        QTimer::singleShot(0, &form, [&] { form.close(); });
        QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
    }

    void settingsWrittenAtClose() {
        writeIni("; my comment\r\n[Other]\r\nkey=value\r\n[FORM]\r\nLeft=10\r\n");
        {
            TForm1 form(ini());
            form.move(40, 60);
            form.resize(650, 500);
            form.close();
        }
        const QByteArray text = testsupport::readFile(ini());
        QVERIFY(text.startsWith("; my comment\r\n[Other]\r\nkey=value\r\n[FORM]\r\nLeft=40\r\n"));
        QVERIFY(text.contains("Top=60"));
        QVERIFY(text.contains("Width=650"));
        QVERIFY(text.contains("Height=500"));
        QVERIFY(!text.contains("[FILE]"));

        // A held file name is written as FILE/OpenFile, before FORM in a new file.
        QFile::remove(ini());
        {
            TForm1 form(ini());
            form.OpenDialog1->FileName = QStringLiteral("/tmp/документ.rtf");
            form.close();
        }
        const QString fresh = QString::fromUtf8(testsupport::readFile(ini()));
        QVERIFY(fresh.contains(QStringLiteral("OpenFile=/tmp/документ.rtf")));
        QVERIFY(fresh.indexOf(QStringLiteral("[FILE]")) < fresh.indexOf(QStringLiteral("[FORM]")));
        for (const char *key : {"Left=192", "Top=114", "Width=703", "Height=538"})
            QVERIFY2(fresh.contains(QLatin1String(key)), key);
    }

    void unwritableSettingsReportedAndWindowStillCloses() {
        const QString folder = dir_.filePath(QStringLiteral("blocked"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/inner"))); // a folder stands at the path
        QString shown;
        modal::answerNext([&](QDialog &d) {
            if (auto *box = qobject_cast<QMessageBox *>(&d))
                shown = box->windowTitle() + QLatin1Char('|') + box->text();
            return int(QMessageBox::Ok);
        });
        TForm1 form(folder);
        form.show();
        QVERIFY(form.close());
        QVERIFY(!form.isVisible());
        QCOMPARE(shown, QStringLiteral("Tessarin|Unable to write to ") + QDir::toNativeSeparators(folder) + QLatin1Char('.'));
    }

    void modeCheckBoxesAndTicks() {
        TForm1 form(ini());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.CB1->isChecked() && form.N51->isChecked() && form.N99->isChecked());
        form.N51->trigger(); // the item only inverts the box
        QVERIFY(!form.CB1->isChecked());
        QVERIFY(!form.N51->isChecked());
        QVERIFY(!form.N99->isChecked());
        QVERIFY(!form.JRE->WordWrap());
        // A resize turns wrap back on but leaves the box and ticks alone.
        form.resize(form.width() + 10, form.height());
        QVERIFY(form.JRE->WordWrap());
        QVERIFY(!form.CB1->isChecked() && !form.N51->isChecked() && !form.N99->isChecked());
        form.CB1->click();
        QVERIFY(form.CB1->isChecked() && form.N51->isChecked() && form.N99->isChecked());

        QVERIFY(!form.JRE->PlainText());
        form.RTF2->trigger();
        QVERIFY(!form.CB2->isChecked() && !form.RTF1->isChecked() && !form.RTF2->isChecked());
        QVERIFY(form.JRE->PlainText());
        form.RTF1->trigger();
        QVERIFY(form.CB2->isChecked() && form.RTF1->isChecked() && form.RTF2->isChecked());
        QVERIFY(!form.JRE->PlainText());
    }

    void hintStyle() {
        TForm1::ApplyHintStyle();
        const QFont f = QToolTip::font();
        QCOMPARE(f.family(), QStringLiteral("Courier New"));
        QCOMPARE(f.pointSize(), 10);
        QVERIFY(f.underline());
        QVERIFY(!f.bold() && !f.italic());
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
