#pragma once
#include <QString>

// The help file the help command shows: "README.rtf" in the current folder,
// else in the program's data folder <executableDir>/../share/tessarin, where
// an installed program keeps it; empty when neither holds one.
QString helpFilePath(const QString &executableDir);
