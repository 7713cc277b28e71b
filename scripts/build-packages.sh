#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the .deb and the Windows .zip from this checkout.
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -euo pipefail
usage() {
  cat << 'EOF'
usage: scripts/build-packages.sh
Builds the packages from this checkout into build/packages: the Linux .debs
for amd64 and arm64 (release builds, hardened, with the page at
/usr/share/tovalin/tovalin.html) and the Windows .zip (the static .exe files
and the page), without the tests, and SHA256SUMS, which lists each with
its SHA-256 (check with sha256sum -c SHA256SUMS). All are reproducible: every
time stamp in them is the commit's (SOURCE_DATE_EPOCH), so two builds of one
commit, in any folders, give the same bytes. Needs what setup-debian.sh
--packages installs.
EOF
}
. "$(dirname "$0")/lib/takes-no-arguments.sh"
takes_no_arguments build-packages.sh "$@"
cd "$(dirname "$0")/.."
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2> /dev/null || echo 0)
export SOURCE_DATE_EPOCH
# The page first, without its test, in a folder of its own: the .debs and the .zip ship it.
cmake --preset web -B build/page -DBUILD_TESTING=OFF > /dev/null
cmake --build build/page > /dev/null
for preset in deb deb-arm64 zip; do
  cmake --preset "$preset" -DTOVALIN_PAGE="$PWD/build/page/tovalin.html" > /dev/null
  cmake --build --preset "$preset" > /dev/null
  rm -rf "build/$preset/packages"
  (cd "build/$preset" && cpack > /dev/null)
done
rm -rf build/packages && mkdir -p build/packages
cp build/deb/packages/*.deb build/deb-arm64/packages/*.deb build/zip/packages/*.zip build/packages/
(cd build/packages && sha256sum -- *.deb *.zip > SHA256SUMS)
echo "packages:"
ls -1 "$PWD"/build/packages/*.deb "$PWD"/build/packages/*.zip "$PWD"/build/packages/SHA256SUMS
