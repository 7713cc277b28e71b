#!/usr/bin/env bash
# The README's batch example on three fonts: one patchable, one already
# patched, one that cannot be opened.   usage: batch_example_test.sh TOOL SAMPLE_FONT
set -u
tool=$1 sample=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$sample" "$folder/a-patchable.ttf"
cp "$sample" "$folder/b-patched.ttf"
"$tool" "$folder/b-patched.ttf" quiet < /dev/null || { echo "could not prepare the patched font"; exit 1; }
mkfifo "$folder/c-unopenable.ttf"

actual=$("$(dirname "$0")/../scripts/patch-folder.sh" "$folder" "$tool")
expected="patched: $folder/a-patchable.ttf
unchanged, not this font or already patched: $folder/b-patched.ttf
cannot be opened: $folder/c-unopenable.ttf"
if [ "$actual" != "$expected" ]; then
  printf 'expected:\n%s\nactual:\n%s\n' "$expected" "$actual"
  exit 1
fi
cmp -s "$folder/a-patchable.ttf" "$folder/b-patched.ttf" || { echo "the two fonts should now be the same"; exit 1; }
echo "batch example: all three outcomes told apart"
