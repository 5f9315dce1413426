#pragma once
// The dictionaries: Hunspell's Russian and English ones, found by name
// (ru_RU, en_US or another English) in the folders Hunspell dictionaries are
// installed to, or in the folders DICPATH names instead (colon-separated).
// The user's personal words are the ones other desktop programs keep through
// Enchant, one word a line in "<config>/enchant/<dictionary>.dic"
// ($ENCHANT_CONFIG_DIR, else $XDG_CONFIG_HOME/enchant, else
// ~/.config/enchant): read at load, and a word added here is appended there
// at once, so each program sees the others' words.
//
// Answers are remembered word by word, so a text read again costs a look-up
// per word. Used from one thread at a time: load() may run on another thread,
// the rest on the one that uses the result.
#include "spell/words.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <memory>

class Hunspell;

namespace spell {

class Speller {
public:
    // The folders searched for dictionaries.
    static QStringList dictionaryFolders();
    // The folder of the personal word lists.
    static QString personalFolder();

    // Loads what it finds; none found leaves a speller without languages.
    static std::unique_ptr<Speller> load(const QStringList &folders = dictionaryFolders(),
                                         const QString &personal = personalFolder());
    ~Speller();

    bool has(Language language) const;
    bool any() const { return !dictionaries_.empty(); }

    // Whether the word is spelt right; a word of a language without a
    // dictionary is, a word of mixed alphabets never.
    bool correct(QStringView word, Language language);
    // The same answer from memory only: none for a word not looked up yet.
    std::optional<bool> known(QStringView word, Language language) const;
    // Up to `most` spellings the dictionary offers instead.
    QStringList suggestions(QStringView word, Language language, int most = 7);
    // The word is right for the rest of this run.
    void ignore(QStringView word);
    // The word goes into the personal list of its language; false when that
    // file cannot be written (it is still right for this run).
    bool addToPersonal(QStringView word, Language language);
    // Changes each time ignore or addToPersonal change answers.
    int generation() const { return generation_; }

private:
    struct Dictionary;
    Speller();
    Dictionary *dictionary(Language language) const;
    bool lookUp(Dictionary &d, const QString &word) const;

    std::map<Language, std::unique_ptr<Dictionary>> dictionaries_;
    QString personal_;
    QHash<QString, bool> answers_; // by normalized word
    QSet<QString> ignored_;
    int generation_ = 0;
};

} // namespace spell
