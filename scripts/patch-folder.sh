#!/bin/sh
# SPDX-License-Identifier: MIT
# Patches every TrueType font in a folder (.ttf and .ttc, in any letter case)
# in quiet mode and tells the outcomes apart by exit status. A collection can
# hold the plain zero more than once and each run replaces one, so a font is
# run again while it reports a replacement, at most 16 times. Exits 1 when any
# font ended in a failure or the tool could not be run, 0 otherwise.
#   usage: patch-folder.sh FOLDER [TOOL]      (sh or bash)
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: patch-folder.sh FOLDER [TOOL]" >&2
  exit 2
fi
tool=${2:-tovalin}
failed=0
for font in "$1"/*; do
  case $(printf '%s' "$font" | tr '[:upper:]' '[:lower:]') in
    *.ttf | *.ttc) ;;
    *) continue ;;
  esac
  zeros=0
  while :; do
    # Quiet mode still waits after a failure: give it no input to wait for.
    "$tool" "$font" quiet < /dev/null > /dev/null
    status=$?
    [ $status -eq 0 ] && [ $zeros -lt 16 ] || break
    zeros=$((zeros + 1))
  done
  # After one or more replacements, "nothing more found" is the good end.
  if [ $zeros -gt 0 ] && [ $status -le 1 ]; then status=0; fi
  case $status in
    0) if [ $zeros -gt 1 ]; then echo "patched ($zeros zeros): $font"; else echo "patched: $font"; fi ;;
    1) echo "unchanged, not this font or already patched: $font" ;;
    3) echo "cannot be opened, unchanged: $font" ;;
    4) echo "input/output failure, check the file: $font" ;;
    5) echo "patched, but its times could not be put back: $font" ;;
    6) echo "changed by another program during the run, check it: $font" ;;
    126 | 127)
      echo "the tool could not be run: $tool" >&2
      exit 1
      ;;
    *) echo "the tool ended unexpectedly (status $status), check the file: $font" ;;
  esac
  [ "$status" -le 1 ] || failed=1
done
exit $failed
