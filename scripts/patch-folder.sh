#!/bin/sh
# SPDX-License-Identifier: MIT
# Patches every TrueType font in a folder and its subfolders (.ttf and .ttc,
# in any letter case) in quiet mode and tells the outcomes apart by exit
# status. A collection can hold the plain zero more than once and each run
# replaces one, so a font is run again until it finds nothing, and the line
# tells how many zeros were replaced. With tovalin-undo as the tool it undoes
# the patch the same way. Exits 1 when any font ended in a failure or the
# tool could not be run, 2 on a usage error, 0 otherwise.
# Names that begin with a dot (hidden files and folders) are left alone.
usage() {
  cat << 'EOF'
usage: patch-folder.sh FOLDER [TOOL]      (under sh or bash)
Patches every .ttf and .ttc font in FOLDER and its subfolders, one line per
font; names that begin with a dot are left alone. TOOL is tovalin, or
tovalin-undo to undo. Exits 1 when any font ended in a failure or the tool
could not be run, 2 on a usage error (this text), else 0.
EOF
}
case "$#:${1:-}" in
  1:-h | 1:--help) usage && exit 0 ;;
esac
for arg in "$@"; do
  case $arg in
    -*) echo "patch-folder.sh: unknown option: $arg (a folder named so: ./$arg)" >&2 && usage >&2 && exit 2 ;;
  esac
done
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "patch-folder.sh: takes a folder and at most a tool, not $# arguments" >&2
  usage >&2
  exit 2
elif [ ! -d "$1" ]; then
  echo "patch-folder.sh: not a folder: $1" >&2
  usage >&2
  exit 2
fi
tool=${2:-tovalin}
case $(basename "$tool") in
  *undo*) done_word=restored unchanged="unchanged, no slashed zero to undo" ;;
  *) done_word=patched unchanged="unchanged, not this font or already patched" ;;
esac
failed=0
# Far more zeros than any real collection holds (one per font in it): a font
# that still has one after this many replacements is reported, not taken as
# done. The run after the last replacement, which finds nothing, is the good end.
most_zeros=1000
# A program that opens each font as soon as it was written (an indexer, a
# sync client) may still have it when the next run looks for more zeros; each
# try waits for it about a second.
busy_tries=3

# A name goes out as it is: printf, unlike sh's echo, reads no backslashes.
say() { printf '%s: %s\n' "$1" "$2"; }

run_on_font() {
  zeros=0 tries=0
  while :; do
    # Quiet mode still waits after a failure: give it no input to wait for.
    "$tool" "$1" quiet < /dev/null > /dev/null
    status=$?
    if [ $status -eq 0 ]; then
      zeros=$((zeros + 1))
      if [ $zeros -gt $most_zeros ]; then status=bound && break; fi
    elif [ $status -eq 3 ] && [ $zeros -gt 0 ] && [ $tries -lt $busy_tries ]; then
      tries=$((tries + 1))
    else
      break
    fi
  done
  # After one or more replacements, "nothing more found" is the good end.
  if [ $zeros -gt 0 ] && [ "$status" = 1 ]; then status=0; fi
  if [ $zeros -gt 0 ] && [ "$status" = 3 ]; then status=busy; fi
  # A failure after replacements: those zeros are in the file; say so.
  earlier=""
  if [ $zeros -gt 0 ]; then earlier="$zeros zeros $done_word, then: "; fi
  case $status in
    0) if [ $zeros -gt 1 ]; then say "$done_word ($zeros zeros)" "$1"; else say "$done_word" "$1"; fi ;;
    1) say "$unchanged" "$1" ;;
    3) say "cannot be opened, unchanged" "$1" ;;
    4) say "${earlier}input/output failure, check the file" "$1" ;;
    5) say "${earlier}$done_word, but its times could not be put back" "$1" ;;
    6) say "${earlier}changed by another program during the run, check it" "$1" ;;
    busy) say "$zeros zeros $done_word, then it stayed busy: the check for more could not be made" "$1" ;;
    bound) say "$most_zeros zeros $done_word and still one more, check the file" "$1" ;;
    126 | 127)
      echo "the tool could not be run: $tool" >&2
      exit 1
      ;;
    *) say "${earlier}the tool ended unexpectedly (status $status), check the file" "$1" ;;
  esac
  [ "$status" = 0 ] || [ "$status" = 1 ] || failed=1
}

# Subfolders in place, in name order; links to folders are not followed, so no
# folder is walked twice.
walk() {
  for entry in "$1"/*; do
    if [ -d "$entry" ] && [ ! -L "$entry" ]; then
      walk "$entry"
      continue
    fi
    case $entry in
      *.[Tt][Tt][FfCc]) run_on_font "$entry" ;;
    esac
  done
}

walk "$1"
exit $failed
