// SPDX-License-Identifier: MIT
// The one error type of every layer: the platform's calls say what failed and
// why in these terms, and the run picks the message and the exit status.
#pragma once

// Why an open of the font file, or the step done through it, failed.
enum class FileProblem {
  kNone,
  kBusy,               // another program has it open or locked; worth a short wait
  kMissing,            // no such file
  kDenied,             // no permission, or a read-only file or filesystem
  kNotRegularFile,     // a directory, device, pipe or pseudo-file: never a font
  kChangedByAnother,   // replaced, removed or written by another program meanwhile
  kNotTheCheckedFile,  // the path leads to another file than the one the guard checked
  kInputOutput,        // the system failed otherwise
};
