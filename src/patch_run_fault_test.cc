// SPDX-License-Identifier: MIT
// A run whose file fails or changes underneath it must never say done or
// not-found: it shows the failure, waits even in quiet mode, and its exit
// status says what happened to the content (4 I/O failure, 5 patched but times
// not back, 6 changed by another program, 3 unchanged).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "case_name.h"
#include "expected_output.h"
#include "faulty_font_file.h"
#include "patch_run.h"
#include "test_platform.h"
#include "zero_records.h"

namespace {

struct RunOutcome {
  ExitStatus status;
  std::string output;
  long input_left;
};

// One run of the tool's own code under `plan`, its messages in a file.
RunOutcome run_with(std::vector<std::string> args, FaultPlan& plan, const PatchKind& kind = kPatch) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::tmpfile();
  std::fputs("\nmore", in);
  std::rewind(in);
  RunOutcome outcome{};
  {
    const PlannedFaults planned(plan);
    outcome.status =
        run_patch(static_cast<int>(args.size()), argv.data(), {out, in, TextForm::kShiftJis}, kind);
  }
  std::rewind(out);
  int c;
  while ((c = std::fgetc(out)) != EOF) outcome.output += static_cast<char>(c);
  while (std::fgetc(in) != EOF) ++outcome.input_left;
  std::fclose(out);
  std::fclose(in);
  return outcome;
}

// Filler bytes with the plain zero at `offset`, as a file at `path`.
Bytes write_zero_file(const std::string& path, std::size_t size, std::size_t offset) {
  Bytes content(size, 0x22);
  std::copy(SearchRecord, SearchRecord + 188, content.begin() + static_cast<long>(offset));
  write_file(path, content);
  return content;
}

Bytes with_slashed_zero_at(Bytes content, std::size_t offset) {
  std::copy(ReplacementRecord, ReplacementRecord + 188, content.begin() + static_cast<long>(offset));
  return content;
}

struct RunFaultCase {
  const char* name;
  Fault fault;
  std::size_t size;  // of the file; past the stream's buffer, a later refill is read
  bool holds_record;
  bool quiet;
  std::int64_t read_fails_past = 200;
};

class RunWithFault : public testing::TestWithParam<RunFaultCase> {};

TEST_P(RunWithFault, ShowsTheFailureAndWaits) {
  const RunFaultCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_fault_" + c.name + ".ttf";
  const Bytes content = c.holds_record ? write_zero_file(path, c.size, c.size - 300) : Bytes(c.size, 0x22);
  if (!c.holds_record) write_file(path, content);
  FaultPlan plan;
  plan.fault = c.fault;
  plan.read_fails_past = c.read_fails_past;

  std::vector<std::string> args{"tovalin", path};
  if (c.quiet) args.push_back("-q");
  const RunOutcome outcome = run_with(args, plan);

  const std::string shown = c.quiet ? "" : expected::kBanner + expected::target_line(path);
  EXPECT_EQ(outcome.output, shown + expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitIoFailure);
  EXPECT_EQ(outcome.input_left, 4) << "the wait reads exactly one byte";
  if (c.fault == Fault::kRead || c.fault == Fault::kTell) {
    EXPECT_EQ(read_file(path), content) << "nothing may be written after a failed read or question";
  }
}

constexpr std::size_t kSmall = 600;
constexpr std::size_t kPastTheBuffer = kStreamBufferSize + 100'000;

