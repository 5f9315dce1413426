// The editor's own document layout against Qt's: each case edits a TJRE and a
// document laid out by QTextDocumentLayout the same way and compares every
// block's lines, the document size, hit tests, caret rectangles and pixels.
// Under a real X server: its painting frees a layout's shaped text between
// paints, which an unfinished long paragraph must survive.
#include "editor/docformat.h"
#include "editor/doclayout.h"
#include "editor/heighttree.h"
#include "editor/pictureobjects.h"
#include "editor/rtf/picture.h"
#include "editor/rtf/reader.h"
#include "editor/pieces.h"
#include "editor/tjre.h"
#include "tests/support/testsupport.h"

#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

const QStringList kWords = {QStringLiteral("a"),        QStringLiteral("word"),    QStringLiteral("paragraph"),
                            QStringLiteral("text"),     QStringLiteral("layout"),  QStringLiteral("Qt"),
                            QStringLiteral("keyboard"), QStringLiteral("editing"), QStringLiteral("quite-a-long-token"),
                            QStringLiteral("x"),        QStringLiteral("WWWW"),    QStringLiteral("iii"),
                            QStringLiteral("\tcolumn")};

// The editor and a reference document that plain Qt lays out, kept equal.
struct Pair {
    TJRE editor;
    QTextDocument ref;
    QRandomGenerator rng;

    explicit Pair(quint32 seed) : rng(seed) {
        // A scroll bar that comes and goes would change the width between edits.
        editor.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        editor.resize(520, 400);
        editor.SetTabStops({40, 100, 130}); // as the main window gives them
        editor.show();
        ref.documentLayout()->setPaintDevice(editor.document()->documentLayout()->paintDevice());
        sync();
    }

    QTextDocument *doc() { return editor.document(); }
    DocLayout *layout() { return qobject_cast<DocLayout *>(doc()->documentLayout()); }

