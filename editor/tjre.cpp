#include "editor/tjre.h"

#include "editor/doclayout.h"
#include "editor/docformat.h"
#include "editor/docio.h"
#include "editor/plaintext.h"
#include "editor/rtf/picture.h"
#include "editor/rtf/reader.h"
#include "editor/rtf/writer.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "spell/menu.h"
#include "spell/spellcheck.h"

#include <QAbstractTextDocumentLayout>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QMimeData>
#include <QPointer>
#include <QProgressDialog>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>
#include <memory>

namespace {

constexpr int kLineBuffer = 4096;  // characters read of one line
constexpr double kPixelsPerDialogUnit = 2.0; // the system font's base unit of 8 pixels, in quarters
constexpr double kDefaultTabPixels = 48.0;   // half an inch at 96 pixels per inch
const QString kRtfMime = QStringLiteral("text/rtf");

// A line question that waits for the layout shows its progress after half a
// second; Отмена leaves the answer an estimate.
DocLayout::MeasureProgress waitingDialog(QWidget *parent) {
    struct Wait {
        QElapsedTimer clock;
        std::unique_ptr<QProgressDialog> dialog;
    };
    auto wait = std::make_shared<Wait>();
    return [wait, parent](int done, int total) {
        if (done < 0) {
            wait->dialog.reset();
            wait->clock.invalidate();
            return true;
        }
        if (!wait->clock.isValid())
            wait->clock.start();
        if (!wait->dialog && wait->clock.elapsed() >= 450) {
            wait->dialog = std::make_unique<QProgressDialog>(QStringLiteral("Подсчёт строк документа…"),
                                                             QStringLiteral("Отмена"), 0, total, parent);
            wait->dialog->setWindowTitle(QStringLiteral("Подождите"));
            wait->dialog->setWindowModality(Qt::WindowModal);
            wait->dialog->setMinimumDuration(0);
        }
        if (!wait->dialog)
            return true;
        wait->dialog->setValue(done); // spins events: the dialog is modal
        return !wait->dialog->wasCanceled();
    };
}

} // namespace

TJRE::TJRE(QWidget *parent) : QTextEdit(parent) {
    setAcceptRichText(true);
    setTabChangesFocus(false);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setContextMenuPolicy(Qt::DefaultContextMenu); // only a right click opens one: contextMenuEvent
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(this, &QTextEdit::textChanged, this, [this] {
        if (changeMuted_)
            return;
        if (changeHolds_ > 0)
            changeHeld_ = true;
        else
            emit Change();
    });
    // A view at the end stays there when the paragraphs it shows are laid out
    // and the document's height changes.
    QScrollBar *bar = verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this, bar](int, int max) {
        if (atEnd_ && bar->value() != max)
            bar->setValue(max);
    });
    connect(this, &QTextEdit::cursorPositionChanged, this, [this] {
        layout_->setCaret(textCursor().position());
        spell_->setCaret(textCursor().position());
    });
    // The check looks at the view and a screen above and below it.
    spell_ = new spell::SpellCheck(this);
    spell_->setRange([this] {
        const qreal top = verticalScrollBar()->value(), height = viewport()->height();
        return layout_->textBetween(top - height, top + 2 * height);
    });
    connect(spell_, &spell::SpellCheck::redraw, this, [this](const QTextBlock &block) { layout_->redraw(block); });
    connect(spell_, &spell::SpellCheck::changed, viewport(), qOverload<>(&QWidget::update));
    adoptDocument(document());
    applySelectionPalette();
}

