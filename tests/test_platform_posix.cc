// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "test_platform.h"

namespace {

constexpr const char* kUnprivileged[] = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};

std::int64_t nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1'000'000'000 + t.tv_nsec; }

timespec from_nanoseconds(std::int64_t ns) {
  return {static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input, RunAs who, Program program) {
  // The tool may end without reading its input.
  signal(SIGPIPE, SIG_IGN);
  int to_tool[2], from_tool[2];
  if (pipe(to_tool) != 0 || pipe(from_tool) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(to_tool[0], STDIN_FILENO);
    dup2(from_tool[1], STDOUT_FILENO);
    close(to_tool[0]), close(to_tool[1]), close(from_tool[0]), close(from_tool[1]);
    std::vector<char*> argv;
    if (who == RunAs::kUnprivilegedUser)
      for (const char* a : kUnprivileged) argv.push_back(const_cast<char*>(a));
    argv.push_back(const_cast<char*>(program == Program::kTovalinUndo ? TOVALIN_UNDO_TOOL : TOVALIN_TOOL));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(to_tool[0]);
  close(from_tool[1]);
  if (!input.empty()) [[maybe_unused]]
    auto n = write(to_tool[1], input.data(), input.size());
  close(to_tool[1]);
  ToolRun run;
  char chunk[4096];
  ssize_t n;
  while ((n = read(from_tool[0], chunk, sizeof chunk)) > 0) run.output.append(chunk, static_cast<size_t>(n));
  close(from_tool[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string with_platform_line_ends(const std::string& text) { return text; }

FileTimes file_times(const std::string& path) {
  struct stat status {};
  stat(path.c_str(), &status);
  return {nanoseconds(status.st_atim), nanoseconds(status.st_mtim)};
}

void set_file_times(const std::string& path, const FileTimes& times) {
  const timespec values[2] = {from_nanoseconds(times.last_access), from_nanoseconds(times.last_write)};
  utimensat(AT_FDCWD, path.c_str(), values, 0);
}

void move_last_write_to_now(const std::string& path) {
  const timespec values[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
  utimensat(AT_FDCWD, path.c_str(), values, 0);
}

FileTimes odd_past_times() { return {1'500'000'001'123'456'789, 1'490'000'003'987'654'321}; }

struct HeldFile {
  pid_t pid;
  int stop;
};

HeldFile* hold_file(const std::string& path) {
  int ready[2], stop[2];
  // Close-on-exec: a tool started meanwhile must not keep the holder waiting.
  if (pipe2(ready, O_CLOEXEC) != 0 || pipe2(stop, O_CLOEXEC) != 0) return nullptr;
  const pid_t pid = fork();
  if (pid == 0) {
    close(ready[0]);
    close(stop[1]);
    const int fd = open(path.c_str(), O_RDONLY);
    char byte = fd >= 0 ? 'h' : 'x';
    [[maybe_unused]] auto n = write(ready[1], &byte, 1);
    n = read(stop[0], &byte, 1);
    _exit(0);
  }
  close(ready[1]);
  close(stop[0]);
  char byte = 0;
  const bool held = read(ready[0], &byte, 1) == 1 && byte == 'h';
  close(ready[0]);
  auto* holder = new HeldFile{pid, stop[1]};
  if (!held) {
    release_file(holder);
    return nullptr;
  }
  return holder;
}

void release_file(HeldFile* held) {
  if (held == nullptr) return;
  close(held->stop);
  waitpid(held->pid, nullptr, 0);
  delete held;
}

bool knock_on_file(const std::string& path, bool to_write) {
  signal(SIGIO, SIG_IGN);  // the break is signalled to the lease holder, this process
  const int fd = open(path.c_str(), (to_write ? O_WRONLY : O_RDONLY) | O_NONBLOCK);
  if (fd >= 0) close(fd);
  return fd < 0 && errno == EWOULDBLOCK;
}

bool opens_by_others_detectable(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  const bool leased = fd >= 0 && fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
  if (leased) fcntl(fd, F_SETLEASE, F_UNLCK);
  if (fd >= 0) close(fd);
  return leased;
}

bool make_unwritable(const std::string& path, RunAs& who) {
  if (std::system(("chattr +i " + quoted(path) + " 2>/dev/null").c_str()) == 0) {
    who = RunAs::kSelf;
    return true;
  }
  // Where the filesystem has no immutable flag, write permission still stops another user.
  chmod(path.c_str(), 0444);
  who = RunAs::kUnprivilegedUser;
  return std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") == 0;
}

void make_writable(const std::string& path) {
  // Where there is no immutable flag, there is none to clear.
  [[maybe_unused]] const int cleared = std::system(("chattr -i " + quoted(path) + " 2>/dev/null").c_str());
  chmod(path.c_str(), 0644);
}

const char* const kEndlessDevice = "/dev/zero";

void point_path_at(const std::string& path, const std::string& target) {
  const std::string link = path + ".swap";
  std::remove(link.c_str());
  if (symlink(target.c_str(), link.c_str()) != 0 || std::rename(link.c_str(), path.c_str()) != 0)
    std::abort();
}

bool second_name(const std::string& path, const std::string& name) {
  std::remove(name.c_str());
  return link(path.c_str(), name.c_str()) == 0;
}

bool cut_open_file(std::intptr_t handle, std::int64_t length) {
  return ftruncate(static_cast<int>(handle), static_cast<off_t>(length)) == 0;
}
