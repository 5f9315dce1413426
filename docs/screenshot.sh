#!/usr/bin/env bash
# Takes docs/screenshot.png: the packaged editor (scripts/package first) with
# docs/screenshot.rtf open, on Xvfb under the openbox window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0"
fi
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
dpkg -x build-release/tessarin_2.0_*.deb "$scratch"
openbox &
sleep 1
(cd "$scratch" && LANG=ru_RU.UTF-8 QT_QPA_PLATFORM=xcb exec usr/bin/tessarin) &
main=$(xdotool search --sync --onlyvisible --name '^Tessarin 2.0$' | head -1)
xdotool windowactivate --sync "$main" key ctrl+o
dialog=$(xdotool search --sync --onlyvisible --name '^Выбор файла для работы$' | head -1)
xdotool windowactivate --sync "$dialog" type "$PWD/docs/screenshot.rtf"
xdotool key Return
sleep 2
import -window "$main" docs/screenshot.png
