#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The demo: the Linux tool on a copy of the sample font.
# Written for bash: under sh, say so rather than fail on a word sh lacks.
[ -n "${BASH_VERSION:-}" ] || { echo "$0 needs bash: run it as bash $0, or as $0" >&2 && exit 2; }
set -euo pipefail
usage() {
  cat << 'EOF'
usage: scripts/demo.sh
Builds the Linux tool and patches a copy of the sample font, showing the
messages (as UTF-8) and glyph zero before and after, as text and as a
picture; then undoes the patch on a copy of the result. Everything goes to
build/demo; no tests are built. Needs what setup-debian.sh --demo installs.
EOF
}
. "$(dirname "$0")/lib/takes-no-arguments.sh"
takes_no_arguments demo.sh "$@"
cd "$(dirname "$0")/.."
cmake --preset demo > /dev/null
cmake --build --preset demo --target tovalin tovalin-undo show_zero render_zero > /dev/null
cp samples/tovalin-sample.ttf build/demo/sample.ttf
echo "before: $(build/demo/tools/show_zero build/demo/sample.ttf)"
# Through a pipe the tool writes its Shift_JIS bytes; iconv shows them here.
echo | build/demo/tovalin build/demo/sample.ttf | iconv -f CP932 -t UTF-8
echo "after:  $(build/demo/tools/show_zero build/demo/sample.ttf)"
changed=$({ cmp -l samples/tovalin-sample.ttf build/demo/sample.ttf || true; } | awk 'NR==1{first=$1} {last=$1; n++} END{print n" bytes differ, all between offsets "first-1" and "last-1}')
echo "file: $changed; length $(stat -c %s build/demo/sample.ttf) bytes, unchanged"
build/demo/tools/render_zero build/demo/zero-before-after.png samples/tovalin-sample.ttf build/demo/sample.ttf
echo "picture of glyph zero, before and after: build/demo/zero-before-after.png"
cp build/demo/sample.ttf build/demo/undone.ttf
build/demo/tovalin-undo build/demo/undone.ttf quiet < /dev/null
cmp -s samples/tovalin-sample.ttf build/demo/undone.ttf && echo "tovalin-undo on a copy of the patched font: the original again, byte for byte"
