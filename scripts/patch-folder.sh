#!/usr/bin/env bash
# Patches every .ttf font in a folder in quiet mode and tells the outcomes
# apart by exit status.   usage: patch-folder.sh FOLDER [TOOL]
tool=${2:-tovalin}
for font in "$1"/*.ttf; do
  # Quiet mode still waits after a failure: give it no input to wait for.
  "$tool" "$font" quiet < /dev/null > /dev/null
  case $? in
    0) echo "patched: $font" ;;
    1) echo "unchanged, not this font or already patched: $font" ;;
    3) echo "cannot be opened: $font" ;;
    *) echo "input/output failure, check the file: $font" ;;
  esac
done