void TJRE::adoptDocument(QTextDocument *doc) {
    DocLayout *layout = DocLayout::install(doc); // lays out only what is looked at
    if (layout == layout_)
        return;
    layout_ = layout;
    layout_->setView(verticalScrollBar()->value(), viewport()->height());
    spell_->setDocument(doc);
    positions_.reset();
    connect(doc, &QTextDocument::contentsChange, this, [this] { positions_.reset(); });
    layout_->setOverlay([this](const QTextBlock &block, int from, int to) {
        QList<std::pair<int, int>> spans;
        for (const spell::Mark &m : spell_->marks(block, from, to))
            spans.append({m.start, m.length});
        return spans;
    });
    connect(layout_, &DocLayout::viewShift, this, &TJRE::followShift);
    layout_->setProgress(waitingDialog(this));
    connect(doc, &QTextDocument::modificationChanged, this, [this, doc](bool modified) {
        if (doc == document())
            emit ModifiedChanged(modified);
    });
}

// Paragraphs above the view were laid out and changed height: move the view
// with them, without scrolling what it shows.
void TJRE::followShift(qreal delta) {
    if (sender() != layout_)
        return;
    QScrollBar *bar = verticalScrollBar();
    shiftRest_ += delta;
    const int step = qRound(shiftRest_);
    shiftRest_ -= step;
    const QSignalBlocker quiet(bar);
    bar->setValue(bar->value() + step);
    layout_->setView(bar->value(), viewport()->height());
    spell_->schedule();
}

void TJRE::scrollContentsBy(int dx, int dy) {
    QTextEdit::scrollContentsBy(dx, dy);
    const QScrollBar *bar = verticalScrollBar();
    atEnd_ = bar->maximum() > 0 && bar->value() == bar->maximum();
    layout_->setView(bar->value(), viewport()->height());
    spell_->schedule();
}

// ---- positions ---------------------------------------------------------------

// Counted afresh after each change of the document: joins of long
// paragraphs' pieces count nothing (see editor/pieces.h).
const pieces::Positions &TJRE::positions() const {
    if (!positions_ || positions_->document() != document())
        positions_.emplace(document());
    return *positions_;
}

int TJRE::toQt(int position) const { return positions().toQt(position); }

int TJRE::fromQt(int qtPosition) const { return positions().fromQt(qtPosition); }

// ---- text and selection ------------------------------------------------------

QString TJRE::GetText() const { return plaintext::text(*document()); }

int TJRE::GetTextLen() const { return positions().textLength(); }

int TJRE::CharacterCount() const { return GetTextLen(); }

int TJRE::SelectionStart() const { return fromQt(textCursor().selectionStart()); }

int TJRE::SelectionLength() const {
    const QTextCursor c = textCursor();
    return fromQt(c.selectionEnd()) - fromQt(c.selectionStart());
}

void TJRE::Select(int start, int length) {
    QTextCursor c(document());
    c.setPosition(toQt(start));
    c.setPosition(toQt(start + length), QTextCursor::KeepAnchor);
    setTextCursor(c);
    ensureCursorVisible();
}

QString TJRE::SelectedText() const {
    const QTextCursor c = textCursor();
    return plaintext::text(*document(), c.selectionStart(), c.selectionEnd());
}

void TJRE::ReplaceSelection(const QString &text) {
    QTextCursor c = textCursor();
    pieces::insertText(c, text);
    setTextCursor(c);
}

void TJRE::SelectAll() { selectAll(); }

void TJRE::Clear(const QTextBlockFormat &paragraph) {
    BulkEdit([&] {
        QTextCursor c(document());
        c.beginEditBlock();
        c.select(QTextCursor::Document);
        c.removeSelectedText();
        c.setBlockFormat(paragraph); // out of any list
        QTextFrameFormat root = document()->rootFrame()->frameFormat();
        // No headers, page setup or styles of the document before.
        root.clearProperty(docformat::kKept);
        root.clearProperty(docformat::kStyles);
        document()->rootFrame()->setFrameFormat(root);
        c.setBlockCharFormat(QTextCharFormat());
        c.endEditBlock();
        setTextCursor(c);
        setCurrentCharFormat(defaultFormat_);
        SetModified(false);
    });
}

// ---- formats -----------------------------------------------------------------

