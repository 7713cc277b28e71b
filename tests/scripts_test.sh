#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every script in scripts/ answers -h and --help with its usage and a typo with
# an error, its usage and status 2, started by sh says whether it needs bash,
# and in none of these cases calls anything: the
# commands they would run are stubs here that note any call.
set -u
scripts="$(dirname "$0")/../scripts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir "$work/stubs" "$work/folder"
for command in apt-get sudo cmake ctest cpack git clang++ tovalin; do
  printf '#!/bin/sh\necho %s >> "%s/calls"\n' "$command" "$work" > "$work/stubs/$command"
  chmod +x "$work/stubs/$command"
done
for script in "$scripts"/*.sh; do
  name=$(basename "$script")
  for help in -h --help; do
    PATH="$work/stubs:$PATH" bash "$script" $help > "$work/out" 2> "$work/err"
    status=$?
    [ $status -eq 0 ] || fail "$name $help: status $status, not 0"
    head -n 1 "$work/out" | grep -q "^usage: .*$name" || fail "$name $help: no usage on standard output"
    [ ! -s "$work/err" ] || fail "$name $help: wrote to standard error: $(cat "$work/err")"
  done
  # patch-folder.sh takes a folder first; the typo is then its option.
  args=(--demos)
  [ "$name" = patch-folder.sh ] && args=("$work/folder" --demos)
  PATH="$work/stubs:$PATH" bash "$script" "${args[@]}" > "$work/out" 2> "$work/err"
  status=$?
  [ $status -eq 2 ] || fail "$name --demos: status $status, not 2"
  [ ! -s "$work/out" ] || fail "$name --demos: wrote to standard output"
  head -n 1 "$work/err" | grep -q -- "--demos" || fail "$name --demos: the error does not name the typo"
  grep -q "^usage: " "$work/err" || fail "$name --demos: no usage on standard error"
  # Under sh, the scripts written for bash say so; patch-folder.sh runs.
  PATH="$work/stubs:$PATH" sh "$script" --help > "$work/out" 2> "$work/err"
  status=$?
  if [ "$name" = patch-folder.sh ]; then
    [ $status -eq 0 ] || fail "$name under sh: status $status, not 0"
  else
    [ $status -eq 2 ] && grep -q "needs bash" "$work/err" || fail "$name under sh: status $status: $(cat "$work/err")"
  fi
  [ ! -e "$work/calls" ] || fail "$name: called $(tr '\n' ' ' < "$work/calls")"
done
echo "scripts: --help and a typo answered, nothing called"
