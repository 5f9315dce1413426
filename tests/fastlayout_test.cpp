// The editor's document layout stops early after an edit that moves nothing
// below it; every answer it gives must still be plain Qt's. Each case edits a
// TJRE and a document laid out by QTextDocumentLayout the same way and
// compares every block's lines, the document size, hit tests and pixels.
#include "editor/fastlayout.h"
#include "editor/tjre.h"
#include "tests/support/testsupport.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QtTest>
#include <functional>

namespace {

const QStringList kWords = {QStringLiteral("a"),        QStringLiteral("word"),    QStringLiteral("paragraph"),
                            QStringLiteral("text"),     QStringLiteral("layout"),  QStringLiteral("Qt"),
                            QStringLiteral("keyboard"), QStringLiteral("editing"), QStringLiteral("quite-a-long-token"),
                            QStringLiteral("x"),        QStringLiteral("WWWW"),    QStringLiteral("iii")};

// The editor and a reference document that plain Qt lays out, kept equal.
struct Pair {
    TJRE editor;
    QTextDocument ref;
    QRandomGenerator rng;

    explicit Pair(quint32 seed) : rng(seed) {
        // A scroll bar that comes and goes would change the width between edits.
        editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor.resize(520, 400);
        editor.show();
        ref.documentLayout()->setPaintDevice(editor.document()->documentLayout()->paintDevice());
        sync();
    }

    QTextDocument *doc() { return editor.document(); }
    FastLayout *fast() { return qobject_cast<FastLayout *>(doc()->documentLayout()); }

    // The settings the editor gives its document, copied to the reference.
    void sync() {
        QTextDocument *d = doc();
        if (ref.defaultFont() != d->defaultFont())
            ref.setDefaultFont(d->defaultFont());
        if (ref.defaultTextOption().wrapMode() != d->defaultTextOption().wrapMode()
            || ref.defaultTextOption().alignment() != d->defaultTextOption().alignment())
            ref.setDefaultTextOption(d->defaultTextOption());
        if (ref.documentMargin() != d->documentMargin())
            ref.setDocumentMargin(d->documentMargin());
        if (ref.pageSize() != d->pageSize())
            ref.setPageSize(d->pageSize());
    }

    // Runs the same cursor edit on both documents.
    void edit(const std::function<void(QTextCursor &)> &op) {
        QTextCursor a(doc());
        QTextCursor b(&ref);
        op(a);
        op(b);
    }

    int length() { return doc()->characterCount() - 1; }
    int pos() { return rng.bounded(length() + 1); }
    QString words(int n) {
        QStringList out;
        for (int i = 0; i < n; ++i)
            out << kWords[rng.bounded(int(kWords.size()))];
        return out.join(u' ');
    }