QTextCharFormat TJRE::SelectionFormat() const {
    const QTextCursor sel = textCursor();
    if (!sel.hasSelection())
        return sel.charFormat();
    // The format of the first selected character.
    QTextCursor c(document());
    c.setPosition(sel.selectionStart() + 1);
    return c.charFormat();
}

void TJRE::SetSelectionFormat(const QTextCharFormat &format) { mergeCurrentCharFormat(format); }

QTextCharFormat TJRE::DefaultFormat() const { return defaultFormat_; }

void TJRE::SetDefaultFormat(const QTextCharFormat &format) {
    defaultFormat_.merge(format);
    if (!textCursor().hasSelection())
        mergeCurrentCharFormat(format);
}

QTextBlockFormat TJRE::ParagraphFormat() const { return pieces::firstPiece(textCursor().block()).blockFormat(); }

void TJRE::SetParagraphFormat(const QTextBlockFormat &format) {
    const QTextCursor sel = textCursor();
    QTextDocument *doc = document();
    const auto [from, to] = pieces::paragraphs(*doc, sel.selectionStart(), sel.selectionEnd());
    QTextCursor c(doc);
    c.beginEditBlock();
    const QTextBlock last = doc->findBlock(to);
    for (QTextBlock b = doc->findBlock(from); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        f.merge(format);
        docformat::setParagraphIndents(f, docformat::startIndent(f), docformat::offset(f));
        c.setPosition(b.position());
        c.setBlockFormat(f);
        if (b == last)
            break;
    }
    c.endEditBlock();
}

bool TJRE::Bullet() const { return docformat::hasBullet(pieces::firstPiece(textCursor().block())); }

void TJRE::SetBullet(bool on) {
    QTextCursor c = textCursor();
    c.beginEditBlock();
    // A list item is one block: the pieces of a long paragraph are joined first.
    const auto [from, to] = pieces::paragraphs(*document(), c.selectionStart(), c.selectionEnd());
    if (on)
        pieces::unsplit(*document(), from, to); // c keeps its place in the text
    docformat::setBullet(c, on);
    c.endEditBlock();
}

QString TJRE::FontName() const { return font().family(); }

int TJRE::FontSize() const { return font().pointSize(); }

void TJRE::SetFont(const QString &name, int pointSize) {
    QFont f(name);
    f.setPointSize(pointSize > 0 ? pointSize : 1);
    setFont(f);
    document()->setDefaultFont(f);
    QTextCharFormat fmt;
    docformat::setFontName(fmt, name);
    fmt.setFontPointSize(f.pointSize());
    SetDefaultFormat(fmt);
}

QColor TJRE::Color() const { return palette().color(QPalette::Base); }

void TJRE::SetColor(const QColor &color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
    applySelectionPalette();
}

void TJRE::SetTabStops(const QList<int> &dialogUnits) {
    QTextOption option = document()->defaultTextOption();
    QList<QTextOption::Tab> tabs;
    for (int du : dialogUnits)
        tabs.append(QTextOption::Tab(du * kPixelsPerDialogUnit, QTextOption::LeftTab));
    option.setTabs(tabs);
    option.setTabStopDistance(kDefaultTabPixels);
    document()->setDefaultTextOption(option);
}

// ---- files -------------------------------------------------------------------

void TJRE::LoadFile(const QString &path) {
    replaceDocument([&](QTextDocument &doc, const QTextCharFormat &plainFormat) {
        return docio::load(path, plainText_, doc, plainFormat);
    });
}

void TJRE::LoadBytes(const QByteArray &bytes, bool plainText) {
    replaceDocument([&](QTextDocument &doc, const QTextCharFormat &plainFormat) {
        return docio::read(bytes, plainText, doc, plainFormat);
    });
}

