// SPDX-License-Identifier: MIT
// The scan must tell a failing file apart from one that simply holds no zero.
#include <gtest/gtest.h>

#include "case_name.h"
#include "faulty_font_file.h"
#include "scan_and_replace.h"
#include "test_bytes.h"
#include "zero_records.h"

namespace {

struct FaultCase {
  const char* name;
  Fault fault;
  bool holds_record;
};

class ScanWithFault : public testing::TestWithParam<FaultCase> {};

TEST_P(ScanWithFault, ReportsTheFailureInsteadOfAResult) {
  const FaultCase& c = GetParam();
  const std::string path = testing::TempDir() + "scan_fault_" + c.name;
  Bytes content(1000, 0x11);
  if (c.holds_record) std::copy(SearchRecord, SearchRecord + 188, content.begin() + 100);
  write_file(path, content);
  FaultPlan plan;
  plan.fault = c.fault;

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

INSTANTIATE_TEST_SUITE_P(Faults, ScanWithFault,
                         testing::Values(FaultCase{"ReadErrorIsNotEndOfFile", Fault::kRead, false},
                                         FaultCase{"WriteErrorOnTheReplacement", Fault::kWrite, true}),
                         CaseName());

}  // namespace
