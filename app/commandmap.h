#pragma once
// The command map: every menu item, popup item and toolbar button of the main
// window, one table row each. A menu item either clicks a button (or another
// item), so each command has one implementation, or runs a handler of its own.
#include <QString>

class TForm1;
class QToolBar;

namespace commandmap {

using Handler = void (TForm1::*)();

struct Button {
    const char *name;
    const char *hint;
    const char *icon; // file in app/icons, without ".png"
    Handler handler;  // null: the command arrives with a later part of the program
};

enum class Kind { Submenu, End, Separator, Item };

struct Item {
    Kind kind;
    const char *name = nullptr;
    const char *caption = nullptr;
    const char *shortcut = nullptr; // portable key sequence text
    const char *hint = nullptr;     // main menu only; kept with the item
    bool ticked = false;
    const char *clicks = nullptr;   // the button or item it clicks
    Handler handler = nullptr;      // or its own handler
    const char *icon = nullptr;
};

// Builds both toolbars' buttons, MainMenu1 and PopupMenu1 on the form.
void build(TForm1 &form);

} // namespace commandmap
