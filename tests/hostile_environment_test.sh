#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The tool in a hostile environment (Linux): closed standard streams, a reader
# that went away, requests to stop during the write and at the last prompt,
# devices and pseudo-files, other programs that go around the tool's hold on
# the font, and a watcher.
#   usage: hostile_environment_test.sh TOOL UNDO_TOOL SAMPLE_FONT
set -u -o pipefail
tool=$1 undo=$2 sample=$3
work=$(mktemp -d)
chmod 755 "$work"  # the tool also runs as another user here
lease_break_time=$(cat /proc/sys/fs/lease-break-time)
cleanup() {
  [ -z "${watcher:-}" ] || kill "$watcher" 2> /dev/null  # its reader ends with it
  echo "$lease_break_time" > /proc/sys/fs/lease-break-time 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
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

# SIGTERM between the write and the restore: an opener that the scan's hold
# kept out gets the file when the scan lets go, so the write's open and the
# restore wait a moment for it, and the signal comes then. The font ends either
# untouched or patched, with its times. Bytes that all hold the scan's key
# byte make the scan last long enough (about a second) to be caught in it.
head -c $((128 << 20)) /dev/zero | tr '\0' '\312' > "$work/term.ttf"
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

# Times past 2262, where a count of nanoseconds since 1970 in 64 bits ends:
# kept to the nanosecond.
for date in '2262-04-12 00:00:00.987654321' '2300-01-01 10:00:03.123456789'; do
  cp "$sample" "$work/far.ttf"
  touch -d "$date" "$work/far.ttf"
  before=$(stat -c '%x|%y' "$work/far.ttf")
  "$tool" "$work/far.ttf" quiet < /dev/null > /dev/null
  status=$?
  [ $status -eq 0 ] || fail "a font dated $date: status $status, not 0"
  [ "$(stat -c '%x|%y' "$work/far.ttf")" = "$before" ] || fail "a font dated $date: times now $(stat -c '%x|%y' "$work/far.ttf")"
done

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
# Other programs that go around the hold. The tool is held at a system call
# on the font (strace), and the other program acts meanwhile: its bytes are
# never overwritten, and its change is never hidden under the old times.
zero_at=$(LC_ALL=C grep -obUaP '\x00\x02\x00\x36\x00\x01\x01\xb8\x02\xca\x00\x1a' "$sample" | cut -d: -f1)
write_at() { printf 'another program' | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }
has_zero() { LC_ALL=C grep -qaP "$(printf '%s' "$2" | sed 's/../\\x&/g')" "$1"; }
slashed_prefix=000300360001
# Whether the tool (process $1) has the font $2 open: after the guard's brief
# look, that is its stream, which reads the font right after it is opened.
has_open() { ls -l "/proc/$1/fd" 2> /dev/null | grep -qF -- "$2"; }
# Whether it has the font open for writing, which it does only for its one write.
has_write_open() {
  local fd
  for fd in /proc/"$1"/fd/*; do
    [ "$(readlink "$fd")" = "$2" ] || continue
    (($(awk '/^flags:/ { print "0" $2 }' "/proc/$1/fdinfo/${fd##*/}") & 3)) && return 0
  done
  return 1
}
# usage: held_run CASE USER SYSCALL ACTION [WHEN]: the tool, as USER (self or
# nobody), on a copy of the sample, stopped for $held_us (3 s) after SYSCALL
# (pread64: its first read of the font, which fills its buffer; pwrite64: its
# one write; fsync: its write-through, after its own write; openat with
# nth=3: its open for the write), or before it with WHEN delay_enter, while
# ACTION runs on the font ($held_source instead of the sample, if set). Leaves the status in $status. An ACTION that
# changes nothing, or puts the times back itself, sets same_times.
held_run() {
  local name=$1 user=$2 call=$3 action=$4 when=${5:-delay_exit} font="$work/held-$1.ttf"
  cp "${held_source:-$sample}" "$font" && chmod 666 "$font"
  touch -d '2017-03-20 10:00:03.123456789' "$font"
  local as=()
  [ "$user" = nobody ] && as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  ASAN_OPTIONS=detect_leaks=0 strace -f -qq -o /dev/null -P "$font" -e trace="$call" \
    -e inject="$call":"$when"="${held_us:-3000000}":when="${nth:-1}" "${as[@]}" "$tool" "$font" quiet < /dev/null > /dev/null &
  local tracer=$! tool_pid="" tries=0
  # Act only once the tool sits in the held call, however slow the machine:
  # its stream open for a tenth of a second (the read), its write open (at
  # that open, or before the write), or its zero written (after the write,
  # the write-through).
  while [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
    [ -n "$tool_pid" ] || tool_pid=$(pgrep -P "$tracer" | head -n 1)
    [ -n "$tool_pid" ] || continue
    case $call:$when in
      openat:* | pwrite64:delay_enter) has_write_open "$tool_pid" "$font" && sleep 0.1 && break ;;
      pread64:*) has_open "$tool_pid" "$font" && sleep 0.1 && has_open "$tool_pid" "$font" && break ;;
      *) has_zero "$font" $slashed_prefix && break ;;
    esac
  done
  [ $tries -lt 100 ] || fail "$name: the tool never reached its $call"
  same_times=""
  $action "$font"
  wait $tracer
  status=$?
  [ -n "$same_times" ] || [ "$(stat -c %y "$font")" != "2017-03-20 10:00:03.123456789 +0000" ] ||
    fail "$name: the old times were put back over the other program's change"
}
if ! strace -o /dev/null true 2> /dev/null || ! setpriv --reuid=65534 true 2> /dev/null; then
  echo "skipped: other programs around the hold: needs strace allowed to trace, and setpriv as root"