INSTANTIATE_TEST_SUITE_P(
    Faults, RunWithFault,
    testing::Values(
        RunFaultCase{"WriteFails", Fault::kWrite, kSmall, true, false},
        RunFaultCase{"WriteFailsPastTheFirstBuffer", Fault::kWrite, kPastTheBuffer, true, false},
        RunFaultCase{"WriteFailsInQuietMode", Fault::kWrite, kSmall, true, true},
        RunFaultCase{"CloseFails", Fault::kClose, kSmall, true, false},
        RunFaultCase{"WriteThroughToDiskFails", Fault::kWriteThrough, kSmall, true, false},
        RunFaultCase{"WriteThroughToDiskFailsInQuietMode", Fault::kWriteThrough, kSmall, true, true},
        RunFaultCase{"FileWillNotTellHowItLooksBeforeTheWrite", Fault::kTell, kSmall, true, false},
        // The first refill takes the whole file and fails on reading on.
        RunFaultCase{"ReadErrorIsNotAnInvalidFont", Fault::kRead, kSmall, false, false},
        // A later refill, in the middle of the scan, fails.
        RunFaultCase{"ReadErrorInALaterRefill", Fault::kRead, kPastTheBuffer, false, false,
                     kStreamBufferSize + 50'000},
        RunFaultCase{"ReadErrorInQuietMode", Fault::kRead, kSmall, false, true},
        RunFaultCase{"WriteLandsElsewhereYetIsReportedDone", Fault::kWriteMisplaced, kSmall, true, false}),
    CaseName());

struct RestoreRefusedCase {
  const char* name;
  bool quiet;
  Fault fault;
  bool access_moved_at_close;  // else the times stand as set through the handle that wrote
  ExitStatus status;
};

class RestoreRefused : public testing::TestWithParam<RestoreRefusedCase> {};

// Another process holds the file from the writer's close on: a watcher,
// which keeps the run waiting only where a time moved and must be set again.
TEST_P(RestoreRefused, KeepsTheReplacementAndSaysWhetherTheTimesAreBack) {
  const RestoreRefusedCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_restore_refused.ttf";
  const Bytes content = write_zero_file(path, 400, 20);
  if (!opens_by_others_detectable(path)) GTEST_SKIP() << "this filesystem grants no leases";
  set_file_times(path, odd_past_times());
  FaultPlan plan;
  plan.fault = c.fault;
  plan.meddling = Meddling::kHoldAfterClose;
  plan.access_moved_at_close = c.access_moved_at_close;

  std::vector<std::string> args{"tovalin", path};
  if (c.quiet) args.push_back("-q");
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome outcome = run_with(args, plan);
  const auto took = std::chrono::steady_clock::now() - start;
  release_file(plan.held_after_close);

  EXPECT_LT(took, std::chrono::seconds(3)) << "a holder that stays is waited for about a second";
  const std::string shown = c.quiet ? "" : expected::kBanner + expected::target_line(path);
  const std::string ending = c.status == kExitReplaced ? expected::kDone : expected::kCannotOpen;
  EXPECT_EQ(outcome.output,
            c.quiet && c.status == kExitReplaced ? "" : shown + ending + expected::kPressEnter);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.input_left, c.quiet && c.status == kExitReplaced ? 5 : 4) << "the wait reads one byte";
  const bool replaced = c.fault == Fault::kNone;
  if (replaced && !c.access_moved_at_close) {
    EXPECT_EQ(file_times(path), odd_past_times()) << "already put back through the handle that wrote";
  }
  EXPECT_EQ(read_file(path), replaced ? with_slashed_zero_at(content, 20) : content);
}

INSTANTIATE_TEST_SUITE_P(Runs, RestoreRefused,
                         testing::Values(RestoreRefusedCase{"TimesStandSoTheHolderIsNoReasonToWait", false,
                                                            Fault::kNone, false, kExitReplaced},
                                         RestoreRefusedCase{"TimesStandQuiet", true, Fault::kNone, false,
                                                            kExitReplaced},
                                         RestoreRefusedCase{"TimeMovedAtTheClose", false, Fault::kNone, true,
                                                            kExitTimesNotRestored},
                                         RestoreRefusedCase{"TimeMovedAtTheCloseQuiet", true, Fault::kNone,
                                                            true, kExitTimesNotRestored},
                                         RestoreRefusedCase{"AfterAFailedWriteTheIoFailureIsWhatCounts", true,
                                                            Fault::kWrite, true, kExitIoFailure}),
                         CaseName());

// Another program gets at the file during the run: around the hold after the
// scan found the zero, right after the run's own write, or between the
// writer's close and the restore. Its bytes are never overwritten, its change
// is never hidden under the old times, and a brief opener is waited out. Under
// Windows' way of keeping times the run's own handle moves them only at its
// write-through or close, and that is never taken for another's change.
// What another program's doing leaves in the file, and its times after the run.
enum class OthersChange { kNone, kWrites, kCuts };  // at `offset`: its bytes, or the file cut to that length
enum class TimesAfter { kAsBefore, kNotAsBefore, kLastWriteAsBefore, kFileGone };

