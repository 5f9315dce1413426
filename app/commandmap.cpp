#include "app/commandmap.h"

#include "app/tform1.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QToolBar>
#include <QToolButton>

namespace commandmap {
namespace {

using K = Kind;
constexpr int kButtonWidth = 25;

const Button kToolBar1[] = {
    {"ToolButton1", "Файл", "new", &TForm1::ToolButton1Click},
    {"ToolButton2", "Открыть", "open", &TForm1::ToolButton2Click},
    {"ToolButton3", "Сохранить", "save", &TForm1::ToolButton3Click},
    {"ToolButton4", "Сохранить как", "saveas", &TForm1::ToolButton4Click},
    {"ToolButton5", "Параметры страницы для печати", "printsetup", &TForm1::ToolButton5Click},
    {"ToolButton6", "Печать", "print", &TForm1::ToolButton6Click},
    {"ToolButton7", "Выход", "exit", &TForm1::ToolButton7Click},
    {"ToolButton8", "Отмена", "undo", &TForm1::ToolButton8Click},
    {"ToolButton9", "Отмена отмены", "redo", &TForm1::ToolButton9Click},
    {"ToolButton10", "Копировать", "copy", &TForm1::ToolButton10Click},
    {"ToolButton11", "Вырезать", "cut", &TForm1::ToolButton11Click},
    {"ToolButton12", "Вставить", "paste", &TForm1::ToolButton12Click},
    {"ToolButton13", "Удалить", "delete", &TForm1::ToolButton13Click},
    {"ToolButton14", "Найти", "find", &TForm1::ToolButton14Click},
    {"ToolButton15", "Скрыть панель", "hidebar", &TForm1::ToolButton15Click},
    {"ToolButton16", "Размножить текст", "multiply", &TForm1::ToolButton16Click},
    {"ToolButton17", "Выбрать всё", "selectall", &TForm1::ToolButton17Click},
    {"ToolButton18", "Вставить текущую дату и время", "datetime", &TForm1::ToolButton18Click},
    {"ToolButton19", "Обратный порядок букв", "reverse", &TForm1::ToolButton19Click},
    {"ToolButton20", "Переместить", "replace", &TForm1::ToolButton20Click},
    {"ToolButton21", "Помощь", "help", &TForm1::ToolButton21Click},
    {"ToolButton22", "О...", "about", &TForm1::ToolButton22Click},
    {"ToolButton23", "Вставить содержимое файла", "insertfile", &TForm1::ToolButton23Click},
    {"ToolButton24", "Вставить имя файла", "insertname", &TForm1::ToolButton24Click},
    {"ToolButton25", "Сортировка по возрастанию", "sort", &TForm1::ToolButton25Click},
    {"ToolButton26", "Переключиться на английскую раскладку", "en", &TForm1::ToolButton26Click},
    {"ToolButton27", "Переключиться на русскую раскладку", "ru", &TForm1::ToolButton27Click},
};

const Button kToolBar2[] = {
    {"ToolButton28", "Курсив", "italic", &TForm1::ToolButton28Click},
    {"ToolButton29", "Подчеркнуть", "underline", &TForm1::ToolButton29Click},
    {"ToolButton30", "Полужирный", "bold", &TForm1::ToolButton30Click},
    {"ToolButton31", "Выравнивание текста по левому краю", "left", &TForm1::ToolButton31Click},
    {"ToolButton32", "Выравнивание текста по центру", "center", &TForm1::ToolButton32Click},
    {"ToolButton33", "Выравнивание текста по правому краю", "right", &TForm1::ToolButton33Click},
    {"ToolButton34", "Выравнивание текста по ширине", "justify", &TForm1::ToolButton34Click},
    {"ToolButton35", "Маркер", "bullet", &TForm1::ToolButton35Click},
    {"ToolButton36", "Нет маркера", "nobullet", &TForm1::ToolButton36Click},
    {"ToolButton37", "Выбор шрифта", "font", &TForm1::ToolButton37Click},
    {"ToolButton38", "Параметры страницы", "pagesetup", &TForm1::ToolButton38Click},
    {"ToolButton39", "Почта", "mail", &TForm1::ToolButton39Click},
    {"ToolButton40", "Календарь", "calendar", &TForm1::ToolButton40Click},
    {"ToolButton41", "Калькулятор", "calculator", &TForm1::ToolButton41Click},
};

const Item kMainMenu[] = {
    {K::Submenu, "N1", "Файл", nullptr, "Файл"},
    {K::Item, "N7", "Новый", "Ctrl+N", "Новый документ", false, "ToolButton1"},
    {K::Item, "N8", "Открыть", "Ctrl+O", "Открыть", false, "ToolButton2"},
    {K::Item, "N9", "Сохранить", "Ctrl+S", "Сохранить", false, "ToolButton3"},
    {K::Item, "N10", "Сохранить как", "Ctrl+W", "Сохранить как", false, "ToolButton4"},
    {K::Separator, "N11"},
    {K::Item, "N12", "Печать", "Ctrl+P", "Печать", false, "ToolButton6"},
    {K::Item, "N13", "Параметры страницы", "Ctrl+Alt+P", "Параметры страницы", false, "ToolButton5"},
    {K::Separator, "N14"},
    {K::Item, "N15", "Выход", "Esc", "Выход из программы", false, "ToolButton7"},
    {K::End},
    {K::Submenu, "N2", "Правка", nullptr, "Правка"},
    {K::Item, "N17", "Отмена", "Ctrl+Z", "Отмена", false, "ToolButton8"},
    {K::Item, "N18", "Откат отмены", "Ctrl+B", "Откат отмены", false, "ToolButton9"},
    {K::Separator, "N19"},
    {K::Item, "N20", "Копировать", "Ctrl+C", "Копировать", false, "ToolButton10"},
    {K::Item, "N21", "Вырезать", "Ctrl+X", "Вырезать", false, "ToolButton11"},
    {K::Item, "N22", "Вставить", "Ctrl+V", "Вставить", false, "ToolButton12"},
    {K::Item, "N23", "Удалить", "Del", "Удалить", false, "ToolButton13"},
    {K::Separator, "N24"},
    {K::Item, "N25", "Поиск", "Ctrl+F", "Поиск", false, "ToolButton14"},
    {K::Item, "N26", "Замена", "Ctrl+H", "Замена", false, "ToolButton20"},
    {K::Item, "N29", "Выделить всё", "Ctrl+A", "Выделить всё", false, "ToolButton17"},
    {K::End},
    {K::Submenu, "N3", "Вид", nullptr, "Вид"},
    {K::Item, "N27", "Панель", "Ctrl+Q", "Видимость панели", true, nullptr, &TForm1::N27Click},
    {K::Item, "N28", "Строка состояния", "Ctrl+U", "Видимость строки состояния", true, nullptr, &TForm1::N28Click},
    {K::End},
    {K::Submenu, "N4", "Вставка", nullptr, "Вставка"},
    {K::Item, "N30", "Размножить текст", "Ctrl+Alt+A", "Размножить текст", false, "ToolButton16"},
    {K::Item, "N31", "Вставить дату и время", "F5", "Вставить дату и время", false, "ToolButton18"},
    {K::Item, "N32", "Обратный порядок букв", "F4", "Обратный порядок букв", false, "ToolButton19"},
    {K::Item, "N35", "Вставить содержимое файла", "Ctrl+E", "Вставка содержимого файла", false, "ToolButton23"},
    {K::Item, "N36", "Вставить название файла", "F10", "Вставка названия файла", false, "ToolButton24"},
    {K::End},
    {K::Submenu, "N5", "Формат", nullptr, "Формат"},
    {K::Item, "N37", "Сортировка по возрастанию", "Ctrl+Alt+B", "Сортировка по возрастанию", false, "ToolButton25"},
    {K::Item, "N38", "Английская раскладка клавиатуры", "Ctrl+Alt+E", "Английская раскладка клавиатуры", false, "ToolButton26"},
    {K::Item, "N39", "Русская раскладка клавиатуры", "Ctrl+Alt+R", "Русская раскладка клавиатуры", false, "ToolButton27"},
    {K::Submenu, "N40", "Выравнивание", nullptr, "Выравнивание"},
    {K::Item, "N41", "По левому краю", nullptr, "По левому краю", false, "ToolButton31"},
    {K::Item, "N42", "По центру", nullptr, "По центру", false, "ToolButton32"},
    {K::Item, "N43", "По правому краю", nullptr, "По правому краю", false, "ToolButton33"},
    {K::Item, "N44", "По ширине", nullptr, "По ширине", false, "ToolButton34"},
    {K::End},
    {K::Item, "N45", "Маркер", "Ctrl+M", "Маркер", false, nullptr, &TForm1::N45Click},
    {K::Item, "N46", "Шрифт", "Shift+Ins", "Шрифт текста", false, "ToolButton37"},
    {K::Item, "N47", "Цвет", "Ctrl+Ins", "Цвет бумаги", false, nullptr, &TForm1::N47Click},
    {K::Item, "N48", "Параметры страницы", "Alt+Shift+Backspace", "Параметры страницы", false, "ToolButton38"},
    {K::Item, "N49", "Почта", "Ctrl+J", "Почта", false, "ToolButton39"},
    {K::Item, "N53", "Календарь", "F12", "Календарь", false, "ToolButton40"},
    {K::Item, "N50", "Калькулятор", "Ctrl+F1", "Калькулятор", false, "ToolButton41"},
    {K::Item, "N51", "Автоматический перенос строк", "F7", "Автоматический перенос строк", true, nullptr, &TForm1::N51Click},
    {K::Item, "RTF1", "Режим RTF/текстовый режим", "F8", "Режим RTF/текстовый режим", true, nullptr, &TForm1::RTF1Click},
    {K::Item, "N52", "Русский интерфейс", "F9", "Русский интерфейс", true, nullptr, &TForm1::N52Click},
    {K::End},
    {K::Submenu, "N6", "Справка", nullptr, "Спрвка о программе и её разработчике"},
    {K::Item, "N33", "Помощь", "F1", "Помощь", false, "ToolButton21"},
    {K::Item, "N34", "О...", "Ctrl+Alt+W", "О...", false, "ToolButton22"},
    {K::Item, "N54", "Статистика", "Ctrl+Shift+F1", nullptr, false, nullptr, &TForm1::N54Click},
    {K::End},
};

const Item kPopupMenu[] = {
    {K::Submenu, "N55", "Файл"},
    {K::Item, "N61", "Новый", "Ctrl+N", nullptr, false, "ToolButton1"},
    {K::Item, "N62", "Открыть", "Ctrl+O", nullptr, false, "ToolButton2"},
    {K::Item, "N63", "Сохранить", "Ctrl+S", nullptr, false, "ToolButton3"},
    {K::Item, "N64", "Сохранить как...", "Ctrl+W", nullptr, false, "ToolButton4"},
    {K::Item, "N65", "Параметры страницы для печати", "Ctrl+Alt+P", nullptr, false, "ToolButton5"},
    {K::Item, "N66", "Печать", "Ctrl+P", nullptr, false, "ToolButton6"},
    {K::Item, "N67", "Выход", "Esc", nullptr, false, "ToolButton7"},
    {K::End},
    {K::Submenu, "N56", "Правка"},
    {K::Item, "N68", "Отмена", "Ctrl+Z", nullptr, false, "ToolButton8"},
    {K::Item, "N69", "Откат", "Ctrl+B", nullptr, false, "ToolButton9"},
    {K::Item, "N70", "Копировать", "Ctrl+C", nullptr, false, "ToolButton10"},
    {K::Item, "N72", "Вырезать", "Ctrl+X", nullptr, false, "ToolButton11"},
    {K::Item, "N71", "Вставить", "Ctrl+V", nullptr, false, "ToolButton12"},
    {K::Item, "N73", "Удалить", "Del", nullptr, false, "ToolButton13"},
    {K::Item, "N74", "Найти", "Ctrl+F", nullptr, false, "ToolButton14"},
    {K::Item, "N75", "Замена", "Ctrl+H", nullptr, false, "ToolButton20"},
    {K::Item, "N76", "Выделить всё", "Ctrl+A", nullptr, false, "ToolButton17"},
    {K::End},
    {K::Submenu, "N57", "Вид"},
    {K::Item, "N77", "Панель", "Ctrl+Q", nullptr, true, nullptr, &TForm1::N77Click},
    {K::Item, "N78", "Строка состояния", "Ctrl+U", nullptr, true, nullptr, &TForm1::N78Click},
    {K::End},
    {K::Submenu, "N58", "Вставка"},
    {K::Item, "N79", "Размножить текст", "Ctrl+Alt+A", nullptr, false, "ToolButton16"},
    {K::Item, "N80", "Вставить дату и время", "F5", nullptr, false, "ToolButton18"},
    {K::Item, "N81", "Обратный порядок букв", "F4", nullptr, false, "ToolButton19"},
    {K::Item, "N82", "Вставить содержимое файла", "Ctrl+E", nullptr, false, "ToolButton23"},
    {K::Item, "N83", "Вставить название файла", "F10", nullptr, false, "ToolButton24"},
    {K::End},
    {K::Submenu, "N59", "Формат"},
    {K::Item, "N84", "Сортировка по возрастанию", "Ctrl+Alt+B", nullptr, false, "ToolButton25"},
    {K::Item, "N85", "Английская раскладка клавиатуры", "Ctrl+Alt+E", nullptr, false, "ToolButton26"},
    {K::Item, "N86", "Русская раскладка клавиатуры", "Ctrl+Alt+R", nullptr, false, "ToolButton27"},
    {K::Submenu, "N87", "Выравнивание текста"},
    {K::Item, "N88", "По левому краю", nullptr, nullptr, false, "ToolButton31"},
    {K::Item, "N89", "По центру", nullptr, nullptr, false, "ToolButton32"},
    {K::Item, "N90", "По правому краю", nullptr, nullptr, false, "ToolButton33"},
    {K::Item, "N91", "По ширине", nullptr, nullptr, false, "ToolButton34"},
    {K::End},
    {K::Item, "N96", "Маркер", "Ctrl+M", nullptr, false, nullptr, &TForm1::N96Click},
    {K::Item, "N92", "Шрифт", "Shift+Ins", nullptr, false, "ToolButton37"},
    {K::Item, "N93", "Цвет", "Ctrl+Ins", nullptr, false, nullptr, &TForm1::N93Click},
    {K::Item, "N94", "Параметры страницы", "Alt+Shift+Backspace", nullptr, false, "ToolButton38"},
    {K::Item, "N95", "Почта", "Ctrl+J", nullptr, false, "ToolButton39"},
    {K::Item, "N97", "Календарь", "F12", nullptr, false, "ToolButton40"},
    {K::Item, "N98", "Калькулятор", "Ctrl+F1", nullptr, false, "ToolButton41"},
    {K::Item, "N99", "Автоматический перенос строк", "F7", nullptr, true, nullptr, &TForm1::N99Click},
    {K::Item, "RTF2", "Режим RTF/текстовый режим", "F8", nullptr, true, nullptr, &TForm1::RTF2Click},
    {K::Item, "N100", "Русский интерфейс", "F9", nullptr, true, nullptr, &TForm1::N100Click},
    {K::End},
    {K::Submenu, "N60", "Справка"},
    {K::Item, "N101", "Помощь", "F1", nullptr, false, "ToolButton21"},
    {K::Item, "N102", "О...", "Ctrl+Alt+W", nullptr, false, "ToolButton22"},
    {K::Item, "N103", "Статистика", "Ctrl+Shift+F1", nullptr, false, "N54"},
    {K::End},
};

QString text(const char *s) { return QString::fromUtf8(s); }

void connectHandler(QAction *action, TForm1 *form, Handler handler) {
    if (!handler)
        return;
    QObject::connect(action, &QAction::triggered, form, [form, handler] { form->RunCommand(handler); });
}

// A ticked item never changes its own tick: its handler does. Qt toggles a
// checkable action before it reports the trigger; this undoes that first.
void keepTick(QAction *action) {
    QObject::connect(action, &QAction::triggered, action, [action](bool checked) {
        const QSignalBlocker block(action);
        action->setChecked(!checked);
    });
}

void addButtons(TForm1 &form, QToolBar *bar, QAction *before, const Button *rows, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const Button &row = rows[i];
        auto *action = new QAction(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(row.icon))), text(row.hint), &form);
        action->setObjectName(QLatin1String(row.name));
        action->setToolTip(text(row.hint));
        bar->insertAction(before, action);
        if (QWidget *button = bar->widgetForAction(action)) {
            button->setFixedWidth(kButtonWidth);
            button->setAccessibleName(text(row.hint));
        }
        connectHandler(action, &form, row.handler);
    }
}

