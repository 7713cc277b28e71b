// SPDX-License-Identifier: MIT
// One run of the tool: the command line, the fixed order of the steps, every
// message and the Enter wait.
#pragma once

#include <cstdio>

#include "buffered_stream.h"
#include "file_guard.h"
#include "messages.h"
#include "platform/terminal.h"
#include "record_scan.h"
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
  kExitHelpShown = 0,
};

// What one program of the tool does: the patch, or its undo, which is the
// same run with the two records swapped.
struct PatchKind {
  const char* banner;
  ZeroSwap swap;
};
inline constexpr PatchKind kPatch{messages::kPatchBanner, kPlainToSlashed};
inline constexpr PatchKind kUndo{messages::kUndoBanner, kSlashedToPlain};

struct PatchRun {
  ZeroSwap swap = kPlainToSlashed;    // what is looked for and what is written instead
  bool quiet = false;                 // a second argument silences everything but failures
  const char* target_path = nullptr;  // argv[1], used and printed exactly as given
  CheckedFile checked_file;           // the file the guard checked, and its times; no other is patched
  BufferedStream stream;              // the font file as the scan reads it
  ScanResult scan;                    // where the zero is, and what was read around it before the write
  FontFile writer;                    // the font file for the one write, opened once the zero is found
  // How the run's own last handle left the file: the scan's, or the
  // writer's once its times were set. Any other change is another program's.
  FileVersion as_run_left;
};

// The step of the work on the file at which a run ended; kDone if it went through.
enum class PatchStep { kCapture, kOpen, kScan, kOpenForWrite, kWrite, kClose, kRestore, kDone };

// How the work on the file ended: the step, the cause, and whether the zero
// was replaced (written, even if what followed failed).
struct PatchOutcome {
  PatchStep step = PatchStep::kDone;
  FileProblem cause = FileProblem::kNone;
  bool replaced = false;
};

// The one place that turns how the work ended into the exit status.
ExitStatus exit_status_of(const PatchOutcome& outcome);

// Where the run's dialogue goes, and in which form its texts are shown.
struct Console {
  std::FILE* out;
  std::FILE* in;  // the wait reads one byte from here
  TextForm form;
};

// A program's whole life: prepares the process, then runs on the standard streams.
int patch_main(int argc, char* argv[], const PatchKind& kind);

ExitStatus run_patch(int argc, char* argv[], const Console& console, const PatchKind& kind = kPatch);
