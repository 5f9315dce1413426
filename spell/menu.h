#pragma once
// The spelling menu of a right click in the text, and the replacement of a
// word by a suggestion.
#include "spell/spellcheck.h"

#include <QMenu>
#include <QString>
#include <QTextDocument>

#include <functional>
#include <memory>

namespace spell {

// What the menu's choices do beyond the check itself.
struct MenuHooks {
    std::function<void(bool on)> toggled;               // "Проверять орфографию" ticked or not
    std::function<void(const QString &message)> failed; // the personal list could not be written
};

// For a misspelt word at position (a Qt position): up to seven suggestions
// (a click replaces the word), "Пропустить все" and "Добавить в словарь";
// and always "Проверять орфографию" with its tick, greyed with the reason
// when there is no dictionary.
std::unique_ptr<QMenu> menuFor(SpellCheck &check, int position, const MenuHooks &hooks, QWidget *parent);

// Replaces the text `old` at start in doc by `with`, as one undo step. Only
// the letters that differ change, each new one in the format of the one it
// replaces (of its last one, when the new word is longer), so the word keeps
// its formats.
void replaceWord(QTextDocument *doc, int start, const QString &old, const QString &with);

} // namespace spell
