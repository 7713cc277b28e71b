// SPDX-License-Identifier: MIT
// Replaces the run's stream in the fault tests: the run gets a faulty stream
// over the real file, and another process may meddle with the path around it.
#pragma once

#include <cstddef>
#include <string>
#include <thread>

#include "faulty_stream.h"

enum class Meddling {
  kNone,
  kSwapBeforeOpen,         // the path is pointed at `swap_target` just before the stream's open
  kHoldAfterClose,         // just after the stream's close, another process holds the file open
  kSwapAfterClose,         // the path is pointed at `swap_target` just after the stream's close
  kRemoveAfterClose,       // the file is removed just after the stream's close
  kWriteAfterClose,        // another program writes the file just after the stream's close
  kHoldBrieflyAfterClose,  // just after the stream's close, another process holds the file for 200 ms
  // After the scan, while the buffer holds what it read and before the run
  // asks the file, another program that went around the hold:
  kWriteWhileBuffered,     // writes "another program" at `meddling_offset`
  kTruncateWhileBuffered,  // cuts the file to `meddling_offset` bytes
  kWriteAfterOwnWrite,     // writes at `meddling_offset` right after the run's own write
};

extern Fault target_fault;
extern std::size_t target_buffer_size;
extern Meddling target_meddling;
extern std::string swap_target;
extern long meddling_offset;

struct HeldFile;
// The holder started by kHoldAfterClose; the test releases it.
extern HeldFile* held_after_close;
// The brief holder started by kHoldBrieflyAfterClose; the test joins it.
extern std::thread brief_holder;
