#include "spell/spellcheck.h"

#include <QElapsedTimer>

#include <chrono>
#include <future>

namespace spell {
namespace {

// A paragraph longer than this is read piece by piece, not whole.
constexpr int kLongParagraph = 64 * 1024;
// A piece starts after the first blank this far past its nominal start.
constexpr int kBlankReach = 64;
// The pieces' answers kept, in characters of their texts.
constexpr qsizetype kKeptChars = 8 * 1024 * 1024;

struct Loader {
    std::future<std::unique_ptr<Speller>> future;
    std::unique_ptr<Speller> speller;
    int loads = 0; // how many times they were loaded: answers of an earlier load are stale
};

Loader &loader() {
    static Loader instance;
    return instance;
}

// The text of a block between two offsets, without copying all of a long one.
class BlockText {
public:
    explicit BlockText(const QTextBlock &block) : block_(block), length_(block.length() - 1) {
        if (length_ <= kLongParagraph)
            whole_ = block.text();
    }
    int length() const { return length_; }
    QString mid(int from, int to) const {
        from = std::clamp(from, 0, length_);
        to = std::clamp(to, from, length_);
        if (length_ <= kLongParagraph)
            return whole_.mid(from, to - from);
        // Character by character: a cursor would have the layout lay the
        // paragraph out to find its x.
        QString out(to - from, Qt::Uninitialized);
        const QTextDocument *doc = block_.document();
        for (int i = from; i < to; ++i)
            out[i - from] = doc->characterAt(block_.position() + i);
        return out;
    }
    // Where piece k starts: after the first blank from k * kPiece on (words
    // stay whole), or there when no blank is near.
    int pieceStart(int k) const {
        const int nominal = k * SpellCheck::kPiece;
        if (k == 0 || nominal >= length_)
            return std::min(nominal, length_);
        const QString near = mid(nominal, nominal + kBlankReach);
        for (qsizetype i = 0; i < near.size(); ++i)
            if (near[i].isSpace())
                return nominal + int(i) + 1;
        return nominal;
    }

private:
    QTextBlock block_;
    int length_;
    QString whole_;
};

} // namespace

Speller *SpellCheck::dictionaries(bool wait) {
    Loader &l = loader();
    if (l.speller)
        return l.speller.get();
    if (!l.future.valid()) {
        l.future = std::async(std::launch::async, [] { return Speller::load(); });
        ++l.loads;
    }
    if (!wait && l.future.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    l.speller = l.future.get();
    return l.speller.get();
}

void SpellCheck::reloadDictionaries() {
    Loader &l = loader();
    if (l.future.valid())
        l.future.wait();
    l.future = {};
    l.speller.reset();
}

SpellCheck::SpellCheck(QObject *parent) : QObject(parent) {
    round_.setSingleShot(true);
    connect(&round_, &QTimer::timeout, this, &SpellCheck::round);
}

void SpellCheck::setDocument(QTextDocument *doc) {
    if (doc_ == doc)
        return;
    if (doc_)
        disconnect(doc_, nullptr, this, nullptr);
    doc_ = doc;
    typedAt_ = -1;
    held_ = {-1, -1};
    if (doc_)
        connect(doc_, &QTextDocument::contentsChange, this, &SpellCheck::contentsChange);
    schedule();
}

void SpellCheck::setEnabled(bool on) {
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on)
        dictionaries(); // starts loading them
    else
        round_.stop();
    schedule();
    emit changed();
}

void SpellCheck::schedule() {
    whole_ = true;
    start();
}

// Only the text from..to (Qt positions) may need a look: an edit there, or a
// paragraph drawn before it was checked.
void SpellCheck::scheduleSpan(int from, int to) {
    dirtyFrom_ = dirtyFrom_ < 0 ? from : std::min(dirtyFrom_, from);
    dirtyTo_ = std::max(dirtyTo_, to);
    start();
}

void SpellCheck::start() {
    if (enabled_ && doc_ && !round_.isActive())
        round_.start(0);
}

// The answers kept belong to one speller in one state.
Speller *SpellCheck::ready() {
    Speller *speller = dictionaries();
    if (speller && (loader().loads != load_ || speller->generation() != generation_)) {
        forget();
        speller_ = speller;
        load_ = loader().loads;
        generation_ = speller->generation();
    }
    return speller;
}

void SpellCheck::forget() {
    pieces_.clear();
    resume_ = -1;
    pieceChars_ = 0;
}

// ---- checking ------------------------------------------------------------------

// ask: look up the words not known yet, until deadlineMs; an answer without
// it holds the words known. heldAt: the word being typed, by its start in
// text, which needs no redraw when it is found misspelt.
SpellCheck::Answer SpellCheck::check(QStringView text, bool ask, qint64 deadlineMs, int heldAt) {
    Answer answer;
    QElapsedTimer clock;
    clock.start();
    Speller &speller = *speller_;
    for (const Word &w : words(text)) {
        const QStringView word = text.mid(w.start, w.length);
        std::optional<bool> right = speller.known(word, w.language);
        if (!right) {
            if (!ask || clock.elapsed() >= deadlineMs) {
                answer.complete = false;
                if (ask)
                    break;
                continue;
            }
            right = speller.correct(word, w.language);
            answer.fresh |= !*right && w.start != heldAt;
        }
        if (!*right)
            answer.marks.append({w.start, w.length});
    }
    return answer;
}

void SpellCheck::forEachPiece(const QTextBlock &block, int from, int to,
                              const std::function<bool(int, const QString &)> &fn) {
    const BlockText text(block);
    const int n = text.length();
    if (n == 0)
        return;
    if (n <= kPiece) {
        fn(0, text.mid(0, n));
        return;
    }
    int k = std::max(0, from / kPiece - 1);
    for (int start = text.pieceStart(k); start < n && start <= to; ++k) {
        const int end = text.pieceStart(k + 1); // past start: a piece is longer than kBlankReach
        if (end > from && !fn(start, text.mid(start, end)))
            return;
        start = end;
    }
}

QList<Mark> SpellCheck::marks(const QTextBlock &block, int from, int to) {
    if (!enabled_ || !doc_ || block.document() != doc_)
        return {};
    Speller *speller = ready();
    if (!speller) {
        schedule(); // polls until they are loaded
        return {};
    }
    if (!speller->any())
        return {};
    QList<Mark> out;
    forEachPiece(block, from, to, [&](int start, const QString &text) {
        auto it = pieces_.constFind(text);
        QList<Mark> found;
        if (it != pieces_.constEnd()) {
            found = *it;
        } else {
            const Answer answer = check(text, false, 0, -1);
            found = answer.marks;
            scheduleSpan(block.position(), block.position() + block.length()); // looked up in a round
        }
        for (const Mark &m : found)
            out.append({start + m.start, m.length});
        return true;
    });
    // Not the word being typed.
    const std::pair<int, int> span = held();
    if (const int heldFrom = span.first, heldTo = span.second; heldFrom >= 0) {
        const int base = block.position();
        out.removeIf([&](const Mark &m) { return base + m.start <= heldTo && base + m.start + m.length >= heldFrom; });
    }
    return out;
}

// One round: the pieces in range not checked yet, until the slice is used
// up; the next round goes on from there. Each round looks words up for a
// while at least, however long reading the text took.
void SpellCheck::round() {
    if (!enabled_ || !doc_ || !range_)
        return;
    Speller *speller = ready();
    if (!speller) {
        round_.start(50); // loading: look again soon
        return;
    }
    if (!speller->any())
        return;
    QElapsedTimer clock;
    clock.start();
    auto [from, to] = range_();
    if (!whole_) { // after edits: only the text edited
        from = std::max(from, dirtyFrom_);
        to = std::min(to, dirtyTo_);
    }
    const int begin = resume_ > from && resume_ <= to ? resume_ : from;
    resume_ = -1;
    const int heldFrom = held().first;
    bool asked = false;
    for (QTextBlock b = doc_->findBlock(begin); b.isValid() && b.position() <= to && resume_ < 0; b = b.next()) {
        const int start = b.position();
        bool fresh = false;
        forEachPiece(b, begin - start, to - start, [&](int pieceStart, const QString &text) {
            if (pieces_.contains(text))
                return true;
            const qint64 left = std::max<qint64>(asked ? 0 : 1, kSliceMs - clock.elapsed());
            asked = true;
            const Answer answer = left > 0 ? check(text, true, left, heldFrom - start - pieceStart) : Answer{{}, false, false};
            if (!answer.complete) {
                resume_ = start + pieceStart;
                return false;
            }
            if (pieceChars_ > kKeptChars)
                forget();
            pieces_.insert(text, answer.marks);
            pieceChars_ += text.size();
            ++piecesChecked_;
            fresh |= answer.fresh;
            return true;
        });
        if (fresh)
            emit redraw(b);
    }
    if (resume_ >= 0) {
        round_.start(0);
        return;
    }
    whole_ = false;
    dirtyFrom_ = dirtyTo_ = -1;
}

// ---- the word being typed ----------------------------------------------------------

void SpellCheck::contentsChange(int from, int removed, int added) {
    typedAt_ = added <= 1 ? from + added : -1;
    held_ = {-1, -1};
    resume_ = -1;
    if (dirtyTo_ >= from) // an earlier edit's end moves with the text
        dirtyTo_ = std::max(from, dirtyTo_ + added - removed);
    // To its paragraph's end: the pieces after the edit have moved.
    const QTextBlock last = doc_->findBlock(from + added);
    scheduleSpan(from, last.isValid() ? last.position() + last.length() : from + added);
}

std::pair<int, int> SpellCheck::held() {
    if (typedAt_ >= 0 && doc_) {
        const QTextBlock block = doc_->findBlock(typedAt_);
        held_ = {-1, -1};
        if (block.isValid()) {
            const int offset = typedAt_ - block.position();
            const int from = std::max(0, offset - kBlankReach);
            const auto [a, b] = wordAround(BlockText(block).mid(from, offset + kBlankReach), offset - from);
            if (a < b)
                held_ = {block.position() + from + a, block.position() + from + b};
        }
        typedAt_ = -1;
    }
    return held_;
}

void SpellCheck::setCaret(int position) {
    const auto [from, to] = held();
    if (from >= 0 && (position < from || position > to)) {
        held_ = {-1, -1};
        if (doc_)
            emit redraw(doc_->findBlock(from));
    }
}

// ---- the menu's words ---------------------------------------------------------------

SpellCheck::WordAt SpellCheck::wordAt(int position) {
    WordAt at;
    if (!doc_)
        return at;
    const QTextBlock block = doc_->findBlock(position);
    if (!block.isValid())
        return at;
    // The words of the text around the position, as the check reads them.
    const int offset = position - block.position();
    const BlockText text(block);
    const int from = std::max(0, offset - kBlankReach * 4);
    const QString near = text.mid(from, offset + kBlankReach * 4);
    for (const Word &w : words(near)) {
        if (from + w.start > offset || from + w.start + w.length < offset)
            continue;
        at.start = block.position() + from + w.start;
        at.text = near.mid(w.start, w.length);
        at.language = w.language;
        Speller *speller = enabled_ ? dictionaries(true) : nullptr;
        at.misspelt = speller && !speller->correct(at.text, at.language);
        break;
    }
    return at;
}

void SpellCheck::ignore(const WordAt &word) {
    if (Speller *speller = dictionaries(true)) {
        speller->ignore(word.text);
        emit changed();
    }
}

bool SpellCheck::addToPersonal(const WordAt &word) {
    Speller *speller = dictionaries(true);
    const bool written = speller && speller->addToPersonal(word.text, word.language);
    emit changed();
    return written;
}

} // namespace spell
