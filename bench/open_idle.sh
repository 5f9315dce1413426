#!/usr/bin/env bash
# Opening a big document until the program is idle, as a user feels it, under
# a real X server (its own Xvfb and openbox), side by side with FeatherPad (a
# QPlainTextEdit editor) on the texts and with LibreOffice converting the RTF.
#
#   bench/open_idle.sh [-t TESSARIN] [-o OUTDIR] [-c CAP_SECONDS] [-d DISPLAY] [-s] [DOC...]
#
# DOC is any of text10 (10 MB Windows-1251 text, CR LF), text100 (100 MB of
# the same), rtf21 (21 MB formatted RTF); all three by default; also tables20
# (20 MB RTF of 1,568 tables of 50 rows) and pictures60 (60 MB RTF with 321 PNG
# pictures of 97 KB), each with "-plain": the same text without them. The documents
# are made by bench/make_docs.py into OUTDIR/docs once and kept.
#
# Tessarin starts with no arguments from a copy of its binary in a scratch
# folder (so each run has a fresh Tessarin.ini beside it), is put in
# plain-text mode with F8 for a text, and opens the file through its Open
# dialog: Ctrl+O, the full path typed into the file-name field, Enter. The
# clock starts when Enter is sent. FeatherPad gets the file as its argument;
# its clock starts when it is started. The CPU time of the process
# (/proc/PID/stat, utime + stime) is read every 20 ms; the program is idle
# once it has not grown for 500 ms, and the time reported is the last moment
# it grew. VmRSS is read at that point. Then Tessarin gets Ctrl+End, is left
# to become idle again, and the screen is saved as OUTDIR/<doc>-end.png so
# one can check that the last line is shown. A program not idle within the
# cap is reported as such, with its figures at the cap.
#
# With -s, the spelling check's cost instead: Tessarin alone opens each
# document twice, first with the check off ("Check=0" in the [Spelling]
# section of its Tessarin.ini, shown as DOC-off), then on (its default), and
# the ratio on / off is printed.
#
# LibreOffice: `soffice --headless --convert-to odt` of the RTF, with a
# fresh profile warmed up once on a small file first; wall time and peak RSS.
#
# Measures and prints; it never fails on time.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
tessarin="$here/../build-rel/tessarin"
out="$PWD/open_idle-out"
cap=180
display=":97"
spell=0
while getopts "t:o:c:d:sh" opt; do
  case "$opt" in
    t) tessarin="$OPTARG" ;;
    o) out="$OPTARG" ;;
    c) cap="$OPTARG" ;;
    d) display="$OPTARG" ;;
    s) spell=1 ;;
    *) sed -n '2,32p' "$0"; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
docs=("$@")
[ "${#docs[@]}" -gt 0 ] || docs=(text10 text100 rtf21)
tessarin="$(readlink -f "$tessarin")"
[ -x "$tessarin" ] || { echo "no tessarin binary at $tessarin" >&2; exit 2; }
peers=(featherpad soffice)
[ "$spell" = 0 ] || peers=()
for tool in Xvfb openbox xdotool import python3 "${peers[@]}"; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/setup-bench" >&2; exit 2; }
done
mkdir -p "$out/docs"
out="$(readlink -f "$out")"
scratch="$(mktemp -d)"
results="$scratch/results"
: >"$results"

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# --- the X server and the window manager -----------------------------------
if [ -e "/tmp/.X${display#:}-lock" ]; then
  echo "display $display is in use: choose another with -d" >&2
  exit 2
fi
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM

# --- timing ----------------------------------------------------------------
# idle PID T0 CAP: waits until PID's CPU time has not grown for 500 ms (or the
# cap is reached, or the process ends) and prints
#   <seconds from T0 to the last growth> <RSS MB> <CPU seconds since start of wait> <idle|cap|gone>
idle() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys, time
pid, t0, cap = int(sys.argv[1]), float(sys.argv[2]), float(sys.argv[3])
tick = os.sysconf("SC_CLK_TCK")

def cpu():
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick   # utime, stime

def rss():
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return -1

