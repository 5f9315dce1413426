// The document file commands of the main window, driven on the real window:
// new, open, save, save as, exit with its question, the two insert commands
// and print, with their dialogs answered through the modal seam, and a few
// runs that answer the real dialog widgets.
#include "app/tform1.h"
#include "editor/cp1251.h"
#include "editor/file_dialogs.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/guard.h"
#include "platform/messages.h"
#include "platform/modal.h"
#include "windows/help.h"
#include "tests/support/testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QScopeGuard>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

// What a file dialog looked like when it was answered.
struct SeenDialog {
    QString title;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    QStringList nameFilters;
    QStringList shownFilterLabels;
    int selectedFilter = -1; // index in the list of file types
    QString presetName; // the file-name field
    QString directory;
};

SeenDialog look(QDialog &d) {
    auto &dialog = dynamic_cast<QFileDialog &>(d);
    SeenDialog seen;
    seen.title = dialog.windowTitle();
    seen.mode = dialog.acceptMode();
    seen.nameFilters = dialog.nameFilters();
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        for (int i = 0; i < types->count(); ++i)
            seen.shownFilterLabels << types->itemText(i);
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo")))
        seen.selectedFilter = types->currentIndex();
    if (auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        seen.presetName = edit->text();
    seen.directory = dialog.directory().absolutePath();
    return seen;
}

// Answers the next file dialog with path in its file-name field, as if typed;
// records what it showed.
void choose(const QString &path, SeenDialog *seen = nullptr) {
    modal::answerNext([path, seen](QDialog &d) {
        if (seen)
            *seen = look(d);
        // What the dialog was preset with is no longer selected once a name is typed.
        d.findChild<QListView *>(QStringLiteral("listView"))->selectionModel()->clear();
        d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(path);
        return int(QDialog::Accepted);
    });
}

void cancel(SeenDialog *seen = nullptr) {
    modal::answerNext([seen](QDialog &d) {
        if (seen)
            *seen = look(d);
        return int(QDialog::Rejected);
    });
}

// Types path into the file-name field of the real dialog, as the user does,
// and presses Enter. Offscreen, a dialog is not activated by showing it.
void typeInto(QDialog &dialog, const QString &path) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, path);
    QTest::keyClick(edit, Qt::Key_Return);
}

// What a message box looked like.
struct SeenBox {
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton, escapeButton;
};

void answerBox(int button, SeenBox *seen) {
    modal::answerNext([button, seen](QDialog &d) {
        auto &box = dynamic_cast<QMessageBox &>(d);
        seen->caption = box.windowTitle();
        seen->text = box.text();
        seen->icon = box.icon();
        for (QAbstractButton *b : box.buttons())
            seen->buttons << b->text();
        seen->defaultButton = box.defaultButton() ? box.defaultButton()->text() : QString();
        seen->escapeButton = box.escapeButton() ? box.escapeButton()->text() : QString();
        return button;
    });
}

// Runs a handler as the command map does: through the guard.
template <class F>
void run(F f) {
    guarded(f);
}

// The Russian error text of the C library for errno, as the error boxes quote it.
QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// What a poppler tool reads in a PDF file.
QString poppler(const QString &tool, const QString &option, const QString &pdf) {
    QProcess p;
    p.start(tool, option.isEmpty() ? QStringList{pdf} : QStringList{option, pdf, QStringLiteral("-")});
    return p.waitForFinished(30000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

} // namespace

class FilesTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;
    QTranslator russian_;

    QString path(const QString &name) const { return dir_.filePath(name); }

    TForm1 &form() { return *form_; }
    TJRE &jre() { return *form_->JRE; }

    // Types as the user does, which marks the document modified.
    void type(const QString &text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qsizetype n = text[i].isHighSurrogate() ? 2 : 1; // a character of two units is one key
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
            QApplication::sendEvent(&jre(), &press);
            i += n - 1;
        }
    }

