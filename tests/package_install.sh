#!/usr/bin/env bash
# Unpacks a Tessarin package into a scratch root (dpkg -x) and runs it from
# there: tessarin-convert converts a Russian text to RTF and back, and the
# editor starts on an X server (Xvfb when none is given) and F1 shows the
# help installed with it, and nothing once that file is gone.
#   tests/package_install.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$deb"
fi
fail() { echo "FAIL: $*" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'kill "${app:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin

"$bin/tessarin-convert" --version | grep -qx 'tessarin-convert (Tessarin) 2.0' || fail "--version"
printf '\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0!\r\n\xc2\xf2\xee\xf0\xe0\xff \xf1\xf2\xf0\xee\xea\xe0' >"$scratch/in.txt"
"$bin/tessarin-convert" --from text --to rtf "$scratch/in.txt" "$scratch/doc.rtf"
"$bin/tessarin-convert" --to text "$scratch/doc.rtf" "$scratch/out.txt"
cmp "$scratch/in.txt" "$scratch/out.txt" || fail "text to RTF and back"

# The editor, started from a folder without help of its own: F1 shows the
# installed README.rtf in the "Помощь" window.
export QT_QPA_PLATFORM=xcb
help_window() { # seconds to wait; prints the window's id
  local tries=$(($1 * 10))
  while [ "$tries" -gt 0 ]; do
    xdotool search --onlyvisible --name '^Помощь$' 2>/dev/null && return 0
    sleep 0.1; tries=$((tries - 1))
  done
  return 1
}
press_f1() {
  (cd "$scratch" && exec "$bin/tessarin") & app=$!
  local main
  main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Tessarin 2.0$' | head -1)
  [ -n "$main" ] || fail "the editor's window did not appear"
  xdotool windowfocus --sync "$main" key F1
}
press_f1
help_window 20 >/dev/null || fail "F1 showed no help"
kill "$app"; wait "$app" 2>/dev/null || true

mv "$root/usr/share/tessarin/README.rtf" "$scratch/moved.rtf"
press_f1
! help_window 2 >/dev/null || fail "a help window without the installed help"
kill "$app"; wait "$app" 2>/dev/null || true
echo "ok: $(basename "$deb") runs from a scratch root"
