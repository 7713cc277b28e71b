#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Either build on file systems that behave unlike a plain local disk: an
# overlay (every container), where the first open for writing copies a
# lower layer's font up; a FUSE file system that refuses to set times even for
# the owner; a FAT image through FUSE that misplaces writes; a watcher that
# sees every close after writing; and natively an
# SMB share (a Samba server on the loopback, reached through the smbnetfs FUSE
# client). A run that finds nothing opens the font for reading only.
#   usage: file_systems_test.sh TOOL UNDO_TOOL SAMPLE_FONT [WINEPREFIX]
# With WINEPREFIX the tools are .exe files, run under Wine; Windows keeps
# times in 100 ns steps, so they are compared to that step there.
set -u -o pipefail
tool=$1 undo=$2 sample=$3 prefix=${4:-}
[ -n "$prefix" ] && export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
work=$(mktemp -d)
cleanup() {
  umount "$work/overlay/merged" "$work/small/merged" "$work/small/layer" "$work/fuse/mount" "$work/smb/mount" "$work/fat/mount" 2> /dev/null
  [ -z "${smbd:-}" ] || kill "$smbd" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
skipped() { echo "skipped: $*"; }
# usage: run PROGRAM FONT; the status is left in $status.
run() {
  if [ -n "$prefix" ]; then
    (cd "$(dirname "$2")" && wine "$1" "$(basename "$2")" quiet < /dev/null > /dev/null)
  else
    "$1" "$2" quiet < /dev/null > /dev/null
  fi
  status=$?
}
times_of() {
  local times
  times=$(stat -c '%x|%y' "$1")
  [ -n "$prefix" ] && times=$(sed -E 's/(\.[0-9]{7})[0-9]{2}/\1/g' <<< "$times")
  echo "$times"
}
old_times() { touch -d '2017-03-20 10:00:03.123456789' "$@"; }
# Wine's reads move the access time where Linux's relatime would (it asks for
# no O_NOATIME), and it opens for writing to set times: a font already read
# since its last change, as most are, has no time to put back there.
nothing_times() {
  old_times "$@"
  [ -z "$prefix" ] || cat "$@" > /dev/null
}
cp "$sample" "$work/patched.ttf"
run "$tool" "$work/patched.ttf"
[ $status -eq 0 ] || fail "could not prepare a patched font: status $status"
head -c $((2 << 20)) /dev/urandom > "$work/noise.ttf"

# Nothing to patch: opened for reading only, so no close-after-write event,
# and (natively, where the owner's reads leave the access time) no time written.
if command -v inotifywait > /dev/null; then
  cp "$work/noise.ttf" "$work/nothing.ttf"
  nothing_times "$work/nothing.ttf"
  before=$(stat -c '%x|%y|%z' "$work/nothing.ttf")
  inotifywait -m -e close_write --format '%e %f' "$work/nothing.ttf" > "$work/events" 2> "$work/watching" &
  watcher=$!
  for _ in $(seq 100); do grep -q 'Watches established' "$work/watching" && break; sleep 0.05; done
  grep -q 'Watches established' "$work/watching" || fail "inotifywait set no watch: $(cat "$work/watching")"
  run "$tool" "$work/nothing.ttf"
  sleep 0.2
  kill $watcher
  [ $status -eq 1 ] || fail "nothing to patch: status $status, not 1"
  [ ! -s "$work/events" ] || fail "nothing to patch, yet the font was closed after writing: $(cat "$work/events")"
  if [ -z "$prefix" ]; then
    [ "$(stat -c '%x|%y|%z' "$work/nothing.ttf")" = "$before" ] || fail "nothing to patch, yet a time moved"
  fi
else
  skipped "a watched run that finds nothing: no inotifywait"
fi

# Overlay: the first run on a lower-layer font makes the copy-up itself, which
# is never taken for another program's change; a run that finds nothing
# copies nothing up, even where the writable layer could not hold a copy.
mkdir -p "$work/overlay/"{lower,upper,work,merged} "$work/small/"{lower,layer,merged}
cp "$sample" "$work/overlay/lower/plain.ttf"
cp "$work/patched.ttf" "$work/overlay/lower/slashed.ttf"
old_times "$work/overlay/lower/plain.ttf" "$work/overlay/lower/slashed.ttf"
if mount -t overlay overlay -o "lowerdir=$work/overlay/lower,upperdir=$work/overlay/upper,workdir=$work/overlay/work" \
  "$work/overlay/merged" 2> /dev/null; then
  for program in "$tool plain.ttf" "$undo slashed.ttf"; do
    set -- $program
    font="$work/overlay/merged/$2"
    before=$(times_of "$font")
    run "$1" "$font"
    [ $status -eq 0 ] || fail "overlay, first run of $(basename "$1") on a lower-layer font: status $status, not 0"
    [ "$(times_of "$font")" = "$before" ] || fail "overlay, $(basename "$1"): the times were not kept"
  done
  cmp -s "$work/overlay/merged/plain.ttf" "$work/patched.ttf" || fail "overlay: the font is not exactly patched"
  cmp -s "$work/overlay/merged/slashed.ttf" "$sample" || fail "overlay: the undo did not give the original back"

  cp "$work/noise.ttf" "$work/small/lower/nothing.ttf"
  nothing_times "$work/small/lower/nothing.ttf"
  if mount -t tmpfs -o size=512k tmpfs "$work/small/layer" && mkdir "$work/small/layer/"{upper,work} &&
    mount -t overlay overlay -o "lowerdir=$work/small/lower,upperdir=$work/small/layer/upper,workdir=$work/small/layer/work" \
      "$work/small/merged"; then
    run "$tool" "$work/small/merged/nothing.ttf"
    [ $status -eq 1 ] || fail "overlay with a small writable layer, nothing to patch: status $status, not 1"
    [ -z "$(ls "$work/small/layer/upper")" ] || fail "nothing to patch, yet the font was copied up"
  else
    skipped "a small writable layer: no tmpfs under an overlay here"
  fi
else
  skipped "overlay filesystem: this machine allows no overlay mount here"
fi

# Times refused even for the owner: the zero is in the file, and the status says the times are not back.
if [ -e /dev/fuse ] && /usr/bin/python3 -c 'import fusepy' 2> /dev/null; then
  mkdir -p "$work/fuse/below" "$work/fuse/mount"
  cp "$sample" "$work/fuse/below/font.ttf"
  /usr/bin/python3 "$(dirname "$0")/refusing_times_fs.py" "$work/fuse/below" "$work/fuse/mount" > /dev/null 2> "$work/fuse/log" &
  for _ in $(seq 50); do [ -e "$work/fuse/mount/font.ttf" ] && break; sleep 0.1; done
  if [ -e "$work/fuse/mount/font.ttf" ]; then
    run "$tool" "$work/fuse/mount/font.ttf"
    [ $status -eq 5 ] || fail "times refused for the owner: status $status, not 5"
    cmp -s "$work/fuse/below/font.ttf" "$work/patched.ttf" || fail "times refused: the font is not exactly patched"
  else
    skipped "times refused for the owner: the FUSE mount did not come up: $(cat "$work/fuse/log")"
  fi
else
  skipped "times refused for the owner: no FUSE here (/dev/fuse, python3-fusepy)"
fi
# A FAT image through fusefat, which puts a write after a read on one
# descriptor elsewhere in the file and reports it done: a patch or an undo
# there ends done only with the right bytes.
if command -v fusefat > /dev/null && command -v mkfs.vfat > /dev/null && [ -e /dev/fuse ]; then
  mkdir -p "$work/fat/mount"
  truncate -s 8M "$work/fat/image" && mkfs.vfat "$work/fat/image" > /dev/null
  if fusefat -o rw+ "$work/fat/image" "$work/fat/mount" > /dev/null 2>&1; then
    for program in "$tool $sample $work/patched.ttf" "$undo $work/patched.ttf $sample"; do
      set -- $program
      cp "$2" "$work/fat/mount/font.ttf"
      run "$1" "$work/fat/mount/font.ttf"
      if [ $status -eq 0 ]; then
        cmp -s "$work/fat/mount/font.ttf" "$3" || fail "fusefat, $(basename "$1"): done, with wrong bytes"
      elif [ $status -ne 4 ]; then
        fail "fusefat, $(basename "$1"): status $status, neither 0 nor 4"
      fi
    done
  else
    skipped "fusefat: the FAT image could not be mounted here"
  fi
else
  skipped "fusefat: needs fusefat, mkfs.vfat (Debian's fusefat and dosfstools) and FUSE"
fi

# An SMB share through a FUSE client: the client sets times by name, not
# through the handle that wrote, and the server moves the last-write time
# when that handle closes, after the run's own look. Read on the server,
# once the client's close has surely landed: a run never says done with
# times it did not keep. A read-only font: cannot be opened, unchanged.
smb_share() {
  local smb="$work/smb" i
  mkdir -p "$smb/"{share,state,home/.smb,mount}
  chmod 755 "$work" && chown daemon "$smb/share"
  cat > "$smb/smb.conf" << EOF
[global]
  interfaces = lo
  bind interfaces only = yes
  smb ports = 445
  pid directory = $smb/state
  lock directory = $smb/state
  state directory = $smb/state
  cache directory = $smb/state
  private dir = $smb/state
  ncalrpc dir = $smb/state
  log file = $smb/log
  load printers = no
[fonts]
  path = $smb/share
  read only = no
  force user = daemon
EOF
  printf 'secret\nsecret\n' | smbpasswd -c "$smb/smb.conf" -a -s root > /dev/null || return 1
  # In a session of its own: at its end the server signals its whole process group.
  setsid smbd --foreground --no-process-group -s "$smb/smb.conf" > /dev/null 2>&1 &
  smbd=$!
  printf 'auth "127.0.0.1" "root" "secret"\nsmb_query_browsers "false"\n' > "$smb/home/.smb/smbnetfs.conf"
  chmod 600 "$smb/home/.smb/smbnetfs.conf"
  for _ in $(seq 50); do (: < /dev/tcp/127.0.0.1/445) 2> /dev/null && break; sleep 0.1; done
  HOME="$smb/home" smbnetfs "$smb/mount" 2> /dev/null || return 1
  cp "$sample" "$smb/share/font.ttf" && cp "$sample" "$smb/share/read-only.ttf"
  chown daemon "$smb/share/"*.ttf && chmod 444 "$smb/share/read-only.ttf"
  local font="$smb/mount/127.0.0.1/fonts/font.ttf" below="$smb/share/font.ttf"
  for _ in $(seq 50); do [ -e "$font" ] && break; sleep 0.1; done
  [ -e "$font" ] || return 1
  for i in 1 2 3; do
    for program in "$tool $work/patched.ttf" "$undo $sample"; do
      set -- $program
      old_times "$below"
      run "$1" "$font"
      sleep 2
      if [ $status -eq 0 ]; then
        [ "$(stat -c '%x|%y' "$below")" = "2017-03-20 10:00:03.123456789 +0000|2017-03-20 10:00:03.123456789 +0000" ] ||
          fail "SMB share, $(basename "$1") run $i: done, with times it did not keep: $(stat -c '%x|%y' "$below")"
      elif [ $status -ne 5 ] && [ $status -ne 6 ]; then
        fail "SMB share, $(basename "$1") run $i: status $status"
      fi
      cmp -s "$below" "$2" || fail "SMB share, $(basename "$1") run $i: the font is not as it should be"
    done
  done
  # A run that finds nothing writes no time that did not move: on the server
  # the last-write time keeps its fraction, which the client's time calls cannot carry.
  below="$smb/share/nothing.ttf"
  cp "$work/patched.ttf" "$below" && chown daemon "$below"
  for i in 1 2 3; do
    old_times "$below"
    run "$tool" "$smb/mount/127.0.0.1/fonts/nothing.ttf"
    sleep 1
    [ $status -eq 1 ] || fail "SMB share, nothing to patch, run $i: status $status, not 1"
    [ "$(stat -c %y "$below")" = "2017-03-20 10:00:03.123456789 +0000" ] ||
      fail "SMB share, nothing to patch, run $i: the last-write time is now $(stat -c %y "$below")"
  done
  below="$smb/share/read-only.ttf"
  old_times "$below"
  run "$tool" "$smb/mount/127.0.0.1/fonts/read-only.ttf"
  [ $status -eq 3 ] || fail "SMB share, a read-only font: status $status, not 3"
  cmp -s "$below" "$sample" || fail "SMB share, a read-only font: changed"
  [ "$(stat -c %y "$below")" = "2017-03-20 10:00:03.123456789 +0000" ] || fail "SMB share, a read-only font: last-write time moved"
  # smbnetfs sets times through an open for writing, which a read-only file refuses.
  [ "$(stat -c %x "$below")" = "2017-03-20 10:00:03.123456789 +0000" ] ||
    echo "note: SMB share, a read-only font: its access time, moved by the server's reads, stays moved (smbnetfs sets times only through an open for writing, which it refuses)"
}
if [ -n "$prefix" ]; then
  skipped "an SMB share: natively only; the Windows build reaches shares through Windows' own client"
elif ! command -v smbd > /dev/null || ! command -v smbnetfs > /dev/null || [ ! -e /dev/fuse ]; then
  skipped "an SMB share: needs smbd and smbnetfs (Debian's samba and smbnetfs) and FUSE"
elif (: < /dev/tcp/127.0.0.1/445) 2> /dev/null; then
  skipped "an SMB share: port 445 on the loopback is taken"
elif ! smb_share; then
  skipped "an SMB share: the server or the client did not come up"
fi
echo "file systems: nothing written for nothing found, overlay copy-up, times refused, FAT through FUSE, an SMB share"
