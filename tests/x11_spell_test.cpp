// The spelling check in the main window on a real X server: underlines
// under the misspelt Russian and English words typed (the check's ranges and
// the pixels), none in a save, a printout or the clipboard; the right-click
// menu: a suggestion replaces the word as one undo step keeping its formats,
// "Пропустить все", "Добавить в словарь" across a restart, the tick kept in
// the settings file; and no dictionary at all.
#define QTEST_QPA_MOUSE_HANDLING // clicks through the window system: a right press brings the menu event
#include "app/tform1.h"
#include "editor/printing.h"
#include "editor/tjre.h"
#include "spell/spellcheck.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

using spell::SpellCheck;
using testsupport::readFile;

namespace {

// Types text into the editor, key by key (Cyrillic too).
void type(TJRE *jre, const QString &text) {
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, jre, ch == u' ' ? Qt::Key_Space : Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

// The words of the document the check underlines, in order.
QStringList underlined(TJRE *jre) {
    QStringList out;
    for (QTextBlock b = jre->document()->begin(); b.isValid(); b = b.next())
        for (const spell::Mark &m : jre->SpellChecker()->marks(b, 0, b.length() - 1))
            out << b.text().mid(m.start, m.length);
    return out;
}

bool settled(TJRE *jre) {
    const bool done = QTest::qWaitFor([jre] { return jre->SpellChecker()->settled(); }, 20000);
    QTest::qWait(50); // the redraw
    return done;
}

// Red pixels under a word of the document, as the editor shows it now.
int redUnder(TJRE *jre, const QString &word) {
    const int at = int(jre->document()->toPlainText().indexOf(word));
    if (at < 0)
        return -1;
    QTextCursor c(jre->document());
    c.setPosition(at);
    const QRect first = jre->cursorRect(c);
    c.setPosition(at + int(word.size()));
    const QRect area = QRect(first.topLeft(), QPoint(jre->cursorRect(c).left(), first.bottom() + 3)).normalized();
    const QImage shot = jre->viewport()->grab().toImage();
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x < area.right(); ++x) {
            const QColor p = shot.pixelColor(x, y);
            red += p.red() > 180 && p.green() < 110 && p.blue() < 110;
        }
    return red;
}

// A right click on the word, and what its menu shows: each action's text,
// "[x]"/"[ ]" for a tick, "(off)" when greyed, "-" a separator. The action
// named `choose` is clicked, else the menu is closed.
QStringList rightClick(TJRE *jre, const QString &word, const QString &choose = QString()) {
    const int at = int(jre->document()->toPlainText().indexOf(word));
    QTextCursor c(jre->document());
    c.setPosition(at + 1);
    const QPoint point = jre->cursorRect(c).center();
    QStringList shown;
    QTimer::singleShot(300, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction *pick = nullptr;
        for (QAction *a : menu->actions()) {
            shown << (a->isSeparator() ? QStringLiteral("-")
                                       : a->text() + (a->isCheckable() ? (a->isChecked() ? "[x]" : "[ ]") : "")
                                             + (a->isEnabled() ? "" : "(off)"));
            if (!choose.isEmpty() && a->text() == choose)
                pick = a;
        }
        menu->close();
        if (pick)
            pick->trigger();
    });
    QTest::mouseClick(jre->viewport(), Qt::RightButton, {}, point);
    QTest::qWait(400);
    return shown;
}

} // namespace

class X11SpellTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;
    TJRE *jre_ = nullptr;

    QString settings() const { return dir_.filePath(QStringLiteral("Tessarin.ini")); }
    void open() {
        form_ = std::make_unique<TForm1>(settings());
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        jre_ = form_->JRE;
        jre_->setFocus();
    }

