// SPDX-License-Identifier: MIT
// End-to-end cases that only Linux has: devices and pipes by path.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "expected_output.h"
#include "test_platform.h"

namespace {

TEST(EndToEndNotARegularFile, AnEndlessDeviceOrAPipeIsRefusedBeforeAnyRead) {
  const std::string fifo = "e2e-fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {std::string("/dev/zero"), fifo}) {
    const ToolRun run = run_tool({path}, "\n");
    EXPECT_EQ(run.output, expected::kBanner + expected::kCannotOpen + expected::kPressEnter) << path;
    EXPECT_EQ(run.exit_status, 3) << path;
  }
  std::remove(fifo.c_str());
}

}  // namespace
