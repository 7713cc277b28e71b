#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and tests every leg: Linux with sanitizers, Windows under Wine, the
# Linux release build that the .deb ships (with the package test), and the
# scan fuzzer's seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
for leg in native windows release fuzz; do
  cmake --preset "$leg"
  cmake --build --preset "$leg"
  ctest --preset "$leg"
done