struct OtherProgramCase {
  const char* name;
  Meddling meddling = Meddling::kNone;
  std::int64_t offset = 0;
  Fault fault = Fault::kNone;
  TimeKeeping time_keeping = TimeKeeping::kAtEachWrite;
  bool undo = false;
  // What the run must end with.
  ExitStatus status = kExitReplaced;
  bool zero_replaced = true;  // the run's zero is in the file afterwards
  OthersChange change = OthersChange::kNone;
  TimesAfter times = TimesAfter::kAsBefore;
};

class AnotherProgramDuringTheRun : public testing::TestWithParam<OtherProgramCase> {};

TEST_P(AnotherProgramDuringTheRun, NeitherOverwritesNorHidesItsChange) {
  const OtherProgramCase& c = GetParam();
  const ScopedFile font(testing::TempDir() + "run_other_program_" + c.name + ".ttf");
  const std::string& path = font.path;
  const Bytes plain = write_zero_file(path, 400, 20);
  const Bytes content = c.undo ? with_slashed_zero_at(plain, 20) : plain;
  write_file(path, content);
  if (c.meddling == Meddling::kHoldBrieflyAfterClose && !opens_by_others_detectable(path))
    GTEST_SKIP() << "this filesystem grants no leases";
  set_file_times(path, odd_past_times());
  FaultPlan plan;
  plan.fault = c.fault;
  plan.meddling = c.meddling;
  plan.offset = c.offset;
  plan.time_keeping = c.time_keeping;

  const RunOutcome outcome = run_with({"tovalin", path, "-q"}, plan, c.undo ? kUndo : kPatch);
  if (plan.brief_holder.joinable()) plan.brief_holder.join();

  // A writer kept out by a share mode, instead of breaking a lease, changes nothing.
  const bool kept_out = c.meddling == Meddling::kWriterAfterOwnWrite && !plan.hold_broken;
  const ExitStatus status = kept_out ? kExitReplaced : c.status;
  EXPECT_EQ(outcome.status, status);
  EXPECT_EQ(outcome.output, status == kExitReplaced ? "" : expected::kCannotOpen + expected::kPressEnter);
  const TimesAfter times = kept_out ? TimesAfter::kAsBefore : c.times;
  if (times == TimesAfter::kFileGone) return;
  if (times == TimesAfter::kLastWriteAsBefore) {
    EXPECT_EQ(file_times(path).last_write, odd_past_times().last_write);
  } else {
    EXPECT_EQ(file_times(path) == odd_past_times(), times == TimesAfter::kAsBefore)
        << "times go back only where nothing else happened";
  }
  Bytes expected = !c.zero_replaced ? content : c.undo ? plain : with_slashed_zero_at(plain, 20);
  if (c.change == OthersChange::kCuts) expected.resize(static_cast<std::size_t>(c.offset));
  if (c.change == OthersChange::kWrites)
    std::copy(kOtherProgramsBytes.begin(), kOtherProgramsBytes.end(), expected.begin() + c.offset);
  EXPECT_EQ(read_file(path), expected);
}

constexpr auto kWrites = OthersChange::kWrites;
constexpr auto kTimesMoved = TimesAfter::kNotAsBefore;

