#pragma once
// The RTF writer: the classic rich-edit dialect, Windows-1251 text.
//
//   {\rtf1\ansi\ansicpg1251\deff0\deflang1049{\fonttbl...}{\colortbl ;...}
//   \viewkind4\uc1\pard ...\par
//   }
//
// Every paragraph ends with \par and CR LF. Character attributes are written
// as changes from the run before; paragraph attributes are restated after
// \pard whenever they differ from the paragraph before. A bulleted paragraph
// carries the classic {\pntext ...}{\*\pn ...} pair, the bullet in a Symbol
// font. What rtf::read makes of the output is the same document.
#include <QByteArray>

class QTextDocument;

namespace rtf {

QByteArray write(const QTextDocument &doc);

} // namespace rtf
