// SPDX-License-Identifier: MIT
// The guard and the run's stream name files alike, and the guard puts times
// back only on the file it checked.
#include "platform/file_guard.h"

#include <gtest/gtest.h>

#include "target_stream.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

TEST(FileGuard, TheStreamReachesTheCheckedFileAndNoOther) {
  const std::string checked = testing::TempDir() + "guard_identity_checked";
  const std::string other = testing::TempDir() + "guard_identity_other";
  write_file(checked, Bytes(300, 0x44));
  write_file(other, Bytes(300, 0x44));
  FileIdentity checked_id, other_id;
  ASSERT_TRUE(file_guard::capture(checked.c_str(), checked_id));
  ASSERT_TRUE(file_guard::capture(other.c_str(), other_id));
  EXPECT_NE(checked_id.file, other_id.file);

  TargetStream stream;
  ASSERT_TRUE(open_target_stream(checked.c_str(), stream));
  EXPECT_EQ(stream.identity, checked_id) << "the stream and the guard must name one file alike";
  EXPECT_TRUE(close_target_stream(stream));

  // The capture of `other` came last, so its times are the ones saved.
  set_file_times(checked, odd_past_times());
  EXPECT_FALSE(file_guard::restore(checked.c_str(), other_id));
  EXPECT_EQ(file_times(checked), odd_past_times()) << "no time may be written on another file";
  EXPECT_TRUE(file_guard::restore(other.c_str(), other_id));
}

}  // namespace
