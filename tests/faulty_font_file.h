// SPDX-License-Identifier: MIT
// The font file's handle in the fault tests: the real calls, wrapped at link
// time (-Wl,--wrap), failing or meddled with as one plan says. Around them
// another program may act on the file, as an attacker or a busy system would.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

enum class Fault {
  kNone,
  kRead,          // reads that reach past `read_fails_past` fail
  kWrite,         // the write of the zero fails
  kWriteThrough,  // the write reaches the file, but not the storage
  kTell,          // the file will not tell how it looks
  kClose,         // the stream's close fails
  kTimeWrite,     // the guard cannot put the times back
  // The font may be read but not written: the open for the write is refused,
  // after the scan's reads moved the access time (as a file server's do).
  kWriteOpenRefused,
  // The write lands 148 bytes before where it was asked to go, and is
  // reported done (as a FUSE file system was seen to do).
  kWriteMisplaced,
};

enum class Meddling {
  kNone,
  kSwapBeforeOpen,         // the path is pointed at `swap_target` just before the scan's open
  kSwapBeforeWriteOpen,    // the same, just before the open for the write
  kWriteKeepingTimes,      // just before the open for the write, writes at `offset` and puts the times back
  kWriteBeforeWriteOpen,   // just before the open for the write, writes at `offset`
  kHoldAfterClose,         // just after the stream's close, another process holds the file open
  kSwapAfterClose,         // the path is pointed at `swap_target` just after the stream's close
  kRemoveAfterClose,       // the file is removed just after the stream's close
  kWriteAfterClose,        // another program writes at `offset` just after the stream's close
  kHoldBrieflyAfterClose,  // just after the stream's close, another process holds the file for 200 ms
  // After the scan found the zero and the file was opened for the write,
  // before the run asks it, another program that went around the hold:
  kWriteWhileBuffered,     // writes at `offset`
  kTruncateWhileBuffered,  // cuts the file to `offset` bytes
  kWriteAfterOwnWrite,     // writes at `offset` right after the run's own write
  kReaderAfterOwnWrite,    // right after the run's own write, opens the file to read (knock_on_file)
  kWriterAfterOwnWrite,    // the same, to write
};

// How the file system moves the times of a handle that wrote. Linux moves
// them at each write. Windows file systems only note the write on the handle
// and move the last-write and change times when the handle is closed (or,
// on some, written through), unless the last-write time was set through that
// handle; until then the handle tells how the file looked at its open. Wine
// cannot show this, so the fault seam models it.
enum class TimeKeeping { kAtEachWrite, kAtClose, kAtWriteThroughOrClose };

// What another program writes.
inline const std::string kOtherProgramsBytes = "another program";

struct HeldFile;

struct FaultPlan {
  Fault fault = Fault::kNone;
  std::int64_t read_fails_past = 200;
  Meddling meddling = Meddling::kNone;
  TimeKeeping time_keeping = TimeKeeping::kAtEachWrite;
  std::int64_t offset = 0;
  std::string swap_target;
  // Left by the meddling for the test to end: the holder of kHoldAfterClose
  // and the brief holder of kHoldBrieflyAfterClose.
  HeldFile* held_after_close = nullptr;
  std::thread brief_holder;
  bool hold_broken = false;            // what knock_on_file answered
  bool access_moved_at_close = false;  // the writer's close moves the access time, as a file server's may
  // Windows without the long-path opt-in refuses names of 260 characters or
  // more unless in the \\?\ form (tests/short_names_win32.cc); Linux ignores it.
  bool long_names_refused = false;
};

// Whether the plan in force asks for long_names_refused.
bool long_names_refused();

// `plan` is in force while this lives; the wrapped calls are the real ones otherwise.
struct PlannedFaults {
  explicit PlannedFaults(FaultPlan& plan);
  ~PlannedFaults();
  PlannedFaults(const PlannedFaults&) = delete;
  PlannedFaults& operator=(const PlannedFaults&) = delete;
};
