// The edit commands and text tools of the main window, run on a real TForm1:
// undo and redo, the clipboard commands, line sort, reversal, date and time,
// "Размножить текст" and the keyboard-layout commands.
#include "app/tform1.h"
#include "editor/docformat.h"
#include "editor/tjre.h"
#include "format/statusbar.h"
#include "platform/datetime.h"
#include "platform/error.h"
#include "platform/guard.h"
#include "platform/modal.h"
#include "tools/multiply_dialog.h"
#include "tools/text_tools.h"

#include <QClipboard>
#include <QDateTime>
#include <QMessageBox>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

// Every line of the editor's Lines list.
QStringList lineList(TJRE *e) {
    QStringList out;
    const int n = e->Lines().Count();
    for (int i = 0; i < n; ++i)
        out.append(e->Lines()[i]);
    return out;
}

bool anyBold(const QTextDocument *doc) {
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (docformat::isBold(it.fragment().charFormat()))
                return true;
    return false;
}

// One paragraph per line, word wrap off: display lines are paragraphs.
void setLines(TJRE *e, const QString &text) {
    e->SetWordWrap(false);
    e->SelectAll();
    e->ReplaceSelection(text);
}

// The answer to the multiply question: the count, then OK.
modal::Answer copies(int n, QStringList *seen = nullptr) {
    return [n, seen](QDialog &d) {
        auto *dialog = qobject_cast<TMultiplyDialog *>(&d);
        if (!dialog)
            return int(QDialog::Rejected);
        if (seen)
            *seen << d.windowTitle() << QString::number(dialog->CopiesBox()->minimum())
                  << QString::number(dialog->CopiesBox()->maximum())
                  << QString::number(dialog->CopiesBox()->value());
        dialog->CopiesBox()->setValue(n);
        return int(QDialog::Accepted);
    };
}

} // namespace

class ToolsTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TForm1> form_;
    TJRE *jre_ = nullptr;

    TForm1 &form() { return *form_; }

