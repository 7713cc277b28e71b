// SPDX-License-Identifier: MIT
// One run of the tool: the command line, the fixed order of the steps, every
// message and the Enter wait.
#pragma once

#include <cstdio>

#include "messages.h"
#include "platform/file_guard.h"
#include "target_stream.h"
#include "zero_records.h"

// How a run ended, as the process exit status scripts can rely on.
enum ExitStatus : int {
  kExitReplaced = 0,
  kExitNotFound = 1,
  kExitNoPath = 2,
  kExitCannotOpen = 3,
  kExitIoFailure = 4,
  kExitTimesNotRestored = 5,  // the zero was replaced and is on the disk, the times are not
  kExitChangedByAnother = 6,  // another program changed, replaced or removed the file during the run
};

// What one program of the tool does: the patch, or its undo, which is the
// same run with the two records swapped.
struct RunKind {
  const char* banner;
  ZeroSwap swap;
};
inline constexpr RunKind kPatch{messages::kPatchBanner, kPlainToSlashed};
inline constexpr RunKind kUndo{messages::kUndoBanner, kSlashedToPlain};

struct PatchRun {
  ZeroSwap swap = kPlainToSlashed;    // what is looked for and what is written instead
  bool quiet = false;                 // a second argument silences everything but failures
  const char* target_path = nullptr;  // argv[1], used and printed exactly as given
  CheckedFile checked_file;           // the file the guard checked, and its times; no other is patched
  TargetStream stream;                // the font file, open from the scan to the close
  int match_count = 0;                // 1 once the slashed zero was written
};

// A program's whole life: prepares the process, then runs on the standard streams.
ExitStatus run_program(int argc, char* argv[], const RunKind& kind);

// Messages go to `out`, the wait reads one byte from `in`.
ExitStatus run_patch(int argc, char* argv[], std::FILE* out, std::FILE* in, const RunKind& kind = kPatch);
