#pragma once
// What kind of notification area the tray icon lands in.

namespace notifyarea {

// True when the icon is shown over D-Bus (the StatusNotifierItem protocol of
// KDE Plasma, and of GNOME with the AppIndicator extension): Qt takes that
// way when a host has registered with org.kde.StatusNotifierWatcher on the
// session bus, decided once, when the first icon is made. Such an area turns
// a click into one activation and never sends a double click. False for the
// X11 system tray (XEmbed), which sends both.
bool sendsNoDoubleClick();

} // namespace notifyarea