// A fresh document filled by fill (which throws to leave the old one as it was).
void TJRE::replaceDocument(const std::function<plaintext::Encoding(QTextDocument &, const QTextCharFormat &)> &fill) {
    auto doc = std::make_unique<QTextDocument>(this);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    doc->setDefaultTextOption(document()->defaultTextOption());
    const plaintext::Encoding encoding = fill(*doc, defaultFormat_);
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);

    // Qt deletes the document it made itself; one of ours is deleted here.
    QPointer<QTextDocument> old = document();
    adoptDocument(doc.get()); // setDocument's change signals already count lines in it
    setDocument(doc.release());
    if (old && old->parent() == this)
        delete old;
    adoptDocument(document());
    setCurrentCharFormat(defaultFormat_);
    encoding_ = encoding;
    emit ModifiedChanged(false);
}

void TJRE::SaveFile(const QString &path) const { docio::save(path, plainText_, *document(), encoding_); }

// ---- modes -------------------------------------------------------------------

bool TJRE::WordWrap() const { return lineWrapMode() != QTextEdit::NoWrap; }

void TJRE::SetWordWrap(bool on) {
    if (on == WordWrap())
        return;
    setLineWrapMode(on ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

void TJRE::SetHideSelection(bool on) {
    hideSelection_ = on;
    applySelectionPalette();
}

void TJRE::applySelectionPalette() {
    // Selected text keeps its own colours (a colour just given to it shows at
    // once): no highlighted-text brush, and the highlight a tint of the paper
    // that dark and coloured text both read on. An unfocused editor that hides
    // its selection draws no highlight at all.
    QPalette p = palette();
    const QColor paper = p.color(QPalette::Base);
    const QColor mark = QPalette().color(QPalette::Active, QPalette::Highlight);
    const auto mix = [](int a, int b) { return (2 * a + 3 * b) / 5; };
    const QColor tint(mix(mark.red(), paper.red()), mix(mark.green(), paper.green()), mix(mark.blue(), paper.blue()));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setBrush(group, QPalette::Highlight, tint);
        p.setBrush(group, QPalette::HighlightedText, QBrush());
    }
    if (hideSelection_)
        p.setBrush(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    setPalette(p);
}

bool TJRE::IsModified() const { return document()->isModified(); }
void TJRE::SetModified(bool on) { document()->setModified(on); }

bool TJRE::CanUndo() const { return document()->isUndoAvailable(); }
void TJRE::Undo() { undo(); }
bool TJRE::CanRedo() const { return document()->isRedoAvailable(); }
void TJRE::Redo() { redo(); }
void TJRE::Cut() { cut(); }
void TJRE::Copy() { copy(); }
void TJRE::Paste() { paste(); }

void TJRE::DeleteSelection() {
    QTextCursor c = textCursor();
    c.removeSelectedText();
    setTextCursor(c);
}

// ---- lines -------------------------------------------------------------------

int TJRE::LineFromChar(int position) { return layout_->lineOfPosition(toQt(position)); }

int TJRE::LineIndex(int line) {
    const int q = layout_->lineStart(line);
    return q < 0 ? -1 : fromQt(q);
}

int TJRE::LineCount() {
    const int n = layout_->lineCount();
    return document()->lastBlock().length() == 1 ? n - 1 : n;
}

QString TJRE::TLines::operator[](int i) const {
    const int start = editor_->layout_->lineStart(i);
    if (start < 0)
        return {};
    const QTextBlock block = editor_->document()->findBlock(start);
    if (!editor_->WordWrap())
        return block.text().left(kLineBuffer);
    const QTextLine line = editor_->layout_->laidOut(block)->lineForTextPosition(start - block.position());
    return block.text().mid(line.textStart(), line.textLength()).left(kLineBuffer);
}

QStringList TJRE::TLines::Texts(QList<int> *firstLines) const {
    const QTextDocument *doc = editor_->document();
    // Without word wrap every paragraph is one display line (no paragraph holds
    // a line separator: none is in the alphabet), so nothing needs laying out.
    const bool wrap = editor_->WordWrap();
    QStringList out;
    out.reserve(doc->blockCount());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (firstLines)
            firstLines->append(int(out.size()));
        const QTextLayout *layout = wrap ? editor_->layout_->laidOut(b) : nullptr;
        const int k = layout ? layout->lineCount() : 0;
        if (k <= 1) {
            out.append(b.text());
            continue;
        }
        const QString text = b.text();
        for (int j = 0; j < k; ++j) {
            const QTextLine line = layout->lineAt(j);
            out.append(text.mid(line.textStart(), line.textLength()));
        }
    }
    if (doc->lastBlock().length() == 1)
        out.removeLast(); // an empty last line is not a line
    return out;
}

// The line takes the format of text typed where nothing is selected, as in a
// document just emptied by Clear.
void TJRE::TLines::Add(const QString &line) {
    QTextCursor c(editor_->document());
    c.movePosition(QTextCursor::End);
    c.insertText(line + QLatin1String("\r\n"), editor_->DefaultFormat());
}

void TJRE::ApplyJustify(Justify kind) {
    QTextDocument *doc = document();
    const bool untouched = kind == Justify::Layout && !IsModified() && !CanUndo() && !CanRedo();
    if (untouched) {
        doc->setUndoRedoEnabled(false); // the history is empty: nothing is lost
        changeMuted_ = true;
    }
    const auto restore = qScopeGuard([&] {
        if (untouched) {
            changeMuted_ = false;
            doc->setUndoRedoEnabled(true);
            SetModified(false);
        }
    });
    const QTextCursor sel = textCursor();
    const auto [from, to] = sel.hasSelection() ? pieces::paragraphs(*doc, sel.selectionStart(), sel.selectionEnd())
                                               : std::pair(0, doc->characterCount() - 1);
    // Only paragraphs not yet justified change, in runs, so that a resize of a
    // justified document lays nothing out again and changes nothing.
    QTextBlockFormat justify;
    justify.setAlignment(Qt::AlignJustify);
    QTextCursor c(doc);
    bool editing = false;
    int runStart = -1;
    auto flush = [&](int runEnd) {
        if (runStart < 0)
            return;
        if (!editing) {
            c.beginEditBlock();
            editing = true;
        }
        c.setPosition(runStart);
        c.setPosition(runEnd, QTextCursor::KeepAnchor);
        c.mergeBlockFormat(justify);
        runStart = -1;
    };
    const QTextBlock last = doc->findBlock(to);
    for (QTextBlock b = doc->findBlock(from); b.isValid(); b = b.next()) {
        if (b.blockFormat().alignment() != Qt::AlignJustify) {
            if (runStart < 0)
                runStart = b.position();
        } else {
            flush(b.previous().position());
        }
        if (b == last) {
            flush(b.position());
            break;
        }
    }
    if (editing)
        c.endEditBlock();
    setTextCursor(QTextCursor(doc));
    SetWordWrap(true);
}

TJRE::ChangeBatch::ChangeBatch(TJRE *editor) : editor_(editor) {
    if (editor_->changeHolds_++ == 0)
        editor_->changeHeld_ = false;
}

TJRE::ChangeBatch::~ChangeBatch() {
    if (--editor_->changeHolds_ == 0 && editor_->changeHeld_) {
        editor_->changeHeld_ = false;
        emit editor_->Change();
    }
}

void TJRE::BulkEdit(const std::function<void()> &edit) {
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    ChangeBatch batch(this);
    const auto restore = qScopeGuard([&] {
        if (updates) {
            setUpdatesEnabled(true);
            viewport()->update();
        }
    });
    edit();
}

// ---- clipboard ---------------------------------------------------------------

QMimeData *TJRE::createMimeDataFromSelection() const {
    QMimeData *mime = QTextEdit::createMimeDataFromSelection();
    // Our own RTF keeps every attribute across copy and paste, and other
    // programs read it too.
    QTextDocument fragment;
    QTextCursor(&fragment).insertFragment(textCursor().selection());
    if (pieces::mayHaveJoins(*document()))
        pieces::markJoins(fragment);
    mime->setData(kRtfMime, rtf::write(fragment));
    // Pictures leave nothing in plain text; the first one is offered as an image.
    // (Asking for the text first makes Qt's mime data fill in its own.)
    QString text = mime->text();
    if (pieces::mayHaveJoins(fragment)) { // the joins of a long paragraph's pieces are no breaks
        text = plaintext::text(fragment);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")); // as Qt gives a selection's text
        text.replace(QChar::LineSeparator, u'\n');
        text.replace(QChar::Nbsp, u' ');
    }
    mime->setText(text.remove(QChar::ObjectReplacementCharacter));
    for (QTextBlock b = fragment.begin(); b.isValid() && !mime->hasImage(); b = b.next())
        for (QTextBlock::iterator it = b.begin(); !it.atEnd(); ++it)
            if (const QByteArray picture = it.fragment().charFormat().property(docformat::kPicture).toByteArray();
                !picture.isEmpty()) {
                const QImage image = rtf::decodePicture(rtf::readPicture(picture), QSize(8192, 8192));
                if (!image.isNull()) {
                    mime->setImageData(image);
                    break;
                }
            }
    return mime;
}

void TJRE::insertFromMimeData(const QMimeData *source) {
    QTextDocument incoming;
    bool rich = false;
    if (source->hasFormat(kRtfMime)) {
        rich = rtf::read(source->data(kRtfMime), incoming);
        pieces::split(incoming);
    }
    if (!rich && source->hasImage()) { // a picture of its own
        const QImage image = qvariant_cast<QImage>(source->imageData());
        if (!image.isNull()) {
            QTextCursor(&incoming).insertText(QString(QChar::ObjectReplacementCharacter),
                                              rtf::pictureFormat(rtf::pictureOf(image)));
            rich = true;
        }
    }
    if (!rich && source->hasHtml()) {
        incoming.setHtml(source->html());
        rich = true;
    }
    QTextCursor c = textCursor();
    if (rich && pieces::mayHaveJoins(incoming))
        pieces::markJoins(*document()); // before the change, which counts positions
    c.beginEditBlock();
    if (rich)
        c.insertFragment(QTextDocumentFragment(&incoming));
    else if (const QString text = source->text(); source->hasText()) {
        c.insertText(text);
        if (text.size() > pieces::kSplitFrom)
            pieces::split(*document()); // a long paragraph pasted: in pieces, as one read from a file
    }
    c.endEditBlock();
    setTextCursor(c);
    ensureCursorVisible();
}

// ---- events ------------------------------------------------------------------

bool TJRE::viewportEvent(QEvent *event) {
    if (event->type() != QEvent::ToolTip)
        return QTextEdit::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    QTextCursor c = cursorForPosition(help->pos());
    const QRect caret = cursorRect(c);
    // The character on whichever side of the caret the pointer is.
    if (help->pos().x() >= caret.left() && !c.atBlockEnd())
        c.movePosition(QTextCursor::NextCharacter);
    const QString tip = c.charFormat().toolTip();
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport());
    return true;
}

