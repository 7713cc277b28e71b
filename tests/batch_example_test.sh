#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The README's folder script: every outcome told apart, fonts found in any
# letter case and in subfolders (names that begin with a dot left alone),
# collections run until no plain zero is left, the undo reported as such,
# under sh as well, and its own exit status and usage errors.
#   usage: batch_example_test.sh TOOL UNDO_TOOL SAMPLE_FONT TWO_ZERO_FONT TWENTY_ZERO_FONT
set -u
tool=$1 undo=$2 sample=$3 two_zeros=$4 twenty_zeros=$5
script="$(dirname "$0")/../scripts/patch-folder.sh"
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
fail() { echo "$*"; exit 1; }
mkdir -p "$folder/fonts/sub/deeper" "$folder/empty"
cp "$sample" "$folder/fonts/a-patchable.ttf"
cp "$sample" "$folder/fonts/b-patched.TTF"
"$tool" "$folder/fonts/b-patched.TTF" quiet < /dev/null || fail "could not prepare the patched font"
mkfifo "$folder/fonts/c-unopenable.ttc"
cp "$two_zeros" "$folder/fonts/d-collection.TTC"
cp "$sample" "$folder/fonts/sub/deeper/e-nested.ttf"
# Names that begin with a dot are left alone, as the README says.
mkdir -p "$folder/fonts/.cache"
cp "$sample" "$folder/fonts/.hidden.ttf"
cp "$sample" "$folder/fonts/.cache/f.ttf"
printf '#!/bin/sh\nexit 5\n' > "$folder/times-refused" && chmod +x "$folder/times-refused"
# Replaces two zeros, then finds the file changed by another program.
printf '#!/bin/sh\nn=$(cat "%s/runs" 2>/dev/null || echo 0)\necho $((n + 1)) > "%s/runs"\n[ "$n" -lt 2 ] || exit 6\n' \
  "$folder" "$folder" > "$folder/two-then-changed" && chmod +x "$folder/two-then-changed"

actual=$(sh "$script" "$folder/fonts" "$tool")
status=$?
expected="patched: $folder/fonts/a-patchable.ttf
unchanged, not this font or already patched: $folder/fonts/b-patched.TTF
cannot be opened, unchanged: $folder/fonts/c-unopenable.ttc
patched (2 zeros): $folder/fonts/d-collection.TTC
patched: $folder/fonts/sub/deeper/e-nested.ttf"
[ "$actual" = "$expected" ] || fail "$(printf 'expected:\n%s\nactual:\n%s' "$expected" "$actual")"
[ "$status" -eq 1 ] || fail "a font that cannot be opened must fail the script, it exited $status"
cmp -s "$folder/fonts/a-patchable.ttf" "$folder/fonts/b-patched.TTF" || fail "the two fonts should now be the same"
cmp -s "$folder/fonts/.hidden.ttf" "$sample" && cmp -s "$folder/fonts/.cache/f.ttf" "$sample" ||
  fail "a font whose name, or whose folder's name, begins with a dot was changed"

rm "$folder/fonts/c-unopenable.ttc"
actual=$("$script" "$folder/fonts/sub" "$undo")
[ "$actual" = "restored: $folder/fonts/sub/deeper/e-nested.ttf" ] || fail "the undo of a folder: $actual"
cmp -s "$folder/fonts/sub/deeper/e-nested.ttf" "$sample" || fail "the undo did not give the original back"
actual=$("$script" "$folder/fonts/sub" "$undo")
[ "$actual" = "unchanged, no slashed zero to undo: $folder/fonts/sub/deeper/e-nested.ttf" ] ||
  fail "a second undo of a folder: $actual"
actual=$("$script" "$folder/fonts" "$folder/times-refused") && fail "status 5 must fail the script"
grep -qx "patched, but its times could not be put back: $folder/fonts/a-patchable.ttf" <<< "$actual" ||
  fail "status 5 not reported: $actual"
