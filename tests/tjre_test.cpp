// The editor control's vocabulary: positions counted with CR LF, display
// lines, justification, files, modes and the Windows-1251 alphabet.
#include "editor/docformat.h"
#include "editor/pieces.h"
#include "editor/rtf/writer.h"
#include "editor/tjre.h"
#include "platform/error.h"
#include "platform/shell.h"
#include "tests/support/testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

class TJRETest : public QObject {
    Q_OBJECT

    std::unique_ptr<TJRE> editor(int width = 400) {
        auto e = std::make_unique<TJRE>();
        e->resize(width, 300);
        e->show();
        return e;
    }

private slots:
    void selectionAgreesWithGetText() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("first line\r\nsecond\r\n\r\nfourth"));
        const QString text = e->GetText();
        QCOMPARE(text, QStringLiteral("first line\r\nsecond\r\n\r\nfourth"));
        QCOMPARE(e->GetTextLen(), text.size());
        // Every start and length that does not split a CR LF pair selects exactly that slice.
        for (int start = 0; start <= text.size(); ++start) {
            for (int len = 0; start + len <= text.size(); ++len) {
                const bool splitsStart = start > 0 && text[start - 1] == u'\r';
                const bool splitsEnd = start + len > 0 && text[start + len - 1] == u'\r';
                if (splitsStart || splitsEnd)
                    continue;
                e->Select(start, len);
                QCOMPARE(e->SelectionStart(), start);
                QCOMPARE(e->SelectionLength(), len);
                QCOMPARE(e->SelectedText(), text.mid(start, len));
            }
        }
        // A position between CR and LF moves past the pair.
        e->Select(11, 0);
        QCOMPARE(e->SelectionStart(), 12);
        // Out of range is clamped.
        e->Select(-5, 1000);
        QCOMPARE(e->SelectionStart(), 0);
        QCOMPARE(e->SelectionLength(), text.size());
    }

    void replaceSelectionKeepsAnyCharacterAndPlacesCaret() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("abc"));
        e->Select(1, 1);
        e->ReplaceSelection(QString::fromUtf8("Ж日\xF0\x9F\x98\x80"));
        QCOMPARE(e->GetText(), QString::fromUtf8("aЖ日😀c"));
        QCOMPARE(e->SelectionStart(), 5); // the emoji is two positions
        QCOMPARE(e->SelectionLength(), 0);
    }

    // Ctrl+click on a link opens its target; a plain click only moves the caret.
    void ctrlClickOpensLink() {
        auto e = editor();
        e->LoadBytes("{\\rtf1 go {\\field{\\*\\fldinst HYPERLINK \"https://example.org/\"}{\\fldrslt here}} now\\par}", false);
        QTextCursor c(e->document());
        c.setPosition(5);
        const QPoint at = e->cursorRect(c).center();
        shell::startCapture();
        QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseClick(e->viewport(), Qt::LeftButton, Qt::ControlModifier, at);
        QCOMPARE(shell::capturedTargets(), QStringList{QStringLiteral("https://example.org/")});
    }

    void typedAndPastedTextKeepsAnyCharacter() {
        auto e = editor();
        e->setFocus();
        QKeyEvent typed(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8("Я€日"));
        QApplication::sendEvent(e.get(), &typed);
        QCOMPARE(e->GetText(), QString::fromUtf8("Я€日"));
        auto *mime = new QMimeData;
        mime->setText(QString::fromUtf8("\r\nα—ω"));
        QApplication::clipboard()->setMimeData(mime);
        e->Paste();
        QCOMPARE(e->GetText(), QString::fromUtf8("Я€日\r\nα—ω"));
    }

    void copyAndPasteKeepFormatting() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("plain bold"));
        e->Select(6, 4);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        e->SetSelectionFormat(bold);
        e->Copy();
        e->Select(0, 0);
        e->Paste();
        QCOMPARE(e->GetText(), QStringLiteral("boldplain bold"));
        e->Select(1, 1);
        QVERIFY(docformat::isBold(e->SelectionFormat()));
        e->Select(5, 1);
        QVERIFY(!docformat::isBold(e->SelectionFormat()));
    }

    // An image from another program pastes as a picture: one position, an
    // image again when copied, nothing in the plain text offered, and undone
    // like text.
    void imagesPasteAsPictures() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("ab"));
        e->Select(1, 0);
        QImage blue(30, 10, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        auto *mime = new QMimeData;
        mime->setImageData(blue);
        QApplication::clipboard()->setMimeData(mime);
        e->Paste();
        QCOMPARE(e->GetText(), QStringLiteral("a\uFFFCb"));
        e->Select(0, 3);
        e->Copy();
        const QMimeData *copied = QApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), QStringLiteral("ab"));
        QCOMPARE(qvariant_cast<QImage>(copied->imageData()).pixel(3, 3), QColor(Qt::blue).rgb());
        QVERIFY(copied->data(QStringLiteral("text/rtf")).contains("\\pngblip"));
        e->Select(3, 0);
        e->Paste(); // our own RTF: the picture comes along
        QCOMPARE(e->GetText(), QStringLiteral("a\uFFFCba\uFFFCb"));
        e->Undo();
        e->Undo();
        QCOMPARE(e->GetText(), QStringLiteral("ab"));
    }

    // In a table row Tab and Shift+Tab move between cells, Up and Down to the
    // same cell of the row above and below, and Backspace and
    // Delete never join two cells, two rows, or a row and a paragraph
    // beside the table; inside a cell they edit as anywhere.
    void keysInTableRows() {
        // Positions: "before" 0-5, row "A1\tB1" 7-11, row "A2\tB2" 13-17, "after" 19-23.
        const QByteArray rtf = "{\\rtf1 before\\par\\trowd\\cellx1000\\cellx2000\\pard\\intbl A1\\cell B1\\cell\\row"
                               "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A2\\cell B2\\cell\\row\\pard after\\par}";
        const QString text = QStringLiteral("before\r\nA1\tB1\r\nA2\tB2\r\nafter");
        struct Case {
            int key;
            int from, to;    // the caret before and after the key
            QString changed; // the text after it, when it changes
        };
        const Case cases[] = {
            {Qt::Key_Tab, 8, 10, {}},        // A1 -> B1
            {Qt::Key_Tab, 11, 13, {}},       // B1 -> the next row
            {Qt::Key_Tab, 17, 17, {}},       // the last cell: stays, types nothing
            {Qt::Key_Backtab, 17, 13, {}},   // B2 -> A2
            {Qt::Key_Up, 17, 10, {}},        // B2 -> B1, the cell's start
            {Qt::Key_Down, 8, 13, {}},       // A1 -> A2
            {Qt::Key_Down, 7, 13, {}},       // from the row's very start too
            {Qt::Key_Backspace, 10, 9, {}},  // the cell's edge is stepped over
            {Qt::Key_Backspace, 13, 13, {}}, // not into the row before
            {Qt::Key_Backspace, 7, 7, {}},   // nor into the paragraph before
            {Qt::Key_Backspace, 19, 19, {}}, // nor the paragraph after into the row
            {Qt::Key_Delete, 9, 10, {}},
            {Qt::Key_Delete, 12, 12, {}},
            {Qt::Key_Delete, 6, 6, {}},
            {Qt::Key_Backspace, 9, 8, QStringLiteral("before\r\nA\tB1\r\nA2\tB2\r\nafter")},
            {Qt::Key_Tab, 2, 3, QStringLiteral("be\tfore\r\nA1\tB1\r\nA2\tB2\r\nafter")},
        };
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("t.rtf"));
        testsupport::writeFile(path, rtf);
        auto e = editor();
        for (const Case &k : cases) {
            e->LoadFile(path);
            QCOMPARE(e->GetText(), text);
            QTextCursor c = e->textCursor();
            c.setPosition(k.from);
            e->setTextCursor(c);
            QTest::keyClick(e.get(), Qt::Key(k.key), k.key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            const QString label = QStringLiteral("key %1 at %2").arg(k.key, 0, 16).arg(k.from);
            QVERIFY2(e->GetText() == (k.changed.isEmpty() ? text : k.changed), qPrintable(label + ": " + e->GetText()));
            QVERIFY2(e->textCursor().position() == k.to, qPrintable(label + QStringLiteral(": caret %1").arg(e->textCursor().position())));
        }
    }

    // A long paragraph held in pieces reads, selects, edits, formats, copies,
    // saves and undoes as the same paragraph held whole: random steps on both
    // agree, down to the RTF they save.
    void longParagraphsInPieces_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {7u, 8u, 12u, 17u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void longParagraphsInPieces() {
        QFETCH(quint32, seed);
        const QByteArray rtf =
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\pard short\\par"
            "\\pard\\fi-200\\li400 The quick brown fox jumps over {\\b the lazy dog} and runs far from here "
            "\\u-10179?\\u-8704? yes\\par\\pard Nobreakatallinthiswordwhichgoesonandonforeverandeverandever\\par"
            "{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\pard\\fi-360\\li720 a bulleted item long enough "
            "to be split if lists were\\par\\trowd\\cellx3000\\cellx6000\\pard\\intbl a table cell long enough to "
            "split\\cell second cell\\cell\\row\\pard last paragraph of all, long and plain as it can be\\par}";
        auto whole = editor(), cut = editor();
        whole->LoadBytes(rtf, false);
        cut->LoadBytes(rtf, false);
        QVERIFY(pieces::split(*cut->document(), 16, 20) > 10);
        QCOMPARE(whole->document()->blockCount(), 6);
        const QString original = whole->GetText();
        QCOMPARE(cut->GetText(), original);
        QCOMPARE(rtf::write(*cut->document()), rtf::write(*whole->document()));

        // Each key on either side of every join.
        const int keys[] = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_A};
        for (QTextBlock b = cut->document()->begin(); b.isValid(); b = b.next()) {
            if (!pieces::joined(b))
                continue;
            for (const int qt : {b.position() - 1, b.position()})
                for (const int key : keys) {
                    auto one = editor(), all = editor();
                    one->LoadBytes(rtf, false);
                    all->LoadBytes(rtf, false);
                    pieces::split(*one->document(), 16, 20);
                    QTextCursor c = one->textCursor();
                    c.setPosition(qt);
                    one->setTextCursor(c);
                    all->Select(one->SelectionStart(), 0);
                    QTest::keyClick(one.get(), Qt::Key(key));
                    QTest::keyClick(all.get(), Qt::Key(key));
                    QVERIFY2(one->GetText() == all->GetText(), qPrintable(QStringLiteral("key %1 at %2").arg(key).arg(qt)));
                }
            // Copied over the join, it pastes, here and elsewhere, as one paragraph.
            const int from = cut->fromQt(b.position() - 3), to = cut->fromQt(b.position() + 2);
            cut->Select(from, to - from);
            whole->Select(from, to - from);
            cut->Copy();
            QCOMPARE(QApplication::clipboard()->text(), whole->SelectedText());
            auto pasted = editor();
            pasted->Paste();
            QCOMPARE(pasted->GetText(), whole->SelectedText());
        }

        QRandomGenerator rng(seed);
        const QString inserts[] = {QStringLiteral("x"), QString(), QStringLiteral("ab cd"), QStringLiteral("\r\n"),
                                   QStringLiteral("q\r\nr")};
        QString lastOp;
        for (int step = 0; step < 400; ++step) {
            const int length = whole->GetTextLen();
            QCOMPARE(cut->GetTextLen(), length);
            // The caret anywhere in the pieces (also at a piece's end, before its join).
            const int qt = int(rng.bounded(cut->document()->characterCount()));
            QTextCursor c = cut->textCursor();
            c.setPosition(qt);
            cut->setTextCursor(c);
            const int at = cut->SelectionStart();
            whole->Select(at, 0);
            const QString where = QStringLiteral("step %1 at %2").arg(step).arg(at);
            if (rng.bounded(2)) {
                const int span = int(rng.bounded(length - at + 1));
                cut->Select(at, span);
                whole->Select(at, span);
                QVERIFY2(cut->SelectionLength() == whole->SelectionLength(), qPrintable(where));
                QVERIFY2(cut->SelectedText() == whole->SelectedText(), qPrintable(where));
                const QString text = inserts[rng.bounded(5)];
                lastOp = QStringLiteral("replace %1+%2 with '%3'").arg(at).arg(span).arg(text);
                cut->ReplaceSelection(text);
                whole->ReplaceSelection(text);
            } else if (rng.bounded(4)) {
                const int key = keys[rng.bounded(4)];
                lastOp = QStringLiteral("key %1 at qt %2").arg(key, 0, 16).arg(qt);
                QTest::keyClick(cut.get(), Qt::Key(key));
                QTest::keyClick(whole.get(), Qt::Key(key));
            } else { // a paragraph command: the whole paragraph, all its pieces
                QTextBlockFormat centred;
                centred.setAlignment(rng.bounded(2) ? Qt::AlignHCenter : Qt::AlignLeft);
                const bool bullet = rng.bounded(2);
                lastOp = QStringLiteral("command bullet %1 at qt %2").arg(bullet).arg(qt);
                for (TJRE *e : {cut.get(), whole.get()})
                    bullet ? e->SetBullet(!e->Bullet()) : e->SetParagraphFormat(centred);
            }
            QVERIFY2(cut->GetText() == whole->GetText(),
                     qPrintable(where + QStringLiteral(": ") + cut->GetText() + QStringLiteral(" | ") + whole->GetText()));
            QVERIFY2(cut->SelectionStart() == whole->SelectionStart(), qPrintable(where));
            QVERIFY2(rtf::write(*cut->document()) == rtf::write(*whole->document()), qPrintable(where + u' ' + lastOp));
        }
        QCOMPARE(plaintext::write(*cut->document()), plaintext::write(*whole->document()));
        QCOMPARE(rtf::write(*cut->document()), rtf::write(*whole->document()));
        // Copied over joins, the text pastes as one paragraph.
        cut->SelectAll();
        cut->Copy();
        auto pasted = editor();
        pasted->Paste();
        QCOMPARE(pasted->GetText(), whole->GetText());
        while (cut->CanUndo())
            cut->Undo();
        QCOMPARE(cut->GetText(), original);
    }

    // Reading a file or pasting splits a paragraph of a megabyte into pieces;
    // the file saves back as it was.
    void longParagraphIsReadInPieces() {
        QByteArray word(1 << 20, 'w');
        word[13 * pieces::kPiece - 100] = ' ';
        auto e = editor();
        e->LoadBytes(word, true);
        QVERIFY(e->document()->blockCount() >= (1 << 20) / pieces::kPiece);
        QCOMPARE(e->GetTextLen(), word.size());
        QCOMPARE(plaintext::write(*e->document()), word);
        QVERIFY(e->document()->findBlockByNumber(12).text().endsWith(u' ')); // a piece ends after the space
        // Pasted as plain text, it is split too, in the paste's one undo step.
        auto pasted = editor();
        QApplication::clipboard()->setText(QString::fromLatin1(word));
        pasted->Paste();
        QVERIFY(pasted->document()->blockCount() >= (1 << 20) / pieces::kPiece);
        QCOMPARE(pasted->GetText(), QString::fromLatin1(word));
        pasted->Undo();
        QCOMPARE(pasted->GetTextLen(), 0);
    }

    void wrappedLinesAreCounted() {
        auto e = editor(200);
        QString para;
        for (int i = 0; i < 30; ++i)
            para += QStringLiteral("word%1 ").arg(i);
        e->ReplaceSelection(QStringLiteral("short\r\n") + para + QStringLiteral("\r\nlast"));
        const int wrapped = e->LineCount();
        QVERIFY2(wrapped > 4, qPrintable(QString::number(wrapped)));
        QCOMPARE(e->LineFromChar(0), 0);
        QCOMPARE(e->LineFromChar(7), 1);                 // start of the long paragraph
        QCOMPARE(e->LineFromChar(e->GetTextLen()), wrapped - 1);
        // Line starts and line lookups agree, and lines read back their text.
        QString joined;
        for (int i = 0; i < wrapped; ++i) {
            const int start = e->LineIndex(i);
            QVERIFY(start >= 0);
            QCOMPARE(e->LineFromChar(start), i);
            joined += e->Lines()[i];
        }
        QCOMPARE(joined, QString(QStringLiteral("short") + para + QStringLiteral("last")));
        QCOMPARE(e->LineIndex(wrapped + 5), -1);

        // Without wrap, each paragraph is one line.
        e->SetWordWrap(false);
        QCOMPARE(e->LineCount(), 3);
        QCOMPARE(e->LineFromChar(e->GetTextLen()), 2);
        // Editing keeps the counts right: insert a break inside the long paragraph.
        e->SetWordWrap(true);
        e->Select(7, 0);
        e->ReplaceSelection(QStringLiteral("\r\n"));
        QCOMPARE(e->LineCount(), wrapped + 1);
        QCOMPARE(e->LineFromChar(9), 2);
        // A narrower window wraps more.
        e->resize(120, 300);
        QVERIFY(e->LineCount() > wrapped + 1);
    }

    void lineCountIgnoresEmptyLastLine() {
        auto e = editor();
        QCOMPARE(e->LineCount(), 0);
        e->ReplaceSelection(QStringLiteral("a\r\nb"));
        QCOMPARE(e->LineCount(), 2);
        e->ReplaceSelection(QStringLiteral("\r\n"));
        QCOMPARE(e->LineCount(), 2);
        e->Lines().Add(QStringLiteral("c"));
        QCOMPARE(e->GetText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        QCOMPARE(e->Lines()[2], QStringLiteral("c"));
    }

    void longLinesReadThroughTheBuffer() {
        auto e = editor();
        e->SetWordWrap(false);
        e->ReplaceSelection(QString(5000, u'x'));
        QCOMPARE(e->Lines()[0].size(), 4096);
    }

    void applyJustifyWithoutSelection() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("one\r\ntwo\r\nthree"));
        e->SetWordWrap(false);
        e->ApplyJustify();
        for (QTextBlock b = e->document()->begin(); b.isValid(); b = b.next())
            QCOMPARE(b.blockFormat().alignment(), Qt::AlignJustify);
        QCOMPARE(e->SelectionStart(), 0);
        QCOMPARE(e->SelectionLength(), 0);
        QVERIFY(e->WordWrap());
    }

    void applyJustifyWithSelection() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("one\r\ntwo\r\nthree"));
        e->Select(6, 3); // inside "two" .. into "three"
        e->ApplyJustify();
        const QTextDocument *doc = e->document();
        QVERIFY(doc->findBlockByNumber(0).blockFormat().alignment() != Qt::AlignJustify);
        QCOMPARE(doc->findBlockByNumber(1).blockFormat().alignment(), Qt::AlignJustify);
        QCOMPARE(doc->findBlockByNumber(2).blockFormat().alignment(), Qt::AlignJustify);
        QCOMPARE(e->SelectionStart(), 0);
        QCOMPARE(e->SelectionLength(), 0);
        // Without a selection the rest is justified; once all is, nothing changes,
        // so nothing is laid out or undone anew.
        e->ApplyJustify();
        QCOMPARE(doc->findBlockByNumber(0).blockFormat().alignment(), Qt::AlignJustify);
        QSignalSpy changes(e->document(), &QTextDocument::contentsChange);
        e->ApplyJustify();
        QCOMPARE(changes.count(), 0);
    }

    void formatsOfSelectionAndTyping() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("abc"));
        QTextCharFormat italic;
        italic.setFontItalic(true);
        e->Select(3, 0);
        e->SetSelectionFormat(italic); // nothing selected: the next typed text
        QTest::keyClicks(e.get(), QStringLiteral("d"));
        e->Select(3, 1);
        QVERIFY(e->SelectionFormat().fontItalic());
        e->Select(0, 1);
        QVERIFY(!e->SelectionFormat().fontItalic());

        QTextBlockFormat centre;
        centre.setAlignment(Qt::AlignHCenter);
        e->SetParagraphFormat(centre);
        QCOMPARE(e->ParagraphFormat().alignment(), Qt::AlignHCenter);
    }

    void fontAndColour() {
        auto e = editor();
        e->SetFont(QStringLiteral("MS Sans Serif"), 12);
        QCOMPARE(e->FontName(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(e->FontSize(), 12);
        QCOMPARE(e->DefaultFormat().fontPointSize(), 12.0);
        e->SetColor(Qt::yellow);
        QCOMPARE(e->Color(), QColor(Qt::yellow));
    }

    void plainTextFilesKeepEveryByte() {
        QTemporaryDir dir;
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        all += "\r\nsecond line";
        const QString in = dir.filePath(QStringLiteral("in.txt"));
        const QString out = dir.filePath(QStringLiteral("out.txt"));
        testsupport::writeFile(in, all);
        auto e = editor();
        e->SetPlainText(true);
        e->LoadFile(in);
        QVERIFY(!e->IsModified());
        e->SaveFile(out);
        QCOMPARE(testsupport::readFile(out), all);
    }

    void loadModes() {
        QTemporaryDir dir;
        const QString rtf = dir.filePath(QStringLiteral("a.rtf"));
        testsupport::writeFile(rtf, "{\\rtf1\\ansi{\\b bold} text\\par}");
        auto e = editor();
        e->LoadFile(rtf); // RTF mode reads the markup
        QCOMPARE(e->GetText().trimmed(), QStringLiteral("bold text"));
        e->SetPlainText(true);
        e->LoadFile(rtf); // plain-text mode shows it
        QCOMPARE(e->GetText(), QStringLiteral("{\\rtf1\\ansi{\\b bold} text\\par}"));
        // A plain file in RTF mode reads as text.
        const QString txt = dir.filePath(QStringLiteral("a.txt"));
        testsupport::writeFile(txt, "just text\r\nmore");
        e->SetPlainText(false);
        e->LoadFile(txt);
        QCOMPARE(e->GetText(), QStringLiteral("just text\r\nmore"));
    }

    void failedLoadKeepsTheDocument() {
        QTemporaryDir dir;
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("keep me"));
        const QString missing = dir.filePath(QStringLiteral("missing.rtf"));
        try {
            e->LoadFile(missing);
            QFAIL("no error");
        } catch (const tessarin::Error &err) {
            QVERIFY2(err.message().startsWith(QStringLiteral("Cannot open file \"") + QDir::toNativeSeparators(missing) + QStringLiteral("\". ")),
                     qPrintable(err.message()));
        }
        QVERIFY_THROWS_EXCEPTION(tessarin::Error, e->LoadFile(dir.path()));
        QCOMPARE(e->GetText(), QStringLiteral("keep me"));
        QVERIFY(e->IsModified());
    }

    void savePlainDropsFormattingButScreenKeepsIt() {
        QTemporaryDir dir;
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("red"));
        e->SelectAll();
        QTextCharFormat red;
        red.setForeground(QColor(Qt::red));
        e->SetSelectionFormat(red);
        e->SetPlainText(true);
        const QString out = dir.filePath(QStringLiteral("x.rtf"));
        e->SaveFile(out);
        QCOMPARE(testsupport::readFile(out), QByteArray("red"));
        e->Select(1, 0);
        QCOMPARE(e->SelectionFormat().foreground().color(), QColor(Qt::red));
        e->SetPlainText(false);
        e->SaveFile(out);
        QVERIFY(testsupport::readFile(out).startsWith("{\\rtf1"));
    }

    void hideSelectionHidesInactiveHighlight() {
        auto e = editor();
        QCOMPARE(e->palette().color(QPalette::Inactive, QPalette::Highlight).alpha(), 0);
        e->SetHideSelection(false);
        QVERIFY(e->palette().color(QPalette::Inactive, QPalette::Highlight).alpha() > 0);
    }

    void clearAndUndo() {
        auto e = editor();
        e->ReplaceSelection(QStringLiteral("abc"));
        QVERIFY(e->IsModified());
        QVERIFY(e->CanUndo());
        e->Undo();
        QCOMPARE(e->GetText(), QString());
        QVERIFY(e->CanRedo());
        e->Redo();
        QCOMPARE(e->GetText(), QStringLiteral("abc"));
        e->Clear();
        QCOMPARE(e->GetTextLen(), 0);
        QVERIFY(!e->IsModified());
    }
};

QTEST_MAIN(TJRETest)
#include "tjre_test.moc"