// Builds one menu tree; popup items show their shortcuts but act only while
// the popup itself has the keyboard.
void addItems(TForm1 &form, QWidget *top, const Item *rows, size_t n, bool popup) {
    std::vector<QWidget *> stack{top};
    for (size_t i = 0; i < n; ++i) {
        const Item &row = rows[i];
        QWidget *menu = stack.back();
        if (row.kind == K::End) {
            stack.pop_back();
            continue;
        }
        if (row.kind == K::Submenu) {
            auto *sub = new QMenu(text(row.caption), menu);
            sub->setObjectName(QLatin1String(row.name));
            sub->menuAction()->setObjectName(QLatin1String(row.name));
            if (row.hint)
                sub->menuAction()->setStatusTip(text(row.hint));
            menu->addAction(sub->menuAction());
            stack.push_back(sub);
            continue;
        }
        if (row.kind == K::Separator) {
            auto *sep = new QAction(menu);
            sep->setSeparator(true);
            sep->setObjectName(QLatin1String(row.name));
            menu->addAction(sep);
            continue;
        }
        auto *action = new QAction(text(row.caption), &form);
        action->setObjectName(QLatin1String(row.name));
        if (row.shortcut) {
            action->setShortcut(QKeySequence(QLatin1String(row.shortcut), QKeySequence::PortableText));
            action->setShortcutContext(popup ? Qt::WidgetShortcut : Qt::WindowShortcut);
        }
        if (row.hint)
            action->setStatusTip(text(row.hint));
        if (row.ticked) {
            action->setCheckable(true);
            action->setChecked(true);
            keepTick(action);
        }
        menu->addAction(action);
        if (row.clicks) {
            const QString target = QLatin1String(row.clicks);
            if (QAction *button = form.Action(target))
                action->setIcon(button->icon()); // the menu shows the button's image
            QObject::connect(action, &QAction::triggered, &form, [&form, target] {
                if (QAction *a = form.Action(target))
                    a->trigger();
            });
        }
        connectHandler(action, &form, row.handler);
    }
}

