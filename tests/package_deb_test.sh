#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# cmake --install lays out the tool, the man pages (which format without a
# warning in the C locale) and the docs; the .deb
# passes lintian --pedantic without an error or a warning, asks only for what
# the binary needs, and its tool, unpacked into a scratch folder, patches the
# sample font. Nothing is installed on the system.
#   usage: package_deb_test.sh BUILD_DIR SAMPLE_FONT
set -eu
build=$1 sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" > /dev/null
doc=share/doc/tovalin
for file in bin/tovalin bin/tovalin-undo share/man/man1/tovalin.1.gz share/man/man1/tovalin-undo.1.gz $doc/README.Debian $doc/copyright $doc/changelog.gz $doc/README.md \
  $doc/examples/patch-folder.sh; do
  test -f "$work/prefix/$file" || fail "cmake --install put no $file"
done
# Every file the installed README.md and doc/*.md link to stands where the link looks.
for page in "$work/prefix/$doc/README.md" "$work/prefix/$doc/doc/"*.md; do
  for link in $(grep -o '](\([^):]*\))' "$page" | sed 's/^](//; s/)$//'); do
    test -f "$(dirname "$page")/$link" || fail "$(basename "$page") links $link, which cmake --install did not put there"
  done
done

# The man pages format without a warning in the C locale and still say what each message means.
if command -v man > /dev/null; then
  for page in tovalin tovalin-undo; do
    warnings=$(LC_ALL=C man --warnings -l "$work/prefix/share/man/man1/$page.1.gz" 2>&1 > "$work/$page.txt")
    [ -z "$warnings" ] || fail "man $page in the C locale: $warnings"
  done
  # Justified lines may hold more than one space between words.
  tr -s ' ' < "$work/tovalin.txt" > "$work/tovalin-spaced.txt"
  grep -q 'Fonto fairu ga hirakemasen' "$work/tovalin-spaced.txt" || fail "man tovalin in the C locale names no message"
  grep -q 'The font file cannot be opened' "$work/tovalin-spaced.txt" || fail "man tovalin in the C locale says no meaning"
else
  echo "man is not installed; the man pages are not checked"
fi

command -v lintian > /dev/null || { echo "lintian is not installed; the .deb is not checked"; exit 77; }
(cd "$build" && cpack -G DEB -B "$work/packages" > /dev/null 2>&1)
deb=$(ls "$work"/packages/tovalin_*.deb)
tags=$(lintian --pedantic "$deb" 2> /dev/null | grep -E '^[EW]: ' || true)
[ -z "$tags" ] || fail "lintian --pedantic: $tags"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends =~ ^libc6\ \(\>=\ [0-9.]+\)$ ]] || fail "the .deb should depend on libc6 alone: $depends"

dpkg-deb -x "$deb" "$work/root"
cp "$sample" "$work/font.ttf"
status=0
"$work/root/usr/bin/tovalin" "$work/font.ttf" quiet < /dev/null || status=$?
[ "$status" -eq 0 ] || fail "the packaged tool ended with $status on the sample font"
cmp -s "$sample" "$work/font.ttf" && fail "the packaged tool did not patch the sample font"
"$work/root/usr/bin/tovalin-undo" "$work/font.ttf" quiet < /dev/null || fail "the packaged undo ended with $?"
cmp -s "$sample" "$work/font.ttf" || fail "the packaged undo did not give the sample font back"
echo "lintian --pedantic: clean; Depends: $depends; the packaged tool patches the sample font, its undo restores it"