void TJRE::keyPressEvent(QKeyEvent *event) {
    if (!TableKey(event) && !PieceKey(event))
        QTextEdit::keyPressEvent(event);
}

// Between two pieces of one paragraph there is no character to see: Backspace
// and Delete there take the letter beyond the join too, and Enter in an
// emptied piece (whose typing format is the join's) makes a real break.
bool TJRE::PieceKey(QKeyEvent *event) {
    QTextCursor c = textCursor();
    if (!pieces::mayHaveJoins(*document()) || c.hasSelection() || event->modifiers() & ~Qt::KeypadModifier)
        return false;
    const QTextBlock block = c.block();
    const auto erase = [&](bool back, const QTextBlock &beyond) {
        c.beginEditBlock();
        for (int i = beyond.length() > 1 ? 2 : 1; i > 0; --i)
            back ? c.deletePreviousChar() : c.deleteChar();
        c.endEditBlock();
        setTextCursor(c);
        return true;
    };
    // Joining two paragraphs where pieces follow: the pieces take the joined paragraph's format.
    const auto join = [&](bool back) {
        c.beginEditBlock();
        back ? c.deletePreviousChar() : c.deleteChar();
        pieces::follow(c);
        c.endEditBlock();
        setTextCursor(c);
        return true;
    };
    switch (event->key()) {
    case Qt::Key_Backspace:
        if (!c.atBlockStart() || !block.previous().isValid())
            return false;
        if (pieces::joined(block))
            return erase(true, block.previous());
        return pieces::joined(block.next()) && !block.textList() && join(true);
    case Qt::Key_Delete:
        if (!c.atBlockEnd() || !block.next().isValid())
            return false;
        if (pieces::joined(block.next()))
            return erase(false, block.next());
        return pieces::joined(block.next().next()) && join(false);
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QTextCharFormat typing = c.charFormat();
        if (!typing.hasProperty(pieces::kJoin) && pieces::firstPiece(block) == block)
            return false;
        typing.clearProperty(pieces::kJoin);
        c.beginEditBlock();
        c.setCharFormat(typing);
        pieces::insertText(c, QString(QChar::ParagraphSeparator));
        c.endEditBlock();
        setTextCursor(c);
        return true;
    }
    default:
        return false;
    }
}

