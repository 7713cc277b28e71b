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
struct OtherProgramCase {
  const char* name;
  Meddling meddling;
  std::int64_t offset;  // where the other program writes, or the length it cuts the file to
  Fault fault;
  bool zero_replaced;  // the run's zero is in the file afterwards
  ExitStatus status;
  TimeKeeping time_keeping = TimeKeeping::kAtEachWrite;
  bool undo = false;
};

class AnotherProgramDuringTheRun : public testing::TestWithParam<OtherProgramCase> {};

bool writes_bytes(Meddling m) {
  return m != Meddling::kNone && m != Meddling::kHoldBrieflyAfterClose &&
         m != Meddling::kReaderAfterOwnWrite && m != Meddling::kWriterAfterOwnWrite;
}

TEST_P(AnotherProgramDuringTheRun, NeitherOverwritesNorHidesItsChange) {
  const OtherProgramCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_other_program_" + c.name + ".ttf";
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
  EXPECT_EQ(outcome.status, kept_out ? kExitReplaced : c.status);
  const bool kept = outcome.status == kExitReplaced;
  EXPECT_EQ(outcome.output, kept ? "" : expected::kCannotOpen + expected::kPressEnter);
  if (c.meddling == Meddling::kRemoveAfterClose) return;
  // Old times also where the run wrote nothing and put back what its scan
  // moved. A program that puts the times back itself leaves its last-write
  // time; the run's read of the zero may move the access time (Windows).
  if (c.meddling == Meddling::kWriteKeepingTimes && !kept) {
    EXPECT_EQ(file_times(path).last_write, odd_past_times().last_write);
  } else {
    const bool put_back = c.fault == Fault::kWriteOpenRefused && !writes_bytes(c.meddling);
    EXPECT_EQ(file_times(path) == odd_past_times(), kept || put_back)
        << "times go back only where nothing else happened";
  }
  Bytes expected = !c.zero_replaced ? content : c.undo ? plain : with_slashed_zero_at(plain, 20);
  if (c.meddling == Meddling::kTruncateWhileBuffered) {
    expected.resize(static_cast<std::size_t>(c.offset));
  } else if (writes_bytes(c.meddling)) {
    std::copy(kOtherProgramsBytes.begin(), kOtherProgramsBytes.end(), expected.begin() + c.offset);
  }
  EXPECT_EQ(read_file(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, AnotherProgramDuringTheRun,
    testing::Values(OtherProgramCase{"WritesOverTheBufferedZero", Meddling::kWriteWhileBuffered, 25,
                                     Fault::kNone, false, kExitChangedByAnother},
                    OtherProgramCase{"WritesElsewhereWhileTheZeroIsBuffered", Meddling::kWriteWhileBuffered,
                                     300, Fault::kNone, false, kExitChangedByAnother},
                    OtherProgramCase{"CutsTheFileWhileTheZeroIsBuffered", Meddling::kTruncateWhileBuffered,
                                     100, Fault::kNone, false, kExitChangedByAnother},
                    OtherProgramCase{"WritesRightAfterTheRunsOwnWrite", Meddling::kWriteAfterOwnWrite, 300,
                                     Fault::kNone, true, kExitChangedByAnother},
                    OtherProgramCase{"ReaderRightAfterTheRunsOwnWrite", Meddling::kReaderAfterOwnWrite, 0,
                                     Fault::kNone, true, kExitReplaced},
                    OtherProgramCase{"WriterOpensRightAfterTheRunsOwnWrite", Meddling::kWriterAfterOwnWrite,
                                     0, Fault::kNone, true, kExitChangedByAnother},
                    OtherProgramCase{"WritesIntoTheZeroAndPutsTheTimesBack", Meddling::kWriteKeepingTimes, 60,
                                     Fault::kNone, false, kExitChangedByAnother},
                    OtherProgramCase{"WritesElsewhereAndPutsTheTimesBack", Meddling::kWriteKeepingTimes, 300,
                                     Fault::kNone, true, kExitReplaced},
                    OtherProgramCase{"WriteRefusedAfterTheScanMovedTheAccessTime", Meddling::kNone, 0,
                                     Fault::kWriteOpenRefused, false, kExitCannotOpen},
                    OtherProgramCase{"WriteRefusedByAWriterThatChangedIt", Meddling::kWriteBeforeWriteOpen,
                                     300, Fault::kWriteOpenRefused, false, kExitChangedByAnother},
                    OtherProgramCase{"BriefOpenerIsWaitedOut", Meddling::kHoldBrieflyAfterClose, 0,
                                     Fault::kNone, true, kExitReplaced},
                    OtherProgramCase{"Removed", Meddling::kRemoveAfterClose, 0, Fault::kNone, true,
                                     kExitChangedByAnother},
                    OtherProgramCase{"WrittenByAnother", Meddling::kWriteAfterClose, 0, Fault::kNone, true,
                                     kExitChangedByAnother},
                    OtherProgramCase{"TimeWriteFails", Meddling::kNone, 0, Fault::kTimeWrite, true,
                                     kExitTimesNotRestored},
                    OtherProgramCase{"NoneUnderWindowsTimesAtClose", Meddling::kNone, 0, Fault::kNone, true,
                                     kExitReplaced, TimeKeeping::kAtClose},
                    OtherProgramCase{"NoneUnderWindowsTimesAtWriteThrough", Meddling::kNone, 0, Fault::kNone,
                                     true, kExitReplaced, TimeKeeping::kAtWriteThroughOrClose},
                    OtherProgramCase{"NoneUnderWindowsTimesAtCloseUndo", Meddling::kNone, 0, Fault::kNone,
                                     true, kExitReplaced, TimeKeeping::kAtClose, true},
                    OtherProgramCase{"NoneUnderWindowsTimesAtWriteThroughUndo", Meddling::kNone, 0,
                                     Fault::kNone, true, kExitReplaced, TimeKeeping::kAtWriteThroughOrClose,
                                     true},
                    OtherProgramCase{"WrittenByAnotherUnderWindowsTimesAtClose", Meddling::kWriteAfterClose,
                                     0, Fault::kNone, true, kExitChangedByAnother, TimeKeeping::kAtClose},
                    OtherProgramCase{"WrittenByAnotherUnderWindowsTimesAtWriteThrough",
                                     Meddling::kWriteAfterClose, 0, Fault::kNone, true, kExitChangedByAnother,
                                     TimeKeeping::kAtWriteThroughOrClose}),
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
