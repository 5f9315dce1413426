#pragma once
// Keyboard layouts: the groups of the X server's keyboard (XKB), standing in
// for the Windows layout list. Without an X display (the offscreen platform,
// Wayland, no DISPLAY) there are no layouts and nothing can be activated.
#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace keyboard {

// language: the primary language identifier of Windows (0x09 English,
// 0x19 Russian, 0x07 German...), 0 when unknown.
struct Layout {
    quintptr handle;
    int language;
};

// The layouts of the X server in group order, at most `capacity` of them;
// handle = group index + 1 (0 means none).
QList<Layout> layoutList(int capacity = 8);

// Locks the keyboard to the layout's group; false without X or for a handle
// that names no group.
bool activate(quintptr handle);

// The handle of the active group, 0 without X.
quintptr activeLayout();

// The language of each group named by an XKB symbols name such as
// "pc+us+ru:2+inet(evdev)", index 0 for group 1; groups not named give 0.
QList<int> languagesOfSymbols(const QByteArray &symbols, int groups);

// The language of one XKB layout with its variant ("ru", "phonetic").
int languageOfLayout(const QByteArray &layout, const QByteArray &variant = {});

} // namespace keyboard
