// SPDX-License-Identifier: MIT
// The scan must tell a failing file apart from one that simply holds no zero.
#include <gtest/gtest.h>

#include "faulty_font_file.h"
#include "scan_and_replace.h"
#include "test_bytes.h"
#include "zero_records.h"

namespace {

// The scan and its write over a file of filler, with the plain zero at 100 or
// without it, under `fault`: the result says the file failed, and the file is
// as it was.
void expect_failure_reported(Fault fault, bool holds_record) {
  const std::string path = testing::TempDir() + "scan_fault";
  Bytes content(1000, 0x11);
  if (holds_record) std::copy(SearchRecord, SearchRecord + 188, content.begin() + 100);
  write_file(path, content);
  FaultPlan plan;
  plan.fault = fault;
  ScanResult result;
  {
    const PlannedFaults planned(plan);
    BufferedStream stream;
    ASSERT_EQ(open_stream(path.c_str(), stream, 512, FileAccess::kReadWrite), FileProblem::kNone);
    result = scan_and_replace(stream);
    (void)close_stream(stream);  // the scan's result is what is tested
  }
  EXPECT_TRUE(result.io_failed);
  EXPECT_EQ(read_file(path), content) << "a failed scan must leave the file as it was";
}

TEST(ScanWithFault, AReadErrorIsNotTheEndOfTheFile) { expect_failure_reported(Fault::kRead, false); }

TEST(ScanWithFault, AWriteErrorOnTheReplacementIsReported) { expect_failure_reported(Fault::kWrite, true); }

}  // namespace
