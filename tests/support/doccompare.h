#pragma once
// Compares two documents the way the user sees them: the text, every character
// attribute and every paragraph attribute that docformat.h keeps. A font name or
// size missing from a format counts as the document's default font.
#include <QString>
#include <QTextCharFormat>

class QTextBlock;
class QTextDocument;

namespace doccompare {

// The attributes of one character, resolved.
struct Char {
    QString font;
    int halfPoints = 0;
    bool hasColor = false;
    QRgb rgb = 0; // 0xRRGGBB when hasColor
    bool bold = false, italic = false, underline = false, strike = false;
    bool operator==(const Char &) const = default;
};

struct Para {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justify
    int start = 0, offset = 0;
    bool bullet = false;
    QString label; // the list item's marker, as docformat::listLabel gives it
    bool operator==(const Para &) const = default;
};

Char charOf(const QTextDocument &doc, const QTextCharFormat &f);
Para paraOf(const QTextBlock &block);
QString describe(const Char &c);
QString describe(const Para &p);

// The first difference between a and b, in words; empty when they are equal.
// An empty paragraph's own character format (what typing there gets) counts.
QString firstDifference(const QTextDocument &a, const QTextDocument &b);

} // namespace doccompare