namespace {

using docformat::endsRow;
using docformat::inTable;

QTextBlock rowStart(QTextBlock b) {
    while (inTable(b.previous()) && !endsRow(b.previous()))
        b = b.previous();
    return b;
}

QTextBlock rowEnd(QTextBlock b) {
    while (!endsRow(b) && inTable(b.next()))
        b = b.next();
    return b;
}

// The cell of the row the position is in: the tabs of the row before it.
int cellOf(const QTextBlock &block, int pos) {
    int cell = 0;
    for (QTextBlock b = rowStart(block); b != block; b = b.next())
        cell += int(b.text().count(u'\t'));
    return cell + int(block.text().left(pos - block.position()).count(u'\t'));
}

// Where the row's cell starts (its last cell, when it has fewer).
int cellStart(const QTextBlock &first, int cell) {
    int position = first.position();
    for (QTextBlock b = first; inTable(b); b = b.next()) {
        const QString text = b.text();
        for (qsizetype i = 0; i < text.size() && cell > 0; ++i)
            if (text[i] == u'\t' && --cell == 0)
                return b.position() + int(i) + 1;
        if (endsRow(b))
            break;
    }
    return position;
}

} // namespace

bool TJRE::TableKey(QKeyEvent *event) {
    QTextCursor c = textCursor();
    const QTextBlock block = c.block();
    const int pos = c.position();
    const bool erase = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier) || (erase && c.hasSelection()))
        return false;
    if (!inTable(block)) { // a paragraph beside a table does not join it
        if (event->key() == Qt::Key_Backspace)
            return pos == block.position() && inTable(block.previous());
        if (event->key() == Qt::Key_Delete)
            return pos == block.position() + block.length() - 1 && inTable(block.next());
        return false;
    }
    QTextDocument *doc = document();
    const auto move = [&](int to) {
        c.setPosition(to);
        setTextCursor(c);
        return true;
    };
    switch (event->key()) {
    case Qt::Key_Tab: { // the next cell's start: after the next tab of the row, or the next row
        for (QTextBlock b = block; inTable(b); b = b.next()) {
            const int from = b == block ? pos - b.position() : 0;
            if (const int tab = int(b.text().indexOf(u'\t', from)); tab >= 0)
                return move(b.position() + tab + 1);
            if (endsRow(b))
                return inTable(b.next()) ? move(b.next().position()) : true;
        }
        return true;
    }
    case Qt::Key_Backtab: { // the previous cell's start
        int tabs = 0;
        for (QTextBlock b = block; inTable(b); b = b.previous()) {
            if (b != block && endsRow(b))
                break; // the row's first cell
            const QString text = b.text();
            for (int i = (b == block ? pos - b.position() : int(text.size())) - 1; i >= 0; --i)
                if (text[i] == u'\t' && ++tabs == 2)
                    return move(b.position() + i + 1);
            if (!inTable(b.previous()) || endsRow(b.previous()))
                return move(b.position());
        }
        return true;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: { // from a cell's first (last) line to the same cell of the row above (below)
        const QString text = block.text();
        const int at = pos - block.position();
        const QTextLine line = block.layout()->lineForTextPosition(at);
        if (!line.isValid() || event->modifiers() & Qt::ShiftModifier)
            return false;
        const bool up = event->key() == Qt::Key_Up;
        const int from = at > 0 ? int(text.lastIndexOf(u'\t', at - 1)) + 1 : 0; // the cell's start and end
        const int to = int(text.indexOf(u'\t', at));
        if (up ? line.textStart() > from : line.textStart() + line.textLength() < (to < 0 ? int(text.size()) : to + 1))
            return false; // inside the cell: line by line
        const QTextBlock target = up ? rowStart(block).previous() : rowEnd(block).next();
        if (!inTable(target))
            return false;
        return move(cellStart(rowStart(target), cellOf(block, pos)));
    }
    case Qt::Key_Backspace:
        if (pos > block.position())
            return doc->characterAt(pos - 1) == u'\t' && move(pos - 1); // a cell's start: step over its edge
        // The row's first paragraph: not into the row or the text before it.
        return !inTable(block.previous()) || endsRow(block.previous());
    case Qt::Key_Delete:
        if (pos < block.position() + block.length() - 1)
            return doc->characterAt(pos) == u'\t' && move(pos + 1);
        return endsRow(block) || !inTable(block.next()); // the row's end stays
    default:
        return false;
    }
}

