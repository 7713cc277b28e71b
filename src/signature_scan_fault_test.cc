// SPDX-License-Identifier: MIT
// The scan must tell a failing file apart from one that simply holds no zero.
#include <gtest/gtest.h>

#include "case_name.h"
#include "faulty_stream.h"
#include "signature_scan.h"
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

  std::FILE* file = open_faulty_stream(path.c_str(), c.fault);
  ASSERT_NE(file, nullptr);
  BufferedStream stream;
  ASSERT_TRUE(attach_stream(stream, file, 512));
  const ScanResult result = scan_and_replace(stream);
  std::fclose(file);
  release_stream_buffer(stream);

  EXPECT_TRUE(result.io_failed);
  EXPECT_EQ(read_file(path), content) << "a failed scan must leave the file as it was";
}

INSTANTIATE_TEST_SUITE_P(Faults, ScanWithFault,
                         testing::Values(FaultCase{"ReadErrorIsNotEndOfFile", Fault::kReadPastStart, false},
                                         FaultCase{"SeekError", Fault::kSeek, true},
                                         FaultCase{"WriteErrorOnTheReplacement", Fault::kWrite, true}),
                         CaseName());

}  // namespace
