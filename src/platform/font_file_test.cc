// SPDX-License-Identifier: MIT
#include "platform/font_file.h"

#include <gtest/gtest.h>

#include <string>

#include "test_bytes.h"

namespace {

// Past 2^31 and past 2^32, where a 32-bit position would wrap onto the start.
TEST(FontFile, ReachesBytesBeyondFourGibibytesWithoutWrapping) {
  const std::string path = testing::TempDir() + "font-file-sparse.bin";
  const unsigned char far_bytes[] = {'T', 'O', 'V', 'A'};
  for (const std::int64_t offset : {(std::int64_t{1} << 31) + 1000, (std::int64_t{1} << 32) + 2}) {
    write_file(path, Bytes{'s', 't', 'a', 'r', 't'});
    FontFile file;
    ASSERT_EQ(open_font_file(path.c_str(), FileAccess::kReadWrite, file), FileProblem::kNone);
    ASSERT_TRUE(write_font_file(file, offset, far_bytes, 4));
    unsigned char far[4] = {}, near[5] = {};
    EXPECT_EQ(read_font_file(file, offset, far, 4), 4);
    EXPECT_EQ(read_font_file(file, 0, near, 5), 5);
    EXPECT_EQ(read_font_file(file, offset + 2, far, 4), 2) << "fewer bytes only where the file ends";
    ASSERT_TRUE(close_font_file(file));
    EXPECT_EQ(std::string(far, far + 2), "VA") << "at " << offset;
    EXPECT_EQ(std::string(near, near + 5), "start")
        << "the write at " << offset << " must not land at the start";
  }
  std::remove(path.c_str());
}

}  // namespace
