#pragma once
// Where the settings file lives.
#include <QString>

// "<executableDir>/Tessarin.ini" when the file can be written there (the
// folder accepts new files, or the file exists there and is writable: a
// portable copy); otherwise "$XDG_CONFIG_HOME/tessarin/Tessarin.ini", or
// "~/.config/tessarin/Tessarin.ini" when XDG_CONFIG_HOME is unset or relative.
// The folder of the fallback is created by the first write (IniFile).
QString settingsFilePath(const QString &executableDir);

// Whether a file can be created or rewritten at that path. Tries to create an
// unnamed file in the folder, so that it holds for root too (permission bits
// do not stop root; a read-only mount or /proc does).
bool canWriteFileAt(const QString &filePath);

// The program's own state folder (recovery copies, rescued files):
// "$XDG_STATE_HOME/tessarin", or "~/.local/state/tessarin" when
// XDG_STATE_HOME is unset or relative. Not created here.
QString stateFolder();
