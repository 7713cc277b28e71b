#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what the build, the demo and the tests use, on Debian 12.
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -euo pipefail
usage() {
  cat << 'EOF'
usage: scripts/setup-debian.sh [--demo | --packages | --web]
Installs Debian 12 packages with apt-get (as root, or through sudo):
  (no option)   everything the whole test suite needs (scripts/test-all.sh)
  --demo        only what scripts/demo.sh needs
  --packages    only what scripts/build-packages.sh needs
  --web         only what the page needs (cmake --preset web), without its test
EOF
}
case "$#:${1:-}" in
  1:-h | 1:--help) usage && exit 0 ;;
  0: | 1:--demo | 1:--packages | 1:--web) ;;
  *) echo "setup-debian.sh: unknown arguments: $*" >&2 && usage >&2 && exit 2 ;;
esac
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
demo_packages="cmake ninja-build g++ pkg-config libfreetype-dev libpng-dev"
# The .deb's dependencies are computed by dpkg-shlibdeps, which needs file;
# git dates the packages by the commit.
# The page: clang-14 for wasm32-wasi, its C and C++ libraries and builtins.
web_packages="cmake ninja-build clang-14 lld-14 wasi-libc libc++-14-dev-wasm32 libc++abi-14-dev-wasm32
  libclang-rt-14-dev-wasm32"
package_packages="cmake ninja-build g++ dpkg-dev file git g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-aarch64-linux-gnu libc6:arm64 libstdc++6:arm64 $web_packages"
# The arm64 build's runtime (for dpkg-shlibdeps, and for its tests under qemu-user).
case "${1:-}" in --demo | --web) ;; *) as_root dpkg --add-architecture arm64 ;; esac
as_root apt-get update
case "${1:-}" in
  --demo)
    as_root apt-get install -y --no-install-recommends $demo_packages
    exit 0
    ;;
  --packages)
    as_root apt-get install -y --no-install-recommends $package_packages
    exit 0
    ;;
  --web)
    as_root apt-get install -y --no-install-recommends $web_packages
    exit 0
    ;;
esac
# With recommends: that is how Wine and the rest were installed when the suite was tested.
as_root apt-get install -y $demo_packages $package_packages make \
  libgtest-dev googletest \
  wine wine64 icoutils locales \
  python3 python3-fonttools opentype-sanitizer clang libclang-rt-dev time \
  lintian dpkg-dev e2fsprogs util-linux strace man-db ca-certificates \
  inotify-tools python3-fusepy samba smbnetfs fusefat dosfstools perl \
  qemu-user qemu-user-binfmt binfmt-support \
  chromium firefox-esr
# The page's test drives the browsers from node with puppeteer-core, from the
# npm registry, at the version tests/web/package-lock.json names. A node that
# is there already stays (Debian's npm conflicts with some other builds of it).
command -v node > /dev/null && command -v npm > /dev/null || as_root apt-get install -y nodejs npm
(cd "$(dirname "$0")/../tests/web" && npm ci --no-audit --no-fund)
# The arm64 tests start the tool themselves, so the kernel must hand arm64
# programs to qemu-aarch64 (binfmt_misc). A machine that allows no such
# registration (an unprivileged container) skips the arm64 leg, saying so.
if [ ! -e /proc/sys/fs/binfmt_misc/register ]; then
  as_root mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2> /dev/null || true
fi
as_root update-binfmts --enable qemu-aarch64 2> /dev/null ||
  echo "setup-debian.sh: arm64 programs cannot be registered with binfmt_misc here; the arm64 tests will be skipped"