    QTextCharFormat randomCharFormat() {
        QTextCharFormat f;
        switch (rng.bounded(4)) {
        case 0: f.setFontPointSize(6 + rng.bounded(20)); break;
        case 1: f.setFontWeight(rng.bounded(2) ? QFont::Bold : QFont::Normal); break;
        case 2: f.setFontItalic(rng.bounded(2)); break;
        default: f.setFontFamilies({rng.bounded(2) ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans Mono")});
        }
        return f;
    }

    QTextBlockFormat randomBlockFormat() {
        QTextBlockFormat f;
        switch (rng.bounded(4)) {
        case 0: {
            static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignJustify};
            f.setAlignment(aligns[rng.bounded(4)]);
            break;
        }
        case 1: f.setTopMargin(rng.bounded(12)); f.setBottomMargin(rng.bounded(12)); break;
        case 2: f.setLeftMargin(rng.bounded(80)); f.setTextIndent(rng.bounded(40)); break;
        default: f.setLineHeight(100 + rng.bounded(60), QTextBlockFormat::ProportionalHeight);
        }
        return f;
    }

    // Paragraphs of every kind: empty, one word, wrapping, formatted.
    void fill(int paragraphs) {
        QString text;
        for (int i = 0; i < paragraphs; ++i) {
            if (i)
                text += QChar::ParagraphSeparator;
            const int kind = rng.bounded(10);
            text += kind == 0 ? QString() : words(kind < 6 ? 1 + rng.bounded(8) : 10 + rng.bounded(60));
        }
        edit([&](QTextCursor &c) { c.insertText(text); });
        for (int i = 0; i < paragraphs / 6; ++i) {
            const int a = pos(), b = qMin(a + rng.bounded(40), length());
            const QTextCharFormat f = randomCharFormat();
            edit([&](QTextCursor &c) {
                c.setPosition(a);
                c.setPosition(b, QTextCursor::KeepAnchor);
                c.mergeCharFormat(f);
            });
        }
        for (int i = 0; i < paragraphs / 8; ++i) {
            const int a = pos();
            const QTextBlockFormat f = randomBlockFormat();
            edit([&](QTextCursor &c) {
                c.setPosition(a);
                c.mergeBlockFormat(f);
            });
        }
    }

    // One random edit; returns its name for failure messages. Both layouts
    // are finished first: an edit made while Qt's step-by-step layout is
    // still running moves paragraphs it has not laid out yet (a fault of Qt's
    // own, which FastLayout leaves as it is), so no second layout could agree.
    QString randomEdit() {
        doc()->documentLayout()->documentSize();
        ref.documentLayout()->documentSize();
        const int kind = rng.bounded(100);
        const int a = pos();
        if (kind < 45) { // typing, the common case
            const QString ch = QString(QChar(u'a' + rng.bounded(26)));
            edit([&](QTextCursor &c) { c.setPosition(a); c.insertText(ch); });
            return QStringLiteral("type at %1").arg(a);
        }
        if (kind < 55) {
            if (a == 0)
                return QStringLiteral("nothing");
            edit([&](QTextCursor &c) { c.setPosition(a); c.deletePreviousChar(); });
            return QStringLiteral("backspace at %1").arg(a);
        }
        if (kind < 62) {
            edit([&](QTextCursor &c) { c.setPosition(a); c.insertBlock(); });
            return QStringLiteral("break at %1").arg(a);
        }
        if (kind < 67) {
            const int b = qMin(a + rng.bounded(300), length());
            edit([&](QTextCursor &c) {
                c.setPosition(a);
                c.setPosition(b, QTextCursor::KeepAnchor);
                c.removeSelectedText();
            });
            return QStringLiteral("delete %1 at %2").arg(b - a).arg(a);
        }
        if (kind < 74) {
            const QString w = QLatin1Char(' ') + words(1 + rng.bounded(15));
            edit([&](QTextCursor &c) { c.setPosition(a); c.insertText(w); });
            return QStringLiteral("words at %1").arg(a);
        }
        if (kind < 80) {
            const int b = qMin(a + 1 + rng.bounded(30), length());
            const QTextCharFormat f = randomCharFormat();
            edit([&](QTextCursor &c) {
                c.setPosition(a);
                c.setPosition(b, QTextCursor::KeepAnchor);
                c.mergeCharFormat(f);
            });
            return QStringLiteral("char format at %1").arg(a);
        }
        if (kind < 85) {
            const QTextBlockFormat f = randomBlockFormat();
            edit([&](QTextCursor &c) { c.setPosition(a); c.mergeBlockFormat(f); });
            return QStringLiteral("block format at %1").arg(a);
        }
        if (kind < 89) {
            doc()->undo();
            ref.undo();
            return QStringLiteral("undo");
        }
        if (kind < 93) {
            editor.SetWordWrap(!editor.WordWrap());
            sync();
            return QStringLiteral("word wrap %1").arg(editor.WordWrap());
        }
        if (kind < 97) {
            editor.resize(300 + rng.bounded(500), 400);
            sync();
            return QStringLiteral("width %1").arg(editor.width());
        }
        // Typing through the keyboard, where the caret is.
        QTextCursor c = editor.textCursor();
        c.setPosition(a);
        editor.setTextCursor(c);
        QTest::keyClick(&editor, Qt::Key_Q);
        QTextCursor r(&ref);
        r.setPosition(a);
        r.insertText(QStringLiteral("q"));
        return QStringLiteral("key at %1").arg(a);
    }
};

// Everything a caller can ask of the two layouts, equal.
bool sameLayout(QTextDocument *a, QTextDocument *b, QString *why) {
    QRandomGenerator rng(a->characterCount());
    QAbstractTextDocumentLayout *la = a->documentLayout();
    QAbstractTextDocumentLayout *lb = b->documentLayout();
    if (a->toPlainText() != b->toPlainText()) {
        *why = QStringLiteral("texts differ");
        return false;
    }
    const QSizeF size = la->documentSize();
    if (size != lb->documentSize()) {
        *why = QStringLiteral("document size %1x%2 against %3x%4")
                   .arg(size.width()).arg(size.height()).arg(lb->documentSize().width()).arg(lb->documentSize().height());
        return false;
    }
    if (a->idealWidth() != b->idealWidth() || la->pageCount() != lb->pageCount()) {
        *why = QStringLiteral("ideal width or page count");
        return false;
    }
    for (QTextBlock x = a->begin(), y = b->begin(); x.isValid() || y.isValid(); x = x.next(), y = y.next()) {
        if (!x.isValid() || !y.isValid() || la->blockBoundingRect(x) != lb->blockBoundingRect(y)) {
            *why = QStringLiteral("block %1 bounding rect").arg(x.blockNumber());
            return false;
        }
        const QTextLayout *tx = x.layout(), *ty = y.layout();
        if (tx->position() != ty->position() || tx->lineCount() != ty->lineCount()) {
            *why = QStringLiteral("block %1 position or line count").arg(x.blockNumber());
            return false;
        }
        for (int i = 0; i < tx->lineCount(); ++i) {
            const QTextLine p = tx->lineAt(i), q = ty->lineAt(i);
            if (p.rect() != q.rect() || p.textStart() != q.textStart() || p.textLength() != q.textLength()
                || p.naturalTextWidth() != q.naturalTextWidth()) {
                *why = QStringLiteral("block %1 line %2").arg(x.blockNumber()).arg(i);
                return false;
            }
        }
    }
    for (int i = 0; i < 40; ++i) {
        const QPointF p(rng.bounded(qMax(1.0, size.width() + 40)) - 20, rng.bounded(size.height() + 40) - 20);
        if (la->hitTest(p, Qt::FuzzyHit) != lb->hitTest(p, Qt::FuzzyHit)
            || la->hitTest(p, Qt::ExactHit) != lb->hitTest(p, Qt::ExactHit)) {
            *why = QStringLiteral("hit test at %1,%2").arg(p.x()).arg(p.y());
            return false;
        }
    }
    return true;
}

// The pixels of a band of each document.
QImage render(QTextDocument *doc, const QRectF &band) {
    QImage image(band.size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(-band.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = band;
    doc->documentLayout()->draw(&p, context);
    return image;
}

} // namespace

class FastLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void readsThisQtsLayoutData() {
        QTextDocument doc;
        FastLayout layout(&doc);
        QVERIFY2(layout.active(), "the private layout data of this Qt is not the one FastLayout knows");
    }

    void editorUsesItForEveryDocument() {
        TJRE e;
        QVERIFY(qobject_cast<FastLayout *>(e.document()->documentLayout()));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        testsupport::writeFile(path, "one\r\ntwo\r\n");
        e.SetPlainText(true);
        e.LoadFile(path);
        QVERIFY(qobject_cast<FastLayout *>(e.document()->documentLayout()));
        // The editor still repaints and scrolls through the new layout's signals.
        e.resize(300, 200);
        e.show();
        QVERIFY(QTest::qWaitForWindowExposed(&e));
        QSignalSpy spy(e.document()->documentLayout(), &QAbstractTextDocumentLayout::update);
        QTest::keyClick(&e, Qt::Key_X);
        QVERIFY(!spy.isEmpty());
    }

    // Random documents and random edits: typing, deleting, breaks, formats,
    // undo, wrapping and widths; after each, the two layouts agree.
    void randomEditsMatchQt_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 2u, 3u, 4u, 5u, 6u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomEditsMatchQt() {
        QFETCH(quint32, seed);
        Pair pair(seed);
        pair.fill(120 + pair.rng.bounded(300));
        QString why;
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why), qPrintable(why));
        const int before = pair.fast()->shortcuts();
        for (int step = 0; step < 150; ++step) {
            const QString what = pair.randomEdit();
            // Now and then several edits go in before the layout is asked
            // for, some of them while Qt's step-by-step layout is running.
            if (pair.rng.bounded(4) == 0)
                continue;
            QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why),
                     qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(what, why)));
        }
        QVERIFY2(pair.fast()->shortcuts() > before, "no edit took the short way");
        // The same pixels, at the top, in the middle and at the end.
        const QSizeF size = pair.doc()->documentLayout()->documentSize();
        for (qreal y : {0.0, size.height() / 2, qMax(0.0, size.height() - 600)}) {
            const QRectF band(0, y, qMax(size.width(), 100.0), 600);
            QCOMPARE(render(pair.doc(), band), render(&pair.ref, band));
        }
    }

    // Typing in a long document: every key takes the short way unless it
    // changes its paragraph's height, also when the paragraph becomes the
    // widest so far, and also while Qt's step-by-step layout of the document
    // is still running; the results stay Qt's.
    void typingInALongDocument_data() {
        QTest::addColumn<bool>("shortLines");
        QTest::addColumn<int>("block");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("mixed paragraphs, middle") << false << 1000 << true;
        QTest::newRow("short lines, top") << true << 0 << true;
        QTest::newRow("short lines, middle") << true << 1000 << true;
        QTest::newRow("short lines, top, layout running") << true << 0 << false;
    }
    void typingInALongDocument() {
        QFETCH(bool, shortLines);
        QFETCH(int, block);
        QFETCH(bool, laidOut);
        Pair pair(42);
        QVERIFY(QTest::qWaitForWindowExposed(&pair.editor));
        QStringList lines;
        for (int i = 0; i < 2000; ++i)
            lines << QStringLiteral("Short line %1, justified.").arg(i);
        QTemporaryDir dir;
        if (!laidOut) { // a load: Qt lays the document out step by step from the event loop
            const QString path = dir.filePath(QStringLiteral("lines.txt"));
            testsupport::writeFile(path, lines.join(QStringLiteral("\r\n")).toUtf8());
            pair.editor.SetPlainText(true);
            pair.editor.LoadFile(path);
            pair.sync();
            QTextCursor(&pair.ref).insertText(lines.join(QChar::ParagraphSeparator));
        } else if (shortLines) {
            pair.edit([&](QTextCursor &c) {
                c.insertText(lines.join(QChar::ParagraphSeparator));
                c.select(QTextCursor::Document);
                QTextBlockFormat justify;
                justify.setAlignment(Qt::AlignJustify);
                c.mergeBlockFormat(justify);
            });
        } else {
            pair.fill(2000);
        }
        if (laidOut)
            pair.doc()->documentLayout()->documentSize();
        QTextCursor c = pair.editor.textCursor();
        const int at = pair.doc()->findBlockByNumber(block).position();
        c.setPosition(at);
        pair.editor.setTextCursor(c);
        QTextCursor r(&pair.ref);
        r.setPosition(at);
        FastLayout *fast = pair.fast();
        QString why;
        for (int i = 0; i < 30; ++i) {
            const qreal height = pair.doc()->findBlockByNumber(block).layout()->boundingRect().height();
            const int before = fast->shortcuts();
            QTest::keyClick(&pair.editor, Qt::Key_M);
            r.insertText(QStringLiteral("m"));
            const qreal after = pair.doc()->findBlockByNumber(block).layout()->boundingRect().height();
            QCOMPARE(fast->shortcuts(), before + (after == height ? 1 : 0));
        }
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why), qPrintable(why));
        // An empty paragraph moves everything below: Qt's whole walk, same answers.
        const int before = fast->shortcuts();
        QTextCursor e = pair.editor.textCursor();
        for (QTextCursor *c : {&e, &r}) {
            c->beginEditBlock();
            c->insertBlock();
            c->insertBlock();
            c->endEditBlock();
        }
        pair.editor.setTextCursor(e);
        QCOMPARE(fast->shortcuts(), before);
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why), qPrintable(why));
        // And typing after it is short again.
        QTest::keyClick(&pair.editor, Qt::Key_M);
        r.insertText(QStringLiteral("m"));
        QCOMPARE(fast->shortcuts(), before + 1);
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why), qPrintable(why));
    }
};

QTEST_MAIN(FastLayoutTest)
#include "fastlayout_test.moc"
