#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows .exe imports only DLLs that every Windows has; the .zip holds,
# in one folder named with the version, the stripped .exe (at most 100,000
# bytes) with its version resource and manifest, the folder script for cmd, and a README and the licence with CR LF line ends.
# The folder script, run by Wine's cmd, walks subfolders, tells outcomes
# apart, undoes, counts a large collection's zeros, takes names that cmd
# would take for syntax, and fails when a font failed, the tool is not beside
# it, or it was given no folder.
#   usage: package_zip_test.sh BUILD_DIR EXE VERSION SAMPLE_FONT WINEPREFIX TWENTY_ZERO_FONT
set -eu
build=$1 exe=$2 version=$3 sample=$4 twenty_zeros=$6
export WINEPREFIX=$5 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
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
expected_files=$(printf 'LICENSE.txt\nREADME-ja.txt\nREADME.txt\npatch-folder.cmd\ntovalin-undo.exe\ntovalin.exe')
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
for text in README.txt README-ja.txt LICENSE.txt patch-folder.cmd; do
  lf=$(grep -c '' "$work/$folder/$text")
  crlf=$(grep -c $'\r$' "$work/$folder/$text")
  [ "$lf" -eq "$crlf" ] || fail "$text: $crlf of $lf lines end in CR LF"
done
grep -q 'MIT License' "$work/$folder/LICENSE.txt" || fail "LICENSE.txt holds no MIT licence"
# The folder script as a user runs it from the unpacked folder.
fonts=$work/fonts
mkdir -p "$fonts/sub/deeper"
cp "$sample" "$fonts/a (1).ttf"
cp "$sample" "$fonts/sub/deeper/B.TTF"
echo 'not a font' > "$fonts/c.ttf"
cmd_script() { wine cmd /c "$(winepath -w "$work/$folder/patch-folder.cmd")" "$@"; }
folder_script() { cmd_script "$(winepath -w "$fonts")" "$@" | tr -d '\r' | sort; }
w() { winepath -w "$fonts/$1"; }
actual=$(folder_script) || fail "patching a folder of good fonts failed"
expected=$(printf '%s\n' "patched: $(w 'a (1).ttf')" "patched: $(w sub/deeper/B.TTF)" \
  "unchanged, not this font or already patched: $(w c.ttf)" | sort)
[ "$actual" = "$expected" ] || fail "$(printf 'folder script, expected:\n%s\nactual:\n%s' "$expected" "$actual")"
actual=$(folder_script undo) || fail "undoing a folder of good fonts failed"
grep -qxF "restored: $(w sub/deeper/B.TTF)" <<< "$actual" || fail "the undo is not reported as such: $actual"
cmp -s "$fonts/sub/deeper/B.TTF" "$sample" || fail "the folder undo did not give the original back"
if chattr +i "$fonts/a (1).ttf" 2> /dev/null; then
  status=0
  actual=$(cmd_script "$(winepath -w "$fonts")" < /dev/null) || status=$?
  chattr -i "$fonts/a (1).ttf"
  [ "$status" -ne 0 ] || fail "a font that cannot be opened must fail the folder script"
  grep -qF "cannot be opened, unchanged: $(w 'a (1).ttf')" <<< "$actual" || fail "status 3 not reported: $actual"
fi

# Names that cmd takes for syntax, each as it is. Wine's cmd (unlike
# Windows') drops "%" from a variable's value when it expands it, so there a
# name with "%" may be reported as failing, with a failing status, but never
# skipped nor reported done under another name.
names=$work/names
mkdir "$names"
plain_names=('a&b.ttf' 'x!y.ttf' '(1) ^c.ttf' 'semi;colon.ttf' "it's 2.ttf")
percent_names=('100%.ttf' '50%off%.ttf')
for name in "${plain_names[@]}" "${percent_names[@]}"; do cp "$sample" "$names/$name"; done
cp "$twenty_zeros" "$names/twenty.ttc"
cp "$sample" "$work/patched.ttf" && wine "$packed" "$(winepath -w "$work/patched.ttf")" quiet < /dev/null > /dev/null
status=0
actual=$(cmd_script "$(winepath -w "$names")" < /dev/null) || status=$?
actual=$(tr -d '\r' <<< "$actual")
[ "$(grep -c '' <<< "$actual")" -eq 8 ] || fail "not one line per font: $actual"
for name in "${plain_names[@]}"; do
  grep -qxF "patched: $(winepath -w "$names/$name")" <<< "$actual" || fail "$name is not listed as patched: $actual"
  cmp -s "$names/$name" "$work/patched.ttf" || fail "$name is not patched"
done
patched_lines=${#plain_names[@]}
for name in "${percent_names[@]}"; do
  if grep -qxF "patched: $(winepath -w "$names/$name")" <<< "$actual" && cmp -s "$names/$name" "$work/patched.ttf"; then
    patched_lines=$((patched_lines + 1))
  else
    [ $status -ne 0 ] && cmp -s "$names/$name" "$sample" && grep -qF ": $(winepath -w "$names/$name")" <<< "$actual" ||
      fail "$name: neither patched nor listed as failing, unchanged, with a failing status ($status): $actual"
  fi
done
[ "$(grep -c '^patched: ' <<< "$actual")" -eq $patched_lines ] || fail "a font is listed as patched under another name: $actual"
grep -qxF "patched (20 zeros): $(winepath -w "$names/twenty.ttc")" <<< "$actual" || fail "twenty zeros: $actual"
actual=$(cmd_script "$(winepath -w "$names")" undo < /dev/null | tr -d '\r') || true
grep -qxF "restored (20 zeros): $(winepath -w "$names/twenty.ttc")" <<< "$actual" || fail "the undo of twenty zeros: $actual"
cmp -s "$names/twenty.ttc" "$twenty_zeros" || fail "the undo of twenty zeros did not give the original back"
for not_a_folder in "$names/twenty.ttc" "$work/missing"; do
  message=$(cmd_script "$(winepath -w "$not_a_folder")" 2>&1 > /dev/null) &&
    fail "$not_a_folder instead of a folder: the script succeeded"
  grep -qF "not a folder: $(winepath -w "$not_a_folder")" <<< "$message" || fail "$not_a_folder instead of a folder: $message"
done

mkdir "$work/alone"
cp "$work/$folder/patch-folder.cmd" "$work/alone/"
wine cmd /c "$(winepath -w "$work/alone/patch-folder.cmd")" "$(winepath -w "$fonts")" > /dev/null 2>&1 &&
  fail "without tovalin.exe beside it the folder script must fail"

echo "imports: $(echo $imports); $folder.zip: $(ls "$work/$folder" | tr '\n' ' ')($(stat -c %s "$packed") bytes); the folder script walks, undoes and fails honestly under cmd"