private slots:
    void initTestCase() {
        // Qt's own dialogs in Russian, as the program shows them.
        QVERIFY(russian_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QApplication::installTranslator(&russian_);
    }

    void init() {
        modal::clearAnswers();
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        form_ = std::make_unique<TForm1>(path(QStringLiteral("Tessarin.ini")));
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup() {
        QCOMPARE(modal::pendingAnswers(), 0); // every answered dialog was shown
        form_.reset();
        modal::clearAnswers();
    }

    // ---- Save, Save As, Open ---------------------------------------------------

    void firstSaveAsksWithTheOpenDialog() {
        type(QStringLiteral("Привет"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        SeenDialog seen;
        const QString target = path(QStringLiteral("first.rtf"));
        choose(target, &seen);
        run([&] { form().ToolButton3Click(); });

        QCOMPARE(seen.title, QStringLiteral("Выбор файла для работы"));
        QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
        QCOMPARE(seen.nameFilters.size(), 24);
        QCOMPARE(seen.shownFilterLabels, form().OpenDialog1->FilterLabels());
        QCOMPARE(seen.selectedFilter, 0);
        QCOMPARE(form().OpenDialog1->FileName, target);
        QVERIFY(testsupport::readFile(target).startsWith("{\\rtf1"));
        QVERIFY(!jre().IsModified());
        QCOMPARE(form().StatusBar1->Text(1), QString());
        QCOMPARE(modal::shownTitles().size(), 1);

        // The name is now set: a later Save writes without a dialog.
        type(QStringLiteral("second"));
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(modal::shownTitles().size(), 1);
        QVERIFY(testsupport::readFile(target).contains("second"));
        // After New the document has no name: Save asks, the old file stays.
        run([&] { form().ToolButton1Click(); });
        type(QStringLiteral("third"));
        const QString other = path(QStringLiteral("other.rtf"));
        choose(other);
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(modal::shownTitles().size(), 2);
        QVERIFY(testsupport::readFile(other).contains("third"));
        QVERIFY(!testsupport::readFile(target).contains("third"));
    }

    // A confirmed file dialog makes the chosen file's folder the current one,
    // where the help command looks for its file first; a cancelled one does not.
    void fileDialogsSetTheHelpFolder() {
        const QString before = QDir::currentPath();
        const auto back = qScopeGuard([&] { QDir::setCurrent(before); });
        QDir().mkpath(path(QStringLiteral("docs")));
        testsupport::writeFile(path(QStringLiteral("docs/README.rtf")), "{\\rtf1 local help}");
        testsupport::writeFile(path(QStringLiteral("docs/letter.rtf")), "{\\rtf1 letter}");
        cancel();
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(QDir::currentPath(), before);
        choose(path(QStringLiteral("docs/letter.rtf")));
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(QFileInfo(helpFilePath(QStringLiteral("/nowhere"))).absoluteFilePath(), path(QStringLiteral("docs/README.rtf")));
    }

    void saveCancelledWritesNothingAndEmptiesPanel() {
        type(QStringLiteral("text"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        cancel();
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(form().StatusBar1->Text(1), QString());
        QVERIFY(jre().IsModified());
        QVERIFY(form().OpenDialog1->FileName.isEmpty());
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), QStringList());
    }

    void firstSaveFailureIsReported() {
        type(QStringLiteral("text"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        const QString target = path(QStringLiteral("no/such/folder/a.rtf"));
        choose(target);
        SeenBox box;
        answerBox(messages::Ok, &box);
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(box.caption, QStringLiteral("Tessarin"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, QStringLiteral("Cannot create file \"%1\". %2.").arg(target, reason(ENOENT)));
        QCOMPARE(form().StatusBar1->Text(1), QStringLiteral("Изменён"));
        QVERIFY(jre().IsModified());
        QCOMPARE(form().OpenDialog1->FileName, target); // taken before the write
    }

    void saveFailureWithNameIsReported_data() {
        QTest::addColumn<bool>("saveAs");
        QTest::newRow("Save") << false;
        QTest::newRow("Save As") << true;
    }
    void saveFailureWithNameIsReported() {
        QFETCH(bool, saveAs);
        type(QStringLiteral("text"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        const QString target = path(QStringLiteral("missing/a.rtf"));
        if (saveAs)
            choose(target);
        else
            form().OpenDialog1->FileName = target;
        SeenBox box;
        answerBox(messages::Ok, &box);
        run([&] { saveAs ? form().ToolButton4Click() : form().ToolButton3Click(); });
        QCOMPARE(box.text, QStringLiteral("Cannot create file \"%1\". %2.").arg(target, reason(ENOENT)));
        QCOMPARE(form().StatusBar1->Text(1), QStringLiteral("Изменён"));
        QVERIFY(jre().IsModified());
    }

    void openMissingFileKeepsDocumentAndTakesName() {
        type(QStringLiteral("keep me"));
        const QString missing = path(QStringLiteral("later.txt"));
        choose(missing);
        SeenBox box;
        answerBox(messages::Ok, &box);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(box.caption, QStringLiteral("Tessarin"));
        QCOMPARE(box.text, QStringLiteral("Cannot open file \"%1\". %2.").arg(missing, reason(ENOENT)));
        QCOMPARE(jre().GetText(), QStringLiteral("keep me"));
        QVERIFY(jre().IsModified());
        QCOMPARE(form().OpenDialog1->FileName, missing);

        // A following Save creates that file, without asking.
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(modal::shownTitles().size(), 2); // the Open dialog and the error box
        QVERIFY(testsupport::readFile(missing).startsWith("{\\rtf1"));
        QVERIFY(!jre().IsModified());
    }

    void openReadsByModeAndClearsModified() {
        const QString text = path(QStringLiteral("plain.rtf"));
        testsupport::writeFile(text, cp1251::encode(u"Строка один\r\nline two"));
        const QString rtf = path(QStringLiteral("doc.txt"));
        testsupport::writeFile(rtf, "{\\rtf1\\ansi\\ansicpg1251 {\\b bold} \\'cf\\'f0}");
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));

        // RTF mode: plain text falls back to text, RTF is read as RTF, whatever the names say.
        type(QStringLiteral("x"));
        choose(text);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("Строка один\r\nline two"));
        QVERIFY(!jre().IsModified());
        QCOMPARE(form().StatusBar1->Text(1), QString()); // the document just opened is not modified
        choose(rtf);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("bold Пр"));

        // Plain mode: the markup is the text.
        form().CB2->setChecked(false);
        QVERIFY(jre().PlainText());
        choose(rtf);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(jre().GetText(), QString::fromLatin1(testsupport::readFile(rtf)));
        QCOMPARE(form().OpenDialog1->FileName, rtf);
    }

    void saveFormatFollowsModeNotName() {
        type(QStringLiteral("Текст"));
        const QString txt = path(QStringLiteral("a.txt"));
        choose(txt);
        run([&] { form().ToolButton3Click(); });
        QVERIFY(testsupport::readFile(txt).startsWith("{\\rtf1"));

        form().CB2->setChecked(false);
        const QString rtf = path(QStringLiteral("b.rtf"));
        choose(rtf);
        run([&] { form().ToolButton4Click(); });
        QCOMPARE(testsupport::readFile(rtf), cp1251::encode(u"Текст"));
        // Save still writes to the name chosen in the Open dialog, now as text.
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(testsupport::readFile(txt), cp1251::encode(u"Текст"));
    }

    void saveAsReplacesWithoutQuestionAndKeepsName() {
        const QString current = path(QStringLiteral("current.txt"));
        const QString other = path(QStringLiteral("other.txt"));
        testsupport::writeFile(other, "old contents");
        form().CB2->setChecked(false);
        form().OpenDialog1->FileName = current;
        type(QStringLiteral("new"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));

        SeenDialog seen;
        choose(other, &seen);
        run([&] { form().ToolButton4Click(); });
        QCOMPARE(seen.title, QStringLiteral("Сохранение текущего файла"));
        QCOMPARE(seen.mode, QFileDialog::AcceptSave);
        QCOMPARE(seen.shownFilterLabels, form().SaveDialog1->FilterLabels());
        QCOMPARE(seen.presetName, QString()); // no Save As name yet
        QCOMPARE(testsupport::readFile(other), QByteArray("new"));
        QCOMPARE(modal::shownTitles().size(), 1); // no question before replacing
        QCOMPARE(form().OpenDialog1->FileName, current);
        QCOMPARE(form().SaveDialog1->FileName, other);
        QVERIFY(!jre().IsModified());
        QCOMPARE(form().StatusBar1->Text(1), QString());
        QVERIFY(!QFile::exists(current));

        // The next Save As is preset with the name it remembers; cancelled, it
        // still empties panel 1 and writes nothing.
        type(QStringLiteral("!"));
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        cancel(&seen);
        run([&] { form().ToolButton4Click(); });
        QCOMPARE(seen.presetName, QStringLiteral("other.txt"));
        QCOMPARE(seen.directory, dir_.path());
        QCOMPARE(form().StatusBar1->Text(1), QString());
        QVERIFY(jre().IsModified());
        QCOMPARE(testsupport::readFile(other), QByteArray("new"));

        run([&] { form().ToolButton3Click(); });
        QCOMPARE(testsupport::readFile(current), QByteArray("new!"));
    }

    void newForgetsNameKeepsMode() {
        form().CB2->setChecked(false);
        form().OpenDialog1->FileName = path(QStringLiteral("kept.txt"));
        type(QStringLiteral("gone"));
        jre().selectAll();
        form().StatusBar1->SetText(1, QStringLiteral("Изменён"));
        run([&] { form().ToolButton1Click(); });
        QCOMPARE(jre().GetText(), QString());
        QVERIFY(!jre().IsModified());
        QVERIFY(jre().PlainText());
        QCOMPARE(form().OpenDialog1->FileName, QString()); // a Save asks, the old file stays
        QCOMPARE(form().StatusBar1->Text(1), QString()); // nothing to save
        QCOMPARE(modal::shownTitles(), QStringList());

        // New is one undo step: the text comes back with its formats, unsaved
        // and without a name.
        type(QStringLiteral("gone"));
        jre().Select(1, 2);
        run([&] { form().ToolButton30Click(); }); // bold
        run([&] { form().ToolButton1Click(); });
        run([&] { form().ToolButton8Click(); }); // undo
        QCOMPARE(jre().GetText(), QStringLiteral("gone"));
        jre().Select(1, 1);
        QVERIFY(jre().SelectionFormat().fontWeight() == QFont::Bold);
        QVERIFY(jre().IsModified());
        QCOMPARE(form().OpenDialog1->FileName, QString());
    }

    // Plain-text mode keeps a file's encoding: UTF-8, with or without its
    // mark, and Windows-1251 come back byte for byte; New writes Windows-1251.
    void plainTextKeepsTheEncoding() {
        form().CB2->setChecked(false);
        const QByteArray russian = QByteArrayLiteral("Съешь же ещё этих мягких булок\r\nда выпей чаю");
        const QString file = path(QStringLiteral("enc.txt"));
        form().OpenDialog1->FileName = file;
        for (const QByteArray &bytes : {russian, QByteArray("\xEF\xBB\xBF") + russian, cp1251::encode(QString::fromUtf8(russian))}) {
            testsupport::writeFile(file, bytes);
            jre().LoadFile(file);
            QCOMPARE(jre().GetText(), QString::fromUtf8(russian));
            jre().SetModified(true);
            run([&] { form().ToolButton3Click(); });
            QCOMPARE(testsupport::readFile(file), bytes);
        }
        run([&] { form().ToolButton1Click(); });
        type(QStringLiteral("ё"));
        choose(path(QStringLiteral("new.txt")));
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(testsupport::readFile(path(QStringLiteral("new.txt"))), QByteArray("\xB8"));
    }

    // A Windows-1251 save that would lose characters asks first: Yes writes
    // '?' for them; No and Esc write nothing and leave the document unsaved.
    void lossySaveAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("Yes") << int(messages::Yes);
        QTest::newRow("No") << int(messages::No);
        QTest::newRow("Esc") << int(messages::Cancel);
    }
    void lossySaveAsks() {
        QFETCH(int, answer);
        form().CB2->setChecked(false);
        const QString file = path(QStringLiteral("lossy.txt"));
        form().OpenDialog1->FileName = file;
        type(QString::fromUtf8("日本 α ё 😀"));
        SeenBox box;
        if (answer == messages::Cancel) {
            modal::answerNext([&box](QDialog &d) {
                box.caption = d.windowTitle();
                QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Escape); });
                return d.exec();
            });
        } else {
            answerBox(answer, &box);
        }
        run([&] { form().ToolButton3Click(); });
        QCOMPARE(box.caption, QStringLiteral("Warning"));
        if (answer == messages::Yes) {
            QCOMPARE(box.text, QString::fromUtf8("Символов документа, которых нет в кодировке Windows-1251: 4 (日, 本, α, 😀). "
                                                 "В файле они будут заменены знаком «?». Сохранить?"));
            QCOMPARE(box.defaultButton, QStringLiteral("&No"));
            QCOMPARE(box.escapeButton, QStringLiteral("&No"));
        }
        const bool saved = answer == messages::Yes;
        QCOMPARE(QFile::exists(file), saved);
        if (saved)
            QCOMPARE(testsupport::readFile(file), QByteArray("?? ? \xB8 ?"));
        QCOMPARE(jre().IsModified(), !saved);
        QCOMPARE(jre().GetText(), QString::fromUtf8("日本 α ё 😀")); // the document keeps them
    }

    // ---- Exit ------------------------------------------------------------------

    void exitWithoutChangesClosesWithoutQuestion() {
        type(QStringLiteral("text"));
        run([&] { form().ToolButton1Click(); });
        run([&] { form().ToolButton7Click(); });
        QVERIFY(!form().isVisible());
        QCOMPARE(modal::shownTitles(), QStringList());
        QVERIFY(QFile::exists(path(QStringLiteral("Tessarin.ini")))); // closed the ordinary way

        // Right after a successful save, too.
        init();
        type(QStringLiteral("text"));
        choose(path(QStringLiteral("saved.rtf")));
        run([&] { form().ToolButton3Click(); });
        run([&] { form().ToolButton7Click(); });
        QVERIFY(!form().isVisible());
        QCOMPARE(modal::shownTitles().size(), 1);
    }

    // Exit and every other way of closing the window ask the same question;
    // cancelling the save dialog goes back to the document.
    void exitQuestion_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("confirmSave");
        for (bool closeBox : {false, true}) {
            const char *route = closeBox ? "close box" : "Exit";
            QTest::addRow("%s, No", route) << closeBox << int(messages::No) << false;
            QTest::addRow("%s, Yes, cancel the save", route) << closeBox << int(messages::Yes) << false;
            QTest::addRow("%s, Yes, save", route) << closeBox << int(messages::Yes) << true;
        }
    }
    void exitQuestion() {
        QFETCH(bool, closeBox);
        QFETCH(int, answer);
        QFETCH(bool, confirmSave);
        form().OpenDialog1->FileName = path(QStringLiteral("current.rtf"));
        type(QStringLiteral("changed"));
        SeenBox box;
        answerBox(answer, &box);
        SeenDialog seen;
        const QString target = path(QStringLiteral("exit.rtf"));
        if (answer == messages::Yes) {
            if (confirmSave)
                choose(target, &seen);
            else
                cancel(&seen);
        }
        run([&] {
            if (closeBox)
                form().close();
            else
                form().ToolButton7Click();
        });

        QCOMPARE(box.caption, QStringLiteral("Warning"));
        QCOMPARE(box.text, QStringLiteral("Файл не сохранён! Сохранить?"));
        QCOMPARE(box.icon, QMessageBox::Warning);
        QCOMPARE(box.buttons, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
        QCOMPARE(box.defaultButton, QStringLiteral("&Yes"));
        QCOMPARE(box.escapeButton, QString()); // Esc presses neither button
        if (answer == messages::Yes)
            QCOMPARE(seen.title, QStringLiteral("Сохранение текущего файла")); // not the document name
        const bool cancelled = answer == messages::Yes && !confirmSave;
        QCOMPARE(form().isVisible(), cancelled);
        QCOMPARE(jre().IsModified(), !confirmSave);
        QCOMPARE(QFile::exists(target), confirmSave);
        if (confirmSave)
            QVERIFY(testsupport::readFile(target).contains("changed"));
        QVERIFY(!QFile::exists(path(QStringLiteral("current.rtf"))));
        QCOMPARE(form().OpenDialog1->FileName, path(QStringLiteral("current.rtf")));
    }

    // Esc and the box's close button go back to the document as it was, on
    // every way out: Exit, the window's close box, the tray menu's "Выход".
    void exitQuestionEscapeKeepsDocument_data() {
        QTest::addColumn<int>("route");
        QTest::addColumn<bool>("escape");
        for (int route = 0; route < 3; ++route)
            for (bool escape : {true, false})
                QTest::addRow("route %d, %s", route, escape ? "Esc" : "close button") << route << escape;
    }
    void exitQuestionEscapeKeepsDocument() {
        QFETCH(int, route);
        QFETCH(bool, escape);
        type(QStringLiteral("changed"));
        modal::answerNext([escape](QDialog &d) {
            QTimer::singleShot(0, &d, [&d, escape] {
                if (escape)
                    QTest::keyClick(&d, Qt::Key_Escape);
                else
                    d.close();
            });
            return d.exec();
        });
        run([&] {
            if (route == 0)
                form().ToolButton7Click();
            else if (route == 1)
                form().close();
            else
                form().Action(QStringLiteral("N67"))->trigger();
        });
        QVERIFY(form().isVisible());
        QVERIFY(jre().IsModified());
        QCOMPARE(jre().GetText(), QStringLiteral("changed"));
        QCOMPARE(modal::shownTitles(), QStringList{QStringLiteral("Warning")}); // no Save dialog
        QVERIFY(!QFile::exists(path(QStringLiteral("Tessarin.ini")))); // not closed
    }

    void exitSaveFailureKeepsWindowOpen() {
        type(QStringLiteral("changed"));
        SeenBox question, error;
        answerBox(messages::Yes, &question);
        const QString target = path(QStringLiteral("gone/exit.rtf"));
        choose(target);
        answerBox(messages::Ok, &error);
        run([&] { form().ToolButton7Click(); });
        QCOMPARE(error.caption, QStringLiteral("Tessarin"));
        QCOMPARE(error.text, QStringLiteral("Cannot create file \"%1\". %2.").arg(target, reason(ENOENT)));
        QVERIFY(form().isVisible());
        QVERIFY(jre().IsModified());
        QVERIFY(!QFile::exists(path(QStringLiteral("Tessarin.ini")))); // not closed
    }

    // ---- Insert file contents and name ------------------------------------------

    void insertContentsStopsAtZeroAndIsOneStep() {
        type(QStringLiteral("0123456789"));
        jre().Select(2, 3);
        const QString file = path(QStringLiteral("data.bin"));
        QByteArray bytes = cp1251::encode(u"Да\r\n{\\rtf1 x}\tтаб") + QByteArray("\0tail", 5);
        testsupport::writeFile(file, bytes);
        SeenDialog seen;
        choose(file, &seen);
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(seen.title, QStringLiteral("Открыть")); // the platform's own caption
        QCOMPARE(seen.shownFilterLabels, QStringList{QStringLiteral("Все файлы (*.*)")});
        const QString inserted = QStringLiteral("Да\r\n{\\rtf1 x}\tтаб");
        QCOMPARE(jre().GetText(), QStringLiteral("01") + inserted + QStringLiteral("56789"));
        QCOMPARE(jre().SelectionStart(), 2 + inserted.size());
        QCOMPARE(jre().SelectionLength(), 0);
        QVERIFY(form().OpenDialog1->FileName.isEmpty());
        QCOMPARE(form().OpenDialog3->FileName, file);

        // One undo takes the whole insertion back, selection included.
        jre().Undo();
        QCOMPARE(jre().GetText(), QStringLiteral("0123456789"));
    }

    void insertContentsOfEmptyFileDeletesSelection() {
        type(QStringLiteral("abcdef"));
        jre().Select(1, 2);
        const QString file = path(QStringLiteral("empty"));
        testsupport::writeFile(file, QByteArray());
        choose(file);
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("adef"));

        // A file that starts with its zero byte inserts nothing either.
        testsupport::writeFile(file, QByteArray("\0abc", 4));
        jre().Select(0, 1);
        choose(file);
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("def"));
    }

    void insertContentsFailsSilently() {
        type(QStringLiteral("same"));
        jre().Select(1, 2);
        choose(path(QStringLiteral("absent.txt")));
        run([&] { form().ToolButton23Click(); });
        choose(dir_.path()); // a folder cannot be read
        run([&] { form().ToolButton23Click(); });
        cancel();
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(modal::shownTitles().size(), 3); // the three file dialogs, no message
        QCOMPARE(jre().GetText(), QStringLiteral("same"));
        QCOMPARE(jre().SelectionLength(), 2);
    }

    // Open and Insert file contents of what is not a regular file end at once,
    // in Open's error and in the insert command's silence.
    void openAndInsertRefuseWhatIsNotAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString notAFile = QStringLiteral("Not a regular file");
        QTest::newRow("FIFO with no writer") << QStringLiteral("fifo") << notAFile;
        QTest::newRow("/dev/zero") << QStringLiteral("/dev/zero") << notAFile;
        QTest::newRow("folder") << QStringLiteral("folder") << reason(EISDIR);
        QTest::newRow("socket") << QStringLiteral("socket") << notAFile;
    }
    void openAndInsertRefuseWhatIsNotAFile() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        // Names with a dot: the Open dialog adds its default extension to a name without one.
        const QString target = path(QStringLiteral("special.") + kind.mid(kind.lastIndexOf(u'/') + 1));
        const testsupport::FileOfKind made(kind, target);
        QVERIFY(made.made());
        type(QStringLiteral("same"));
        jre().Select(1, 2);
        QElapsedTimer timer;
        timer.start();
        choose(target);
        run([&] { form().ToolButton23Click(); });
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(modal::shownTitles().size(), 1); // the file dialog, no message
        QCOMPARE(jre().GetText(), QStringLiteral("same"));
        QCOMPARE(jre().SelectionLength(), 2);

        timer.restart();
        choose(target);
        SeenBox box;
        answerBox(messages::Ok, &box);
        run([&] { form().ToolButton2Click(); });
        QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(box.text, QStringLiteral("Cannot open file \"%1\". %2.").arg(target, reason));
        QCOMPARE(jre().GetText(), QStringLiteral("same"));
    }

    void insertContentsOfHugeSparseFile() {
        // 600 MB whose text ends after four bytes: read up to the zero byte only.
        const QString file = path(QStringLiteral("huge.bin"));
        testsupport::writeFile(file, "head");
        QVERIFY(::truncate(QFile::encodeName(file).constData(), 600LL << 20) == 0);
        choose(file);
        QElapsedTimer timer;
        timer.start();
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("head"));
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }

    void insertContentsOfBigFile() {
        // Big enough to be laid out afterwards, in steps: the result is the same.
        type(QStringLiteral("<>"));
        jre().Select(1, 0);
        const QByteArray line = cp1251::encode(u"Строка текста, которую вставляют много раз подряд.\r\n");
        QByteArray bytes;
        while (bytes.size() < (1 << 20) + 100)
            bytes += line;
        const QString file = path(QStringLiteral("big.txt"));
        testsupport::writeFile(file, bytes);
        choose(file);
        run([&] { form().ToolButton23Click(); });
        QVERIFY(jre().document()->isLayoutEnabled());
        const QString expected = QLatin1Char('<') + cp1251::decode(bytes) + QLatin1Char('>');
        QCOMPARE(jre().GetTextLen(), expected.size());
        QCOMPARE(jre().GetText(), expected);
        QCOMPARE(jre().SelectionStart(), 1 + int(bytes.size()));
        QVERIFY(jre().viewport()->rect().contains(jre().cursorRect().center())); // the caret in view
        jre().Undo();
        QCOMPARE(jre().GetText(), QStringLiteral("<>"));
    }

    void insertFileName_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("inserted");
        QTest::newRow("path") << QStringLiteral("sub/a.b.txt") << QStringLiteral("a.b.txt");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Texts\\a.b.txt") << QStringLiteral("a.b.txt");
        QTest::newRow("drive only") << QStringLiteral("D:name.rtf") << QStringLiteral("name.rtf");
        QTest::newRow("Cyrillic") << QStringLiteral("Папка/Отчёт.txt") << QStringLiteral("Отчёт.txt");
    }
    void insertFileName() {
        QFETCH(QString, chosen);
        QFETCH(QString, inserted);
        QDir(dir_.path()).mkpath(QStringLiteral("sub"));
        QDir(dir_.path()).mkpath(QStringLiteral("Папка"));
        type(QStringLiteral("[xyz]"));
        jre().Select(1, 3);
        choose(path(chosen));
        run([&] { form().ToolButton24Click(); });
        QCOMPARE(jre().GetText(), QLatin1Char('[') + inserted + QLatin1Char(']'));
        QCOMPARE(form().OpenDialog3->FileName, path(chosen));
        jre().Undo();
        QCOMPARE(jre().GetText(), QStringLiteral("[xyz]"));

        // Without a selection the name goes in at the caret, still its own undo step.
        jre().Select(5, 0);
        type(QStringLiteral("!"));
        choose(path(chosen));
        run([&] { form().ToolButton24Click(); });
        QCOMPARE(jre().GetText(), QStringLiteral("[xyz]!") + inserted);
        jre().Undo();
        QCOMPARE(jre().GetText(), QStringLiteral("[xyz]!"));

        // The two insert commands share their dialog and its name.
        SeenDialog seen;
        cancel(&seen);
        run([&] { form().ToolButton23Click(); });
        QCOMPARE(QDir(seen.directory).filePath(seen.presetName), path(chosen));
    }

    // ---- The dialogs themselves ---------------------------------------------------

    void dialogsShowLabelsAsWritten() {
        const QStringList open = form().OpenDialog1->FilterLabels();
        QCOMPARE(open.size(), 24);
        QCOMPARE(open.first(), QStringLiteral("*.RTF файлы "));
        QCOMPARE(open[1], QStringLiteral("*.TXT файлы "));
        QCOMPARE(open[2], QStringLiteral("*.HTML файлы"));
        QCOMPARE(open.last(), QStringLiteral("Все файлы "));
        QCOMPARE(form().OpenDialog1->NameFilters()[17], QStringLiteral("*.H файлы (*.H)"));
        QCOMPARE(form().OpenDialog1->NameFilters().last(), QStringLiteral("Все файлы  (*)"));
        const QStringList save = form().SaveDialog1->FilterLabels();
        QCOMPARE(save.size(), 24);
        QCOMPARE(save[2], QStringLiteral("*.INI файлы"));
        QCOMPARE(save.last(), QStringLiteral("Все файлы"));

        SeenDialog seen;
        cancel(&seen);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(seen.shownFilterLabels, open);
        cancel(&seen);
        run([&] { form().ToolButton4Click(); });
        QCOMPARE(seen.shownFilterLabels, save);
    }

    void dialogsListFilesAsWindowsDoes() {
        // Patterns match without regard to case, and "*.*" lists names without a dot too.
        for (const char *name : {"UPPER.RTF", "lower.rtf", "notes.txt", "Makefile"})
            testsupport::writeFile(path(QString::fromLatin1(name)), "x");
        auto listed = [](QFileDialog &dialog) {
            auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
            QStringList names;
            const QModelIndex root = view->rootIndex();
            for (int i = 0; i < view->model()->rowCount(root); ++i)
                names << view->model()->index(i, 0, root).data().toString();
            names.sort();
            return names;
        };
        QStringList rtf, all;
        form().OpenDialog1->FileName = path(QStringLiteral("lower.rtf"));
        modal::answerNext([&](QDialog &d) {
            auto &dialog = dynamic_cast<QFileDialog &>(d);
            dialog.show();
            (void)QTest::qWaitFor([&] { return listed(dialog).size() >= 2; }, 5000);
            rtf = listed(dialog);
            auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(types->count() - 1);
            emit types->activated(types->count() - 1);
            (void)QTest::qWaitFor([&] { return listed(dialog).size() >= 4; }, 5000);
            all = listed(dialog);
            return int(QDialog::Rejected);
        });
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(rtf, (QStringList{QStringLiteral("UPPER.RTF"), QStringLiteral("lower.rtf")}));
        QCOMPARE(all, (QStringList{QStringLiteral("Makefile"), QStringLiteral("UPPER.RTF"),
                                   QStringLiteral("lower.rtf"), QStringLiteral("notes.txt")}));
    }

    // The size, type and date columns show their captions and values whole
    // ("Дата изменения", "07.12.2026 13:31"), whatever widths Qt restored from
    // its settings, and the list needs no horizontal scroll bar.
    void fileListColumnsShowTheirTextsWhole() {
        testsupport::writeFile(path(QStringLiteral("sized.rtf")), QByteArray(123456, 'x'));
        form().OpenDialog1->FileName = path(QStringLiteral("sized.rtf"));
        QStringList cut;
        modal::answerNext([&](QDialog &d) {
            d.show();
            auto *view = d.findChild<QTreeView *>(QStringLiteral("treeView"));
            for (int c = 1; c < view->header()->count(); ++c)
                view->header()->resizeSection(c, 30);
            const auto cutTexts = [view] {
                QStringList texts;
                for (int c = 1; c < view->header()->count(); ++c) {
                    QStringList column{view->model()->headerData(c, Qt::Horizontal).toString()};
                    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                        column << view->model()->index(row, c, view->rootIndex()).data().toString();
                    column.removeIf([&](const QString &t) {
                        return view->fontMetrics().horizontalAdvance(t) + 4 <= view->header()->sectionSize(c);
                    });
                    texts << column;
                }
                if (view->header()->length() > view->viewport()->width())
                    texts << QStringLiteral("(too wide)");
                if (view->model()->rowCount(view->rootIndex()) == 0)
                    texts << QStringLiteral("(not listed)");
                return texts;
            };
            (void)QTest::qWaitFor([&] { return cutTexts().isEmpty(); }, 5000);
            cut = cutTexts();
            return int(QDialog::Rejected);
        });
        run([&] { form().ToolButton2Click(); });
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(" | "))));
    }

    void realDialogTypedNameOpensFile() {
        // The real dialog, in Russian, answered by typing a name and pressing Enter.
        const QString file = path(QStringLiteral("typed.txt"));
        testsupport::writeFile(file, "typed contents");
        QString acceptText, typeLabel;
        bool stillOpen = true;
        modal::answerNext([&](QDialog &d) {
            auto *buttons = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
            acceptText = buttons->button(QDialogButtonBox::Open)->text();
            typeLabel = d.findChild<QLabel *>(QStringLiteral("fileTypeLabel"))->text();
            typeInto(d, file);
            stillOpen = d.isVisible();
            return d.result();
        });
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(acceptText, QStringLiteral("&Открыть"));
        QCOMPARE(typeLabel, QStringLiteral("Типы файлов:"));
        QVERIFY(!stillOpen);
        QCOMPARE(jre().GetText(), QStringLiteral("typed contents"));
        QCOMPARE(form().OpenDialog1->FileName, file);
    }

    void realDialogInItsOwnLoopSavesWithDefaultExtension() {
        // No answer queued: the dialog runs its own modal loop; a timer types into it.
        type(QStringLiteral("saved through the dialog"));
        QString title;
        std::function<void()> typeName = [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                QTimer::singleShot(10, typeName);
                return;
            }
            title = dialog->windowTitle();
            typeInto(*dialog, path(QStringLiteral("named")));
            if (dialog->isVisible())
                dialog->reject(); // not accepted: end the loop, the checks below fail
        };
        QTimer::singleShot(0, typeName);
        run([&] { form().ToolButton4Click(); });
        QCOMPARE(title, QStringLiteral("Сохранение текущего файла"));
        const QString written = path(QStringLiteral("named.RTF"));
        QCOMPARE(form().SaveDialog1->FileName, written);
        QVERIFY(testsupport::readFile(written).startsWith("{\\rtf1"));
        QVERIFY(!jre().IsModified());
    }

    void chosenFilterIsRemembered() {
        SeenDialog seen;
        modal::answerNext([](QDialog &d) {
            auto &dialog = dynamic_cast<QFileDialog &>(d);
            auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(1);
            emit types->activated(1);
            return int(QDialog::Rejected);
        });
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(form().OpenDialog1->FilterIndex, 1); // a cancel changes nothing

        modal::answerNext([](QDialog &d) {
            auto &dialog = dynamic_cast<QFileDialog &>(d);
            auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            types->setCurrentIndex(1);
            emit types->activated(1);
            dialog.selectFile(QDir::temp().filePath(QStringLiteral("tessarin-files-test-absent.txt")));
            return int(QDialog::Accepted);
        });
        SeenBox box;
        answerBox(messages::Ok, &box); // x.txt does not exist
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(form().OpenDialog1->FilterIndex, 2);
        cancel(&seen);
        run([&] { form().ToolButton2Click(); });
        QCOMPARE(seen.selectedFilter, 1);
        QCOMPARE(seen.shownFilterLabels[1], QStringLiteral("*.TXT файлы "));
    }

    // ---- Print: to a PDF file, read back with poppler -----------------------------

    void print_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("before"); // what the user does first
        QTest::addColumn<int>("pages");      // 0: nothing printed
        QString many;
        for (int i = 1; i <= 200; ++i)
            many += QStringLiteral("Строка %1\n").arg(i);
        QTest::newRow("empty: a blank page") << QString() << QString() << 1;
        QTest::newRow("bold, large") << QStringLiteral("Первая строка\nВторая") << QStringLiteral("bold") << 1;
        QTest::newRow("wrapped paragraph") << QStringLiteral("слово ").repeated(120) << QString() << 1;
        QTest::newRow("200 lines, none lost") << many << QString() << 4;
        QTest::newRow("cancel") << QStringLiteral("x") << QStringLiteral("cancel") << 0;
        QTest::newRow("landscape, margins unused") << QStringLiteral("Альбом") << QStringLiteral("landscape") << 1;
        QTest::newRow("job cannot start") << QStringLiteral("x") << QStringLiteral("no/") << 0;
    }

    // A table's header row (\\trhdr) prints again at the top of each page the
    // table goes on to, and nowhere else; no row is lost.
    void printRepeatsHeaderRows() {
        QByteArray rtf = "{\\rtf1\\ansi before\\par\\trowd\\trhdr\\cellx3000\\cellx6000\\pard\\intbl Heading\\cell Second\\cell\\row";
        for (int i = 1; i <= 200; ++i)
            rtf += "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Row" + QByteArray::number(i) + "\\cell x\\cell\\row";
        rtf += "\\pard after\\par}";
        const QString file = path(QStringLiteral("table.rtf")), pdf = path(QStringLiteral("table.pdf"));
        testsupport::writeFile(file, rtf);
        jre().LoadFile(file);
        form().Printer().setOutputFileName(pdf);
        modal::answerNext([](QDialog &) { return int(QDialog::Accepted); });
        run([&] { form().ToolButton6Click(); });
        QStringList pages = poppler(QStringLiteral("pdftotext"), QStringLiteral("-layout"), pdf).split(QLatin1Char('\f'));
        pages.removeAll(QString());
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        QStringList rows;
        for (const QString &page : pages) {
            const QStringList words = page.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            QCOMPARE(words.count(QStringLiteral("Heading")), 1);
            QCOMPARE(words.value(words.first() == QLatin1String("before") ? 1 : 0), QStringLiteral("Heading"));
            for (const QString &w : words)
                if (w.startsWith(QLatin1String("Row")))
                    rows << w;
        }
        QCOMPARE(rows.size(), 200);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(rows[i], QStringLiteral("Row%1").arg(i + 1));
    }

    // The display lines in order, page after page, in the base font, 100 dots
    // (6 points at 1200 dpi) into the printer's printable area.
    void print() {
        QFETCH(QString, text);
        QFETCH(QString, before);
        QFETCH(int, pages);
        jre().ReplaceSelection(text);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setFontPointSize(36);
        jre().SelectAll();
        if (before == QLatin1String("bold"))
            jre().SetSelectionFormat(bold);
        const double margin = form().Printer().pageLayout().margins(QPageLayout::Point).left();
        if (before == QLatin1String("landscape")) { // the real dialog; a margin changed too
            modal::answerNext([](QDialog &d) {
                QTimer::singleShot(0, &d, [&d] {
                    d.findChild<QRadioButton *>(QStringLiteral("landscape"))->click();
                    d.findChild<QDoubleSpinBox *>(QStringLiteral("leftMargin"))->setValue(60);
                    d.accept();
                });
                return d.exec();
            });
            run([&] { form().ToolButton38Click(); });
        }
        const QString pdf = path((before == QLatin1String("no/") ? before : QString()) + QStringLiteral("x.pdf"));
        form().Printer().setOutputFileName(pdf);
        modal::answerNext([&](QDialog &) { return int(before == QLatin1String("cancel") ? QDialog::Rejected : QDialog::Accepted); });
        SeenBox box;
        if (before == QLatin1String("no/"))
            answerBox(messages::Ok, &box);
        run([&] { form().ToolButton6Click(); });
        QCOMPARE(box.text.startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(pdf)), before == QLatin1String("no/"));

        const QString printed = poppler(QStringLiteral("pdftotext"), QStringLiteral("-layout"), pdf);
        QCOMPARE(int(printed.count(QLatin1Char('\f'))), pages);
        QStringList lines = pages ? jre().Lines().Texts() : QStringList();
        for (QString &line : lines)
            line = line.trimmed();
        QCOMPARE(printed.trimmed().split(QRegularExpression(QStringLiteral("\\s*[\\n\\f]\\s*")), Qt::SkipEmptyParts), lines);
        QVERIFY(!poppler(QStringLiteral("pdffonts"), QString(), pdf).contains(QLatin1String("Bold")));
        const QString boxes = poppler(QStringLiteral("pdftotext"), QStringLiteral("-bbox-layout"), pdf);
        QCOMPARE(boxes.contains(QLatin1String("<page width=\"842")), before == QLatin1String("landscape")); // A4 across
        QSet<QString> edges; // the left edge and the height of each line, in points
        for (auto it = QRegularExpression(QStringLiteral("<line xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)")).globalMatch(boxes); it.hasNext();) {
            const auto m = it.next();
            edges << QStringLiteral("%1 %2").arg(qRound(m.captured(1).toDouble() - margin)).arg(qRound(m.captured(3).toDouble() - m.captured(2).toDouble()));
        }
        QCOMPARE(edges.size(), lines.isEmpty() ? 0 : 1);
        QVERIFY(lines.isEmpty() || edges.begin()->startsWith(QLatin1String("6 ")));
    }
};

QTEST_MAIN(FilesTest)
#include "files_test.moc"
