#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds and tests every leg.
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -uo pipefail
usage() {
  cat << 'EOF'
usage: scripts/test-all.sh
Builds and tests every leg: Linux with sanitizers, Windows under Wine, the
Linux release build that the .deb ships (with the package test), the arm64
release build under qemu-user (skipped where binfmt_misc cannot run it), the
page in Chromium and Firefox ESR, and the scan fuzzer's seed corpus. Every leg runs; a summary with one line per leg
ends the output, and the exit status is 0 only if every leg passed. Needs
what setup-debian.sh (without options) installs.
EOF
}
. "$(dirname "$0")/lib/takes-no-arguments.sh"
takes_no_arguments test-all.sh "$@"
cd "$(dirname "$0")/.."
summary=() failed=0
for leg in native windows release arm64 web fuzz; do
  log=$(mktemp)
  # The arm64 build's tests start the tool as any program, which needs the
  # kernel to hand it to qemu-aarch64.
  if [ $leg = arm64 ] && ! grep -qx enabled /proc/sys/fs/binfmt_misc/qemu-aarch64 2> /dev/null; then
    summary+=("$(printf '%-8s %s' "$leg" "skipped: arm64 programs are not registered with binfmt_misc here")")
    rm -f "$log"
    continue
  fi
  if cmake --preset "$leg" && cmake --build --preset "$leg" && ctest --preset "$leg" 2>&1 | tee "$log"; then
    result=passed
  else
    result=failed failed=1
  fi
  # ctest's own count, such as "100% tests passed, 0 tests failed out of 13".
  counts=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1)
  summary+=("$(printf '%-8s %s  %s' "$leg" "$result" "${counts:-(no tests ran: the build failed)}")")
  rm -f "$log"
done
echo
echo "Summary"
printf '  %s\n' "${summary[@]}"
if [ $failed -eq 0 ]; then echo "all legs passed"; else echo "some legs FAILED"; fi
exit $failed
