#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Patches every TrueType font in a folder (.ttf and .ttc, in any letter case)
# in quiet mode and tells the outcomes apart by exit status. Exits 1 when any
# font ended in a failure or the tool could not be run, 0 otherwise.
#   usage: patch-folder.sh FOLDER [TOOL]
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: patch-folder.sh FOLDER [TOOL]" >&2
  exit 2
fi
tool=${2:-tovalin}
shopt -s nullglob nocaseglob
failed=0
for font in "$1"/*.ttf "$1"/*.ttc; do
  # Quiet mode still waits after a failure: give it no input to wait for.
  "$tool" "$font" quiet < /dev/null > /dev/null
  status=$?
  case $status in
    0) echo "patched: $font" ;;
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
