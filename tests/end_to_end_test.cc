// SPDX-License-Identifier: MIT
// The built tool run as a process, with exact output bytes, exit status and
// file content checked after every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "case_name.h"
#include "expected_output.h"
#include "expected_records.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

const Bytes& kPlain = expected::kPlainZero;
const Bytes& kSlashed = expected::kSlashedZero;

enum class Fixture { kNone, kMissingFile, kOrdinaryFile, kSampleFont, kTwoZeroFont };
enum class Ending { kNoPath, kCannotOpen, kDone, kNotFound };

struct EndToEndCase {
  const char* name;
  Fixture fixture;
  bool quiet;
  std::string input;
  std::vector<Ending> endings;  // one run each, in order
  const char* file_name = "e2e-target.ttf";
};

Bytes fixture_bytes(Fixture fixture) {
  switch (fixture) {
    case Fixture::kSampleFont:
      return read_file(TOVALIN_SAMPLE_FONT);
    case Fixture::kTwoZeroFont:
      return read_file(TOVALIN_TWO_ZERO_FONT);
    case Fixture::kOrdinaryFile: {
      Bytes b(5000);
      for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 7 % 251);
      return b;
    }
    default:
      return {};
  }
}

int exit_status_of(Ending ending) {
  switch (ending) {
    case Ending::kDone:
      return 0;
    case Ending::kNotFound:
      return 1;
    case Ending::kNoPath:
      return 2;
    case Ending::kCannotOpen:
      return 3;
  }
  return -1;
}

std::string expected_output(Ending ending, bool quiet, const std::string& path) {
  const std::string banner = quiet ? "" : expected::kBanner;
  switch (ending) {
    case Ending::kNoPath:
      return banner + expected::kMissingPath + expected::kPressEnter;
    case Ending::kCannotOpen:
      return banner + expected::kCannotOpen + expected::kPressEnter;
    case Ending::kDone:
      return quiet ? "" : banner + expected::target_line(path) + expected::kDone + expected::kPressEnter;
    case Ending::kNotFound:
      return quiet ? "" : banner + expected::target_line(path) + expected::kNotFound + expected::kPressEnter;
  }
  return {};
}

// The original with its first `count` plain zeros slashed, found independently of the tool.
Bytes after_replacements(Bytes content, int count) {
  for (int i = 0; i < count; ++i) {
    const auto at = std::search(content.begin(), content.end(), kPlain.begin(), kPlain.end());
    if (at == content.end()) break;
    std::copy(kSlashed.begin(), kSlashed.end(), at);
  }
  return content;
}

class EndToEnd : public testing::TestWithParam<EndToEndCase> {};

TEST_P(EndToEnd, PrintsExactlyTheEndingAndChangesOnlyTheZero) {
  const EndToEndCase& c = GetParam();
  const std::string path = c.file_name;
  std::remove(path.c_str());
  const Bytes original = fixture_bytes(c.fixture);
  if (c.fixture != Fixture::kNone && c.fixture != Fixture::kMissingFile) write_file(path, original);

  std::vector<std::string> args;
  if (c.fixture != Fixture::kNone) args.push_back(path);
  if (c.quiet) args.push_back("anything");
  int replaced = 0;
  for (std::size_t i = 0; i < c.endings.size(); ++i) {
    const ToolRun run = run_tool(args, c.input);
    EXPECT_EQ(run.output, with_platform_line_ends(expected_output(c.endings[i], c.quiet, path)))
        << "run " << i + 1;
    EXPECT_EQ(run.exit_status, exit_status_of(c.endings[i])) << "run " << i + 1;
    if (c.endings[i] == Ending::kDone) ++replaced;
  }
  if (c.fixture == Fixture::kMissingFile) {
    EXPECT_TRUE(read_file(path).empty()) << "a missing file must not be created";
  }
  if (!original.empty()) {
    const Bytes after = read_file(path);
    EXPECT_EQ(after.size(), original.size());
    EXPECT_EQ(after, after_replacements(original, replaced));
  }
  std::remove(path.c_str());
}