// Keys that a main-menu item owns reach the item first, whichever control of
// the window has the focus: the control is refused its shortcut override.
class MenuKeysFirst : public QObject {
public:
    MenuKeysFirst(TForm1 *form, QSet<QKeyCombination> keys) : QObject(form), form_(form), keys_(std::move(keys)) {}

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::ShortcutOverride)
            return false;
        auto *w = qobject_cast<QWidget *>(watched);
        if (!w || w->window() != form_)
            return false;
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeyCombination combo(key->modifiers() & ~Qt::KeypadModifier, Qt::Key(key->key()));
        if (!keys_.contains(combo))
            return false;
        event->ignore(); // not overridden: the shortcut runs
        return true;
    }

private:
    TForm1 *form_;
    QSet<QKeyCombination> keys_;
};

} // namespace

void build(TForm1 &form) {
    QAction *toolBar2First = form.ToolBar2->actions().value(0); // the boxes follow the buttons
    addButtons(form, form.ToolBar1, nullptr, kToolBar1, std::size(kToolBar1));
    addButtons(form, form.ToolBar2, toolBar2First, kToolBar2, std::size(kToolBar2));
    addItems(form, form.MainMenu1, kMainMenu, std::size(kMainMenu), false);
    form.PopupMenu1 = new QMenu(&form);
    form.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItems(form, form.PopupMenu1, kPopupMenu, std::size(kPopupMenu), true);

    QSet<QKeyCombination> keys;
    for (const Item &row : kMainMenu)
        if (row.kind == K::Item && row.shortcut)
            keys.insert(QKeySequence(QLatin1String(row.shortcut), QKeySequence::PortableText)[0]);
    qApp->installEventFilter(new MenuKeysFirst(&form, keys));
}

} // namespace commandmap
