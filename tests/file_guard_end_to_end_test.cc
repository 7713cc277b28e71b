// SPDX-License-Identifier: MIT
// The file guard seen from outside: the font's times survive every run that
// reaches the end, and a file another process holds open is refused untouched.
#include <gtest/gtest.h>

#include "case_name.h"
#include "expected_output.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

Bytes ordinary_bytes() { return Bytes(3000, 0x5A); }

struct TimesCase {
  const char* name;
  bool font;
  std::vector<int> exit_statuses;
};

class TimesKept : public testing::TestWithParam<TimesCase> {};

TEST_P(TimesKept, AccessAndWriteTimesEndAsTheyBegan) {
  const TimesCase& c = GetParam();
  const std::string path = std::string("guard-times-") + c.name + ".ttf";
  write_file(path, c.font ? read_file(TOVALIN_SAMPLE_FONT) : ordinary_bytes());
  const FileTimes before = odd_past_times();
  set_file_times(path, before);
  ASSERT_EQ(file_times(path), before) << "the fixture's times could not be set";

  for (std::size_t i = 0; i < c.exit_statuses.size(); ++i) {
    EXPECT_EQ(run_tool({path, "quiet"}, "").exit_status, c.exit_statuses[i]) << "run " << i + 1;
    const FileTimes after = file_times(path);
    EXPECT_EQ(after.last_access, before.last_access) << "run " << i + 1;
    EXPECT_EQ(after.last_write, before.last_write) << "run " << i + 1;
  }
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Runs, TimesKept,
                         testing::Values(TimesCase{"PatchedThenNotFound", true, {0, 1}},
                                         TimesCase{"NothingFound", false, {1}}),
                         CaseName());

struct HeldCase {
  const char* name;
  bool quiet;
};

class HeldByAnotherProcess : public testing::TestWithParam<HeldCase> {};

TEST_P(HeldByAnotherProcess, IsRefusedBeforeAnythingIsRead) {
  const HeldCase& c = GetParam();
  const std::string path = std::string("guard-held-") + c.name + ".ttf";
  const Bytes font = read_file(TOVALIN_SAMPLE_FONT);
  write_file(path, font);
  set_file_times(path, odd_past_times());
  if (!opens_by_others_detectable(path)) GTEST_SKIP() << "this filesystem grants no leases";
  HeldFile* held = hold_file(path);
  ASSERT_NE(held, nullptr);

  std::vector<std::string> args{path};
  if (c.quiet) args.push_back("quiet");
  const ToolRun run = run_tool(args, "\n");
  release_file(held);

  const std::string banner = c.quiet ? "" : expected::kBanner;
  EXPECT_EQ(run.output, with_platform_line_ends(banner + expected::kCannotOpen + expected::kPressEnter));
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_EQ(file_times(path), odd_past_times()) << "checked before the test itself reads the file";
  EXPECT_EQ(read_file(path), font);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Runs, HeldByAnotherProcess,
                         testing::Values(HeldCase{"Interactive", false}, HeldCase{"Quiet", true}),
                         CaseName());

TEST(UnwritableFile, CanBeReadButIsRefusedWithoutAChange) {
  const std::string path = "guard-unwritable.ttf";
  const Bytes font = read_file(TOVALIN_SAMPLE_FONT);
  make_writable(path);
  write_file(path, font);
  RunAs who = RunAs::kSelf;
  if (!make_unwritable(path, who)) {
    make_writable(path);
    GTEST_SKIP() << "neither an immutable flag nor another user can make a file unwritable here";
  }
  const ToolRun run = run_tool({path}, "\n", who);
  make_writable(path);

  EXPECT_EQ(run.output,
            with_platform_line_ends(expected::kBanner + expected::kCannotOpen + expected::kPressEnter));
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_EQ(read_file(path), font);
  std::remove(path.c_str());
}

}  // namespace
