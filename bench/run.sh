#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the tool on files of 1, 4, 16 and 64 MiB that hold no zero glyph,
# against the bare per-offset loop built with the same flags, through the
# tool's own stream ("loop") and through a plain stream with the C library's
# default buffer ("plain"), and records the tool's peak memory. Native release
# build and, where built, the Windows build under Wine (both timings then
# include Wine's start).
#   usage: bench/run.sh [MIB...]      needs: cmake --build --preset release (and windows)
set -euo pipefail
cd "$(dirname "$0")/.."
sizes=${*:-1 4 16 64}
work=build/bench-files
mkdir -p "$work"
export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=$PWD/build/windows/wineprefix

measure() {  # prints "seconds peak_kib" of one command
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" < /dev/null > /dev/null 2>&1 || true
  tail -n 1 "$work/time"  # after a "non-zero status" line, if any
}

leg() {  # name, tool, loop, launcher...
  local name=$1 tool=$2 loop=$3
  shift 3
  [ -x "$tool" ] && [ -x "$loop" ] || { echo "$name: not built, skipped"; return; }
  printf '\n%s\n%6s %8s %8s %8s %11s %12s %14s\n' "$name" MiB "tool s" "loop s" "plain s" "tool/loop" "tool/plain" \
    "tool peak KiB"
  for mib in $sizes; do
    local file=$work/noise-$mib.bin
    [ -f "$file" ] || build/release/bench/scan_loop --noise "$file" "$mib"
    read -r tool_s tool_kib <<< "$(measure "$@" "$tool" "$file" quiet)"
    read -r loop_s _ <<< "$(measure "$@" "$loop" "$file")"
    read -r plain_s _ <<< "$(measure "$@" "$loop" --default-buffer "$file")"
    awk -v m="$mib" -v t="$tool_s" -v l="$loop_s" -v p="$plain_s" -v k="$tool_kib" \
      'BEGIN { printf "%6d %8.2f %8.2f %8.2f %11.3f %12.3f %14d\n", m, t, l, p, t / l, t / p, k }'
  done
}

leg "Linux, release build" build/release/tovalin build/release/bench/scan_loop
leg "Windows build under Wine" build/windows/tovalin.exe build/windows/bench/scan_loop.exe wine