// Old times also where the run wrote nothing and put back what its scan
// moved. A program that puts the times back itself leaves its last-write
// time; the run's read of the zero may move the access time (Windows).
INSTANTIATE_TEST_SUITE_P(
    Runs, AnotherProgramDuringTheRun,
    testing::Values(
        OtherProgramCase{.name = "WritesOverTheBufferedZero",
                         .meddling = Meddling::kWriteWhileBuffered,
                         .offset = 25,
                         .status = kExitChangedByAnother,
                         .zero_replaced = false,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "WritesElsewhereWhileTheZeroIsBuffered",
                         .meddling = Meddling::kWriteWhileBuffered,
                         .offset = 300,
                         .status = kExitChangedByAnother,
                         .zero_replaced = false,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "CutsTheFileWhileTheZeroIsBuffered",
                         .meddling = Meddling::kTruncateWhileBuffered,
                         .offset = 100,
                         .status = kExitChangedByAnother,
                         .zero_replaced = false,
                         .change = OthersChange::kCuts,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "WritesRightAfterTheRunsOwnWrite",
                         .meddling = Meddling::kWriteAfterOwnWrite,
                         .offset = 300,
                         .status = kExitChangedByAnother,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "ReaderRightAfterTheRunsOwnWrite",
                         .meddling = Meddling::kReaderAfterOwnWrite},
        OtherProgramCase{.name = "WriterOpensRightAfterTheRunsOwnWrite",
                         .meddling = Meddling::kWriterAfterOwnWrite,
                         .status = kExitChangedByAnother,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "WritesIntoTheZeroAndPutsTheTimesBack",
                         .meddling = Meddling::kWriteKeepingTimes,
                         .offset = 60,
                         .status = kExitChangedByAnother,
                         .zero_replaced = false,
                         .change = kWrites,
                         .times = TimesAfter::kLastWriteAsBefore},
        OtherProgramCase{.name = "WritesElsewhereAndPutsTheTimesBack",
                         .meddling = Meddling::kWriteKeepingTimes,
                         .offset = 300,
                         .change = kWrites},
        OtherProgramCase{.name = "WriteRefusedAfterTheScanMovedTheAccessTime",
                         .fault = Fault::kWriteOpenRefused,
                         .status = kExitCannotOpen,
                         .zero_replaced = false},
        OtherProgramCase{.name = "WriteRefusedByAWriterThatChangedIt",
                         .meddling = Meddling::kWriteBeforeWriteOpen,
                         .offset = 300,
                         .fault = Fault::kWriteOpenRefused,
                         .status = kExitChangedByAnother,
                         .zero_replaced = false,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "BriefOpenerIsWaitedOut", .meddling = Meddling::kHoldBrieflyAfterClose},
        OtherProgramCase{.name = "Removed",
                         .meddling = Meddling::kRemoveAfterClose,
                         .status = kExitChangedByAnother,
                         .times = TimesAfter::kFileGone},
        OtherProgramCase{.name = "WrittenByAnother",
                         .meddling = Meddling::kWriteAfterClose,
                         .status = kExitChangedByAnother,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "TimeWriteFails",
                         .fault = Fault::kTimeWrite,
                         .status = kExitTimesNotRestored,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "NoneUnderWindowsTimesAtClose", .time_keeping = TimeKeeping::kAtClose},
        OtherProgramCase{.name = "NoneUnderWindowsTimesAtWriteThrough",
                         .time_keeping = TimeKeeping::kAtWriteThroughOrClose},
        OtherProgramCase{
            .name = "NoneUnderWindowsTimesAtCloseUndo", .time_keeping = TimeKeeping::kAtClose, .undo = true},
        OtherProgramCase{.name = "NoneUnderWindowsTimesAtWriteThroughUndo",
                         .time_keeping = TimeKeeping::kAtWriteThroughOrClose,
                         .undo = true},
        OtherProgramCase{.name = "WrittenByAnotherUnderWindowsTimesAtClose",
                         .meddling = Meddling::kWriteAfterClose,
                         .time_keeping = TimeKeeping::kAtClose,
                         .status = kExitChangedByAnother,
                         .change = kWrites,
                         .times = kTimesMoved},
        OtherProgramCase{.name = "WrittenByAnotherUnderWindowsTimesAtWriteThrough",
                         .meddling = Meddling::kWriteAfterClose,
                         .time_keeping = TimeKeeping::kAtWriteThroughOrClose,
                         .status = kExitChangedByAnother,
                         .change = kWrites,
                         .times = kTimesMoved}),
    CaseName());

// Another process points the path at another file while the run is between
// its opens; the run must touch nothing but the file it checked.
struct SwapCase {
  const char* name;
  Meddling meddling;
  bool to_device;
  ExitStatus status;
  Fault fault = Fault::kNone;
};

class PathSwapped : public testing::TestWithParam<SwapCase> {};

