#!/usr/bin/env bash
# Builds and tests every leg: Linux with sanitizers, Windows under Wine, and
# the Linux release build that the .deb ships (with the package test).
set -euo pipefail
cd "$(dirname "$0")/.."
for leg in native windows release; do
  cmake --preset "$leg"
  cmake --build --preset "$leg"
  ctest --preset "$leg"
done
