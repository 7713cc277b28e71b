// A run whose file fails underneath it must never say done or not-found: it
// shows the failure, waits even in quiet mode, and exits with 4.
#include <gtest/gtest.h>

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

struct RunFaultCase {
  const char* name;
  Fault fault;
  bool buffered;
  bool holds_record;
  bool quiet;
};

class RunWithFault : public testing::TestWithParam<RunFaultCase> {};

TEST_P(RunWithFault, ShowsTheFailureAndWaits) {
  const RunFaultCase& c = GetParam();
  const std::string path = testing::TempDir() + "run_fault_" + c.name + ".ttf";
  Bytes content(600, 0x22);
  if (c.holds_record) std::copy(SearchRecord, SearchRecord + 188, content.begin() + 50);
  write_file(path, content);
  target_fault = c.fault;
  target_buffered = c.buffered;

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
    testing::Values(RunFaultCase{"WriteFailsWhenTheStreamIsFlushed", Fault::kWrite, true, true, false},
                    RunFaultCase{"WriteFailsAtOnce", Fault::kWrite, false, true, false},
                    RunFaultCase{"WriteFailsInQuietMode", Fault::kWrite, true, true, true},
                    RunFaultCase{"CloseFails", Fault::kClose, true, true, false},
                    RunFaultCase{"WriteThroughToDiskFails", Fault::kWriteThrough, true, true, false},
                    RunFaultCase{"WriteThroughToDiskFailsInQuietMode", Fault::kWriteThrough, true, true,
                                 true},
                    RunFaultCase{"ReadErrorIsNotAnInvalidFont", Fault::kReadPastStart, false, false, false},
                    RunFaultCase{"ReadErrorInQuietMode", Fault::kReadPastStart, false, false, true}),
    CaseName());

class RestoreRefused : public testing::TestWithParam<bool> {};

TEST_P(RestoreRefused, KeepsTheReplacementButReportsTheFailureAndWaits) {
  const bool quiet = GetParam();
  const std::string path = testing::TempDir() + "run_restore_refused.ttf";
  Bytes content(400, 0x22);
  std::copy(SearchRecord, SearchRecord + 188, content.begin() + 20);
  write_file(path, content);
  set_file_times(path, odd_past_times());
  target_fault = Fault::kHeldAfterClose;
  target_buffered = true;

  std::vector<std::string> args{"tovalin", path};
  if (quiet) args.push_back("-q");
  const RunOutcome outcome = run_with(args);
  release_file(held_after_close);
  held_after_close = nullptr;

  const std::string shown = quiet ? "" : expected::kBanner + expected::target_line(path);
  EXPECT_EQ(outcome.output, shown + expected::kCannotOpen + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitCannotOpen);
  EXPECT_EQ(outcome.input_left, 4) << "the wait reads exactly one byte";
  EXPECT_NE(file_times(path).last_write, odd_past_times().last_write) << "times were not to be restored";
  Bytes patched = content;
  std::copy(ReplacementRecord, ReplacementRecord + 188, patched.begin() + 20);
  EXPECT_EQ(read_file(path), patched) << "the replacement was already in the file";
}

INSTANTIATE_TEST_SUITE_P(Modes, RestoreRefused, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& mode) {
                           return mode.param ? "Quiet" : "Interactive";
                         });

TEST(RunWithoutFault, TheSeamItselfPatchesNormally) {
  const std::string path = testing::TempDir() + "run_no_fault.ttf";
  Bytes content(300, 0x22);
  std::copy(SearchRecord, SearchRecord + 188, content.begin() + 10);
  write_file(path, content);
  target_fault = Fault::kNone;
  target_buffered = true;

  const RunOutcome outcome = run_with({"tovalin", path});

  EXPECT_EQ(outcome.output,
            expected::kBanner + expected::target_line(path) + expected::kDone + expected::kPressEnter);
  EXPECT_EQ(outcome.status, kExitReplaced);
  Bytes patched = content;
  std::copy(ReplacementRecord, ReplacementRecord + 188, patched.begin() + 10);
  EXPECT_EQ(read_file(path), patched);
}

}  // namespace
