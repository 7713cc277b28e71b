#!/usr/bin/env bash
# cmake --install lays out bin/ and the man page; the .deb installs, runs the
# tool on the sample font, and removes cleanly.
#   usage: package_deb_test.sh BUILD_DIR SAMPLE_FONT
set -eu
build=$1 sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > /dev/null
test -x "$work/prefix/bin/tovalin" || { echo "cmake --install put no tovalin in bin/"; exit 1; }
test -f "$work/prefix/share/man/man1/tovalin.1" || { echo "no man page in share/man/man1"; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  echo "installing a .deb needs root; skipped"
  exit 77
fi
(cd "$build" && cpack -G DEB -B "$work/packages" > /dev/null)
deb=$(ls "$work"/packages/tovalin_*.deb)
dpkg-deb --contents "$deb" | grep -q './usr/bin/tovalin$' || { echo "the .deb holds no /usr/bin/tovalin"; exit 1; }
dpkg -i "$deb" > /dev/null
trap 'dpkg -r tovalin > /dev/null; rm -rf "$work"' EXIT
cp "$sample" "$work/font.ttf"
status=0
/usr/bin/tovalin "$work/font.ttf" quiet < /dev/null || status=$?
[ "$status" -eq 0 ] || { echo "the installed tool ended with $status on the sample font"; exit 1; }
cmp -s "$sample" "$work/font.ttf" && { echo "the installed tool did not patch the sample font"; exit 1; }
man -w tovalin > /dev/null 2>&1 || test -f /usr/share/man/man1/tovalin.1 || { echo "man page not installed"; exit 1; }
echo "the .deb installs, patches the sample font and is removed again"