    // The settings the editor gives its document, copied to the reference.
    void sync() {
        QTextDocument *d = doc();
        if (ref.defaultFont() != d->defaultFont())
            ref.setDefaultFont(d->defaultFont());
        if (ref.defaultTextOption().wrapMode() != d->defaultTextOption().wrapMode()
            || ref.defaultTextOption().alignment() != d->defaultTextOption().alignment()
            || ref.defaultTextOption().tabs() != d->defaultTextOption().tabs())
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
        switch (rng.bounded(5)) {
        case 4: f.setTabPositions({QTextOption::Tab(30 + rng.bounded(60), QTextOption::LeftTab)}); break;
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

    // One random edit; returns its name for failure messages. Qt's layout is
    // finished first: an edit made while its step-by-step layout is still
    // running moves paragraphs it has not laid out yet (a fault of Qt's own).
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
    if (la->pageCount() != lb->pageCount()) {
        *why = QStringLiteral("page count");
        return false;
    }
    for (QTextBlock x = a->begin(), y = b->begin(); x.isValid() || y.isValid(); x = x.next(), y = y.next()) {
        if (!x.isValid() || !y.isValid() || la->blockBoundingRect(x) != lb->blockBoundingRect(y)) {
            *why = QStringLiteral("block %1 bounding rect %2,%3 %4x%5 against %6,%7 %8x%9")
                       .arg(x.blockNumber())
                       .arg(la->blockBoundingRect(x).x()).arg(la->blockBoundingRect(x).y())
                       .arg(la->blockBoundingRect(x).width()).arg(la->blockBoundingRect(x).height())
                       .arg(lb->blockBoundingRect(y).x()).arg(lb->blockBoundingRect(y).y())
                       .arg(lb->blockBoundingRect(y).width()).arg(lb->blockBoundingRect(y).height());
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
    // Without wrapping, ours is as wide as the widest line it has laid out
    // since the last change of settings, so that the horizontal scroll bar does
    // not shrink under the reader; Qt's keeps to the lines there are now.
    const QSizeF size = la->documentSize();
    const bool wrap = a->defaultTextOption().wrapMode() != QTextOption::NoWrap;
    if (size.height() != lb->documentSize().height() || (wrap ? size.width() != lb->documentSize().width()
                                                              : size.width() < lb->documentSize().width())) {
        *why = QStringLiteral("document size %1x%2 against %3x%4")
                   .arg(size.width()).arg(size.height()).arg(lb->documentSize().width()).arg(lb->documentSize().height());
        return false;
    }
    for (int i = 0; i < 40; ++i) {
        const QPointF p(rng.bounded(qMax(1.0, size.width() + 40)) - 20, rng.bounded(size.height() + 40) - 20);
        if (la->hitTest(p, Qt::FuzzyHit) != lb->hitTest(p, Qt::FuzzyHit)
            || la->hitTest(p, Qt::ExactHit) != lb->hitTest(p, Qt::ExactHit)) {
            *why = QStringLiteral("hit test at %1,%2: %3 %4 against %5 %6")
                       .arg(p.x()).arg(p.y())
                       .arg(la->hitTest(p, Qt::FuzzyHit)).arg(la->hitTest(p, Qt::ExactHit))
                       .arg(lb->hitTest(p, Qt::FuzzyHit)).arg(lb->hitTest(p, Qt::ExactHit));
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

// Caret rectangles as QTextEdit computes them: block rectangle plus line.
QRectF caretRect(QTextDocument *doc, int pos) {
    const QTextBlock block = doc->findBlock(pos);
    const QPointF at = doc->documentLayout()->blockBoundingRect(block).topLeft();
    const QTextLine line = block.layout()->lineForTextPosition(pos - block.position());
    if (!line.isValid())
        return {};
    return QRectF(at.x() + line.cursorToX(pos - block.position()), at.y() + line.y(), 1, line.height());
}

// Carets where the user sees them: after their line is drawn. (Before that,
// Qt places a caret on a justified line with a tab by what was last asked of
// the line: the same lines can answer a pixel apart.)
bool sameCarets(QTextDocument *a, QTextDocument *b, QString *why) {
    QRandomGenerator rng(a->characterCount() * 7);
    for (int i = 0; i < 20; ++i) {
        const int pos = rng.bounded(a->characterCount());
        const QRectF block = b->documentLayout()->blockBoundingRect(b->findBlock(pos));
        const QRectF band(0, block.top(), 1200, block.height() + 1);
        render(a, band);
        render(b, band);
        if (caretRect(a, pos) != caretRect(b, pos)) {
            *why = QStringLiteral("caret at %1").arg(pos);
            return false;
        }
    }
    return true;
}

// Around tables and pictures: every paragraph that is not a table row's has
// the lines, rectangle (moved by what the rows above it differ in height),
// carets and pixels of Qt's layout. A row differs on purpose: ours lays its
// cells out side by side in columns, Qt's as one line with tabs.
bool sameAroundRows(QTextDocument *a, QTextDocument *b, QString *why) {
    QAbstractTextDocumentLayout *la = a->documentLayout(), *lb = b->documentLayout();
    if (a->toPlainText() != b->toPlainText()) {
        *why = QStringLiteral("texts differ");
        return false;
    }
    qreal shift = 0; // ours minus Qt's, below the rows so far
    QRandomGenerator rng(a->characterCount());
    for (QTextBlock x = a->begin(), y = b->begin(); x.isValid(); x = x.next(), y = y.next()) {
        const QRectF ra = la->blockBoundingRect(x), rb = lb->blockBoundingRect(y);
        if (docformat::inTable(x)) {
            shift = ra.bottom() - rb.bottom();
            continue;
        }
        const QTextLayout *tx = x.layout(), *ty = y.layout();
        bool same = ra.translated(0, -shift) == rb && tx->lineCount() == ty->lineCount();
        for (int i = 0; same && i < tx->lineCount(); ++i) {
            const QTextLine p = tx->lineAt(i), q = ty->lineAt(i);
            same = p.rect() == q.rect() && p.textStart() == q.textStart() && p.textLength() == q.textLength();
        }
        for (int i = 0; same && i < 3; ++i) {
            const int pos = x.position() + int(rng.bounded(x.length()));
            same = caretRect(a, pos).translated(0, -shift) == caretRect(b, pos);
        }
        if (same && (rng.bounded(4) == 0 || x.text().contains(QChar::ObjectReplacementCharacter)))
            same = render(a, ra.adjusted(-ra.left(), 0, 40, 0)) == render(b, rb.adjusted(-rb.left(), 0, 40, 0));
        if (!same) {
            *why = QStringLiteral("block %1 (%2,%3 %4x%5 against %6,%7 %8x%9, rows above %10 px apart)")
                       .arg(x.blockNumber()).arg(ra.x()).arg(ra.y()).arg(ra.width()).arg(ra.height())
                       .arg(rb.x()).arg(rb.y()).arg(rb.width()).arg(rb.height()).arg(shift);
            return false;
        }
    }
    return true;
}

// Lays the editor's document out by scrolling through it, as a reader would.
void scrollThrough(TJRE &editor) {
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QScrollBar *bar = editor.verticalScrollBar();
    for (int v = 0;; v += editor.viewport()->height()) {
        bar->setValue(v);
        editor.viewport()->repaint();
        if (bar->value() >= bar->maximum())
            break;
    }
}

// A shown editor of the given size holding text (plain, loaded from a file).
// As the program opens a file: into a window already shown.
void loadText(TJRE &editor, const QByteArray &text, QTemporaryDir &dir) {
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    testsupport::writeFile(path, text);
    editor.resize(520, 400);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.SetPlainText(true);
    editor.LoadFile(path);
}

// A shown 500 x 300 editor holding the RTF.
std::unique_ptr<TJRE> editorWith(const QByteArray &rtf) {
    auto editor = std::make_unique<TJRE>();
    editor->resize(500, 300);
    editor->show();
    rtf::read(rtf, *editor->document());
    return editor;
}

bool caretShown(TJRE &editor) {
    return editor.viewport()->rect().contains(editor.cursorRect());
}

} // namespace

class DocLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void editorUsesItForEveryDocument() {
        TJRE e;
        QVERIFY(qobject_cast<DocLayout *>(e.document()->documentLayout()));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        testsupport::writeFile(path, "one\r\ntwo\r\n");
        e.SetPlainText(true);
        e.LoadFile(path);
        QVERIFY(qobject_cast<DocLayout *>(e.document()->documentLayout()));
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
        for (int step = 0; step < 150; ++step) {
            const QString what = pair.randomEdit();
            // Now and then several edits go in before the layout is asked for.
            if (pair.rng.bounded(4) == 0)
                continue;
            QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why) && sameCarets(pair.doc(), &pair.ref, &why),
                     qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(what, why)));
        }
        // The same pixels, at the top, in the middle and at the end.
        const QSizeF size = pair.doc()->documentLayout()->documentSize();
        for (qreal y : {0.0, size.height() / 2, qMax(0.0, size.height() - 600)}) {
            const QRectF band(0, y, qMax(size.width(), 100.0), 600);
            QCOMPARE(render(pair.doc(), band), render(&pair.ref, band));
        }
    }

    // Table rows and pictures among random paragraphs, edited at random and
    // typed into inside their cells: everything but the rows is laid out,
    // hit and drawn as Qt does (sameAroundRows says why rows differ).
    void tablesAndPicturesMatchQtAroundThem_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {11u, 12u, 13u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void tablesAndPicturesMatchQtAroundThem() {
        QFETCH(quint32, seed);
        Pair pair(seed);
        pair.ref.documentLayout()->registerHandler(QTextFormat::ImageObject, new PictureObjects(&pair.ref));
        pair.fill(60);
        QTextDocument row;
        QVERIFY(rtf::read("{\\rtf1\\trowd\\trgaph108\\cellx2000\\clvertalc\\cellx4500\\cellx7000\\pard\\intbl first cell"
                          "\\cell a second cell of several words\\cell\\qr 3\\cell\\row}",
                          row));
        QImage image(90, 40, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QTextCharFormat picture = rtf::pictureFormat(rtf::pictureOf(image));
        for (int i = 0; i < 4; ++i) {
            const int at = pair.doc()->findBlock(pair.pos()).position(); // rows stand between paragraphs
            pair.edit([&](QTextCursor &c) {
                c.setPosition(at);
                c.insertFragment(QTextDocumentFragment(&row));
                c.insertBlock(QTextBlockFormat());
            });
            const int p = pair.pos();
            pair.edit([&](QTextCursor &c) {
                c.setPosition(p);
                if (!docformat::inTable(c.block()))
                    c.insertText(QString(QChar::ObjectReplacementCharacter), picture);
            });
        }
        QString why;
        QVERIFY2(sameAroundRows(pair.doc(), &pair.ref, &why), qPrintable(why));
        for (int step = 0; step < 80; ++step) {
            QString what;
            if (step % 2) {
                what = pair.randomEdit();
            } else { // words typed into a cell, where its text is
                QList<int> cells;
                for (QTextBlock b = pair.doc()->begin(); b.isValid(); b = b.next())
                    if (docformat::inTable(b))
                        cells.append(b.position() + int(pair.rng.bounded(b.length())));
                if (cells.isEmpty())
                    continue;
                const int at = cells[pair.rng.bounded(int(cells.size()))];
                const QString w = pair.words(1 + pair.rng.bounded(4)) + QLatin1Char(' ');
                pair.edit([&](QTextCursor &c) { c.setPosition(at); c.insertText(w); });
                what = QStringLiteral("words in a cell at %1").arg(at);
            }
            QVERIFY2(sameAroundRows(pair.doc(), &pair.ref, &why),
                     qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(what, why)));
        }
    }

    // Words longer than any line (broken anywhere without looking for their
    // ends), among short ones, in a short and in a long paragraph: the lines
    // are Qt's.
    void longWordsBreakAsQt() {
        Pair pair(21);
        const QString word = QString(3000, QLatin1Char('w')) + QStringLiteral("xyz");
        for (int copies : {1, 30}) { // 30: a paragraph longer than 64 Ki characters
            QString text;
            for (int i = 0; i < copies; ++i)
                text += QStringLiteral("short words ") + word + QStringLiteral(" end of it. ");
            pair.edit([&](QTextCursor &c) {
                c.movePosition(QTextCursor::End);
                c.insertText(text);
                c.insertBlock();
            });
        }
        QString why;
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why), qPrintable(why));
    }

    // Bullets and numbers, with indents and formats, in the same pixels as Qt
    // draws them. (Numbers from a list's own start differ on purpose: Qt 6.4
    // draws every list from 1.)
    void listsDrawAsQt() {
        Pair pair(9);
        pair.edit([](QTextCursor &c) {
            c.insertText(QStringLiteral("Before the lists"));
            const QTextListFormat::Style styles[] = {QTextListFormat::ListDisc, QTextListFormat::ListDecimal,
                                                     QTextListFormat::ListLowerAlpha, QTextListFormat::ListUpperRoman};
            for (const auto style : styles) {
                QTextBlockFormat bf;
                bf.setLeftMargin(24 + 8 * int(style < 0 ? -style : style));
                c.insertBlock(bf);
                QTextListFormat lf;
                lf.setStyle(style);
                c.createList(lf);
                for (int i = 0; i < 3; ++i) {
                    if (i)
                        c.insertBlock();
                    QTextCharFormat f;
                    f.setFontPointSize(9 + 3 * i);
                    c.insertText(QStringLiteral("item %1 of a list").arg(i), f);
                }
            }
        });
        const QSizeF size = pair.doc()->documentLayout()->documentSize();
        const QRectF band(0, 0, size.width(), size.height());
        QCOMPARE(render(pair.doc(), band), render(&pair.ref, band));
    }

    // A link is drawn underlined in the link colour, whatever its format
    // (Qt draws it as the format says); the rest of the line is not.
    void linksDrawInTheLinkColour() {
        Pair pair(3);
        pair.edit([](QTextCursor &c) {
            c.insertText(QStringLiteral("plain words "));
            QTextCharFormat link;
            docformat::setField(link, QStringLiteral("HYPERLINK \"https://example.org/\""));
            c.insertText(QStringLiteral("linked words"), link);
        });
        const QRectF band = pair.doc()->documentLayout()->blockBoundingRect(pair.doc()->begin());
        const QRgb linkColour = QPalette().color(QPalette::Link).rgb();
        const auto count = [&](const QImage &image) {
            int plain = 0, linked = 0;
            const int split = int(pair.doc()->begin().layout()->lineAt(0).cursorToX(12));
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixel(x, y) == linkColour)
                        ++(x < split ? plain : linked);
            return std::pair(plain, linked);
        };
        const auto [plain, linked] = count(render(pair.doc(), band));
        QCOMPARE(plain, 0);
        QVERIFY2(linked > 40, qPrintable(QString::number(linked))); // the underline alone is a line of them
        QCOMPARE(count(render(&pair.ref, band)), std::pair(0, 0));
    }

