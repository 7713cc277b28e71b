// SPDX-License-Identifier: MIT
// The file guard: holds the font file for a moment before the run's own
// opens, so that no other process has it open then, looks at it again after
// them, and keeps its timestamps as they were. Built on the platform's font
// file (font_file.h).
#pragma once

#include <cstdint>

#include "file_problem.h"
#include "platform/file_identity.h"

// What the capture saw, carried by the run to the restore.
struct CheckedFile {
  FileIdentity identity;
  FileVersion version;
  SavedFileTimes times;
};

namespace file_guard {

// Before the stream is opened: takes the file, tells which file it is and
// saves its times. kNone: `checked` is filled.
FileProblem capture(const char* path, CheckedFile& checked);

// After the run's last handle is closed: looks, keeping no one out, whether
// the path still leads to the file the capture checked, as the run left it
// (`left_by_run`, compared by looks_as_left), and puts back only the saved
// times that moved, holding the file for that alone. Anything else means no
// time was written. On Linux, times that only the file's owner may set stay
// as they are on another user's file; that is no failure.
FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run);

}  // namespace file_guard