else
  # A user who is not the owner gets no lease, only a lock that a writer may ignore.
  at_zero() { write_at "$1" $((zero_at + 40)); }
  elsewhere() { write_at "$1" 100; }
  cut_short() { truncate -s 300 "$1"; }
  for case in at_zero elsewhere cut_short; do
    held_run "not-owner-$case" nobody pread64 $case
    [ $status -eq 6 ] || fail "not the owner, writer $case: status $status, not 6"
  done
  # The lock cannot be asked, but the run never changes the size: an appender shows.
  append() { printf 'another program' >> "$1"; }
  held_run not-owner-append nobody pwrite64 append delay_enter
  [ $status -eq 6 ] || fail "not the owner, an appender during the write: status $status, not 6"
  [ "$(tail -c 15 "$work/held-not-owner-append.ttf")" = "another program" ] || fail "the appender's bytes are gone"
  for case in at_zero elsewhere; do
    grep -q 'another program' "$work/held-not-owner-$case.ttf" || fail "writer $case: its bytes are gone"
    ! has_zero "$work/held-not-owner-$case.ttf" $slashed_prefix || fail "writer $case: the tool wrote anyway"
  done
  [ "$(stat -c %s "$work/held-not-owner-cut_short.ttf")" -eq 300 ] ||
    fail "cut short while the zero was buffered: the tool wrote past the new end"

  # The owner's lease, broken by the kernel after its break time (1 s here): the
  # writer's open waits that long, then writes while the tool still holds the zero.
  if echo 1 > /proc/sys/fs/lease-break-time 2> /dev/null; then
    for case in at_zero elsewhere; do
      held_run "lease-broken-$case" self pread64 $case
      [ $status -eq 6 ] || fail "lease broken, writer $case: status $status, not 6"
      grep -q 'another program' "$work/held-lease-broken-$case.ttf" || fail "lease broken, writer $case: its bytes are gone"
      ! has_zero "$work/held-lease-broken-$case.ttf" $slashed_prefix || fail "lease broken, writer $case: the tool wrote anyway"
    done
    # The lease is asked again right before and right after the write.
    for when in delay_enter delay_exit; do
      held_run "lease-broken-at-write-$when" self pwrite64 elsewhere $when
      [ $status -eq 6 ] || fail "lease broken at the write ($when): status $status, not 6"
      grep -q 'another program' "$work/held-lease-broken-at-write-$when.ttf" || fail "lease broken at the write ($when): its bytes are gone"
    done
    # A read-only open that truncates: its break runs out and leaves a read
    # lease, as a reader's would, while every byte before the zero is gone;
    # the zero ends the file, so the write gives it its old size back.
    head -c $((zero_at + 188)) "$sample" > "$work/zero-at-end.ttf"
    truncate_reading() { perl -MFcntl -e 'sysopen(my $f, $ARGV[0], O_RDONLY | O_TRUNC) or die "$!"' "$1"; }
    held_source="$work/zero-at-end.ttf" held_run lease-lapsed self pwrite64 truncate_reading delay_enter
    [ $status -eq 6 ] || fail "a lease that lapsed under a truncating reader: status $status, not 6"
    echo "$lease_break_time" > /proc/sys/fs/lease-break-time
  else
    echo "skipped: a broken lease: the lease-break time cannot be set here"
  fi

  # A reader woken by the write (an indexer, say) waits for the tool's close
  # and changes nothing: the run is done, times kept to the nanosecond.
  read_it() { cat "$1" > /dev/null & same_times=1; }
  for i in 1 2 3; do
    held_us=1000000 held_run "reader-$i" self pwrite64 read_it
    [ $status -eq 0 ] || fail "a reader right after the write, run $i: status $status, not 0"
    cmp -s "$work/held-reader-$i.ttf" "$work/patched.ttf" || fail "a reader right after the write, run $i: not exactly patched"
    [ "$(stat -c %y "$work/held-reader-$i.ttf")" = "2017-03-20 10:00:03.123456789 +0000" ] ||
      fail "a reader right after the write, run $i: times not kept"
  done

  # A writer that puts the old times back, between the scan and the write: its
  # bytes in the zero are not written over. (A write elsewhere: the fault table.)
  into_zero_keeping_times() { at_zero "$1" && touch -d '2017-03-20 10:00:03.123456789' "$1" && same_times=1; }
  nth=3 held_run times-put-back self openat into_zero_keeping_times
  [ $status -eq 6 ] || fail "a write into the zero, times put back: status $status, not 6"
  grep -q 'another program' "$work/held-times-put-back.ttf" || fail "a write into the zero, times put back: its bytes are gone"
  ! has_zero "$work/held-times-put-back.ttf" $slashed_prefix || fail "a write into the zero, times put back: the tool wrote over it"

  # Right after the tool's own write: both changes stay, and it says so.
  held_run after-own-write nobody fsync elsewhere
  [ $status -eq 6 ] || fail "a change right after the tool's write: status $status, not 6"
  grep -q 'another program' "$work/held-after-own-write.ttf" || fail "after the tool's write: the writer's bytes are gone"
  has_zero "$work/held-after-own-write.ttf" $slashed_prefix || fail "after the tool's write: its zero is gone"
