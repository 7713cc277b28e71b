#!/usr/bin/env bash
# Builds and tests both legs: Linux (with sanitizers) and Windows (under Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
for leg in native windows; do
  cmake --preset "$leg"
  cmake --build --preset "$leg"
  ctest --preset "$leg"
done