private slots:
    void initTestCase() {
        // The installed dictionaries; the personal list in a folder of the test's own.
        qunsetenv("DICPATH");
        QVERIFY(QDir().mkpath(dir_.filePath("enchant")));
        qputenv("ENCHANT_CONFIG_DIR", QFile::encodeName(dir_.filePath("enchant")));
        SpellCheck::reloadDictionaries();
    }
    void init() { open(); }
    void cleanup() { form_.reset(); }

    void underlines() {
        type(jre_, QStringLiteral("Съешь ещё этих мягких булок, малоко и превет. The quick fox jumsp, НАТО "
                                              "test123 user@example.com еще"));
        QVERIFY(settled(jre_));
        // The last word is being typed: not underlined until the caret leaves it.
        type(jre_, QStringLiteral(" превет"));
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_), QStringList({"малоко", "превет", "jumsp"}));
        QTest::keyClick(jre_, Qt::Key_Home);
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_), QStringList({"малоко", "превет", "jumsp", "превет"}));
        for (const char *word : {"малоко", "jumsp"})
            QVERIFY2(redUnder(jre_, QString::fromUtf8(word)) >= 5, word);
        for (const char *word : {"мягких", "quick", "НАТО", "test123", "example"})
            QCOMPARE(redUnder(jre_, QString::fromUtf8(word)), 0);
    }

    // The underlines are not the text's: a save, the clipboard and a printout
    // are the same with the check off, and nothing is a change or an undo step.
    void nothingOfItLeaves() {
        jre_->LoadBytes(QStringLiteral("Малоко и превет, jumsp.\r\nВторая страка.").toUtf8(), true);
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_).size(), 4);
        QVERIFY(!jre_->IsModified() && !jre_->CanUndo());
        const auto outputs = [this](const QString &tag) {
            QStringList out;
            for (bool plain : {false, true}) {
                jre_->SetPlainText(plain);
                const QString path = dir_.filePath(tag + (plain ? ".txt" : ".rtf"));
                jre_->SaveFile(path);
                out << QString::fromLatin1(readFile(path).toBase64());
            }
            jre_->SelectAll();
            jre_->Copy();
            const QMimeData *mime = QApplication::clipboard()->mimeData();
            out << QString::fromLatin1(mime->data("text/rtf").toBase64()) << mime->html() << mime->text();
            jre_->Select(0, 0);
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(dir_.filePath(tag + ".pdf"));
            printing::printLines(printer, QFont(jre_->FontName(), jre_->FontSize()), jre_->Lines().Texts());
            QProcess::execute("pdftoppm", {"-png", "-r", "50", dir_.filePath(tag + ".pdf"), dir_.filePath(tag)});
            out << QString::fromLatin1(readFile(dir_.filePath(tag + "-1.png")).toBase64());
            return out;
        };
        const QStringList on = outputs(QStringLiteral("on"));
        QVERIFY(!on.last().isEmpty());
        jre_->SetSpelling(false);
        QVERIFY(underlined(jre_).isEmpty());
        QCOMPARE(outputs(QStringLiteral("off")), on);
        QVERIFY(!jre_->IsModified() && !jre_->CanUndo());
    }

    // A suggestion replaces the word (a bold start, an italic rest) as one undo
    // step, each letter keeping the format of the letter it replaces; the
    // press before the menu did what it always did.
    void suggestionReplaces() {
        QTextCursor c(jre_->document());
        QTextCharFormat bold, italic;
        bold.setFontWeight(QFont::Bold);
        italic.setFontItalic(true);
        c.insertText(QStringLiteral("Слово "));
        c.insertText(QStringLiteral("пр"), bold);
        c.insertText(QStringLiteral("евет"), italic);
        c.insertText(QStringLiteral(" конец"), QTextCharFormat());
        jre_->Select(2, 0);
        QVERIFY(settled(jre_));
        QSignalSpy down(jre_, &TJRE::MouseDown);
        const QStringList menu = rightClick(jre_, QStringLiteral("превет"), QStringLiteral("привет"));
        QVERIFY2(menu.contains("привет") && menu.size() <= 7 + 6, qPrintable(menu.join(u'|')));
        QCOMPARE(menu.mid(menu.size() - 5),
                 QStringList({"-", "Пропустить все", "Добавить в словарь", "-", "Проверять орфографию[x]"}));
        QCOMPARE(down.count(), 1);
        QCOMPARE(jre_->SelectionStart(), 2); // the right press does not move the caret
        QCOMPARE(jre_->document()->toPlainText(), QStringLiteral("Слово привет конец"));
        const auto formatAt = [this](int i) {
            QTextCursor at(jre_->document());
            at.setPosition(i + 1);
            return at.charFormat();
        };
        for (int i = 6; i < 12; ++i) {
            QCOMPARE(formatAt(i).fontWeight() == QFont::Bold, i < 8);
            QCOMPARE(formatAt(i).fontItalic(), i >= 8);
        }
        QVERIFY(underlined(jre_).isEmpty());
        jre_->Undo();
        QCOMPARE(jre_->document()->toPlainText(), QStringLiteral("Слово превет конец"));
        QVERIFY(formatAt(7).fontWeight() == QFont::Bold && formatAt(8).fontItalic());
        QVERIFY(jre_->CanUndo()); // the typing before it is the step before
    }

    void ignoreAndAddAcrossRestart() {
        type(jre_, QStringLiteral("малоко Квакозябр малоко Квакозябр "));
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_).size(), 4);
        rightClick(jre_, QStringLiteral("малоко"), QStringLiteral("Пропустить все"));
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_), QStringList({"Квакозябр", "Квакозябр"}));
        QCOMPARE(redUnder(jre_, QStringLiteral("малоко")), 0);
        rightClick(jre_, QStringLiteral("Квакозябр"), QStringLiteral("Добавить в словарь"));
        QVERIFY(settled(jre_));
        QVERIFY(underlined(jre_).isEmpty());
        QCOMPARE(readFile(dir_.filePath("enchant/ru_RU.dic")), QByteArray("Квакозябр\n"));
        // A restart: the dictionaries are loaded again; the skipped word is wrong again, the added one right.
        form_.reset();
        SpellCheck::reloadDictionaries();
        open();
        type(jre_, QStringLiteral("малоко Квакозябр "));
        QVERIFY(settled(jre_));
        QCOMPARE(underlined(jre_), QStringList({"малоко"}));
    }

    // Unticked in the menu: no underlines, and off at the next start, in a
    // section of its own beside the window's.
    void tickKept() {
        type(jre_, QStringLiteral("малоко "));
        QVERIFY(settled(jre_));
        QCOMPARE(rightClick(jre_, QStringLiteral("малоко"), QStringLiteral("Проверять орфографию")).last(),
                 QStringLiteral("Проверять орфографию[x]"));
        QVERIFY(!jre_->Spelling());
        QVERIFY(underlined(jre_).isEmpty());
        QCOMPARE(redUnder(jre_, QStringLiteral("малоко")), 0);
        QVERIFY(readFile(settings()).contains("[Spelling]\r\nCheck=0") || readFile(settings()).contains("[Spelling]\nCheck=0"));
        jre_->SetModified(false);
        form_->close(); // writes the window's section
        open();
        QVERIFY(!jre_->Spelling());
        QVERIFY(readFile(settings()).contains("[FORM]"));
        QCOMPARE(rightClick(jre_, QStringLiteral("малоко"), QStringLiteral("Проверять орфографию")),
                 QStringList({"Проверять орфографию[ ]"}));
        QVERIFY(jre_->Spelling());
        QVERIFY(readFile(settings()).contains("Check=1"));
    }

    // Without a dictionary nothing is underlined and the menu says why.
    void noDictionary() {
        QTemporaryDir empty;
        qputenv("DICPATH", QFile::encodeName(empty.path()));
        SpellCheck::reloadDictionaries();
        form_.reset();
        open();
        type(jre_, QStringLiteral("малоко jumsp "));
        QVERIFY(settled(jre_));
        QVERIFY(underlined(jre_).isEmpty());
        QCOMPARE(rightClick(jre_, QStringLiteral("малоко")),
                 QStringList({"Проверять орфографию — словари не установлены[ ](off)"}));
        qunsetenv("DICPATH");
        SpellCheck::reloadDictionaries();
    }
};

QTEST_MAIN(X11SpellTest)
#include "x11_spell_test.moc"