fi

# Watchers, as indexers and sync clients are: one that reads every font as
# it is written (its open waits for the run's close), and one that opens every
# font closed after writing for 1.5 s (the run's restore comes right after
# that close).
# usage: watched_runs NAME EVENT READER COUNT: COUNT patch runs on fonts in a
# folder watched for EVENT, each event starting READER on the font; each run
# held for $held_ms before its second look if set; with $folder_script, one
# run of that script on the folder instead.
watched_runs() {
  local dir="$work/$1" i
  mkdir "$dir"
  for i in $(seq "$4"); do cp "$sample" "$dir/$i.ttf"; done
  touch -d '2017-03-20 10:00:03.123456789' "$dir/"*.ttf
  mkfifo "$dir.events"
  inotifywait -m -e "$2" --format '%w%f' "$dir" > "$dir.events" 2> "$dir.watching" &
  watcher=$!
  while read -r font; do $3 "$font" & done < "$dir.events" &
  for _ in $(seq 100); do grep -q 'Watches established' "$dir.watching" && break; sleep 0.05; done
  grep -q 'Watches established' "$dir.watching" || fail "inotifywait set no watch: $(cat "$dir.watching")"
  if [ -n "${folder_script:-}" ]; then
    # The folder script, whose run that looks for more zeros finds each font still held.
    printf 'patched: %s\n' "$dir/"*.ttf > "$dir.expected"
    sh "$folder_script" "$dir" "$tool" > "$dir.listed" || fail "$1: status $?: $(cat "$dir.listed")"
    cmp -s "$dir.listed" "$dir.expected" || fail "$1: listed $(cat "$dir.listed")"
  fi
  for i in $(seq "$4"); do
    local run=("$tool")
    # Held before its second look (its fourth open of the font), as a loaded machine may hold it.
    [ -z "${held_ms:-}" ] || run=(strace -f -qq -o /dev/null -P "$dir/$i.ttf" -e trace=openat
      -e inject=openat:delay_enter=$((held_ms * 1000)):when=4 "$tool")
    if [ -z "${folder_script:-}" ]; then
      ASAN_OPTIONS=detect_leaks=0 "${run[@]}" "$dir/$i.ttf" quiet < /dev/null > /dev/null
      status=$?
      [ $status -eq 0 ] || fail "$1 run $i: status $status, not 0"
    fi
    cmp -s "$dir/$i.ttf" "$work/patched.ttf" || fail "$1 run $i: the font is not exactly patched"
    [ "$(stat -c %y "$dir/$i.ttf")" = "2017-03-20 10:00:03.123456789 +0000" ] || fail "$1 run $i: times not kept"
  done
  kill $watcher
  watcher=""
  wait
}
if command -v inotifywait > /dev/null; then
  read_through() { cat "$1" > /dev/null; }
  stay_open() { sleep 1.5 < "$1"; }
  watched_runs read-as-written modify read_through 30
  watched_runs opened-when-closed close_write stay_open 10
  if strace -o /dev/null true 2> /dev/null; then
    held_ms=300 watched_runs opened-when-closed-held close_write stay_open 8
  else
    echo "skipped: a watcher while the run is held before its second look: strace may not trace here"
  fi
  folder_script="$(dirname "$0")/../scripts/patch-folder.sh" watched_runs folder-script close_write stay_open 4
else
  echo "skipped: watchers: no inotifywait"
fi
echo "hostile environment: streams, reader gone, signals, devices, pseudo-files, writers around the hold, readers, watchers handled"
