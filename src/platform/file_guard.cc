// SPDX-License-Identifier: MIT
#include "platform/file_guard.h"

#include "platform/font_file.h"

namespace file_guard {

FileProblem capture(const char* path, CheckedFile& checked) {
  FontFile file;
  const FileProblem problem = open_exclusive(path, FileAccess::kCheck, Hold::kAlone, file, &checked.times);
  if (problem != FileProblem::kNone) return problem;
  checked.identity = file.identity;
  checked.version = file.version;
  (void)close_font_file(file);  // nothing was read or written through it
  return FileProblem::kNone;
}

FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run) {
  FontFile file;
  SavedFileTimes now;
  FileProblem problem = open_exclusive(path, FileAccess::kSetTimes, Hold::kAlone, file, &now);
  if (problem != FileProblem::kNone) return problem;
  if (file.identity != checked.identity || !looks_as_left(left_by_run, file.version)) {
    problem = FileProblem::kChangedByAnother;
  } else if (checked.times.saved && !same_times(now, checked.times)) {
    // Times that did not move are not written: a run that changed nothing leaves no trace.
    problem = set_font_file_times(file, checked.times);
  }
  (void)close_font_file(file);  // the times are set by then; no file data went through it
  return problem;
}

}  // namespace file_guard
