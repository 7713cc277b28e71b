#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build under Wine (ANSI code page 1252 here), driven from Linux
# so that names outside the code page reach it as the system holds them: the
# file named is the file patched, never a look-alike; a name the code page
# holds goes to a pipe as the same bytes the narrow argument carried, one it
# lacks with the code page's default character for what it lacks; on a
# console (Wine's, on a pseudo-terminal) the texts show as Japanese.
#   usage: windows_names_test.sh TOOL.exe SAMPLE_FONT WINEPREFIX LAUNCH_WIDE.exe
set -u
exe=$1 sample=$2 launch_wide=$4
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" || exit 1
cp "$sample" a.ttf
cp "$sample" ā.ttf
cp "$sample" 字体.ttf
cp "$sample" café.ttf
cp "$sample" "$work/patched.ttf"
wine "$exe" patched.ttf quiet < /dev/null > /dev/null || fail "could not prepare a patched font"

# Code page 1252 lacks ā: on a pipe the target line shows its default
# character, never the look-alike a.ttf, the name of another file.
shown=$(wine "$exe" ā.ttf < /dev/null | tr -d '\r' | grep -a 'ttf$')
[ "$shown" = "$(printf '\x91\xce\x8f\xdb\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b: ?.ttf')" ] ||
  fail "ā.ttf: the target line on a pipe is $(printf '%s' "$shown" | od -c | head -n 2)"
cmp -s ā.ttf patched.ttf || fail "ā.ttf, the file named, was not patched"
cmp -s a.ttf "$sample" || fail "a.ttf, its look-alike, was changed"
wine "$exe" 字体.ttf quiet < /dev/null > /dev/null || fail "字体.ttf: status $?"
cmp -s 字体.ttf patched.ttf || fail "字体.ttf was not patched"

# Code page 1252 holds é: on a pipe the target line carries it as the byte E9.
target=$(printf '\x91\xce\x8f\xdb\x83\x74\x83\x48\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b: caf\xe9.ttf\r')
wine "$exe" café.ttf < /dev/null | grep -aqxF "$target" || fail "café.ttf: the target line on a pipe is not in code page 1252"
cmp -s café.ttf patched.ttf || fail "café.ttf was not patched"

# A name with a lone surrogate (NTFS holds such names), passed by
# CreateProcessW, reaches the system unit for unit: it is not the name of the
# file U+FFFD stands in for, which the tool must leave alone.
cp "$sample" "lone$(printf '\xef\xbf\xbd').ttf"
wine "$launch_wide" "$exe" 'lone\uD800.ttf' quiet < /dev/null > /dev/null
status=$?
[ $status -eq 3 ] || fail "lone\\uD800.ttf: status $status, not 3"
cmp -s "lone$(printf '\xef\xbf\xbd').ttf" "$sample" || fail "lone\\uD800.ttf: the file named with U+FFFD was changed"

# /? asks for help on Windows, as --help and -h do on both builds.
wine "$exe" '/?' < /dev/null | tr -d '\r' | grep -q '^Exit status:' || fail "/? shows no usage"

# A console shows the Japanese texts whatever its code page; Wine's console on
# a terminal hands them on in the terminal's UTF-8. Escape sequences and CRs dropped.
cp "$sample" console.ttf
# Enter is a CR there, and only once Wine has the terminal: press it every half second.
press_enter() { for _ in $(seq 60); do sleep 0.5; printf '\r' || return; done; }
shown=$(press_enter | timeout 60 script -qec "wine '$exe' console.ttf" /dev/null |
  sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | tr -d '\r')
for text in "対象フォントファイル: console.ttf" "処理を終了しました。" "[Enter]キーを押してください。"; do
  grep -qxF "$text" <<< "$shown" || fail "the console does not show \"$text\": $shown"
done
cmp -s console.ttf patched.ttf || fail "console.ttf was not patched"
# A font whose full name is 279 characters, given absolute, relative from a
# shorter folder, and with "/" between the names: patched, and Wine's file
# trace shows every open of it in the \\?\ form, which Windows needs for a
# name of 260 characters or more (Wine itself has no such limit).
deep=$(printf '%0100d' 0 | tr 0 d)/$(printf '%0100d' 0 | tr 0 e)
mkdir -p "$work/$deep"
file=$(printf "%0$((279 - 2 - ${#work} - 1 - ${#deep} - 1 - 4))d" 0 | tr 0 f).ttf
absolute=Z:$(tr / '\\' <<< "$work/$deep/$file")  # winepath cuts a name at 260 characters
[ ${#absolute} -eq 279 ] || fail "the long name has ${#absolute} characters, not 279"
for name in "$absolute" "${deep//\//\\}\\$file" "Z:$work/$deep/$file"; do
  cp "$sample" "$work/$deep/$file"
  WINEDEBUG=trace+file wine "$exe" "$name" quiet < /dev/null > /dev/null 2> "$work/trace" || fail "$name: status $?"
  cmp -s "$work/$deep/$file" patched.ttf || fail "$name: not patched"
  # The trace cuts long names short: the test's own folder tells the font's opens.
  opens=$(grep -a 'trace:file:CreateFileW L' "$work/trace" | grep -aF "$(basename "$work")")
  [ "$(grep -c '' <<< "$opens")" -ge 4 ] || fail "$name: fewer than four opens of the font in the trace: $opens"
  ! grep -avF 'CreateFileW L"\\\\?\\' <<< "$opens" || fail "$name: opened other than in the \\\\?\\ form"
done
echo "windows names: the named file patched, code page bytes on a pipe, Japanese on the console, long names in the long form"
