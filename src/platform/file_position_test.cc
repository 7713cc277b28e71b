// SPDX-License-Identifier: MIT
#include "platform/file_position.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Past 2^31 and past 2^32, where a 32-bit position would wrap onto the start.
TEST(FilePosition, ReachesBytesBeyondFourGibibytesWithoutWrapping) {
  const std::string path = "file-position-sparse.bin";
  for (const std::int64_t offset : {(std::int64_t{1} << 31) + 1000, (std::int64_t{1} << 32) + 2}) {
    std::FILE* file = std::fopen(path.c_str(), "wb+");
    ASSERT_NE(file, nullptr);
    std::fputs("start", file);
    ASSERT_TRUE(seek_from_start(file, offset));
    std::fputs("TOVA", file);
    std::fclose(file);

    file = std::fopen(path.c_str(), "rb");
    char far[5] = {}, near[6] = {};
    ASSERT_TRUE(seek_from_start(file, offset));
    ASSERT_EQ(std::fread(far, 1, 4, file), 4u);
    ASSERT_TRUE(seek_from_start(file, 0));
    ASSERT_EQ(std::fread(near, 1, 5, file), 5u);
    std::fclose(file);
    EXPECT_STREQ(far, "TOVA") << "at " << offset;
    EXPECT_STREQ(near, "start") << "the write at " << offset << " must not land at the start";
  }
  std::remove(path.c_str());
}

}  // namespace
