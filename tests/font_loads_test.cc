// SPDX-License-Identifier: MIT
// The patched font must still be a font: a font loader draws the slashed zero
// with its hinting run, and a strict font checker accepts the file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_bytes.h"
#include "test_platform.h"
#include "zero_outline.h"

namespace {

bool font_checker_accepts(const std::string& path) {
  const std::string command = "ots-sanitize '" + path + "' font-check-out.ttf > /dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

TEST(PatchedFont, LoadsWithTheSlashedZeroAndPassesTheFontChecker) {
  const std::string path = "font-loads.ttf";
  write_file(path, read_file(TOVALIN_SAMPLE_FONT));

  const ZeroOutline before = load_zero(path);
  EXPECT_EQ(before.contours, 2);
  EXPECT_EQ(before.points, 55);
  EXPECT_TRUE(font_checker_accepts(path));

  ASSERT_EQ(run_tool({path, "quiet"}, "").exit_status, 0);

  const ZeroOutline after = load_zero(path);
  EXPECT_EQ(after.contours, 3);
  EXPECT_EQ(after.points, 54);
  EXPECT_EQ(after.x_min, before.x_min);
  EXPECT_EQ(after.y_min, before.y_min);
  EXPECT_EQ(after.x_max, before.x_max);
  EXPECT_EQ(after.y_max, before.y_max);
  EXPECT_TRUE(font_checker_accepts(path));
  std::remove(path.c_str());
  std::remove("font-check-out.ttf");
}

}  // namespace
