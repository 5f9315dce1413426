#pragma once
// Font names as the program lists and writes them: family names of the
// installed fonts, never with the foundry Qt appends to a family that more
// than one foundry provides ("C059 [urw]"), which no other program knows.
#include <QString>
#include <QStringList>

// The name without a trailing foundry: "C059 [urw]" gives "C059".
QString fontFamily(const QString &name);

// The installed families, each once, and "Default", in alphabetical order.
QStringList fontFamilies();

// The installed family a name stands for, as the font database spells it:
// found with or without a foundry and in any case. Empty when none is installed.
QString installedFamily(const QString &name);
