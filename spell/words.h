#pragma once
// Which words of a text the spelling check looks at, and in which language.
// A word is a run of letters, joined inside by apostrophes and hyphens. Left
// alone: words with digits or underscores, words in capitals (abbreviations),
// and whole addresses (e-mail, web, file paths), which are not words.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace spell {

enum class Language {
    None,    // letters of no dictionary we have: not checked
    Russian, // Cyrillic letters
    English, // Latin letters
    Mixed,   // Cyrillic and Latin in one word: a layout slip, always wrong
};

struct Word {
    int start = 0;  // in the text
    int length = 0;
    Language language = Language::None;
    bool operator==(const Word &) const = default;
};

// The words of text to check, in order.
QList<Word> words(QStringView text);

// The language a word's letters belong to.
Language languageOf(QStringView word);

// A word as the dictionary spells it: typographic apostrophes as ASCII ones.
QString normalized(QStringView word);

// Other spellings of a word with "ё" and "е" exchanged, for a dictionary that
// has only one of them: every "ё" as "е", and each single "е" as "ё".
QStringList yoVariants(QStringView word);

// The span [start, end) of the word around position (or touching it), in
// text; {position, position} when there is none.
std::pair<int, int> wordAround(QStringView text, int position);

} // namespace spell
