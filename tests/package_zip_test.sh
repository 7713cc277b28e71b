#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows .exe imports only DLLs that every Windows has; the .zip holds,
# in one folder named with the version, the stripped .exe with its version
# resource and manifest, and a README and the licence with CR LF line ends.
#   usage: package_zip_test.sh BUILD_DIR EXE VERSION
set -eu
build=$1 exe=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }

imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | sort -f)
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | msvcrt.dll) ;;
    *) fail "the .exe imports $dll, which a bare Windows may not have" ;;
  esac
done

(cd "$build" && cpack -G ZIP -B "$work" > /dev/null)
folder=tovalin-$version-windows-x86_64
(cd "$work" && cmake -E tar xf "$folder.zip")
[ "$(ls "$work/$folder")" = "$(printf 'LICENSE.txt\nREADME.txt\ntovalin.exe')" ] ||
  fail "the .zip's folder $folder should hold LICENSE.txt, README.txt and tovalin.exe: $(ls -R "$work")"
packed=$work/$folder/tovalin.exe
x86_64-w64-mingw32-objdump -t "$packed" | grep -q 'no symbols' || fail "the packed .exe is not stripped"
resources=$(wrestool -l "$packed")
grep -q 'type=16' <<< "$resources" || fail "no version resource: $resources"
grep -q 'type=24' <<< "$resources" || fail "no manifest: $resources"
for text in README.txt LICENSE.txt; do
  lf=$(grep -c '' "$work/$folder/$text")
  crlf=$(grep -c $'\r$' "$work/$folder/$text")
  [ "$lf" -eq "$crlf" ] || fail "$text: $crlf of $lf lines end in CR LF"
done
grep -q 'MIT License' "$work/$folder/LICENSE.txt" || fail "LICENSE.txt holds no MIT licence"
echo "imports: $(echo $imports); $folder.zip: $(ls "$work/$folder" | tr '\n' ' ')($(stat -c %s "$packed") bytes)"