state = "idle"
try:
    first = last = cpu()
    grew = time.time()
    mem = rss()
    while True:
        time.sleep(0.02)
        now = time.time()
        c = cpu()
        if c != last:
            last, grew = c, now
            mem = rss()
        elif now - grew >= 0.5:
            mem = rss()
            break
        if now - t0 > cap:
            state = "cap"
            grew = now
            break
except (FileNotFoundError, ProcessLookupError):
    state = "gone"
print(f"{grew - t0:.2f} {mem:.0f} {last - first:.2f} {state}")
PY
}

record() { # doc program seconds rss state
  echo "$1 $2 $3 $4 $5" >>"$results"
  printf '  %-8s %-12s %8s s  %6s MB  %s\n' "$1" "$2" "$3" "$4" "$5"
}

document() { # name -> path of the document, made once
  local path
  case "$1" in
    text10) path="$out/docs/text10.txt"; [ -s "$path" ] || python3 "$here/make_docs.py" text 10 "$path" ;;
    text100) path="$out/docs/text100.txt"; [ -s "$path" ] || python3 "$here/make_docs.py" text 100 "$path" ;;
    rtf21) path="$out/docs/rtf21.rtf"; [ -s "$path" ] || python3 "$here/make_docs.py" rtf 21 "$path" ;;
    tables20 | pictures60) # and the same text without its tables or pictures: "-plain"
      path="$out/docs/$1.rtf"; [ -s "$path" ] || python3 "$here/make_docs.py" "${1%%[0-9]*}" "${1##*[a-z]}" "$path" ;;
    tables20-plain | pictures60-plain)
      local base="${1%-plain}"
      path="$out/docs/$1.rtf"; [ -s "$path" ] || python3 "$here/make_docs.py" "${base%%[0-9]*}" "${base##*[a-z]}" "$path" plain ;;
    *) echo "unknown document $1" >&2; exit 2 ;;
  esac
  echo "$path"
}

# Waits until the window with the keyboard focus is not $1, and prints it.
wait_focus_change() {
  local w
  for _ in $(seq 200); do
    w="$(xdotool getwindowfocus 2>/dev/null || true)"
    if [ -n "$w" ] && [ "$w" != "$1" ]; then echo "$w"; return 0; fi
    sleep 0.05
  done
  return 1
}

run_tessarin() { # name path [off: the spelling check off]
  local name="$1" path="$2" home="$scratch/tessarin-$1" pid win dialog t0 r
  mkdir -p "$home/bin" "$home/lib" "$home/config"
  cp "$tessarin" "$home/bin/tessarin"
  if [ "${3:-}" = off ]; then printf '[Spelling]\r\nCheck=0\r\n' >"$home/bin/Tessarin.ini"; fi
  # The library it links, beside it as in an installed prefix ($ORIGIN/../lib).
  ldd "$tessarin" | awk '/libuniversal/ {print $3}' | xargs -r -I{} cp {} "$home/lib/"
  (cd "$home" && HOME="$home" XDG_CONFIG_HOME="$home/config" exec "$home/bin/tessarin") >"$home/log" 2>&1 &
  pid=$!
  pids+=("$pid")
  win="$(xdotool search --sync --onlyvisible --pid "$pid" --name Tessarin | head -1)"
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  sleep 1
  if [[ "$path" == *.txt ]]; then
    xdotool key F8 # plain-text mode: the text is read as it is
    sleep 0.5
  fi
  xdotool key ctrl+o
  dialog="$(wait_focus_change "$win")" || { record "$name" tessarin - - "no-dialog"; kill "$pid"; return; }
  sleep 0.5
  xdotool type --delay 5 "$path"
  sleep 0.5
  import -window root "$out/$name-dialog.png"
  t0="$EPOCHREALTIME"
  xdotool key Return
  r="$(idle "$pid" "$t0" "$cap")"
  read -r secs rss _ state <<<"$r"
  record "$name" tessarin "$secs" "$rss" "$state"
  import -window root "$out/$name-open.png"
  # The end of the document.
  xdotool windowactivate --sync "$win" 2>/dev/null || true
  xdotool key ctrl+End
  t0="$EPOCHREALTIME"
  r="$(idle "$pid" "$t0" "$cap")"
  read -r secs rss _ state <<<"$r"
  record "$name" "ctrl+end" "$secs" "$rss" "$state"
  import -window root "$out/$name-end.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

run_featherpad() { # name path
  local name="$1" path="$2" home="$scratch/featherpad-$1" pid t0 r
  mkdir -p "$home/config"
  t0="$EPOCHREALTIME"
  HOME="$home" XDG_CONFIG_HOME="$home/config" featherpad --standalone "$path" >"$home/log" 2>&1 &
  pid=$!
  pids+=("$pid")
  r="$(idle "$pid" "$t0" "$cap")"
  read -r secs rss _ state <<<"$r"
  record "$name" featherpad "$secs" "$rss" "$state"
  import -window root "$out/$name-featherpad.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

run_libreoffice() { # name path
  local name="$1" path="$2" profile="$scratch/lo-profile" r
  mkdir -p "$scratch/lo-out"
  printf '{\\rtf1\\ansi warm up\\par}' >"$scratch/warm.rtf"
  soffice --headless "-env:UserInstallation=file://$profile" --convert-to odt --outdir "$scratch/lo-out" \
    "$scratch/warm.rtf" >/dev/null 2>&1 || true
  r="$(python3 - "$profile" "$scratch/lo-out" "$path" "$cap" <<'PY'
import resource, subprocess, sys, time
profile, outdir, path, cap = sys.argv[1], sys.argv[2], sys.argv[3], float(sys.argv[4])
t = time.time()
state = "done"
try:
    subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{profile}", "--convert-to", "odt",
                    "--outdir", outdir, path], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=max(cap, 600))
except subprocess.TimeoutExpired:
    state = "cap"
secs = time.time() - t
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024
print(f"{secs:.2f} {peak:.0f} {state}")
PY
)"
  read -r secs rss state <<<"$r"
  record "$name" libreoffice "$secs" "$rss" "$state(convert,peak)"
}

