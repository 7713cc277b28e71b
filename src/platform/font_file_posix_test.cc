// SPDX-License-Identifier: MIT
// The Linux stand-in for opening a file with no sharing, and the times it keeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "file_guard.h"
#include "platform/font_file.h"
#include "platform/process.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

FileProblem problem_opening(const std::string& path) {
  FontFile file;
  const FileProblem problem = open_exclusive(path.c_str(), FileAccess::kRead, Hold::kAlone, file);
  if (problem == FileProblem::kNone) close_font_file(file);
  return problem;
}

std::string fixture(const std::string& name) {
  const std::string path = testing::TempDir() + "guard_" + name;
  write_file(path, Bytes(400, 0x33));
  return path;
}

// Runs `step` in a child process of its own, so that a stray signal or the
// guard's saved state shows as this case's failure; "exit 0" or how it ended.
template <class Step>
std::string in_own_process(Step step) {
  const pid_t child = fork();
  if (child == 0) _exit(step());
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return "exit " + std::to_string(WEXITSTATUS(status));
}

TEST(ExclusiveOpen, AnotherProcessOpeningDuringTheHoldDoesNotEndTheTool) {
  const std::string path = fixture("sigio");
  if (!opens_by_others_detectable(path)) GTEST_SKIP() << "this filesystem grants no leases";
  EXPECT_EQ(in_own_process([&] {
              (void)prepare_process();  // as the tool does first
              FontFile file;
              if (open_exclusive(path.c_str(), FileAccess::kRead, Hold::kAlone, file) != FileProblem::kNone)
                return 10;
              const pid_t opener = fork();
              if (opener == 0) {
                close(static_cast<int>(file.handle));  // a real opener shares nothing with us
                _exit(open(path.c_str(), O_RDONLY) >= 0 ? 0 : 1);
              }
              // The opener now waits on our lease, and the kernel has signalled us.
              usleep(300'000);
              close_font_file(file);
              int status = 0;
              waitpid(opener, &status, 0);
              if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return 11;
              // Still ignored: a break signalled late must not end the tool either.
              struct sigaction after {};
              sigaction(SIGIO, nullptr, &after);
              return after.sa_handler == SIG_IGN ? 0 : 12;
            }),
            "exit 0");
}

TEST(ExclusiveOpen, WithoutLeasesAnotherUsersFileIsHeldByLock) {
  const std::string path = fixture("not_ours");
  chmod(path.c_str(), 0666);
  EXPECT_EQ(in_own_process([&] {
              // Not the owner and no CAP_LEASE: the kernel refuses the lease with EACCES.
              if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) return 10;
              return problem_opening(path) == FileProblem::kNone ? 0 : 11;
            }),
            "exit 0");
}

TEST(ExclusiveOpen, RefusesAFileAnotherProcessHoldsOpen) {
  const std::string path = fixture("held");
  if (!opens_by_others_detectable(path)) GTEST_SKIP() << "this filesystem grants no leases";
  HeldFile* held = hold_file(path);
  ASSERT_NE(held, nullptr);
  const FileProblem problem = problem_opening(path);
  release_file(held);
  EXPECT_EQ(problem, FileProblem::kBusy) << "worth waiting for";
}

TEST(ExclusiveOpen, RefusesAPipeWithoutWaitingForAWriter) {
  const std::string path = testing::TempDir() + "guard_fifo";
  std::remove(path.c_str());
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  EXPECT_EQ(problem_opening(path), FileProblem::kNotRegularFile);
  std::remove(path.c_str());
}

// Every file is said to be on NFS while this is set; the rest of the call is real.
bool report_network_filesystem = false;

}  // namespace

extern "C" int __real_fstatfs64(int fd, struct statfs64* filesystem);
extern "C" int __wrap_fstatfs64(int fd, struct statfs64* filesystem) {
  const int result = __real_fstatfs64(fd, filesystem);
  if (result == 0 && report_network_filesystem) filesystem->f_type = 0x6969;
  return result;
}

namespace {

TEST(ExclusiveOpen, OnANetworkFilesystemAWholeFileRecordLockHoldsIt) {
  const std::string path = fixture("network");
  report_network_filesystem = true;
  HeldFile* reader = hold_file(path);
  FontFile file;
  const FileProblem problem = open_exclusive(path.c_str(), FileAccess::kRead, Hold::kAlone, file);
  release_file(reader);
  ASSERT_EQ(problem, FileProblem::kNone) << "a lease would have refused the file another process has open";

  // Record locks belong to the open, so a second open of our own stands in for another client.
  const int other = open(path.c_str(), O_RDWR);
  struct flock write_lock {};
  write_lock.l_type = F_WRLCK;
  write_lock.l_whence = SEEK_SET;
  EXPECT_NE(fcntl(other, F_OFD_SETLK, &write_lock), 0) << "a writer that locks must be kept out";
  close_font_file(file);
  ASSERT_EQ(fcntl(other, F_OFD_SETLK, &write_lock), 0);
  EXPECT_EQ(problem_opening(path), FileProblem::kBusy) << "a writer's lock keeps us out";
  close(other);
  report_network_filesystem = false;
}

TEST(FileGuard, ARestoreWithoutACaptureLeavesTheTimesAlone) {
  const std::string path = fixture("no_capture");
  set_file_times(path, odd_past_times());
  FontFile file;
  ASSERT_EQ(open_font_file(path.c_str(), FileAccess::kRead, file), FileProblem::kNone);
  ASSERT_TRUE(close_font_file(file));
  EXPECT_EQ(in_own_process([&] {
              const CheckedFile never_captured{file.identity, file.version, {}};
              if (file_guard::restore(path.c_str(), never_captured, file.version) != FileProblem::kNone)
                return 10;
              return file_times(path) == odd_past_times() ? 0 : 11;
            }),
            "exit 0");
}

}  // namespace
