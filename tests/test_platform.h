// SPDX-License-Identifier: MIT
// What the tests need of the operating system: running the built tool as a
// process, a second process holding a file open, file times, and files that
// even root cannot write.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct ToolRun {
  int exit_status = -1;
  std::string output;  // standard output, byte for byte
};

enum class RunAs { kSelf, kUnprivilegedUser };

// `args` excludes the program itself; `input` is fed to standard input,
// which is then closed (end of file).
enum class Program { kTovalin, kTovalinUndo };

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input, RunAs who = RunAs::kSelf,
                 Program program = Program::kTovalin);

// The tool's line end on standard output: LF on Linux, CR LF on Windows.
std::string with_platform_line_ends(const std::string& text);

// Last-access and last-write times in the platform's finest unit
// (nanoseconds on Linux, 100 ns on Windows).
struct FileTimes {
  std::int64_t last_access = 0;
  std::int64_t last_write = 0;
  bool operator==(const FileTimes&) const = default;
};
FileTimes file_times(const std::string& path);
void set_file_times(const std::string& path, const FileTimes& times);
// Moves the last-write time (and so the change time) to now, as a file system
// does when a handle that wrote is closed.
void move_last_write_to_now(const std::string& path);
// Two distinct moments in 2017, with odd digits down to the finest unit.
FileTimes odd_past_times();

// Another process opens `path` and keeps it open until release_file().
struct HeldFile;
HeldFile* hold_file(const std::string& path);
void release_file(HeldFile* held);

// Another process holds `path` open from now on for `ms` milliseconds, as an
// indexer or virus scanner does; join the thread afterwards.
inline std::thread hold_file_briefly(const std::string& path, int ms) {
  HeldFile* held = hold_file(path);
  return std::thread([held, ms] {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    release_file(held);
  });
}

// Another program opens `path` without waiting, to read it or to write it,
// while the run holds it for its write, and lets go at once. True if that
// open began to break the run's hold (Linux: it is refused, but the lease is
// then being broken, toward a read lease for a reader and none for a writer);
// false if it got in, or was kept out with nothing begun (Windows' share mode).
bool knock_on_file(const std::string& path, bool to_write);

// Whether the platform can tell that another process has `path` open (on
// Linux: whether its filesystem grants leases; the lock fallback cannot).
bool opens_by_others_detectable(const std::string& path);

// Points `path` at `target` in one step, as an attacker would (Linux: a
// symlink renamed over it, so `target` may be a device; Windows: a second
// name for `target` moved over it).
void point_path_at(const std::string& path, const std::string& target);

// A device that reads without end, or "" where no path can be pointed at one.
extern const char* const kEndlessDevice;

// Gives the file at `path` the second name `name`. False if it cannot.
bool second_name(const std::string& path, const std::string& name);

// Cuts the file open as `handle` (a font file's handle) to `length` bytes.
bool cut_open_file(std::intptr_t handle, std::int64_t length);

// Makes the file unwritable even for root, or says how the run must be made
// instead: kUnprivilegedUser if only a run as another user is stopped by it.
// false: neither works here.
bool make_unwritable(const std::string& path, RunAs& who);
void make_writable(const std::string& path);