TEST_P(PathSwapped, TheOtherFileKeepsItsContentAndTimes) {
  const SwapCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_swapped.ttf";
  const std::string checked = path + ".checked";  // a second name for the file the run checks
  const std::string other = testing::TempDir() + "run_swap_other.ttf";
  std::remove(path.c_str());
  const Bytes content = write_zero_file(path, 400, 30);
  write_file(other, content);
  set_file_times(other, odd_past_times());
  ASSERT_TRUE(second_name(path, checked));
  FaultPlan plan;
  plan.meddling = c.meddling;
  plan.fault = c.fault;
  plan.swap_target = c.to_device ? kEndlessDevice : other;
  if (plan.swap_target.empty()) GTEST_SKIP() << "no path can be pointed at a device here";

  const RunOutcome outcome = run_with({"tovalin", path}, plan);

  const bool scanned = c.meddling != Meddling::kSwapBeforeOpen;
  const bool written = c.meddling == Meddling::kSwapAfterClose;
  EXPECT_EQ(outcome.output, expected::kBanner + (scanned ? expected::target_line(path) : "") +
                                expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(file_times(other), odd_past_times()) << "before the test itself reads it";
  EXPECT_EQ(read_file(other), content);
  EXPECT_EQ(read_file(checked), written ? with_slashed_zero_at(content, 30) : content);
}

INSTANTIATE_TEST_SUITE_P(
    Swaps, PathSwapped,
    testing::Values(
        SwapCase{"BeforeTheStreamToAnotherFont", Meddling::kSwapBeforeOpen, false, kExitCannotOpen},
        SwapCase{"BeforeTheStreamToAnEndlessDevice", Meddling::kSwapBeforeOpen, true, kExitCannotOpen},
        SwapCase{"BeforeTheWriteToAnotherFont", Meddling::kSwapBeforeWriteOpen, false, kExitChangedByAnother},
        SwapCase{"BeforeAWriteOpenThatIsRefused", Meddling::kSwapBeforeWriteOpen, false,
                 kExitChangedByAnother, Fault::kWriteOpenRefused},
        SwapCase{"AfterTheCloseToAnotherFile", Meddling::kSwapAfterClose, false, kExitChangedByAnother}),
    CaseName());

// A font deep in folders, its full name 279 characters long, given absolute
// or relative to a shorter folder, with "/" between the names. Windows
// without the long-path opt-in refuses such a name in any but the \\?\ form.
struct LongNameCase {
  const char* name;
  bool relative;
  bool undo;
};

class LongName : public testing::TestWithParam<LongNameCase> {};

TEST_P(LongName, IsPatchedAndUndoneWhereWindowsLimitsShortForms) {
  namespace fs = std::filesystem;
  const LongNameCase& c = GetParam();
  const std::string folder = testing::TempDir() + "long_" + c.name;
  const std::string deep = std::string(100, 'a') + "/" + std::string(100, 'b') + "/";
  const std::string relative = deep + std::string(279 - folder.size() - 1 - deep.size() - 4, 'f') + ".ttf";
  const std::string path = folder + "/" + relative;
  fs::create_directories(fs::path(folder) / deep);
  const Bytes plain = write_zero_file(path, 400, 20);
  if (c.undo) write_file(path, with_slashed_zero_at(plain, 20));
  FaultPlan plan;
  plan.long_names_refused = true;

  const fs::path was = fs::current_path();
  if (c.relative) fs::current_path(folder);
  const RunOutcome outcome =
      run_with({"tovalin", c.relative ? relative : path, "-q"}, plan, c.undo ? kUndo : kPatch);
  fs::current_path(was);

  EXPECT_EQ(path.size(), 279u);
  EXPECT_EQ(outcome.status, kExitReplaced);
  EXPECT_EQ(read_file(path), c.undo ? plain : with_slashed_zero_at(plain, 20));
}

INSTANTIATE_TEST_SUITE_P(Names, LongName,
                         testing::Values(LongNameCase{"Absolute", false, false},
                                         LongNameCase{"AbsoluteUndo", false, true},
                                         LongNameCase{"Relative", true, false},
                                         LongNameCase{"RelativeUndo", true, true}),
                         CaseName());

TEST(RunWithoutFault, TheSeamItselfPatchesNormally) {
  const std::string path = testing::TempDir() + "run_no_fault.ttf";
  const Bytes content = write_zero_file(path, 300, 10);
  FaultPlan plan;

  const RunOutcome outcome = run_with({"tovalin", path}, plan);

  EXPECT_EQ(outcome.output,
            expected::kBanner + expected::target_line(path) + expected::kDone + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitReplaced);
  EXPECT_EQ(read_file(path), with_slashed_zero_at(content, 10));
}

}  // namespace
