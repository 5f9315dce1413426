#!/usr/bin/env bash
# Makes the toolbar icons in this folder: most come from the Tango icon theme
# (public domain; Debian package tango-icon-theme), the rest are drawn here
# with ImageMagick. Run once by hand; the PNGs are kept in the repository.
set -euo pipefail
cd "$(dirname "$0")"
T=/usr/share/icons/Tango/16x16
copy() { cp "$T/$2" "$1.png"; }
copy new actions/document-new.png
copy open actions/document-open.png
copy save actions/document-save.png
copy saveas actions/document-save-as.png
copy printsetup devices/printer.png
copy print actions/document-print.png
copy exit actions/system-log-out.png
copy undo actions/edit-undo.png
copy redo actions/edit-redo.png
copy copy actions/edit-copy.png
copy cut actions/edit-cut.png
copy paste actions/edit-paste.png
copy delete actions/edit-delete.png
copy find actions/edit-find.png
copy selectall actions/edit-select-all.png
copy datetime apps/date.png
copy replace actions/edit-find-replace.png
copy help apps/help-browser.png
copy about status/dialog-information.png
copy italic actions/format-text-italic.png
copy underline actions/format-text-underline.png
copy bold actions/format-text-bold.png
copy left actions/format-justify-left.png
copy center actions/format-justify-center.png
copy right actions/format-justify-right.png
copy justify actions/format-justify-fill.png
copy font apps/preferences-desktop-font.png
copy pagesetup actions/document-properties.png
copy mail actions/mail-message-new.png
copy calendar apps/office-calendar.png
copy calculator apps/accessories-calculator.png
# Pale grey ones are darkened, so that enabled they do not look disabled.
for n in left center right justify copy new printsetup print mail pagesetup find; do
  convert "$n.png" -channel RGB -gamma 0.5 +channel "PNG32:$n.png"
done

# Drawn: a small text or shape on a 16x16 transparent square.
text() { # name text colour size
  convert -size 16x16 xc:none -fill "$3" -font DejaVu-Sans-Bold -pointsize "$4" -gravity center \
    -annotate +0+0 "$2" "$1.png"
}
text en 'EN' '#204a87' 8
text ru 'RU' '#a40000' 8
text multiply '×2' '#4e9a06' 9
text reverse 'ba' '#5c3566' 10
text sort 'A↓' '#204a87' 10
convert -size 16x16 xc:none -stroke '#555753' -strokewidth 1 -fill '#555753' \
  -draw 'circle 3,4 4,5' -draw 'circle 3,11 4,12' -draw 'line 7,4 14,4' -draw 'line 7,11 14,11' bullet.png
convert -size 16x16 xc:none -stroke '#555753' -strokewidth 1 \
  -draw 'line 2,4 14,4' -draw 'line 2,8 14,8' -draw 'line 2,12 14,12' \
  -stroke '#cc0000' -strokewidth 2 -draw 'line 2,14 14,2' nobullet.png
convert -size 16x16 xc:none -fill '#babdb6' -stroke '#555753' -draw 'rectangle 1,1 14,6' \
  -stroke '#204a87' -strokewidth 2 -draw 'line 8,14 8,8' -draw 'line 8,8 5,11' -draw 'line 8,8 11,11' hidebar.png
convert "$T/mimetypes/text-x-generic.png" -stroke '#4e9a06' -strokewidth 2 \
  -draw 'line 11,7 11,15' -draw 'line 7,11 15,11' insertfile.png
convert -size 16x16 xc:none -fill '#2e3436' -font DejaVu-Sans -pointsize 7 -gravity center \
  -annotate +0-3 'a.txt' -stroke '#4e9a06' -strokewidth 2 -draw 'line 8,10 8,15' -draw 'line 5,13 11,13' insertname.png

# The program's icon: drawn once as SVG in share/icons/hicolor/scalable/apps;
# the window icon (32x32) and the desktop's 48x48 are rendered from it
# (rsvg-convert: Debian package librsvg2-bin).
svg=../../share/icons/hicolor/scalable/apps/tessarin.svg
rsvg-convert -w 32 -h 32 "$svg" -o tessarin.png
rsvg-convert -w 48 -h 48 "$svg" -o ../../share/icons/hicolor/48x48/apps/tessarin.png
