#!/usr/bin/env bash
# Installs everything the build, the demo and the tests use, on Debian 12.
set -euo pipefail
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update
# With recommends: that is how Wine and the rest were installed when the suite was tested.
as_root apt-get install -y \
  cmake ninja-build g++ make pkg-config \
  libgtest-dev googletest libfreetype-dev libpng-dev \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 \
  python3 python3-fonttools opentype-sanitizer clang libclang-rt-dev time \
  e2fsprogs util-linux ca-certificates
