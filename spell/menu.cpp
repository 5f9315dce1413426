#include "spell/menu.h"

#include <QPointer>
#include <QTextCursor>

namespace spell {

void replaceWord(QTextDocument *doc, int start, const QString &old, const QString &with) {
    qsizetype prefix = 0, suffix = 0;
    while (prefix < old.size() && prefix < with.size() && old[prefix] == with[prefix])
        ++prefix;
    while (suffix < old.size() - prefix && suffix < with.size() - prefix
           && old[old.size() - 1 - suffix] == with[with.size() - 1 - suffix])
        ++suffix;
    const int from = start + int(prefix);
    const int removed = int(old.size() - prefix - suffix);
    const QString middle = with.mid(prefix, with.size() - prefix - suffix);
    if (removed == 0 && middle.isEmpty())
        return;
    // The formats of the letters replaced; a pure insertion takes the
    // format of the letter before it (of the word's first, at its start).
    QList<QTextCharFormat> formats;
    QTextCursor c(doc);
    for (int i = 0; i < std::max(removed, 1); ++i) {
        const int at = removed > 0 ? from + i : std::max(from - 1, start);
        c.setPosition(at + 1);
        formats.append(c.charFormat());
    }
    c.beginEditBlock();
    c.setPosition(from);
    c.setPosition(from + removed, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    for (qsizetype i = 0; i < middle.size(); ++i)
        c.insertText(QString(middle[i]), formats[std::min<qsizetype>(i, formats.size() - 1)]);
    c.endEditBlock();
}

std::unique_ptr<QMenu> menuFor(SpellCheck &check, int position, const MenuHooks &hooks, QWidget *parent) {
    auto menu = std::make_unique<QMenu>(parent);
    QPointer<SpellCheck> guard(&check);
    const Speller *speller = SpellCheck::dictionaries(true);
    const SpellCheck::WordAt word = check.enabled() ? check.wordAt(position) : SpellCheck::WordAt();
    if (word.misspelt) {
        const QStringList options = SpellCheck::dictionaries(true)->suggestions(word.text, word.language);
        if (options.isEmpty())
            menu->addAction(QStringLiteral("(нет вариантов)"))->setEnabled(false);
        QPointer<QTextDocument> doc = check.document();
        for (const QString &option : options)
            menu->addAction(option, [doc, word, option] {
                if (doc)
                    replaceWord(doc, word.start, word.text, option);
            });
        menu->addSeparator();
        menu->addAction(QStringLiteral("Пропустить все"), [guard, word] {
            if (guard)
                guard->ignore(word);
        });
        menu->addAction(QStringLiteral("Добавить в словарь"), [guard, word, hooks] {
            if (guard && !guard->addToPersonal(word) && hooks.failed)
                hooks.failed(QStringLiteral("Слово «%1» не записано в личный словарь (%2)")
                                 .arg(word.text, Speller::personalFolder()));
        });
        menu->addSeparator();
    }
    QAction *toggle = menu->addAction(QStringLiteral("Проверять орфографию"));
    toggle->setCheckable(true);
    if (!speller->any()) {
        toggle->setText(QStringLiteral("Проверять орфографию — словари не установлены"));
        toggle->setEnabled(false);
        return menu;
    }
    toggle->setChecked(check.enabled());
    QObject::connect(toggle, &QAction::toggled, menu.get(), [guard, hooks](bool on) {
        if (!guard)
            return;
        guard->setEnabled(on);
        if (hooks.toggled)
            hooks.toggled(on);
    });
    return menu;
}

} // namespace spell