using E = Ending;
INSTANTIATE_TEST_SUITE_P(
    Runs, EndToEnd,
    testing::Values(
        EndToEndCase{"NoPath", Fixture::kNone, false, "\n", {E::kNoPath}},
        EndToEndCase{"MissingFile", Fixture::kMissingFile, false, "\n", {E::kCannotOpen}},
        EndToEndCase{"FileWithoutTheZero", Fixture::kOrdinaryFile, false, "\n", {E::kNotFound}},
        EndToEndCase{
            "PatchableFontThenTheSameFontAgain", Fixture::kSampleFont, false, "\n", {E::kDone, E::kNotFound}},
        EndToEndCase{"FontWithTwoZerosRunThreeTimes",
                     Fixture::kTwoZeroFont,
                     false,
                     "\n",
                     {E::kDone, E::kDone, E::kNotFound}},
        EndToEndCase{"QuietOnPatchableFont", Fixture::kSampleFont, true, "", {E::kDone, E::kNotFound}},
        EndToEndCase{"QuietOnFileWithoutTheZero", Fixture::kOrdinaryFile, true, "", {E::kNotFound}},
        EndToEndCase{
            "QuietOnMissingFileStillReportsAndWaits", Fixture::kMissingFile, true, "\n", {E::kCannotOpen}},
        EndToEndCase{
            "InputAtEndOfFileEndsEveryWait", Fixture::kSampleFont, false, "", {E::kDone, E::kNotFound}},
        EndToEndCase{"NoPathWithInputAtEndOfFile", Fixture::kNone, false, "", {E::kNoPath}},
        EndToEndCase{"PathWithSpacesAndPercentIsPrintedAsWritten",
                     Fixture::kSampleFont,
                     false,
                     "\n",
                     {E::kDone},
                     "e2e my font %s %d 100%.ttf"}),
    CaseName());

// The undo gives the original back byte for byte, one zero per run, and
// then finds nothing; it speaks as the tool does, under its own banner.
TEST(EndToEndUndo, PatchThenUndoGivesTheOriginalBack) {
  const std::string path = "e2e-undo.ttf";
  for (const Fixture fixture : {Fixture::kSampleFont, Fixture::kTwoZeroFont}) {
    const Bytes original = fixture_bytes(fixture);
    write_file(path, original);
    const int zeros = fixture == Fixture::kTwoZeroFont ? 2 : 1;
    for (int i = 0; i < zeros; ++i) EXPECT_EQ(run_tool({path, "quiet"}, "").exit_status, 0);
    ASSERT_NE(read_file(path), original);
    for (int i = 0; i < zeros; ++i) {
      const ToolRun undo = run_tool({path}, "\n", RunAs::kSelf, Program::kTovalinUndo);
      EXPECT_EQ(undo.output, with_platform_line_ends(expected::kUndoBanner + expected::target_line(path) +
                                                     expected::kDone + expected::kPressEnter));
      EXPECT_EQ(undo.exit_status, 0);
    }
    EXPECT_EQ(read_file(path), original) << "the original, byte for byte";
    EXPECT_EQ(run_tool({path, "quiet"}, "", RunAs::kSelf, Program::kTovalinUndo).exit_status, 1)
        << "nothing left to undo";
  }
  std::remove(path.c_str());
}

// A folder, Windows' null device (on Linux a missing file of that name), and
// a missing file, whatever form of their name Windows opens them by.
TEST(EndToEndNotARegularFile, AFolderADeviceAndAMissingFileAreRefused) {
  for (const char* name : {".", "NUL", "no-such-font.ttf"}) {
    const ToolRun run = run_tool({name, "quiet"}, "\n");
    EXPECT_EQ(run.output, with_platform_line_ends(expected::kCannotOpen + expected::kPressEnter)) << name;
    EXPECT_EQ(run.exit_status, 3) << name;
  }
}

// A plain request for help shows the usage and ends at once, for both
// programs; a file of that name is still the font.
TEST(EndToEndHelp, AWordForHelpShowsTheUsageUnlessAFileHasThatName) {
  for (const Program program : {Program::kTovalin, Program::kTovalinUndo}) {
    const std::string& banner = program == Program::kTovalin ? expected::kBanner : expected::kUndoBanner;
    for (const char* word : {"--help", "-h"}) {
      const ToolRun run = run_tool({word}, "\n", RunAs::kSelf, program);
      EXPECT_EQ(run.exit_status, 0) << word;
      EXPECT_EQ(run.output.rfind(with_platform_line_ends(banner + "  FONT.ttf"), 0), 0u) << run.output;
      EXPECT_NE(run.output.find("Exit status:"), std::string::npos) << run.output;
      EXPECT_EQ(run.output.find(with_platform_line_ends(expected::kPressEnter)), std::string::npos)
          << "no wait: " << run.output;
    }
  }
  namespace fs = std::filesystem;
  const fs::path was = fs::current_path();
  fs::current_path(testing::TempDir());
  write_file("--help", fixture_bytes(Fixture::kSampleFont));
  EXPECT_EQ(run_tool({"--help", "quiet"}, "").exit_status, 0);
  EXPECT_EQ(read_file("--help").size(), fixture_bytes(Fixture::kSampleFont).size());
  EXPECT_NE(read_file("--help"), fixture_bytes(Fixture::kSampleFont)) << "the file named --help is patched";
  std::remove("--help");
  fs::current_path(was);
}

}  // namespace
