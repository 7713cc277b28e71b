#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A bounded fuzzing session of the scan (default 60 s), where clang is installed.
# Builds the fuzz preset first. New inputs go to a working corpus under the
# build dir; the seeds stay as they are.
#   usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
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
