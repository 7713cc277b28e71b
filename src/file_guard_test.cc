// SPDX-License-Identifier: MIT
// The guard and the run's font file name files alike, and the guard puts times
// back only on the file it checked.
#include "file_guard.h"

#include <gtest/gtest.h>

#include "platform/font_file.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

TEST(FileGuard, TheStreamReachesTheCheckedFileAndNoOther) {
  const std::string checked = testing::TempDir() + "guard_identity_checked";
  const std::string other = testing::TempDir() + "guard_identity_other";
  write_file(checked, Bytes(300, 0x44));
  write_file(other, Bytes(300, 0x44));
  CheckedFile checked_file, other_file;
  ASSERT_EQ(file_guard::capture(checked.c_str(), checked_file), FileProblem::kNone);
  ASSERT_EQ(file_guard::capture(other.c_str(), other_file), FileProblem::kNone);
  EXPECT_NE(checked_file.identity.file, other_file.identity.file);

  FontFile file;
  ASSERT_EQ(open_font_file(checked.c_str(), FileAccess::kRead, file), FileProblem::kNone);
  EXPECT_EQ(file.identity, checked_file.identity) << "the stream and the guard must name one file alike";
  EXPECT_EQ(file.version, checked_file.version) << "and see it alike";
  EXPECT_TRUE(close_font_file(file));

  set_file_times(checked, odd_past_times());
  EXPECT_EQ(file_guard::restore(checked.c_str(), other_file, other_file.version),
            FileProblem::kChangedByAnother);
  EXPECT_EQ(file_times(checked), odd_past_times()) << "no time may be written on another file";
  // Setting the times above was a change by another program since the capture.
  EXPECT_EQ(file_guard::restore(checked.c_str(), checked_file, checked_file.version),
            FileProblem::kChangedByAnother);
  EXPECT_EQ(file_times(checked), odd_past_times()) << "nor on a file changed since";
  EXPECT_EQ(file_guard::restore(other.c_str(), other_file, other_file.version), FileProblem::kNone);
}

}  // namespace
