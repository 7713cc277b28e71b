#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build, the demo and the tests use, on Debian 12.
#   usage: setup-debian.sh           everything the whole test suite needs
#          setup-debian.sh --demo    only what scripts/demo.sh needs
set -euo pipefail
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
demo_packages="cmake ninja-build g++ pkg-config libfreetype-dev libpng-dev"
as_root apt-get update
if [ "${1:-}" = "--demo" ]; then
  as_root apt-get install -y --no-install-recommends $demo_packages
  exit 0
fi
# With recommends: that is how Wine and the rest were installed when the suite was tested.
as_root apt-get install -y $demo_packages make \
  libgtest-dev googletest \
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 icoutils \
  python3 python3-fonttools opentype-sanitizer clang libclang-rt-dev time \
  lintian dpkg-dev e2fsprogs util-linux strace ca-certificates
