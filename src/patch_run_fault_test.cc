// SPDX-License-Identifier: MIT
// A run whose file fails or changes underneath it must never say done or
// not-found: it shows the failure, waits even in quiet mode, and its exit
// status says what happened to the content (4 I/O failure, 5 patched but times
// not back, 3 unchanged).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "case_name.h"
#include "expected_output.h"
#include "faulty_target_stream.h"
#include "patch_run.h"
#include "test_platform.h"
#include "zero_records.h"

namespace {

struct RunOutcome {
  ExitStatus status;
  std::string output;
  long input_left;
};

RunOutcome run_with(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::FILE* out = std::tmpfile();
  std::FILE* in = std::tmpfile();
  std::fputs("\nmore", in);
  std::rewind(in);
  RunOutcome outcome{run_patch(static_cast<int>(args.size()), argv.data(), out, in), {}, 0};
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

// What the run's stream does: fail one kind of call, and let another process meddle.
void use_stream(Fault fault, std::size_t buffer_size, Meddling meddling) {
  target_fault = fault;
  target_buffer_size = buffer_size;
  target_meddling = meddling;
  meddling_offset = 0;
}

struct RunFaultCase {
  const char* name;
  Fault fault;
  std::size_t buffer_size;
  bool holds_record;
  bool quiet;
};

class RunWithFault : public testing::TestWithParam<RunFaultCase> {};

TEST_P(RunWithFault, ShowsTheFailureAndWaits) {
  const RunFaultCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_fault_" + c.name + ".ttf";
  if (c.holds_record) {
    write_zero_file(path, 600, 50);
  } else {
    write_file(path, Bytes(600, 0x22));
  }
  use_stream(c.fault, c.buffer_size, Meddling::kNone);

  std::vector<std::string> args{"tovalin", path};
  if (c.quiet) args.push_back("-q");
  const RunOutcome outcome = run_with(args);

  const std::string shown = c.quiet ? "" : expected::kBanner + expected::target_line(path);
  EXPECT_EQ(outcome.output, shown + expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitIoFailure);
  EXPECT_EQ(outcome.input_left, 4) << "the wait reads exactly one byte";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RunWithFault,
    testing::Values(
        RunFaultCase{"WriteFails", Fault::kWrite, kStreamBufferSize, true, false},
        RunFaultCase{"WriteFailsWithASmallBuffer", Fault::kWrite, 512, true, false},
        RunFaultCase{"WriteFailsInQuietMode", Fault::kWrite, kStreamBufferSize, true, true},
        RunFaultCase{"CloseFails", Fault::kClose, kStreamBufferSize, true, false},
        RunFaultCase{"WriteThroughToDiskFails", Fault::kWriteThrough, kStreamBufferSize, true, false},
        RunFaultCase{"WriteThroughToDiskFailsInQuietMode", Fault::kWriteThrough, kStreamBufferSize, true,
                     true},
        // The first refill takes the whole file and fails on reading on.
        RunFaultCase{"ReadErrorIsNotAnInvalidFont", Fault::kReadPastStart, kStreamBufferSize, false, false},
        // A later refill, in the middle of the scan, fails.
        RunFaultCase{"ReadErrorInALaterRefill", Fault::kReadPastStart, 512, false, false},
        RunFaultCase{"ReadErrorInQuietMode", Fault::kReadPastStart, kStreamBufferSize, false, true}),
    CaseName());

struct RestoreRefusedCase {
  const char* name;
  bool quiet;
  Fault fault;
  ExitStatus status;
};

class RestoreRefused : public testing::TestWithParam<RestoreRefusedCase> {};

TEST_P(RestoreRefused, KeepsTheReplacementButSaysTheTimesAreNotBack) {
  const RestoreRefusedCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_restore_refused.ttf";
  const Bytes content = write_zero_file(path, 400, 20);
  set_file_times(path, odd_past_times());
  use_stream(c.fault, kStreamBufferSize, Meddling::kHoldAfterClose);

  std::vector<std::string> args{"tovalin", path};
  if (c.quiet) args.push_back("-q");
  const auto start = std::chrono::steady_clock::now();
  const RunOutcome outcome = run_with(args);
  const auto took = std::chrono::steady_clock::now() - start;
  release_file(held_after_close);
  held_after_close = nullptr;

  EXPECT_LT(took, std::chrono::seconds(3)) << "a holder that stays is waited for about a second";
  const std::string shown = c.quiet ? "" : expected::kBanner + expected::target_line(path);
  EXPECT_EQ(outcome.output, shown + expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(outcome.input_left, 4) << "the wait reads exactly one byte";
  const bool replaced = c.fault == Fault::kNone;
  if (replaced) {
    EXPECT_NE(file_times(path).last_write, odd_past_times().last_write) << "times not to be restored";
  }
  EXPECT_EQ(read_file(path), replaced ? with_slashed_zero_at(content, 20) : content);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RestoreRefused,
    testing::Values(RestoreRefusedCase{"Interactive", false, Fault::kNone, kExitTimesNotRestored},
                    RestoreRefusedCase{"Quiet", true, Fault::kNone, kExitTimesNotRestored},
                    RestoreRefusedCase{"AfterAFailedWriteTheIoFailureIsWhatCounts", true, Fault::kWrite,
                                       kExitIoFailure}),
    CaseName());

// Only what the platform's time call fails with is injected; the rest of it is the real call.
bool fail_time_writes = false;

}  // namespace

extern "C" int __real_futimens(int fd, const timespec times[2]);
extern "C" int __wrap_futimens(int fd, const timespec times[2]) {
  if (!fail_time_writes) return __real_futimens(fd, times);
  errno = EIO;
  return -1;
}

namespace {

// Another program gets at the file during the run: around the hold while the
// scan's buffer holds the zero, right after the run's own write, or between
// the stream's close and the restore. Its bytes are never overwritten, its
// change is never hidden under the old times, and a brief opener is waited out.
struct OtherProgramCase {
  const char* name;
  Meddling meddling;
  long offset;  // where the other program writes, or the length it cuts the file to
  bool time_write_fails;
  bool zero_replaced;  // the run's slashed zero is in the file afterwards
  ExitStatus status;
};

class AnotherProgramDuringTheRun : public testing::TestWithParam<OtherProgramCase> {};

TEST_P(AnotherProgramDuringTheRun, NeitherOverwritesNorHidesItsChange) {
  const OtherProgramCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_other_program_" + c.name + ".ttf";
  const Bytes content = write_zero_file(path, 400, 20);
  set_file_times(path, odd_past_times());
  use_stream(Fault::kNone, kStreamBufferSize, c.meddling);
  meddling_offset = c.offset;
  fail_time_writes = c.time_write_fails;

  const RunOutcome outcome = run_with({"tovalin", path, "-q"});
  if (brief_holder.joinable()) brief_holder.join();
  fail_time_writes = false;
  target_meddling = Meddling::kNone;

  EXPECT_EQ(outcome.status, c.status);
  const bool kept = c.status == kExitReplaced;
  EXPECT_EQ(outcome.output, kept ? "" : expected::kCannotOpen + expected::kPressEnter);
  if (c.meddling == Meddling::kRemoveAfterClose) return;
  EXPECT_EQ(file_times(path) == odd_past_times(), kept) << "times go back only where nothing else happened";
  Bytes expected = c.zero_replaced ? with_slashed_zero_at(content, 20) : content;
  if (c.meddling == Meddling::kTruncateWhileBuffered) {
    expected.resize(static_cast<std::size_t>(c.offset));
  } else if (c.meddling != Meddling::kNone && c.meddling != Meddling::kHoldBrieflyAfterClose) {
    const std::string text = "another program";
    std::copy(text.begin(), text.end(), expected.begin() + c.offset);
  }
  EXPECT_EQ(read_file(path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, AnotherProgramDuringTheRun,
    testing::Values(
        OtherProgramCase{"WritesOverTheBufferedZero", Meddling::kWriteWhileBuffered, 25, false, false,
                         kExitChangedByAnother},
        OtherProgramCase{"WritesElsewhereWhileTheZeroIsBuffered", Meddling::kWriteWhileBuffered, 300, false,
                         false, kExitChangedByAnother},
        OtherProgramCase{"CutsTheFileWhileTheZeroIsBuffered", Meddling::kTruncateWhileBuffered, 100, false,
                         false, kExitChangedByAnother},
        OtherProgramCase{"WritesRightAfterTheRunsOwnWrite", Meddling::kWriteAfterOwnWrite, 300, false, true,
                         kExitChangedByAnother},
        OtherProgramCase{"BriefOpenerIsWaitedOut", Meddling::kHoldBrieflyAfterClose, 0, false, true,
                         kExitReplaced},
        OtherProgramCase{"Removed", Meddling::kRemoveAfterClose, 0, false, true, kExitChangedByAnother},
        OtherProgramCase{"WrittenByAnother", Meddling::kWriteAfterClose, 0, false, true,
                         kExitChangedByAnother},
        OtherProgramCase{"TimeWriteFails", Meddling::kNone, 0, true, true, kExitTimesNotRestored}),
    CaseName());

// Another process points the path at another file while the run is between
// its opens; the run must touch nothing but the file it checked.
struct SwapCase {
  const char* name;
  Meddling meddling;
  bool to_device;
  ExitStatus status;
};

class PathSwapped : public testing::TestWithParam<SwapCase> {};

TEST_P(PathSwapped, TheOtherFileKeepsItsContentAndTimes) {
  const SwapCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_swapped.ttf";
  const std::string checked = path + ".checked";  // a second name for the file the run checks
  const std::string other = testing::TempDir() + "run_swap_other.ttf";
  std::remove(path.c_str());
  std::remove(checked.c_str());
  const Bytes content = write_zero_file(path, 400, 30);
  write_file(other, content);
  set_file_times(other, odd_past_times());
  ASSERT_EQ(link(path.c_str(), checked.c_str()), 0);
  use_stream(Fault::kNone, kStreamBufferSize, c.meddling);
  swap_target = c.to_device ? "/dev/zero" : other;

  const RunOutcome outcome = run_with({"tovalin", path});

  const bool opened = c.meddling == Meddling::kSwapAfterClose;
  EXPECT_EQ(outcome.output, expected::kBanner + (opened ? expected::target_line(path) : "") +
                                expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, c.status);
  EXPECT_EQ(file_times(other), odd_past_times()) << "before the test itself reads it";
  EXPECT_EQ(read_file(other), content);
  EXPECT_EQ(read_file(checked), opened ? with_slashed_zero_at(content, 30) : content);
  target_meddling = Meddling::kNone;
}

INSTANTIATE_TEST_SUITE_P(Swaps, PathSwapped,
                         testing::Values(SwapCase{"BeforeTheStreamToAnotherFont", Meddling::kSwapBeforeOpen,
                                                  false, kExitCannotOpen},
                                         SwapCase{"BeforeTheStreamToAnEndlessDevice",
                                                  Meddling::kSwapBeforeOpen, true, kExitCannotOpen},
                                         SwapCase{"AfterTheCloseToAnotherFile", Meddling::kSwapAfterClose,
                                                  false, kExitChangedByAnother}),
                         CaseName());

TEST(RunWithoutFault, TheSeamItselfPatchesNormally) {
  const std::string path = testing::TempDir() + "run_no_fault.ttf";
  const Bytes content = write_zero_file(path, 300, 10);
  use_stream(Fault::kNone, kStreamBufferSize, Meddling::kNone);

  const RunOutcome outcome = run_with({"tovalin", path});

  EXPECT_EQ(outcome.output,
            expected::kBanner + expected::target_line(path) + expected::kDone + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitReplaced);
  EXPECT_EQ(read_file(path), with_slashed_zero_at(content, 10));
}

}  // namespace
