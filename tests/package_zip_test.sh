#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows .exe imports only DLLs that every Windows has; the .zip holds,
# in one folder named with the version, the stripped .exe (at most 100,000
# bytes) with its version resource and manifest, and a README and the licence with CR LF line ends.
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
expected_files=$(printf 'LICENSE.txt\nREADME-ja.txt\nREADME.txt\ntovalin-undo.exe\ntovalin.exe')
[ "$(ls "$work/$folder")" = "$expected_files" ] ||
  fail "the .zip's folder $folder should hold $(echo $expected_files): $(ls -R "$work")"
packed=$work/$folder/tovalin.exe
for exe in tovalin.exe tovalin-undo.exe; do
  x86_64-w64-mingw32-objdump -t "$work/$folder/$exe" | grep -q 'no symbols' || fail "the packed $exe is not stripped"
  size=$(stat -c %s "$work/$folder/$exe")
  [ "$size" -le 100000 ] || fail "the packed $exe has $size bytes, more than 100,000"
  resources=$(wrestool -l "$work/$folder/$exe")
  grep -q 'type=16' <<< "$resources" || fail "$exe: no version resource: $resources"
  grep -q 'type=24' <<< "$resources" || fail "$exe: no manifest: $resources"
done
[ "$(head -c 3 "$work/$folder/README-ja.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
  fail "README-ja.txt does not start with a UTF-8 byte order mark"
iconv -f UTF-8 -t UTF-8 "$work/$folder/README-ja.txt" > /dev/null || fail "README-ja.txt is not UTF-8"
for text in README.txt README-ja.txt LICENSE.txt; do
  lf=$(grep -c '' "$work/$folder/$text")
  crlf=$(grep -c $'\r$' "$work/$folder/$text")
  [ "$lf" -eq "$crlf" ] || fail "$text: $crlf of $lf lines end in CR LF"
done
grep -q 'MIT License' "$work/$folder/LICENSE.txt" || fail "LICENSE.txt holds no MIT licence"
echo "imports: $(echo $imports); $folder.zip: $(ls "$work/$folder" | tr '\n' ' ')($(stat -c %s "$packed") bytes)"