actual=$("$script" "$folder/fonts/sub" "$folder/two-then-changed") && fail "status 6 after two zeros must fail the script"
[ "$actual" = "2 zeros patched, then: changed by another program during the run, check it: $folder/fonts/sub/deeper/e-nested.ttf" ] ||
  fail "status 6 after two zeros: $actual"
[ -z "$("$script" "$folder/empty" "$tool")" ] || fail "an empty folder has nothing to report"
"$script" "$folder/empty" "$tool" || fail "an empty folder is no failure"
"$script" 2> /dev/null; [ $? -eq 2 ] || fail "no folder must give usage and exit 2"
for args in "$folder/fonts/a-patchable.ttf" "$folder/missing" "$folder/fonts $tool extra"; do
  message=$(sh "$script" $args 2>&1 > /dev/null)
  [ $? -eq 2 ] || fail "$args: must exit 2"
  case $args in
    *extra) expected="takes a folder and at most a tool, not 3 arguments" ;;
    *) expected="not a folder: $args" ;;
  esac
  [ "$(head -n 1 <<< "$message")" = "patch-folder.sh: $expected" ] || fail "$args: $message"
done

# A large collection: every zero replaced and counted, and undone byte for byte.
mkdir "$folder/collection"
cp "$twenty_zeros" "$folder/collection/twenty.ttc"
actual=$(sh "$script" "$folder/collection" "$tool") || fail "a collection of twenty zeros failed the script"
[ "$actual" = "patched (20 zeros): $folder/collection/twenty.ttc" ] || fail "a collection of twenty zeros: $actual"
actual=$(sh "$script" "$folder/collection" "$undo") || fail "the undo of twenty zeros failed the script"
[ "$actual" = "restored (20 zeros): $folder/collection/twenty.ttc" ] || fail "the undo of twenty zeros: $actual"
cmp -s "$folder/collection/twenty.ttc" "$twenty_zeros" || fail "the undo of twenty zeros did not give the original back"
"$script" "$folder/fonts" "$folder/no-such-tool" > /dev/null 2>&1 && fail "a missing tool must fail the script"

# usage: stub NAME STATUS...: a stand-in for the tool whose runs end with
# these statuses in turn, the last one ever after.
stub() {
  local name=$1 runs="$folder/$1.runs"
  shift
  printf '#!/bin/sh
n=$(cat "%s" 2> /dev/null || echo 0)
echo $((n + 1)) > "%s"
set -- %s
' "$runs" "$runs" "$*" > "$folder/$name"
  printf 'if [ "$n" -lt $# ]; then shift "$n"; else shift $(($# - 1)); fi
exit "$1"
' >> "$folder/$name"
  chmod +x "$folder/$name"
}
# The edges, under sh: names with backslashes listed as they are, a font
# busy for a moment after its patch, one that stays busy, and a thousand zeros.
mkdir "$folder/edges"
cp "$sample" "$folder/edges/a\\cb.ttf"
cp "$sample" "$folder/edges/x\\\\y.ttf"
actual=$(sh "$script" "$folder/edges" "$tool") || fail "backslash names failed the script"
[ "$actual" = "$(printf 'patched: %s\npatched: %s' "$folder/edges/a\\cb.ttf" "$folder/edges/x\\\\y.ttf")" ] ||
  fail "backslash names are not listed as they are: $actual"
rm "$folder/edges/"*
cp "$sample" "$folder/edges/font.ttf"
stub busy-for-a-moment 0 3 3 1
stub stays-busy 0 3
stub thousand-zeros $(printf '0 %.0s' $(seq 1000)) 1
for case in "busy-for-a-moment:0:patched" "stays-busy:1:1 zeros patched, then it stayed busy: the check for more could not be made" \
  "thousand-zeros:0:patched (1000 zeros)"; do
  name=${case%%:*} rest=${case#*:}
  actual=$(sh "$script" "$folder/edges" "$folder/$name")
  status=$?
  [ "$status:$actual" = "${rest%%:*}:${rest#*:}: $folder/edges/font.ttf" ] || fail "$name: status $status, $actual"
done
echo "folder script: all outcomes told apart, any letter case, subfolders, the undo, honest exit status"
