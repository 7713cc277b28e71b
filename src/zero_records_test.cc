// SPDX-License-Identifier: MIT
#include "zero_records.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_records.h"

namespace {

Bytes stored_bytes(const unsigned char* record) { return {record, record + 188}; }

TEST(ZeroRecords, WindowIsTheWholePlainZero) { EXPECT_EQ(window_length(), 188u); }

TEST(ZeroRecords, BothRecordsHoldTheListedBytesAndEndInTheTerminator) {
  EXPECT_EQ(stored_bytes(SearchRecord), expected::kPlainZero);
  EXPECT_EQ(stored_bytes(ReplacementRecord), expected::kSlashedZero);
  EXPECT_EQ(SearchRecord[188], 0xFF);
  EXPECT_EQ(ReplacementRecord[188], 0xFF);
}

TEST(ZeroRecords, AnAlreadySlashedZeroDiffersWithinTheFirst17Bytes) {
  std::vector<int> differing;
  for (int i = 0; i < 17; ++i)
    if (SearchRecord[i] != ReplacementRecord[i]) differing.push_back(i);
  EXPECT_EQ(differing, (std::vector<int>{1, 11, 13, 15, 16}));
}

}  // namespace
