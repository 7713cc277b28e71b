#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the tool on files of 1, 4, 16 and 64 MiB that hold no zero glyph,
# beside the yardsticks of bench/scan_loop.cc built with the same flags:
#   start   the yardstick program started and ended at once: what starting a
#           process costs (under Wine, Wine's own start)
#   scan    the tool's own scan through its own stream, nothing around it
#   read    the file read once through the tool's handle, in the stream's reads
#   plain   the per-offset walk (seek, read a window, compare) through a plain
#           stream with the C library's default buffer (skipped above 16 MiB
#           unless PLAIN_UP_TO says more: it takes minutes)
#   floor   the whole file in memory, then the per-offset copy and compare:
#           the floor of a scan that visits every offset
#   search  the whole file in memory, one Boyer-Moore-Horspool search
# and records the tool's peak memory. Each time is the shortest of three runs
# (plain: one). Native release build and, where built, the Windows build under
# Wine (every timing then includes Wine's start).
# Last, patch-folder.sh on a folder of 300 fonts beside a bare loop of the tool.
#   usage: bench/run.sh [MIB...]      needs: cmake --build --preset release (and windows)
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=${*:-1 4 16 64}
plain_up_to=${PLAIN_UP_TO:-16}
work=build/bench-files
mkdir -p "$work"
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=$PWD/build/windows/wineprefix

shorter() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }

seconds() {  # the shortest of $repeats runs of one command, in ms precision
  local best="" t
  for _ in $(seq "$repeats"); do
    t=$( { TIMEFORMAT=%3R; time "$@" < /dev/null > /dev/null 2>&1; } 2>&1 ) || true
    t=${t##*$'\n'}
    best=$(shorter "$best" "$t")
  done
  echo "$best"
}

peak_kib() {
  /usr/bin/time -f '%M' -o "$work/time" "$@" < /dev/null > /dev/null 2>&1 || true
  tail -n 1 "$work/time"  # after a "non-zero status" line, if any
}

leg() {  # name, tool, loop, launcher...
  local name=$1 tool=$2 loop=$3
  shift 3
  [ -x "$tool" ] && [ -x "$loop" ] || { echo "$name: not built, skipped"; return; }
  printf '\n%s\n%5s %7s %7s %7s %7s %8s %7s %8s %9s %10s %10s %9s\n' "$name" MiB "tool s" "start s" "scan s" \
    "read s" "plain s" "floor s" "search s" "tool/read" "tool/floor" "tool/plain" "peak KiB"
  for mib in $sizes; do
    local file=$work/noise-$mib.bin plain_s=0
    [ -f "$file" ] || build/release/bench/scan_loop --noise "$file" "$mib"
    local tool_s start_s scan_s read_s floor_s search_s tool_kib
    tool_s=$(repeats=3 seconds "$@" "$tool" "$file" quiet)
    start_s=$(repeats=3 seconds "$@" "$loop")
    scan_s=$(repeats=3 seconds "$@" "$loop" "$file")
    read_s=$(repeats=3 seconds "$@" "$loop" --read "$file")
    [ "$mib" -gt "$plain_up_to" ] || plain_s=$(repeats=1 seconds "$@" "$loop" --default-buffer "$file")
    floor_s=$(repeats=3 seconds "$@" "$loop" --in-memory "$file")
    search_s=$(repeats=3 seconds "$@" "$loop" --search "$file")
    tool_kib=$(peak_kib "$@" "$tool" "$file" quiet)
    awk -v m="$mib" -v t="$tool_s" -v b="$start_s" -v s="$scan_s" -v r="$read_s" -v p="$plain_s" -v f="$floor_s" \
      -v x="$search_s" -v k="$tool_kib" 'function ratio(a, b, digits) {
        return a > 0 && b > 0 ? sprintf("%." digits "f", a / b) : "-" }
      BEGIN { plain = "-"; if (p > 0) plain = sprintf("%.3f", p)
              printf "%5d %7.3f %7.3f %7.3f %7.3f %8s %7.3f %8.3f %9s %10s %10s %9d\n", m, t, b, s, r, plain, f, x,
                ratio(t, r, 1), ratio(t, f, 2), ratio(t, p, 4), k }'
  done
}

# patch-folder.sh beside a bare loop that runs the tool as the script does
# (each font until it finds nothing), on fresh copies of the sample font each
# time; the shortest of three.
folder_leg() {
  local fonts=$work/folder count=${FOLDER_FONTS:-300} script_s="" loop_s=""
  [ -x build/release/tovalin ] || { echo "folder script: not built, skipped"; return; }
  fresh() {
    rm -rf "$fonts" && mkdir -p "$fonts"
    for i in $(seq "$count"); do cp samples/tovalin-sample.ttf "$fonts/$i.ttf"; done
  }
  bare_loop() {
    for font in "$fonts"/*.ttf; do
      while build/release/tovalin "$font" quiet < /dev/null > /dev/null; do :; done
    done
  }
  for _ in 1 2 3; do
    fresh
    script_s=$(shorter "$script_s" "$(repeats=1 seconds sh scripts/patch-folder.sh "$fonts" build/release/tovalin)")
    fresh
    loop_s=$(shorter "$loop_s" "$(repeats=1 seconds bare_loop)")
  done
  printf '\nFolder of %d fonts, release build\n  patch-folder.sh under sh %7.3f s\n  bare loop of the tool    %7.3f s\n  script/loop              %7.2f\n' \
    "$count" "$script_s" "$loop_s" "$(awk -v a="$script_s" -v b="$loop_s" 'BEGIN { print a / b }')"
}

leg "Linux, release build" build/release/tovalin build/release/bench/scan_loop
leg "Windows build under Wine" build/windows/tovalin.exe build/windows/bench/scan_loop.exe wine
folder_leg
