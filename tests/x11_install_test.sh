#!/usr/bin/env bash
# The installed program, copied to another folder and started from a third,
# on an X server with a window manager (as a desktop has): F1 shows the
# installed help, F12 the calendar at 300,200, Ctrl+Alt+W the About window at
# 400,300, Ctrl+Shift+F1 the statistics. Screenshots go to <build>/install_check.
# Usage (under xvfb-run): x11_install_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
shots=$build/install_check
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$shots" "$work/elsewhere"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cp -a "$work/prefix" "$work/copy"
cd "$work/elsewhere"

openbox >/dev/null 2>&1 &
sleep 1
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=xcb "$work/copy/bin/tessarin" &
app=$!

fail() { echo "FAIL: $*" >&2; exit 1; }
# The id of a visible window with exactly this title, other than $2.
window() {
    for _ in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" != "${2:-}" ] && { echo "$id"; return; }
        done
        sleep 0.1
    done
    fail "no window \"$1\""
}
gone() {
    for _ in $(seq 50); do xdotool getwindowname "$1" >/dev/null 2>&1 || return 0; sleep 0.1; done
    fail "window $1 still open"
}
# Checks a window: its client size, and where its frame sits (x,y), from the
# client's absolute place less the frame extents the window manager reports.
check() { # id name width height [x y]
    local info x y w h left top
    info=$(xwininfo -id "$1")
    x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    w=$(awk '/Width:/ {print $NF}' <<<"$info")
    h=$(awk '/Height:/ {print $NF}' <<<"$info")
    read -r left _ top _ < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    [ "$w" -eq "$3" ] && [ "$h" -eq "$4" ] || fail "$2 is ${w}x$h"
    [ $# -lt 6 ] || [ $((x - left)),$((y - top)) = "$5,$6" ] || fail "$2's frame at $((x - left)),$((y - top))"
    echo "$2: ${w}x$h, frame at $((x - left)),$((y - top))"
    import -window root "$shots/$2.png"
}
press() { xdotool windowactivate --sync "$1" key --clearmodifiers "$2"; }

main=$(window "Tessarin 2.0")
sleep 0.5
press "$main" F1
id=$(window "Помощь"); sleep 0.5; check "$id" help 500 500
press "$id" alt+F4; gone "$id"
press "$main" F12
id=$(window "Календарь"); check "$id" calendar 200 200 300 200
press "$id" alt+F4; gone "$id"
press "$main" ctrl+alt+w
id=$(window "Tessarin 2.0" "$main"); check "$id" about 428 238 400 300
press "$id" Escape; sleep 0.3; xdotool getwindowname "$id" >/dev/null || fail "Escape closed About"
press "$id" Return; gone "$id"
press "$main" ctrl+shift+F1
id=$(window "Статистика программы"); check "$id" statistics 250 150
press "$id" Return; gone "$id"
press "$main" Escape
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "Esc did not end the program"
echo "install check passed; screenshots in $shots"
