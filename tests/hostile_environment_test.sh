#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool in a hostile process environment (Linux): closed standard streams,
# a reader that went away, requests to stop during the write and at the last
# prompt, devices and pseudo-files.   usage: hostile_environment_test.sh TOOL SAMPLE_FONT
set -u -o pipefail
tool=$1 sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cp "$sample" "$work/patched.ttf"
"$tool" "$work/patched.ttf" quiet < /dev/null || fail "could not prepare a patched font"

# Closed standard streams: the font must not become descriptor 0, 1 or 2.
cp "$sample" "$work/closed.ttf"
"$tool" "$work/closed.ttf" <&- >&- 2>&-
status=$?
[ $status -eq 0 ] || fail "closed streams: status $status"
cmp -s "$work/closed.ttf" "$work/patched.ttf" || fail "closed streams: the font is not exactly patched"

# A reader that went away: the status stands.
status=$( { sleep 0.2; "$tool" "$work/missing.ttf" quiet < /dev/null; echo $? > "$work/status"; } | true; cat "$work/status")
[ "$status" = 3 ] || fail "reader gone, missing file: status $status, not 3"
cp "$sample" "$work/piped.ttf"
status=$( { sleep 0.2; "$tool" "$work/piped.ttf" < /dev/null; echo $? > "$work/status"; } | true; cat "$work/status")
[ "$status" = 0 ] || fail "reader gone, interactive patch: status $status, not 0"

# SIGTERM between the write and the restore: the restore waits a moment for
# an opener that the tool's hold kept out until the stream closed, and the
# signal comes then. The font ends either untouched or patched, with its times.
head -c $((48 << 20)) /dev/zero > "$work/term.ttf"
cat "$sample" >> "$work/term.ttf"
cp "$work/term.ttf" "$work/term-original.ttf"
touch -d '2017-03-20 10:00:03.123456789' "$work/term.ttf"
before=$(stat -c %y "$work/term.ttf")
"$tool" "$work/term.ttf" quiet < /dev/null &
pid=$!
sleep 0.2
exec 3< "$work/term.ttf"  # waits on the tool's hold
kill -TERM $pid
sleep 0.3
exec 3<&-
wait $pid
status=$?
[ $status -eq 143 ] || fail "SIGTERM during the run: status $status, not 143"
[ "$(stat -c %y "$work/term.ttf")" = "$before" ] || fail "SIGTERM during the run: the times were not put back"
tail -c "$(stat -c %s "$sample")" "$work/term.ttf" | cmp -s - "$work/patched.ttf" ||
  cmp -s "$work/term.ttf" "$work/term-original.ttf" || fail "SIGTERM during the run: the font is half done"

# Ctrl-C at the last prompt ends the wait like Enter.
set -m  # background jobs get SIGINT as a terminal would deliver it
cp "$sample" "$work/prompt.ttf"
mkfifo "$work/input"
"$tool" "$work/prompt.ttf" < "$work/input" > /dev/null &
pid=$!
exec 4> "$work/input"
sleep 0.5
kill -INT $pid
wait $pid
status=$?
exec 4>&-
set +m
[ $status -eq 0 ] || fail "Ctrl-C at the prompt after a patch: status $status, not 0"

# A device is refused before it is opened: a writer waiting for a reader of
# this pipe is still waiting afterwards.
mkfifo "$work/pipe.ttf"
( exec 5> "$work/pipe.ttf"; echo opened > "$work/writer" ) &
writer=$!
"$tool" "$work/pipe.ttf" quiet < /dev/null > /dev/null
status=$?
[ $status -eq 3 ] || fail "a pipe: status $status, not 3"
sleep 0.1
[ ! -e "$work/writer" ] || fail "a pipe was opened before it was refused"
kill $writer 2> /dev/null

# Pseudo-files look regular but are refused before a byte is read.
for pseudo in /proc/version /sys/kernel/mm/transparent_hugepage/enabled; do
  [ -e "$pseudo" ] || continue
  "$tool" "$pseudo" quiet < /dev/null > /dev/null
  status=$?
  [ $status -eq 3 ] || fail "$pseudo: status $status, not 3"
done
echo "hostile environment: streams, reader gone, signals, devices and pseudo-files handled"
