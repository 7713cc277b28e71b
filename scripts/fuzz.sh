#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A bounded fuzzing session of the scan.
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -euo pipefail
usage() {
  cat << 'EOF'
usage: scripts/fuzz.sh [SECONDS]
A fuzzing session of the scan for SECONDS (default 60), one fuzzing process
per core, where clang is installed. Builds the fuzz preset first. New inputs
go to a working corpus under build/fuzz; the seeds stay as they are.
EOF
}
case "$#:${1:-}" in
  1:-h | 1:--help) usage && exit 0 ;;
  0: | 1:[1-9] | 1:[1-9][0-9] | 1:[1-9][0-9][0-9] | 1:[1-9][0-9][0-9][0-9]) ;;
  *) echo "fuzz.sh: unknown arguments: $*" >&2 && usage >&2 && exit 2 ;;
esac
cd "$(dirname "$0")/.."
if ! command -v clang++ > /dev/null; then
  echo "clang++ not found; fuzzing skipped"
  exit 0
fi
cmake --preset fuzz > /dev/null
cmake --build --preset fuzz > /dev/null
work=build/fuzz/fuzz-work
mkdir -p "$work/corpus" "$work/crashes"
cd "$work"
# One fuzzing process per core; the last progress line counts the executions of all.
../tests/scan_fuzzer -fork="$(nproc)" -max_total_time="${1:-60}" -artifact_prefix=crashes/ \
  corpus ../../../tests/fuzz_corpus > fuzz.log 2>&1 || true
grep -E '^#[0-9]+: ' fuzz.log | tail -n 1
grep -E 'ERROR|disagree' fuzz.log || true
if [ -n "$(ls crashes)" ]; then
  echo "the fuzzer found inputs where the scan and the model disagree: $work/crashes"
  exit 1
fi
echo "corpus now holds $(ls corpus | wc -l) inputs"
