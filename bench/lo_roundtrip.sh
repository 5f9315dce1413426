#!/usr/bin/env bash
# What LibreOffice reads in our save of a document, against what it reads in
# the original: each RTF given (default: tests/data/corpus/*.rtf) is opened
# and saved by tessarin-convert (the editor's load and save in RTF mode), and
# LibreOffice (headless, from scripts/setup-bench) converts both to text and
# to flat ODT. Printed for each file: whether the texts are the same, the
# lines of the original's text that ours changes, the characters of the
# original's text that ours lacks, and the tables, pictures, notes, comments, headers,
# footers, links, bookmarks, headings (paragraphs of a heading style) and
# other paragraphs with a named style in each. Measures and prints; never fails.
#
#   bench/lo_roundtrip.sh [-t tessarin-convert] [FILE.rtf...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
convert="$here/build-rel/cli/tessarin-convert"
if [ "${1:-}" = "-t" ]; then convert="$2"; shift 2; fi
files=("$@")
[ "${#files[@]}" -gt 0 ] || files=("$here"/tests/data/corpus/*.rtf)

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/orig" "$work/ours" "$work/profile"
for f in "${files[@]}"; do
  name="$(basename "$f" .rtf)"
  cp "$f" "$work/orig/$name.rtf"
  "$convert" --to rtf "$f" "$work/ours/$name.rtf" || echo "$name: tessarin-convert failed" >&2
done
for side in orig ours; do
  for to in "txt:Text (encoded):UTF8" fodt; do
    soffice -env:UserInstallation="file://$work/profile" --headless --convert-to "$to" \
      --outdir "$work/$side" "$work/$side"/*.rtf >/dev/null 2>&1
  done
done

python3 - "$work" <<'EOF'
import difflib, glob, os, re, sys
work = sys.argv[1]
def read(path):
    try:
        return open(path, encoding='utf-8-sig', errors='replace').read()
    except FileNotFoundError:
        return None
kinds = {'tables': r'<table:table ', 'pictures': r'<draw:image', 'notes': r'<text:note ', 'comments': r'<office:annotation[ >]', 'headers': r'<style:header[ >]', 'footers': r'<style:footer[ >]',
         'links': r'<text:a ', 'bookmarks': r'<text:bookmark(-start)? ', 'headings': r'<text:h ',
         'styled': r'<text:p text:style-name="(?!P\d)'}
print(f"{'file':28} {'same text':9} {'lines':>5} {'missing characters':24} " + ' '.join(f'{k:>10}' for k in kinds))
same = total = 0
for orig in sorted(glob.glob(os.path.join(work, 'orig', '*.rtf'))):
    name = os.path.basename(orig)[:-4]
    a, b = read(os.path.join(work, 'orig', name + '.txt')), read(os.path.join(work, 'ours', name + '.txt'))
    if a is None or b is None:
        print(f'{name:28} LibreOffice could not read {"the original" if a is None else "ours"}')
        continue
    total += 1
    same += a == b
    lacking = ''.join(sorted(set(a) - set(b) - {'\n', '\r'}))
    fa, fb = read(os.path.join(work, 'orig', name + '.fodt')) or '', read(os.path.join(work, 'ours', name + '.fodt')) or ''
    counts = ' '.join(f'{len(re.findall(p, fa)):>4}/{len(re.findall(p, fb)):<5}' for p in kinds.values())
    changed = sum(1 for d in difflib.ndiff(a.splitlines(), b.splitlines()) if d.startswith('- '))
    print(f"{name:28} {'yes' if a == b else 'no':9} {changed:>5} {lacking[:24]!s:24} {counts}")
print(f'{same} of {total} files read the same text after our save (notes ... bookmarks: original/ours)')
EOF
