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

namespace {

// One look at the file for the restore, through an open of `access`: the
// file checked, as the run left it. `moved` tells whether its times differ
// from the saved ones; with kSetTimes they are then put back.
FileProblem look_and_put_back(const char* path, const CheckedFile& checked, const FileVersion& left_by_run,
                              FileAccess access, bool& moved) {
  FontFile file;
  SavedFileTimes now;
  FileProblem problem = open_exclusive(path, access, Hold::kAlone, file, &now);
  if (problem != FileProblem::kNone) return problem;
  moved = checked.times.saved && !same_times(now, checked.times);
  if (file.identity != checked.identity || !looks_as_left(left_by_run, file.version))
    problem = FileProblem::kChangedByAnother;
  else if (moved && access == FileAccess::kSetTimes)
    problem = set_font_file_times(file, checked.times);
  (void)close_font_file(file);  // the times are set by then; no file data went through it
  return problem;
}

}  // namespace

// A first look only reads; only times that moved are written, through a
// second open that may set them (under Wine that open is one for writing).
// So a run that changed nothing leaves no trace.
FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run) {
  bool moved = false;
  FileProblem problem = look_and_put_back(path, checked, left_by_run, FileAccess::kRead, moved);
  if (problem == FileProblem::kNone && moved)
    problem = look_and_put_back(path, checked, left_by_run, FileAccess::kSetTimes, moved);
  return problem;
}

}  // namespace file_guard
