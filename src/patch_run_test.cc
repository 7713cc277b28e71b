// SPDX-License-Identifier: MIT
// How the work on the file ended, and the exit status scripts see for it, as
// the README's table promises; no file is involved.
#include "patch_run.h"

#include <gtest/gtest.h>

namespace {

struct StatusCase {
  PatchStep step;
  FileProblem cause;
  bool replaced;
  int status;
};

TEST(ExitStatus, EveryEndingOfTheWorkHasTheStatusTheReadmePromises) {
  using P = FileProblem;
  using S = PatchStep;
  const StatusCase cases[] = {
      {S::kDone, P::kNone, true, 0},
      {S::kDone, P::kNone, false, 1},
      // Nothing was read or written yet: 3, but another program's change is 6.
      {S::kCapture, P::kBusy, false, 3},
      {S::kCapture, P::kMissing, false, 3},
      {S::kOpen, P::kDenied, false, 3},
      {S::kOpen, P::kNotTheCheckedFile, false, 3},
      {S::kOpen, P::kChangedByAnother, false, 6},
      // The open for the write, after the scan found the zero: refused is 3,
      // the path leading elsewhere by then is another program's doing.
      {S::kOpenForWrite, P::kDenied, false, 3},
      {S::kOpenForWrite, P::kNotTheCheckedFile, false, 6},
      {S::kOpenForWrite, P::kMissing, false, 6},
      // Input/output failures are 4, whatever else happened.
      {S::kScan, P::kInputOutput, false, 4},
      {S::kWrite, P::kInputOutput, true, 4},
      {S::kClose, P::kInputOutput, false, 4},
      {S::kWrite, P::kChangedByAnother, false, 6},
      {S::kClose, P::kChangedByAnother, true, 6},
      // The times could not be put back: 5 after a replacement, else 3; the
      // path leading to another file, or to none, is 6.
      {S::kRestore, P::kBusy, true, 5},
      {S::kRestore, P::kInputOutput, true, 5},
      {S::kRestore, P::kBusy, false, 3},
      {S::kRestore, P::kDenied, false, 3},
      {S::kRestore, P::kMissing, true, 6},
      {S::kRestore, P::kNotRegularFile, false, 6},
      {S::kRestore, P::kChangedByAnother, true, 6},
  };
  for (const StatusCase& c : cases) {
    EXPECT_EQ(exit_status_of({c.step, c.cause, c.replaced}), c.status)
        << "step " << static_cast<int>(c.step) << ", cause " << static_cast<int>(c.cause) << ", replaced "
        << c.replaced;
  }
}

}  // namespace