echo "open until idle; cap ${cap} s; screenshots in $out"
for name in "${docs[@]}"; do
  path="$(document "$name")"
  echo "$name: $path ($(stat -c %s "$path") bytes)"
  if [ "$spell" = 1 ]; then
    run_tessarin "$name-off" "$path" off
    run_tessarin "$name" "$path"
    continue
  fi
  run_tessarin "$name" "$path"
  case "$name" in
    text*) run_featherpad "$name" "$path" ;;
    rtf*) run_libreoffice "$name" "$path" ;;
  esac
done

# --- the table -------------------------------------------------------------
echo
python3 - "$results" <<'PY'
import sys
rows = [l.split() for l in open(sys.argv[1]) if l.strip()]
print(f"{'document':<9} {'program':<12} {'s to idle':>10} {'RSS MB':>7}  state")
for d, p, s, m, st in rows:
    print(f"{d:<9} {p:<12} {s:>10} {m:>7}  {st}")
by = {(d, p): (s, st) for d, p, s, m, st in rows}
mem = {(d, p): m for d, p, s, m, st in rows}
def num(v):
    try:
        return float(v)
    except ValueError:
        return None
print()
for d in dict.fromkeys(r[0] for r in rows):
    t, f, l = by.get((d, "tessarin")), by.get((d, "featherpad")), by.get((d, "libreoffice"))
    note = lambda *xs: "" if all(x[1] in ("idle", "done(convert,peak)") for x in xs) else "  (not all finished: lower bound)"
    if t and f and num(t[0]) and num(f[0]):
        print(f"{d}: Tessarin / FeatherPad = {num(t[0]) / num(f[0]):.2f}{note(t, f)}")
        tm, fm = num(mem[(d, "tessarin")]), num(mem[(d, "featherpad")])
        if tm and fm:
            print(f"{d}: RSS Tessarin / FeatherPad = {tm / fm:.2f}")
    if t and l and num(t[0]) and num(l[0]):
        print(f"{d}: LibreOffice / Tessarin = {num(l[0]) / num(t[0]):.2f}{note(t, l)}")
    off = by.get((d + "-off", "tessarin"))
    if t and off and num(t[0]) and num(off[0]):
        print(f"{d}: spelling check on / off = {num(t[0]) / num(off[0]):.3f}{note(t, off)}")
PY
