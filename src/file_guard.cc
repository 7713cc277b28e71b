// SPDX-License-Identifier: MIT
#include "file_guard.h"

#include "platform/font_file.h"

namespace file_guard {

FileProblem capture(const char* path, CheckedFile& checked) {
  FontFile file;
  const FileProblem problem = open_exclusive(path, FileAccess::kCheck, Hold::kAlone, file, &checked.times);
  if (problem != FileProblem::kNone) return problem;
  checked.identity = file.identity;
  checked.version = file.version;
  close_unwritten(file);
  return FileProblem::kNone;
}

namespace {

// An open of `access` that reached the file checked, as the run left it;
// `now` receives its times as the open found them. Closed again otherwise.
FileProblem open_as_left(const char* path, const CheckedFile& checked, const FileVersion& left_by_run,
                         FileAccess access, FontFile& file, SavedFileTimes& now) {
  const FileProblem problem = open_exclusive(path, access, Hold::kAlone, file, &now);
  if (problem != FileProblem::kNone) return problem;
  if (file.identity == checked.identity && looks_as_left(left_by_run, file.version)) return problem;
  close_unwritten(file);
  return FileProblem::kChangedByAnother;
}

// How the file's times stand, by a look that keeps no one out.
FileProblem look(const char* path, const CheckedFile& checked, const FileVersion& left_by_run,
                 SavedFileTimes& now) {
  FontFile file;
  const FileProblem problem = open_as_left(path, checked, left_by_run, FileAccess::kLook, file, now);
  if (problem == FileProblem::kNone) close_unwritten(file);
  return problem;
}

// Sets `which` of the saved times, holding the file to itself meanwhile.
FileProblem put_back(const char* path, const CheckedFile& checked, const FileVersion& left_by_run,
                     unsigned which) {
  FontFile file;
  SavedFileTimes now;
  FileProblem problem = open_as_left(path, checked, left_by_run, FileAccess::kSetTimes, file, now);
  if (problem != FileProblem::kNone) return problem;
  problem = set_font_file_times(file, checked.times, which);
  close_unwritten(file);  // the times are set by then
  return problem;
}

bool in_whole_seconds(const FileTime& time) { return time.fraction == 0; }

// Whether every time but those in `which` is in whole seconds, so that
// writing it again as it is loses nothing of it.
bool others_in_whole_seconds(const SavedFileTimes& times, unsigned which) {
  return ((which & kCreationTime) != 0 || in_whole_seconds(times.creation)) &&
         ((which & kLastAccessTime) != 0 || in_whole_seconds(times.last_access)) &&
         ((which & kLastWriteTime) != 0 || in_whole_seconds(times.last_write));
}

}  // namespace

// The look that finds the times as saved keeps no one out, so a watcher that
// opens the font as soon as the run closed it is no reason to wait: a reader
// cannot move times set through the handle that wrote, and a writer's change
// shows in the last-write time. Only times that moved are written, and only
// they: a time the run did not move is never written again.
FileProblem restore(const char* path, const CheckedFile& checked, const FileVersion& left_by_run) {
  SavedFileTimes now;
  FileProblem problem = look(path, checked, left_by_run, now);
  if (problem != FileProblem::kNone || !checked.times.saved) return problem;
  const unsigned moved = moved_times(checked.times, now);
  if (moved == kNoTime) return FileProblem::kNone;
  problem = put_back(path, checked, left_by_run, moved);
  const bool one_alone = (moved & (moved - 1)) == 0;
  if (problem != FileProblem::kNone || !one_alone) return problem;
  // Some file systems drop the change of one time alone and say it is done
  // (the FUSE library under an SMB client does). Both go then only where the
  // other loses nothing by it, in whole seconds as such a share keeps them;
  // otherwise an access time stays as the reads left it.
  problem = look(path, checked, left_by_run, now);
  if (problem != FileProblem::kNone) return problem;
  const unsigned dropped = moved_times(checked.times, now) & moved;
  if (dropped == kNoTime) return FileProblem::kNone;
  if (others_in_whole_seconds(now, dropped)) return put_back(path, checked, left_by_run, kEveryTime);
  return (dropped & kLastWriteTime) != 0 ? FileProblem::kDenied : FileProblem::kNone;
}

}  // namespace file_guard