void TJRE::mouseReleaseEvent(QMouseEvent *event) {
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !(event->modifiers() & Qt::ControlModifier))
        return;
    const QString target = anchorAt(event->position().toPoint());
    if (!target.isEmpty())
        shell::open(QUrl(target));
}

void TJRE::mousePressEvent(QMouseEvent *event) {
    QTextEdit::mousePressEvent(event);
    emit MouseDown();
}

// Qt sends it after the right button's press has been handled as before. A
// menu key or Shift+F10 still opens nothing.
void TJRE::contextMenuEvent(QContextMenuEvent *event) {
    if (event->reason() != QContextMenuEvent::Mouse) {
        event->ignore();
        return;
    }
    const spell::MenuHooks hooks{[this](bool on) { emit SpellingChanged(on); },
                                 [](const QString &message) { messages::showError(message); }};
    const auto menu = spell::menuFor(*spell_, cursorForPosition(event->pos()).position(), hooks, this);
    menu->exec(event->globalPos());
}

bool TJRE::Spelling() const { return spell_->enabled(); }

void TJRE::SetSpelling(bool on) { spell_->setEnabled(on); }

// A new width re-estimates every paragraph: keep the line at the top of the
// view where it is.
void TJRE::resizeEvent(QResizeEvent *event) {
    QScrollBar *bar = verticalScrollBar();
    const int top = bar->value();
    const int pos = top > 0 ? layout_->hitTest(QPointF(0, top), Qt::FuzzyHit) : -1;
    layout_->setView(top, viewport()->height());
    QTextEdit::resizeEvent(event);
    spell_->schedule();
    if (pos >= 0 && !atEnd_) {
        const QTextBlock block = document()->findBlock(pos);
        const QRectF rect = layout_->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineForTextPosition(pos - block.position());
        bar->setValue(qRound(rect.top() + (line.isValid() ? line.y() : 0)));
    }
}