    // A picture is drawn at its size (600 x 300 twips: 40 x 20 px at 96 dpi)
    // where its character stands; one that cannot be decoded is a box.
    void picturesDraw() {
        QImage red(40, 20, QImage::Format_RGB32);
        red.fill(Qt::red);
        TJRE editor;
        editor.resize(400, 200);
        editor.show();
        QVERIFY(rtf::read("{\\rtf1 a" + rtf::pictureOf(red) + "b{\\pict\\wmetafile8\\picwgoal600\\pichgoal300 0100}c\\par}",
                          *editor.document()));
        QTextDocument *doc = editor.document();
        const QRectF band = doc->documentLayout()->blockBoundingRect(doc->begin());
        const QImage image = render(doc, band);
        const QTextLine line = doc->begin().layout()->lineAt(0);
        QVERIFY(line.height() >= 20);
        int redPixels = 0, boxPixels = 0;
        const int boxFrom = int(line.cursorToX(3)), boxTo = int(line.cursorToX(4));
        QCOMPARE(boxTo - boxFrom, 40);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                redPixels += image.pixel(x, y) == QColor(Qt::red).rgb();
                boxPixels += x >= boxFrom && x < boxTo && qGray(image.pixel(x, y)) < 200;
            }
        QCOMPARE(redPixels, 40 * 20);
        QVERIFY2(boxPixels >= 2 * 40, qPrintable(QString::number(boxPixels)));
    }

    // A table row's cells stand side by side, each wrapping in its column;
    // the row is as tall as its tallest cell, a point in a cell hits that
    // cell's text, and the cells are framed.
    void tableRowsLayOutInColumns() {
        TJRE editor;
        editor.resize(500, 300);
        editor.show();
        QTextDocument *doc = editor.document();
        // Columns 100 and 200 px wide (1500 and 4500 twips).
        QVERIFY(rtf::read("{\\rtf1 \\trowd\\cellx1500\\cellx4500\\pard\\intbl first cell with words that wrap\\cell"
                          " second\\cell\\row\\pard after\\par}",
                          *doc));
        const QTextBlock row = doc->begin();
        const QString text = row.text();
        const int second = int(text.indexOf(u'\t')) + 1;
        const QRectF rect = doc->documentLayout()->blockBoundingRect(row);
        const QTextLayout *tl = row.layout();
        const QTextLine last = tl->lineForTextPosition(second);
        QVERIFY(tl->lineForTextPosition(0).lineNumber() != last.lineNumber());
        QCOMPARE(last.y(), 0.0);                  // the second cell starts at the row's top
        QVERIFY(last.x() >= 100);                 // in its own column
        QVERIFY(tl->lineForTextPosition(second - 2).y() > 0); // the first cell wrapped
        QCOMPARE(rect.height(), doc->documentLayout()->blockBoundingRect(row).height());
        QVERIFY(rect.height() > 2 * last.height() - 1);
        const QPointF inSecond = rect.topLeft() + QPointF(last.x() + 20, last.height() / 2);
        const int hit = doc->documentLayout()->hitTest(inSecond, Qt::FuzzyHit);
        QVERIFY2(hit > second && hit <= int(text.size()), qPrintable(QString::number(hit)));
        const QImage image = render(doc, rect);
        int frame = 0; // in the pixel column of the edge between the cells, the one before or after
        const int edge = int(last.x()) - 3;
        for (int x = edge - 1; x <= edge + 1; ++x) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                n += image.pixel(x, y) == qRgb(160, 160, 160);
            frame = std::max(frame, n);
        }
        QVERIFY2(frame > rect.height() / 2, qPrintable(QString::number(frame))); // the line between the cells

        // A cell of two paragraphs is one frame: no line across the row
        // between them, one below the row.
        const auto two = editorWith("{\\rtf1 \\trowd\\cellx1500\\cellx4500\\pard\\intbl A\\par B\\cell C\\cell\\row\\pard after\\par}");
        QTextDocument *cells = two->document();
        const QRectF a = cells->documentLayout()->blockBoundingRect(cells->begin());
        const QRectF b = cells->documentLayout()->blockBoundingRect(cells->begin().next());
        // (C's line stands beside A, above B's paragraph: the row ends where "after" starts.)
        const qreal rowEnd = cells->documentLayout()->blockBoundingRect(cells->lastBlock()).top();
        const QImage both = render(cells, QRectF(a.topLeft(), QPointF(b.right(), rowEnd + 1)));
        const auto greyAcross = [&](int y) {
            int n = 0;
            for (int x = 0; x < both.width(); ++x)
                n += both.pixel(x, y) == qRgb(160, 160, 160);
            return n;
        };
        const int between = int(cells->begin().next().layout()->position().y() - a.top()), below = int(rowEnd - a.top());
        QVERIFY2(std::max(greyAcross(between - 1), greyAcross(between)) < 10, "a line between a cell's paragraphs");
        QVERIFY(std::max(greyAcross(below - 1), greyAcross(below)) > 50);

        // Cells merged across (\\clmgf, \\clmrg): the first one's text runs over
        // both columns, and no line stands between them.
        const auto spans = editorWith("{\\rtf1 \\trowd\\clmgf\\cellx1500\\clmrg\\cellx3000\\cellx4500\\pard\\intbl "
                          "words words words words words words\\cell\\cell c\\cell\\row}");
        const QTextBlock m = spans->document()->begin();
        const QRectF mr = spans->document()->documentLayout()->blockBoundingRect(m);
        QVERIFY2(m.layout()->lineAt(0).naturalTextWidth() > 100, qPrintable(QString::number(m.layout()->lineAt(0).naturalTextWidth())));
        const QImage mi = render(spans->document(), mr);
        int inside = 0; // grey pixels down the column edge the merge hides
        for (int y = 2; y < mi.height() - 2; ++y)
            for (int x = 99; x <= 101; ++x)
                inside += mi.pixel(int(m.layout()->position().x()) - int(mr.left()) + x, y) == qRgb(160, 160, 160);
        QVERIFY2(inside < 3, qPrintable(QString::number(inside)));

        // Cells merged down (\\clvmgf, \\clvmrg): no line between them; one
        // (not one of each row) between the rows' other cells.
        const auto down = editorWith("{\\rtf1 \\trowd\\clvmgf\\cellx1500\\cellx3000\\pard\\intbl a\\cell b\\cell\\row"
                          "\\trowd\\clvmrg\\cellx1500\\cellx3000\\pard\\intbl\\cell d\\cell\\row}");
        const QTextBlock r1 = down->document()->begin(), r2 = r1.next();
        const QRectF d1 = down->document()->documentLayout()->blockBoundingRect(r1);
        const QRectF d2 = down->document()->documentLayout()->blockBoundingRect(r2);
        const QImage di = render(down->document(), d1.united(d2).adjusted(0, 0, 0, 1));
        const int seam = int(d2.top() - d1.top());
        const auto greyIn = [&](int x0, int x1) {
            int n = 0;
            for (int y = seam - 1; y <= seam; ++y)
                for (int x = x0; x < x1; ++x)
                    n += di.pixel(x, y) == qRgb(160, 160, 160);
            return n;
        };
        QVERIFY2(greyIn(10, 90) < 5 && greyIn(110, 190) > 60 && greyIn(110, 190) <= 80,
                 qPrintable(QStringLiteral("%1 %2").arg(greyIn(10, 90)).arg(greyIn(110, 190))));

        // A cell in the middle (\\clvertalc) and one at the bottom (\\clvertalb) of
        // a row that the third cell's wrapping text makes tall.
        const auto vertical = editorWith("{\\rtf1 \\trowd\\clvertalc\\cellx1500\\clvertalb\\cellx3000\\cellx4500\\pard\\intbl a\\cell b\\cell "
                          "words that wrap over several lines of the third cell\\cell\\row}");
        const QTextBlock v = vertical->document()->begin();
        const qreal rowHeight = vertical->document()->documentLayout()->blockBoundingRect(v).height();
        const QTextLine va = v.layout()->lineAt(0), vb = v.layout()->lineAt(1);
        QVERIFY(rowHeight > 3 * va.height());
        QVERIFY2(std::abs(va.y() + va.height() / 2 - rowHeight / 2) < 2, qPrintable(QString::number(va.y())));
        QVERIFY2(std::abs(vb.y() + vb.height() - rowHeight) < 2, qPrintable(QString::number(vb.y())));

        // A centred row: each cell's line in the middle of its cell.
        const auto centred = editorWith("{\\rtf1 \\trowd\\cellx1500\\cellx4500\\pard\\intbl\\qc a\\cell b\\cell\\row}");
        const QTextBlock c = centred->document()->begin();
        centred->document()->documentLayout()->blockBoundingRect(c);
        const QTextLine ca = c.layout()->lineAt(0), cb = c.layout()->lineAt(1);
        QVERIFY2(std::abs(ca.x() + ca.naturalTextWidth() / 2 - 50) < 4, qPrintable(QString::number(ca.x())));
        QVERIFY2(std::abs(cb.x() + cb.naturalTextWidth() / 2 - 200) < 4, qPrintable(QString::number(cb.x())));
    }

    // In a row of several paragraphs, each cell stands at the top, in the
    // middle or at the bottom of the whole row as its look says (cells t, m,
    // b), whichever cell's paragraphs make the row tall; a click on a cell's
    // text finds it there.
    void cellsStandWhereTheirRowSays_data() {
        QTest::addColumn<QByteArray>("row");
        QTest::newRow("first cell of three paragraphs")
            << QByteArray("\\cellx1500\\cellx3000\\clvertalc\\cellx4500\\clvertalb\\cellx6000\\pard\\intbl "
                          "p1\\par p2\\par p3\\cell t\\cell m\\cell b\\cell");
        QTest::newRow("last cell of three paragraphs")
            << QByteArray("\\clvertalb\\cellx1500\\cellx3000\\clvertalc\\cellx4500\\cellx6000\\pard\\intbl "
                          "b\\cell t\\cell m\\cell p1\\par p2\\par p3\\cell");
        QTest::newRow("middle cell of three paragraphs")
            << QByteArray("\\clvertalc\\cellx1500\\cellx3000\\clvertalb\\cellx4500\\cellx6000\\pard\\intbl "
                          "m\\cell p1\\par p2\\par p3\\cell b\\cell t\\cell");
        QTest::newRow("one paragraph, a cell of three lines")
            << QByteArray("\\cellx1500\\clvertalc\\cellx3000\\clvertalb\\cellx4500\\cellx6000\\pard\\intbl "
                          "t\\cell m\\cell b\\cell p1\\u8232?p2\\u8232?p3\\cell");
    }
    void cellsStandWhereTheirRowSays() {
        QFETCH(QByteArray, row);
        const auto editor = editorWith("{\\rtf1 \\trowd" + row + "\\row\\pard after\\par}");
        QTextDocument *doc = editor->document();
        check(doc, 3);
        // A paragraph (or line) more in the tall cell moves the other cells' lines too.
        QTextCursor c = doc->find(QStringLiteral("p2"));
        c.clearSelection();
        if (docformat::endsRow(c.block()))
            c.insertText(QString(QChar::LineSeparator));
        else
            c.insertBlock();
        check(doc, 4);
    }
    static void check(QTextDocument *doc, int lines) {
        QAbstractTextDocumentLayout *layout = doc->documentLayout();
        QTextBlock after = doc->lastBlock();
        QCOMPARE(after.text(), QStringLiteral("after"));
        const qreal top = layout->blockBoundingRect(doc->begin()).top();
        const qreal bottom = layout->blockBoundingRect(after).top();
        // Where a cell's one letter stands, in the document.
        const auto line = [&](QChar letter) {
            for (QTextBlock b = doc->begin(); b != after; b = b.next()) {
                layout->blockBoundingRect(b);
                for (qsizetype i = 0; i < b.text().size(); ++i)
                    if (b.text()[i] == letter && (i == 0 || b.text()[i - 1] == u'\t')
                        && (i + 1 == b.text().size() || b.text()[i + 1] == u'\t')) {
                        const QTextLine l = b.layout()->lineForTextPosition(int(i));
                        return std::make_pair(QRectF(b.layout()->position() + l.position(), QSizeF(l.naturalTextWidth(), l.height())),
                                              b.position() + int(i));
                    }
            }
            return std::make_pair(QRectF(), -1);
        };
        const auto [t, tAt] = line(u't');
        const auto [m, mAt] = line(u'm');
        const auto [b, bAt] = line(u'b');
        QVERIFY(tAt >= 0 && mAt >= 0 && bAt >= 0);
        QVERIFY2(std::abs(bottom - top - lines * t.height()) < t.height() / 2,
                 qPrintable(QStringLiteral("%1 %2").arg(top).arg(bottom))); // as tall as the tall cell, no more
        QVERIFY2(std::abs(t.top() - top) < 1, qPrintable(QString::number(t.top() - top)));
        QVERIFY2(std::abs(m.center().y() - (top + bottom) / 2) < 2, qPrintable(QString::number(m.center().y() - top)));
        QVERIFY2(std::abs(b.bottom() - bottom) < 2, qPrintable(QString::number(bottom - b.bottom())));
        for (const auto &[rect, at] : {std::make_pair(t, tAt), std::make_pair(m, mAt), std::make_pair(b, bAt)})
            QCOMPARE(layout->hitTest(rect.center() - QPointF(rect.width() / 4, 0), Qt::FuzzyHit), at);
    }

    // A table in the second cell of a 2 x 2 table: its cells' text starts at
    // columns of their own inside the outer cell, wraps there, and a click on
    // a nested cell's text puts the caret in it; a nested row wider than the
    // outer cell is narrowed to fit.
    void nestedTableIsAGridInItsCell_data() {
        QTest::addColumn<QByteArray>("cellx"); // of the nested row
        QTest::newRow("fits") << QByteArray("\\cellx1500\\cellx3000");
        QTest::newRow("wider than the cell") << QByteArray("\\trleft500\\cellx4000\\cellx9500");
    }
    void nestedTableIsAGridInItsCell() {
        QFETCH(QByteArray, cellx);
        // Outer columns 0-133 and 133-400 px.
        const auto editor = editorWith("{\\rtf1 \\trowd\\cellx2000\\cellx6000\\pard\\intbl outer\\cell"
                                       "\\pard\\intbl\\itap2 left words that wrap in the column\\nestcell right\\nestcell"
                                       "{\\*\\nesttableprops\\trowd" + cellx + "\\nestrow}{\\nonesttables left right\\par}"
                                       "\\pard\\intbl\\itap1 under\\cell\\row"
                                       "\\trowd\\cellx2000\\cellx6000\\pard\\intbl c\\cell d\\cell\\row\\pard after\\par}");
        QTextDocument *doc = editor->document();
        QAbstractTextDocumentLayout *layout = doc->documentLayout();
        QTextBlock nested = doc->begin();
        while (nested.isValid() && !docformat::nested(nested))
            nested = nested.next();
        QVERIFY(nested.isValid());
        const QString text = nested.text();
        QCOMPARE(text.count(u'\t'), 1);
        const int right = int(text.indexOf(u'\t')) + 1;
        const QRectF rect = layout->blockBoundingRect(nested);
        const QTextLayout *tl = nested.layout();
        const QTextLine first = tl->lineForTextPosition(0), second = tl->lineForTextPosition(right);
        const qreal outerLeft = rect.left() + 133, outerRight = rect.left() + 400;
        QVERIFY2(second.x() > first.x() + 40, qPrintable(QStringLiteral("%1 %2").arg(first.x()).arg(second.x())));
        QCOMPARE(second.y(), first.y()); // side by side
        QVERIFY(first.lineNumber() != tl->lineForTextPosition(right - 2).lineNumber()); // the left cell wrapped
        for (int i = 0; i < tl->lineCount(); ++i) {
            const QTextLine line = tl->lineAt(i);
            const qreal x = rect.left() + line.x();
            QVERIFY2(x >= outerLeft && x + line.naturalTextWidth() <= outerRight + 1,
                     qPrintable(QStringLiteral("line %1 at %2 to %3").arg(i).arg(x).arg(x + line.naturalTextWidth())));
            if (line.textStart() < right) // the left nested cell's lines end before the right one starts
                QVERIFY(line.x() + line.naturalTextWidth() <= second.x());
        }
        // The paragraph after the nested row is below all of its lines.
        QVERIFY(layout->blockBoundingRect(nested.next()).top() >= rect.top() + tl->lineAt(tl->lineCount() - 2).y() + first.height() - 1);
        const QPointF inRight = tl->position() + second.position() + QPointF(second.naturalTextWidth() - 3, second.height() / 2);
        const int hit = layout->hitTest(inRight, Qt::FuzzyHit);
        QVERIFY2(hit > nested.position() + right && hit <= nested.position() + int(text.size()), qPrintable(QString::number(hit)));
        const QPointF inLeft = tl->position() + first.position() + QPointF(1, first.height() / 2);
        QCOMPARE(layout->hitTest(inLeft, Qt::FuzzyHit), nested.position());
        // The light line between the nested cells, down the nested row.
        const QImage image = render(doc, QRectF(0, rect.top(), doc->pageSize().width(), rect.height()));
        const int between = int(tl->position().x() + second.x());
        int grey = 0;
        for (int x = between - 5; x < between; ++x) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                n += image.pixel(x, y) == qRgb(160, 160, 160);
            grey = std::max(grey, n);
        }
        QVERIFY2(grey > rect.height() / 2, qPrintable(QString::number(grey)));
    }

    // The tree against a plain vector: random replacements and changes, then
    // every question at every index.
    void heightTreeAgreesWithAList() {
        QRandomGenerator rng(5);
        HeightTree tree;
        std::vector<HeightTree::Entry> ref;
        auto entry = [&] { return HeightTree::Entry{double(rng.bounded(40)), 0, rng.bounded(1, 5), rng.bounded(3) == 0}; };
        for (int step = 0; step < 400; ++step) {
            const int at = rng.bounded(int(ref.size()) + 1);
            if (step % 50 == 0) {
                std::vector<HeightTree::Entry> all(rng.bounded(300));
                for (auto &e : all)
                    e = entry();
                tree.assign(all);
                ref = all;
            } else if (rng.bounded(3) == 0 && !ref.empty()) {
                const int i = rng.bounded(int(ref.size()));
                ref[i] = entry();
                tree.set(i, ref[i]);
            } else {
                const int count = std::min(rng.bounded(4), int(ref.size()) - at);
                std::vector<HeightTree::Entry> fresh(rng.bounded(5));
                for (auto &e : fresh)
                    e = entry();
                tree.replace(at, count, fresh);
                ref.erase(ref.begin() + at, ref.begin() + at + count);
                ref.insert(ref.begin() + at, fresh.begin(), fresh.end());
            }
            QCOMPARE(tree.size(), int(ref.size()));
            double y = 0;
            std::int64_t lines = 0;
            int exact = 0;
            std::vector<int> exacts;
            for (int i = 0; i < int(ref.size()); ++i) {
                QCOMPARE(tree.at(i).height, ref[i].height);
                QCOMPARE(tree.heightBefore(i), y);
                QCOMPARE(tree.linesBefore(i), lines);
                if (ref[i].height > 0)
                    QCOMPARE(tree.indexAtHeight(y + ref[i].height / 2), i);
                QCOMPARE(tree.indexAtLine(lines), i);
                if (ref[i].exact)
                    exacts.push_back(i);
                else if (i == 0 || ref[i - 1].exact || exact == 0)
                    QCOMPARE(tree.firstEstimatedFrom(i), i);
                exact += ref[i].exact;
                y += ref[i].height;
                lines += ref[i].lines;
            }
            QCOMPARE(tree.totalHeight(), y);
            QCOMPARE(tree.totalLines(), lines);
            QCOMPARE(tree.exactCount(), exact);
            std::vector<int> seen;
            tree.forEachExact([&](int i) { seen.push_back(i); });
            QCOMPARE(seen, exacts);
        }
    }

    // One paragraph of a million characters: opening it lays out a few
    // screens; Ctrl+End reaches its end; the lines are then Qt's.
    void longParagraphIsLaidOutAsFarAsNeeded() {
        QString text;
        QRandomGenerator rng(3);
        while (text.size() < 1000000)
            text += kWords[rng.bounded(int(kWords.size()))] + QLatin1Char(' ');
        TJRE editor;
        QTemporaryDir dir;
        loadText(editor, text.toLatin1(), dir);
        pieces::unsplit(*editor.document()); // one block, as when typed or pasted
        auto *layout = qobject_cast<DocLayout *>(editor.document()->documentLayout());
        layout->setBackground(false);
        QCoreApplication::processEvents();
        const QTextBlock block = editor.document()->firstBlock();
        QVERIFY(!layout->isLaidOut(block));
        QVERIFY2(block.layout()->lineCount() < 500, qPrintable(QString::number(block.layout()->lineCount())));
        // Moving, selecting and editing in it between paints takes its lines on
        // from where they stopped.
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys(5, {Qt::Key_PageDown, {}});
        keys.insert(keys.end(), 8, {Qt::Key_Down, {}});
        keys.insert(keys.end(), {{Qt::Key_End, {}},
                                 {Qt::Key_PageDown, Qt::ShiftModifier},
                                 {Qt::Key_PageDown, Qt::ShiftModifier},
                                 {Qt::Key_X, Qt::ControlModifier},
                                 {Qt::Key_Z, Qt::ControlModifier},
                                 {Qt::Key_PageUp, {}},
                                 {Qt::Key_PageUp, {}},
                                 {Qt::Key_Up, {}},
                                 {Qt::Key_Up, {}}});
        QWidget other;
        other.show();
        for (const auto &[key, modifiers] : keys) {
            QTest::keyClick(&editor, key, modifiers);
            editor.viewport()->repaint();
            QVERIFY(caretShown(editor));
            other.activateWindow(); // the keyboard leaves and comes back
            QCoreApplication::processEvents();
            editor.activateWindow();
            editor.setFocus();
            QCoreApplication::processEvents();
        }
        QCOMPARE(editor.document()->toPlainText(), text);
        QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(layout->isLaidOut(block));
        QVERIFY(caretShown(editor));
        QTextDocument ref;
        ref.setDefaultFont(editor.document()->defaultFont());
        ref.setDocumentMargin(editor.document()->documentMargin());
        ref.setDefaultTextOption(editor.document()->defaultTextOption());
        ref.documentLayout()->setPaintDevice(editor.viewport());
        ref.setPageSize(editor.document()->pageSize());
        QTextCursor(&ref).insertText(text);
        const QTextLayout *a = block.layout(), *b = ref.firstBlock().layout();
        ref.documentLayout()->blockBoundingRect(ref.firstBlock());
        QCOMPARE(a->lineCount(), b->lineCount());
        for (int i = 0; i < a->lineCount(); i += 97)
            QCOMPARE(a->lineAt(i).rect(), b->lineAt(i).rect());
    }

    // A line taller than the view (a 500 pt letter) in views of several
    // heights: the layout settles, nothing is painted again and again (but the caret).
    void lineTallerThanTheViewSettles() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("tall.rtf"));
        for (int halfPoints : {999, 3276, 400}) {
            testsupport::writeFile(path, "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}}"
                                         "\\pard \\fs" + QByteArray::number(halfPoints) + " a\\par}");
            for (int height : {120, 400, 700}) {
                TJRE editor;
                editor.resize(520, height);
                editor.show();
                QVERIFY(QTest::qWaitForWindowExposed(&editor));
                editor.SetPlainText(false);
                editor.LoadFile(path);
                int paints = 0;
                struct Counter : QObject {
                    int *n;
                    bool eventFilter(QObject *, QEvent *e) override {
                        *n += e->type() == QEvent::Paint;
                        return false;
                    }
                } counter;
                counter.n = &paints;
                editor.viewport()->installEventFilter(&counter);
                QTest::qWait(300);
                paints = 0;
                QTest::qWait(300);
                QVERIFY2(paints <= 2, qPrintable(QStringLiteral("\\fs%1 in %2 px: %3 paints").arg(halfPoints).arg(height).arg(paints)));
            }
        }
    }

    // A 64 MB text, taller than Qt's own layout can count (2^25 pixels):
    // Ctrl+End shows its last line, and dragging the scroll bar to the end
    // shows the end too.
    void hugeDocumentReachesItsEnd() {
        QByteArray line(1022, 'x');
        for (int i = 0; i < line.size(); i += 7)
            line[i] = ' ';
        line += "\r\n";
        QByteArray text;
        text.reserve(64 << 20);
        while (text.size() < (64 << 20))
            text += line;
        text += "the end";
        TJRE editor;
        editor.SetFont(QStringLiteral("DejaVu Sans"), 20);
        QTemporaryDir dir;
        loadText(editor, text, dir);
        text.clear();
        QVERIFY(editor.document()->documentLayout()->documentSize().height() > (1 << 25));
        QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(caretShown(editor));
        QCOMPARE(editor.document()->lastBlock().text(), QStringLiteral("the end"));

        QScrollBar *bar = editor.verticalScrollBar();
        bar->setValue(0);
        QCoreApplication::processEvents();
        bar->setValue(bar->maximum());
        for (int i = 0; i < 10; ++i) // each paint lays out what it shows and the end may move
            QCoreApplication::processEvents();
        const QPoint bottom(10, editor.viewport()->height() - 5);
        QCOMPARE(editor.cursorForPosition(bottom).block(), editor.document()->lastBlock());
    }

    // Paragraphs above the view laid out at last (their heights were guesses)
    // move the view with them: the text at the top of the view stays there.
    void refiningAboveTheViewMovesNothingInView() {
        QByteArray text;
        QRandomGenerator rng(11);
        for (int i = 0; text.size() < 600000; ++i) {
            text += QByteArray::number(i) + ':';
            for (int k = rng.bounded(80); k > 0; --k)
                text += kWords[rng.bounded(int(kWords.size()))].toLatin1() + ' ';
            text += "\r\n";
        }
        TJRE editor;
        QTemporaryDir dir;
        loadText(editor, text, dir);
        QScrollBar *bar = editor.verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        QCoreApplication::processEvents();
        const int top = editor.cursorForPosition(QPoint(10, 2)).position();
        QCOMPARE(editor.Lines().Texts().isEmpty(), false); // lays out every paragraph
        QCoreApplication::processEvents();
        QCOMPARE(editor.cursorForPosition(QPoint(10, 2)).position(), top);
    }

    // Line numbers of a document too long to lay out whole become exact with
    // nobody asking: idle time measures every paragraph, keeping no lines. After
    // a change of width, a question measures what it needs at once.
    void backgroundMakesLineNumbersExact() {
        Pair pair(5);
        pair.fill(2600);
        QVERIFY(!pair.layout()->exactLines());
        const auto linesBefore = [&](const QTextBlock &end) {
            int lines = 0;
            for (QTextBlock b = pair.ref.begin(); b.isValid() && b != end; b = b.next()) {
                pair.ref.documentLayout()->blockBoundingRect(b);
                lines += b.layout()->lineCount();
            }
            return lines;
        };
        QSignalSpy measured(pair.layout(), &DocLayout::measured);
        QVERIFY(measured.wait(60000));
        QCOMPARE(pair.layout()->lineCount(), linesBefore(QTextBlock()));
        int kept = 0;
        for (QTextBlock b = pair.doc()->begin(); b.isValid(); b = b.next())
            kept += b.layout()->lineCount() > 0;
        QVERIFY2(kept < 100, qPrintable(QString::number(kept)));

        pair.editor.resize(400, 400);
        pair.sync();
        QVERIFY(!pair.layout()->allMeasured());
        const QTextBlock last = pair.doc()->lastBlock();
        QCOMPARE(pair.layout()->lineOfPosition(last.position()), linesBefore(pair.ref.lastBlock()));
    }

    // A document too long to lay out whole: random edits anywhere, then a
    // reader scrolls through it all; every paragraph is then where a full
    // layout puts it. Until then only what was looked at is laid out.
    void largeDocumentAgreesOnceRead() {
        Pair pair(77);
        pair.layout()->setBackground(false);
        pair.fill(2600); // about 400,000 characters
        QVERIFY(!pair.layout()->exactLines());
        for (int step = 0; step < 60; ++step)
            pair.randomEdit();
        QVERIFY(pair.layout()->laidOutCount() < pair.doc()->blockCount() / 4);
        pair.editor.resize(520, 400);
        pair.sync();
        scrollThrough(pair.editor);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(pair.layout()->laidOutCount(), pair.doc()->blockCount());
        QString why;
        QVERIFY2(sameLayout(pair.doc(), &pair.ref, &why) && sameCarets(pair.doc(), &pair.ref, &why), qPrintable(why));
    }
};

QTEST_MAIN(DocLayoutTest)
#include "x11_doclayout_test.moc"
