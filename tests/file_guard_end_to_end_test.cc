// SPDX-License-Identifier: MIT
// The file guard seen from outside: the font's times survive every run that
// reaches the end, and a file another process holds open is refused untouched.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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
  int held_at_start_ms = 0;  // another process has the file open that long when the first run starts
};

class TimesKept : public testing::TestWithParam<TimesCase> {};

TEST_P(TimesKept, AccessAndWriteTimesEndAsTheyBegan) {
  const TimesCase& c = GetParam();
  const std::string path = std::string("guard-times-") + c.name + ".ttf";
  write_file(path, c.font ? read_file(TOVALIN_SAMPLE_FONT) : ordinary_bytes());
  const FileTimes before = odd_past_times();
  set_file_times(path, before);
  ASSERT_EQ(file_times(path), before) << "the fixture's times could not be set";

  std::thread holder;
  if (c.held_at_start_ms > 0) holder = hold_file_briefly(path, c.held_at_start_ms);
  for (std::size_t i = 0; i < c.exit_statuses.size(); ++i) {
    EXPECT_EQ(run_tool({path, "quiet"}, "").exit_status, c.exit_statuses[i]) << "run " << i + 1;
    if (holder.joinable()) holder.join();
    const FileTimes after = file_times(path);
    EXPECT_EQ(after.last_access, before.last_access) << "run " << i + 1;
    EXPECT_EQ(after.last_write, before.last_write) << "run " << i + 1;
  }
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Runs, TimesKept,
                         testing::Values(TimesCase{"PatchedThenNotFound", true, {0, 1}},
                                         TimesCase{"NothingFound", false, {1}},
                                         TimesCase{"BriefOpenerAtTheStartIsWaitedOut", true, {0}, 250}),
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
  const auto start = std::chrono::steady_clock::now();
  const ToolRun run = run_tool(args, "\n");
  const auto took = std::chrono::steady_clock::now() - start;
  release_file(held);

  EXPECT_LT(took, std::chrono::seconds(3)) << "a holder that stays is waited for about a second, no more";
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

// A program that writes the font while the tool scans it: either it waits
// until the tool is done, or the tool notices; its change is never hidden
// under the old times.
TEST(WriterDuringTheScan, ItsChangeIsNeverHidden) {
  const std::string path = "guard-writer.ttf";
  write_file(path, Bytes(16 << 20, 0x5A));
  set_file_times(path, odd_past_times());
  ToolRun run;
  std::thread tool([&] { run = run_tool({path, "quiet"}, ""); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::FILE* writer = nullptr;
  // Linux: the open waits for the tool's hold; Windows: it is refused while the tool writes-protects the
  // file.
  for (int tries = 0; writer == nullptr && tries < 500; ++tries) {
    writer = std::fopen(path.c_str(), "rb+");
    if (writer == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(writer, nullptr);
  std::fseek(writer, 1 << 20, SEEK_SET);
  std::fputs("WRITER", writer);
  std::fclose(writer);
  tool.join();

  const Bytes after = read_file(path);
  EXPECT_EQ(std::string(after.begin() + (1 << 20), after.begin() + (1 << 20) + 6), "WRITER");
  EXPECT_TRUE(run.exit_status == 6 || file_times(path).last_write != odd_past_times().last_write)
      << "status " << run.exit_status << " with the times from before the writer's change";
  std::remove(path.c_str());
}

// A font the user may not write is read like any other and only found out
// once there is something to write; with nothing to patch it is simply not found.
TEST(UnwritableFile, IsRefusedOnlyWhenThereIsSomethingToWrite) {
  for (const bool font : {true, false}) {
    const std::string path = "guard-unwritable.ttf";
    const Bytes content = font ? read_file(TOVALIN_SAMPLE_FONT) : ordinary_bytes();
    make_writable(path);
    write_file(path, content);
    RunAs who = RunAs::kSelf;
    if (!make_unwritable(path, who)) {
      make_writable(path);
      GTEST_SKIP() << "neither an immutable flag nor another user can make a file unwritable here";
    }
    const ToolRun run = run_tool({path}, "\n", who);
    make_writable(path);

    const std::string shown = expected::kBanner + expected::target_line(path);
    EXPECT_EQ(run.output,
              with_platform_line_ends(shown + (font ? expected::kCannotOpen : expected::kNotFound) +
                                      expected::kPressEnter));
    EXPECT_EQ(run.exit_status, font ? 3 : 1);
    EXPECT_EQ(read_file(path), content);
    std::remove(path.c_str());
  }
}

}  // namespace
