#pragma once
// The RTF writer: the classic rich-edit dialect, Windows-1251 text.
//
//   {\rtf1\ansi\ansicpg1251\deff0\deflang1049{\fonttbl...}{\colortbl ;...}
//   \viewkind4\uc1\pard ...\par
//   }
//
// Every paragraph ends with \par and CR LF. Character attributes are written
// as changes from the run before; paragraph attributes are restated after
// \pard whenever they differ from the paragraph before. A list item carries
// its list three ways: the classic {\*\pn ...} (the bullet in a Symbol font),
// \ls into the list table of word processors (one list for the bullets, one
// for each numbered list), and AbiWord's {\*\abilist ...}; then its marker
// as text in {\listtext ...}. What rtf::read makes of the output is the same
// document.
#include <QByteArray>

class QTextDocument;

namespace rtf {

QByteArray write(const QTextDocument &doc);

} // namespace rtf
