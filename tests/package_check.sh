#!/usr/bin/env bash
# Makes the Debian package of a built tree and checks it: its control fields,
# every file it installs, the RUNPATH that finds libuniversal.so from /usr/bin,
# and the desktop entry, metadata and manual pages as their validators see them.
#   tests/package_check.sh BUILD_DIR OUT_DIR   (the package is left in OUT_DIR)
set -euo pipefail
build=$1 out=$2
rm -rf "$out" && mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(echo "$out"/tessarin_2.0_*.deb)
fail() { echo "FAIL: $*" >&2; exit 1; }

[ "$(dpkg-deb -f "$deb" Package Version | tr '\n' ' ')" = "Package: tessarin Version: 2.0 " ] || fail "control: $(dpkg-deb -f "$deb" Package Version)"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libx11-6 qt6-translations-l10n; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends lacks $p"
done
# The spelling check: Hunspell's library, and the dictionaries it reads recommended.
[[ "$depends" == *libhunspell-* ]] || fail "Depends lacks libhunspell: $depends"
recommends=$(dpkg-deb -f "$deb" Recommends)
for p in hunspell-ru hunspell-en-us; do
  [[ ", $recommends," == *", $p,"* ]] || fail "Recommends lacks $p: $recommends"
done
# Only Qt's public API is used: the package installs beside any Qt 6 from 6.4 on.
[[ "$depends" != *qt6-base-abi* ]] || fail "Depends pins one Qt version: $depends"

# Exactly these files, all under /usr.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort >"$out/files"
libdir=$(grep '/libuniversal.so$' "$out/files" | sed 's|^\./usr/||; s|/libuniversal.so$||')
sort >"$out/expected" <<LIST
./usr/bin/tessarin
./usr/bin/tessarin-convert
./usr/$libdir/libuniversal.so
./usr/share/applications/tessarin.desktop
./usr/share/icons/hicolor/32x32/apps/tessarin.png
./usr/share/icons/hicolor/48x48/apps/tessarin.png
./usr/share/icons/hicolor/scalable/apps/tessarin.svg
./usr/share/man/man1/tessarin-convert.1.gz
./usr/share/man/man1/tessarin.1.gz
./usr/share/metainfo/org.example.tessarin.metainfo.xml
./usr/share/tessarin/README.rtf
LIST
diff -u "$out/expected" "$out/files" || fail "the package's files differ from the list above"

root=$out/root
dpkg-deb -x "$deb" "$root"
# The loader finds the library where the RUNPATH, read from /usr/bin, points.
runpath=$(readelf -d "$root/usr/bin/tessarin" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$(realpath -m "${runpath/\$ORIGIN//usr/bin}")" = "/usr/$libdir" ] || fail "RUNPATH '$runpath', library in /usr/$libdir"
[ "$(file -b "$root/usr/share/icons/hicolor/48x48/apps/tessarin.png" | cut -d, -f2)" = " 48 x 48" ] || fail "48x48 icon"

desktop-file-validate "$root/usr/share/applications/tessarin.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/org.example.tessarin.metainfo.xml"
appstreamcli validate-tree --no-net "$root"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
ls -l "$deb"
