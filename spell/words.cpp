#include "spell/words.h"

namespace spell {
namespace {

bool isApostrophe(QChar c) { return c == u'\'' || c == u'\u2019' || c == u'\u02BC'; }
bool isHyphen(QChar c) { return c == u'-' || c == u'\u2010' || c == u'\u2011'; }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c.isMark() || c == u'_' || c == u'\u00AD'; }

// Whether text[i] belongs to a word: a word character, or an apostrophe or a
// hyphen with word characters on both sides.
bool inWord(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (isWordChar(c))
        return true;
    return (isApostrophe(c) || isHyphen(c)) && i > 0 && i + 1 < text.size() && isWordChar(text[i - 1])
        && isWordChar(text[i + 1]);
}

// A text without blanks that names a place rather than says a word: an
// e-mail or web address, a path, a host or file name (a dot between letters).
bool isAddress(QStringView chunk) {
    if (chunk.contains(u'@') || chunk.contains(u'/') || chunk.contains(u'\\')
        || chunk.startsWith(u"www.", Qt::CaseInsensitive))
        return true;
    for (qsizetype i = 1; i + 1 < chunk.size(); ++i)
        if (chunk[i] == u'.' && chunk[i - 1].isLetterOrNumber() && chunk[i + 1].isLetterOrNumber())
            return true;
    return false;
}

bool skipped(QStringView word) {
    int letters = 0, capitals = 0;
    for (QChar c : word) {
        if (c.isDigit() || c == u'_')
            return true;
        if (c.isLetter()) {
            ++letters;
            capitals += c.isUpper();
        }
    }
    return letters == 0 || (letters > 1 && capitals == letters);
}

void add(QList<Word> &out, QStringView text, int start, int length) {
    const QStringView word = text.mid(start, length);
    const Language language = languageOf(word);
    if (!skipped(word) && language != Language::None)
        out.append({start, length, language});
}

// The words of one run of text between blanks.
void wordsOfChunk(QList<Word> &out, QStringView text, qsizetype from, qsizetype to) {
    if (isAddress(text.mid(from, to - from)))
        return;
    for (qsizetype i = from; i < to;) {
        if (!isWordChar(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < to && inWord(text.first(to), i))
            ++i;
        const QStringView word = text.mid(start, i - start);
        if (languageOf(word) != Language::Mixed) {
            add(out, text, int(start), int(i - start));
            continue;
        }
        // Parts in different alphabets joined by hyphens: each in its own language.
        qsizetype part = start;
        for (qsizetype j = start; j <= i; ++j)
            if (j == i || isHyphen(text[j])) {
                add(out, text, int(part), int(j - part));
                part = j + 1;
            }
    }
}

} // namespace

QList<Word> words(QStringView text) {
    QList<Word> out;
    for (qsizetype i = 0; i < text.size();) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < text.size() && !text[i].isSpace())
            ++i;
        wordsOfChunk(out, text, start, i);
    }
    return out;
}

Language languageOf(QStringView word) {
    bool cyrillic = false, latin = false, other = false;
    for (QChar c : word) {
        if (!c.isLetter())
            continue;
        const QChar::Script script = c.script();
        cyrillic |= script == QChar::Script_Cyrillic;
        latin |= script == QChar::Script_Latin;
        other |= script != QChar::Script_Cyrillic && script != QChar::Script_Latin;
    }
    if (cyrillic && latin)
        return Language::Mixed;
    if (other)
        return Language::None;
    return cyrillic ? Language::Russian : latin ? Language::English : Language::None;
}

QString normalized(QStringView word) {
    QString out;
    out.reserve(word.size());
    for (QChar c : word) {
        if (c == u'\u00AD' || c == u'\u0301' || c == u'\u0300') // soft hyphens, stress marks
            continue;
        out.append(isApostrophe(c) ? QChar(u'\'') : c);
    }
    return out;
}

QStringList yoVariants(QStringView word) {
    constexpr int kMost = 8;
    QStringList out;
    const QString w = word.toString();
    if (w.contains(u'ё') || w.contains(u'Ё')) {
        QString plain = w;
        out.append(plain.replace(u'ё', u'е').replace(u'Ё', u'Е'));
    }
    for (qsizetype i = 0; i < w.size() && out.size() < kMost; ++i)
        if (w[i] == u'е' || w[i] == u'Е') {
            QString v = w;
            v[i] = w[i] == u'е' ? u'ё' : u'Ё';
            out.append(v);
        }
    return out;
}

std::pair<int, int> wordAround(QStringView text, int position) {
    qsizetype start = std::clamp<qsizetype>(position, 0, text.size()), end = start;
    while (start > 0 && inWord(text, start - 1))
        --start;
    while (end < text.size() && inWord(text, end))
        ++end;
    return {int(start), int(end)};
}

} // namespace spell
