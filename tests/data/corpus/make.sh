#!/bin/sh
# Makes the RTF corpus: sample.html written as RTF by three real word
# processors, each with its own reading of that RTF as plain text.
#
#   libreoffice.rtf  LibreOffice Writer (Cyrillic as \uN\'3f, \ls lists, fields)
#   pandoc.rtf       pandoc -s -t rtf (everything as \uN?, lists as \bullet text)
#   abiword.rtf      AbiWord in a C.UTF-8 locale (\uc0\uN, \listtext + \ls lists)
#   abiword-ru.rtf   AbiWord in a ru_RU.UTF-8 locale (\ansicpg1251, \uN\'hh)
#
# lists.html, lists of each kind, likewise: libreoffice-lists.rtf (numbers from
# the list table: decimal, letters, Roman from IV) with LibreOffice's text of it,
# and abiword-lists.rtf (classic \pn numbering, \listtext without the number;
# AbiWord keeps no letters or start, and its text export drops the numbers).
#
# The .txt next to each is that program's text reading of its RTF, except for
# pandoc, whose RTF reader drops the space after each \uN? escape: pandoc.txt
# is pandoc's plain text of the source instead (with -s, like pandoc.rtf, so
# the title is in both). sample.html keeps its <title>: without one, AbiWord's
# text export writes its UTF-8 twice encoded.
#
# Needs libreoffice-writer, pandoc and abiword (apt-get); the test suite does
# not: it reads the files stored here. Made with LibreOffice 7.4.7.2,
# pandoc 2.17.1.1 and AbiWord 3.0.5 (Debian 12).
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export LC_ALL=C.UTF-8
lo() { soffice --headless "-env:UserInstallation=file://$tmp/profile" "$@" >/dev/null 2>&1; }

lo --infilter="HTML (StarWriter)" --convert-to 'rtf:Rich Text Format' --outdir "$tmp" sample.html
mv "$tmp/sample.rtf" libreoffice.rtf
lo --convert-to 'txt:Text (encoded):UTF8' --outdir "$tmp" libreoffice.rtf
mv "$tmp/libreoffice.txt" libreoffice.txt

pandoc -s -f html -t rtf -o pandoc.rtf sample.html
pandoc -s -f html -t plain --wrap=none -o pandoc.txt sample.html

abiword --to=rtf -o abiword.rtf sample.html 2>/dev/null
abiword --to=txt -o abiword.txt abiword.rtf 2>/dev/null

LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 abiword --to=rtf -o abiword-ru.rtf sample.html 2>/dev/null
LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 abiword --to=txt -o abiword-ru.txt abiword-ru.rtf 2>/dev/null

lo --infilter="HTML (StarWriter)" --convert-to 'rtf:Rich Text Format' --outdir "$tmp" lists.html
mv "$tmp/lists.rtf" libreoffice-lists.rtf
lo --convert-to 'txt:Text (encoded):UTF8' --outdir "$tmp" libreoffice-lists.rtf
mv "$tmp/libreoffice-lists.txt" libreoffice-lists.txt
LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8 abiword --to=rtf -o abiword-lists.rtf lists.html 2>/dev/null