private slots:
    void init() {
        modal::clearAnswers();
        form_ = std::make_unique<TForm1>(dir_.filePath(QStringLiteral("Tessarin.ini")));
        jre_ = form_->JRE;
    }
    void cleanup() {
        QCOMPARE(modal::pendingAnswers(), 0);
        form_.reset();
        modal::clearAnswers();
    }

    // ---- undo, redo, clipboard, select all ------------------------------------

    void undoAndRedo() {
        jre_->ReplaceSelection(QStringLiteral("abc"));
        jre_->document()->clearUndoRedoStacks();
        // Nothing to undo or redo: nothing changes.
        form().ToolButton8Click();
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));

        jre_->Select(1, 1);
        jre_->ReplaceSelection(QStringLiteral("XY"));
        QCOMPARE(jre_->GetText(), QStringLiteral("aXYc"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
        form().ToolButton8Click(); // nothing left
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("aXYc"));
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("aXYc"));
    }

    void deleteCommand() {
        jre_->ReplaceSelection(QStringLiteral("abc"));
        jre_->Select(1, 0);
        form().ToolButton13Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
        jre_->Select(1, 1);
        form().ToolButton13Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("ac"));
    }

    void clipboardCommands() {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        jre_->ReplaceSelection(QStringLiteral("abc"));
        jre_->Select(1, 0);
        form().ToolButton12Click(); // empty clipboard
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));

        jre_->Select(1, 1);
        form().ToolButton10Click(); // copy
        QCOMPARE(clipboard->text(), QStringLiteral("b"));
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
        jre_->Select(0, 1);
        form().ToolButton11Click(); // cut
        QCOMPARE(clipboard->text(), QStringLiteral("a"));
        QCOMPARE(jre_->GetText(), QStringLiteral("bc"));
        jre_->Select(2, 0);
        form().ToolButton12Click(); // paste at the caret
        QCOMPARE(jre_->GetText(), QStringLiteral("bca"));
        jre_->Select(0, 2);
        form().ToolButton12Click(); // paste over the selection
        QCOMPARE(jre_->GetText(), QStringLiteral("aa"));
        clipboard->clear();
    }

    void selectAll() {
        jre_->ReplaceSelection(QStringLiteral("one\r\ntwo"));
        jre_->Select(2, 0);
        form().ToolButton17Click();
        QCOMPARE(jre_->SelectionStart(), 0);
        QCOMPARE(jre_->SelectionLength(), 8);
    }

    // ---- sort -----------------------------------------------------------------

    void sortLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sorted");
        QTest::newRow("case does not decide") << "b\r\nA\r\na\r\nC" << "A\r\na\r\nb\r\nC\r\n";
        QTest::newRow("empty last line") << "b\r\nc\r\na\r\n" << "a\r\nb\r\nc\r\n";
        QTest::newRow("inner empty lines first") << "b\r\n\r\na\r\n\r\nc\r\n" << "\r\n\r\na\r\nb\r\nc\r\n";
        QTest::newRow("one line") << "abc" << "abc\r\n";
        QTest::newRow("one line ending in a break") << "abc\r\n" << "abc\r\n";
        QTest::newRow("only a break") << "\r\n" << "\r\n";
        QTest::newRow("Cyrillic") << "ж\r\nя\r\nё\r\nЕ\r\nЖ" << "Е\r\nё\r\nж\r\nЖ\r\nя\r\n";
        QTest::newRow("duplicates stay") << "x\r\ny\r\nx" << "x\r\nx\r\ny\r\n";
        QTest::newRow("tabs and blanks kept") << "b\t1 \r\n a" << " a\r\nb\t1 \r\n";
    }
    void sortLines() {
        QFETCH(QString, text);
        QFETCH(QString, sorted);
        setLines(jre_, text);
        form().ToolButton25Click();
        QCOMPARE(jre_->GetText(), sorted);
        QVERIFY(jre_->IsModified());
        QVERIFY(jre_->updatesEnabled());
    }

    void sortEmptyDocument() {
        form().ToolButton25Click();
        QCOMPARE(jre_->GetText(), QString());
        QVERIFY(!jre_->IsModified());
        QCOMPARE(jre_->document()->blockCount(), 1);
    }

    void sortKeepsLongLinesWhole() {
        const QString longLine = QString(6000, u'ы') + QStringLiteral("end");
        setLines(jre_, longLine + QStringLiteral("\r\nа"));
        form().ToolButton25Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("а\r\n") + longLine + QStringLiteral("\r\n"));
    }

    void sortWrappedLines() {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
        QVERIFY(jre_->WordWrap());
        QString paragraph;
        for (int i = 0; i < 60; ++i)
            paragraph += QStringLiteral("слово%1 ").arg((i * 37) % 60);
        jre_->ReplaceSelection(paragraph + QStringLiteral("\r\nlast"));
        const QStringList before = lineList(jre_);
        QVERIFY2(before.size() > 3, "the paragraph must wrap");
        const QStringList expected = text_tools::sortedLines(before, text_tools::lineCollator());

        form().ToolButton25Click();
        // Every display line became a paragraph of its own.
        QCOMPARE(jre_->GetText(), expected.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        QCOMPARE(jre_->document()->blockCount(), before.size() + 1);
        QTRY_COMPARE(jre_->LineCount(), before.size());
    }

    // The rebuilt document looks exactly as emptying it with Clear and appending
    // each line with Lines().Add would leave it: plain paragraphs in the typing
    // format (set as the font dialog sets it with nothing selected).
    void sortRebuildsLikeClearAndAdd() {
        jre_->SetWordWrap(false);
        jre_->ReplaceSelection(QStringLiteral("zeta bold\r\nalpha\r\nmid"));
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        jre_->Select(5, 4);
        jre_->SetSelectionFormat(bold);
        QTextBlockFormat centre;
        centre.setAlignment(Qt::AlignHCenter);
        jre_->Select(0, 0);
        jre_->SetParagraphFormat(centre);
        jre_->Select(12, 0);
        jre_->SetBullet(true);
        QTextCharFormat big;
        big.setFontPointSize(20);
        jre_->Select(jre_->GetTextLen(), 0);
        jre_->SetDefaultFormat(big);
        QVERIFY(anyBold(jre_->document()));

        const QStringList lines = text_tools::sortedLines(lineList(jre_), text_tools::lineCollator());
        form().ToolButton25Click();
        QVERIFY(!anyBold(jre_->document()));

        TForm1 reference(dir_.filePath(QStringLiteral("other.ini")));
        TJRE *ref = reference.JRE;
        ref->SetWordWrap(false);
        ref->ReplaceSelection(QStringLiteral("something\r\nelse"));
        ref->SetDefaultFormat(big);
        ref->Clear();
        for (const QString &line : lines)
            ref->Lines().Add(line);

        QCOMPARE(jre_->GetText(), ref->GetText());
        QCOMPARE(jre_->document()->begin().begin().fragment().charFormat().fontPointSize(), 20.0); // typing format
        QCOMPARE(jre_->SelectionStart(), 0); // the top of the sorted list
        QCOMPARE(jre_->SelectionLength(), 0);
        QCOMPARE(jre_->IsModified(), ref->IsModified());
        const QTextDocument *a = jre_->document();
        const QTextDocument *b = ref->document();
        QCOMPARE(a->blockCount(), b->blockCount());
        for (QTextBlock x = a->begin(), y = b->begin(); x.isValid(); x = x.next(), y = y.next()) {
            QCOMPARE(x.text(), y.text());
            QCOMPARE(x.blockFormat(), y.blockFormat());
            QCOMPARE(x.charFormat(), y.charFormat());
            QVERIFY(!x.textList());
            auto i = x.begin(), j = y.begin();
            for (; !i.atEnd() && !j.atEnd(); ++i, ++j)
                QCOMPARE(i.fragment().charFormat(), j.fragment().charFormat());
            QCOMPARE(i.atEnd(), j.atEnd());
        }
        // What is typed next takes the same format.
        jre_->Select(jre_->GetTextLen(), 0);
        jre_->ReplaceSelection(QStringLiteral("t"));
        ref->ReplaceSelection(QStringLiteral("t"));
        QCOMPARE(jre_->document()->lastBlock().begin().fragment().charFormat(),
                 ref->document()->lastBlock().begin().fragment().charFormat());
    }

    void sortIsOneUndoStep() {
        jre_->SetWordWrap(false);
        jre_->ReplaceSelection(QStringLiteral("b bold\r\nc\r\na"));
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        jre_->Select(2, 4);
        jre_->SetSelectionFormat(bold);
        jre_->Select(8, 0);
        jre_->SetBullet(true);
        const QString before = jre_->GetText();

        int changes = 0;
        connect(jre_, &TJRE::Change, this, [&changes] { ++changes; });
        form().ToolButton25Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("a\r\nb bold\r\nc\r\n"));
        QCOMPARE(changes, 1); // one change notice, not one a line
        QCOMPARE(form().StatusBar1->Text(1), QStringLiteral("Изменён"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), before);
        QVERIFY(anyBold(jre_->document()));
        QVERIFY(jre_->document()->findBlockByNumber(1).textList());
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("a\r\nb bold\r\nc\r\n"));
        QVERIFY(!anyBold(jre_->document()));
    }

    // Undo and redo of the sort stay single steps however they are mixed with
    // other edits.
    void sortUndoMixedWithEdits() {
        setLines(jre_, QStringLiteral("c\r\nb\r\na"));
        form().ToolButton25Click();
        jre_->ReplaceSelection(QStringLiteral("new "));
        QCOMPARE(jre_->GetText(), QStringLiteral("new a\r\nb\r\nc\r\n"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("c\r\nb\r\na"));
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("c\r\nb\r\na"));
        // A new edit drops the redo of the sort.
        jre_->Select(0, 0);
        jre_->ReplaceSelection(QStringLiteral("x"));
        form().ToolButton9Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("xc\r\nb\r\na"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("c\r\nb\r\na"));
        // Sorting twice: two steps.
        form().ToolButton25Click();
        jre_->SelectAll();
        jre_->ReplaceSelection(QStringLiteral("z\r\ny"));
        form().ToolButton25Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("y\r\nz\r\n"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("z\r\ny"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("c\r\nb\r\na"));
    }

    // ---- reverse --------------------------------------------------------------

    void reverse() {
        jre_->ReplaceSelection(QStringLiteral("xabcx"));
        jre_->Select(1, 3);
        form().ToolButton19Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("xcbax"));
        form().ToolButton8Click(); // one undo step
        QCOMPARE(jre_->GetText(), QStringLiteral("xabcx"));

        jre_->Select(2, 0);
        form().ToolButton19Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("xabcx"));
    }

    void reverseAcrossLineBreaks() {
        jre_->ReplaceSelection(QStringLiteral("ab\r\ncd\r\n\r\nef"));
        jre_->Select(1, 10); // "b\r\ncd\r\n\r\ne"
        form().ToolButton19Click();
        // The breaks stay single breaks; the text keeps its length.
        QCOMPARE(jre_->GetText(), QStringLiteral("ae\r\n\r\ndc\r\nbf"));
        QCOMPARE(jre_->GetTextLen(), 12);
        jre_->Select(1, 10);
        form().ToolButton19Click(); // twice gives it back
        QCOMPARE(jre_->GetText(), QStringLiteral("ab\r\ncd\r\n\r\nef"));

        jre_->SelectAll();
        form().ToolButton19Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("fe\r\n\r\ndc\r\nba"));
    }

    // ---- date and time --------------------------------------------------------

    void dateAndTime() {
        jre_->ReplaceSelection(QStringLiteral("before [old] after"));
        jre_->Select(7, 5);
        const QString early = dateTimeText(QDateTime::currentDateTime());
        form().ToolButton18Click();
        const QString late = dateTimeText(QDateTime::currentDateTime());
        const QString text = jre_->GetText();
        QVERIFY2(text == "before " + early + " after" || text == "before " + late + " after", qPrintable(text));
        const int length = text.size() - 13;
        QCOMPARE(jre_->SelectionStart(), 7 + length);
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("before [old] after"));

        // At the caret: nothing is removed.
        jre_->Select(6, 0);
        form().ToolButton18Click();
        const QString now = jre_->GetText();
        QVERIFY(now.startsWith(QStringLiteral("before")));
        QVERIFY(now.endsWith(QStringLiteral(" [old] after")));
        const QString inserted = now.mid(6, now.size() - 18);
        QVERIFY2(inserted == dateTimeText(QDateTime::currentDateTime())
                     || inserted == dateTimeText(QDateTime::currentDateTime().addSecs(-1)),
                 qPrintable(inserted));

        // Right after typing, the date is a step of its own.
        jre_->SelectAll();
        jre_->ReplaceSelection(QStringLiteral("typed"));
        form().ToolButton18Click();
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("typed"));
    }

    // ---- multiply -------------------------------------------------------------

    void multiplySelection() {
        jre_->ReplaceSelection(QStringLiteral("<ab\r\nc>"));
        jre_->Select(1, 5); // "ab\r\nc"
        QStringList seen;
        modal::answerNext(copies(3, &seen));
        form().ToolButton16Click();
        QCOMPARE(seen, (QStringList{"Размножить текст", "1", "1000", "2"}));
        QCOMPARE(jre_->GetText(), QStringLiteral("<ab\r\ncab\r\ncab\r\nc>"));
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("<ab\r\nc>"));
    }

    // Large results are laid out step by step; undo and redo stay exact.
    void multiplyLargeSelection() {
        setLines(jre_, QStringLiteral("Строка номер один\r\n").repeated(20000) + QStringLiteral("end"));
        const QString before = jre_->GetText();
        jre_->Select(0, 19 * 20000);
        modal::answerNext(copies(3));
        form().ToolButton16Click();
        QCOMPARE(jre_->GetTextLen(), before.size() + 2 * 19 * 20000);
        QVERIFY(jre_->GetText().endsWith(QStringLiteral("один\r\nend")));
        QCOMPARE(jre_->LineCount(), 60001);
        QVERIFY(jre_->updatesEnabled());
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), before);
        form().ToolButton9Click();
        QCOMPARE(jre_->GetTextLen(), before.size() + 2 * 19 * 20000);
        form().ToolButton8Click();
        QCOMPARE(jre_->GetText(), before);
    }

    // A result past 64 MB is refused with the standard error box before it is
    // built; the document stays as it was.
    void multiplyRefusesHugeResults_data() {
        QTest::addColumn<int>("lines"); // of 1024 characters
        QTest::addColumn<int>("count");
        QTest::newRow("1 MB, 1000 copies") << 1024 << 1000;
        QTest::newRow("just past 64 MB") << 1024 << 65;
        QTest::newRow("past the text limit") << 2500 << 1000;
    }
    void multiplyRefusesHugeResults() {
        QFETCH(int, lines);
        QFETCH(int, count);
        const QString line = QString(1022, u'x') + QStringLiteral("\r\n");
        jre_->BulkEdit([&] { jre_->ReplaceSelection(line.repeated(lines)); });
        jre_->SelectAll();
        const int length = jre_->GetTextLen();
        QStringList box;
        modal::answerNext(copies(count));
        modal::answerNext([&box](QDialog &d) {
            box << d.windowTitle() << dynamic_cast<QMessageBox &>(d).text();
            return int(QMessageBox::Ok);
        });
        guarded([this] { form().ToolButton16Click(); });
        QCOMPARE(box, (QStringList{"Tessarin", "Текст не размножен: результат был бы больше 64 МБ. "
                                               "Выделите меньше текста или уменьшите число копий."}));
        QCOMPARE(jre_->GetTextLen(), length);
    }

    void multiplyWithoutSelectionAsksNothing() {
        jre_->ReplaceSelection(QStringLiteral("abc"));
        jre_->Select(1, 0);
        form().ToolButton16Click();
        QVERIFY(modal::shownTitles().isEmpty());
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
    }

    void multiplyCancelled() {
        jre_->ReplaceSelection(QStringLiteral("abc"));
        jre_->Select(1, 1);
        modal::answerNext([](QDialog &d) {
            static_cast<TMultiplyDialog &>(d).CopiesBox()->setValue(5);
            return int(QDialog::Rejected);
        });
        form().ToolButton16Click();
        QCOMPARE(modal::shownTitles(), QStringList{"Размножить текст"});
        QCOMPARE(jre_->GetText(), QStringLiteral("abc"));
        QCOMPARE(jre_->SelectionStart(), 1);
        QCOMPARE(jre_->SelectionLength(), 1);
    }

    // The real dialog: a typed count and Enter accept, Escape changes nothing.
    void multiplyDialogKeys() {
        jre_->ReplaceSelection(QStringLiteral("ab"));
        jre_->SelectAll();
        modal::answerNext([](QDialog &d) {
            QTimer::singleShot(0, &d, [&d] {
                auto *box = static_cast<TMultiplyDialog &>(d).CopiesBox();
                box->setFocus();
                box->selectAll();
                QTest::keyClicks(box, QStringLiteral("4"));
                QTest::keyClick(box, Qt::Key_Return);
            });
            return d.exec();
        });
        form().ToolButton16Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("abababab"));

        jre_->SelectAll();
        modal::answerNext([](QDialog &d) {
            QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Escape); });
            return d.exec();
        });
        form().ToolButton16Click();
        QCOMPARE(jre_->GetText(), QStringLiteral("abababab"));
    }

    // ---- keyboard layouts -----------------------------------------------------

    void layoutCommands() {
        for (quintptr handle : {quintptr(0), quintptr(57)}) { // none, and one no group answers to
            form().EnglishLayout = handle;
            form().RussianLayout = handle;
            form().ToolButton26Click();
            QCOMPARE(form().StatusBar1->Text(4), QStringLiteral("АНГЛ."));
            form().ToolButton27Click();
            QCOMPARE(form().StatusBar1->Text(4), QStringLiteral("РУС."));
        }
    }
};

QTEST_MAIN(ToolsTest)
#include "tools_test.moc"
