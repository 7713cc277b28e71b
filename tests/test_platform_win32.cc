// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "test_platform.h"

namespace {

void append_quoted(std::string& command, const std::string& arg) {
  if (!command.empty()) command.push_back(' ');
  command.push_back('"');
  command.append(arg);
  command.push_back('"');
}

// A process with pipes on its standard input and output.
struct Child {
  HANDLE process = nullptr;
  HANDLE to_child = nullptr;
  HANDLE from_child = nullptr;
};

bool start_child(std::string command, Child& child) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE stdin_read, stdout_write;
  if (!CreatePipe(&stdin_read, &child.to_child, &inheritable, 0) ||
      !CreatePipe(&child.from_child, &stdout_write, &inheritable, 0))
    return false;
  SetHandleInformation(child.to_child, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(child.from_child, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = stdin_read;
  startup.hStdOutput = stdout_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
  CloseHandle(stdin_read);
  CloseHandle(stdout_write);
  if (!started) {
    CloseHandle(child.to_child);
    CloseHandle(child.from_child);
    return false;
  }
  CloseHandle(info.hThread);
  child.process = info.hProcess;
  return true;
}

int finish_child(Child& child) {
  if (child.to_child != nullptr) CloseHandle(child.to_child);
  CloseHandle(child.from_child);
  WaitForSingleObject(child.process, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(child.process, &code);
  CloseHandle(child.process);
  return static_cast<int>(code);
}

std::int64_t from_filetime(const FILETIME& t) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

FILETIME to_filetime(std::int64_t units) {
  const auto u = static_cast<std::uint64_t>(units);
  return {static_cast<DWORD>(u & 0xFFFFFFFF), static_cast<DWORD>(u >> 32)};
}

HANDLE open_for_attributes(const std::string& path, DWORD access) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input, RunAs, Program program) {
  std::string command;
  append_quoted(command, program == Program::kTovalinUndo ? TOVALIN_UNDO_TOOL : TOVALIN_TOOL);
  for (const std::string& a : args) append_quoted(command, a);
  Child child;
  if (!start_child(command, child)) return {};
  DWORD n = 0;
  if (!input.empty()) WriteFile(child.to_child, input.data(), static_cast<DWORD>(input.size()), &n, nullptr);
  CloseHandle(child.to_child);
  child.to_child = nullptr;
  ToolRun run;
  char chunk[4096];
  while (ReadFile(child.from_child, chunk, sizeof chunk, &n, nullptr) && n > 0) run.output.append(chunk, n);
  run.exit_status = finish_child(child);
  return run;
}

std::string with_platform_line_ends(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

FileTimes file_times(const std::string& path) {
  FileTimes times;
  const HANDLE file = open_for_attributes(path, FILE_READ_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return times;
  FILETIME access{}, write{};
  GetFileTime(file, nullptr, &access, &write);
  CloseHandle(file);
  return {from_filetime(access), from_filetime(write)};
}

void set_file_times(const std::string& path, const FileTimes& times) {
  const HANDLE file = open_for_attributes(path, FILE_WRITE_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return;
  const FILETIME access = to_filetime(times.last_access), write = to_filetime(times.last_write);
  SetFileTime(file, nullptr, &access, &write);
  CloseHandle(file);
}

void move_last_write_to_now(const std::string& path) {
  const HANDLE file = open_for_attributes(path, FILE_WRITE_ATTRIBUTES);
  if (file == INVALID_HANDLE_VALUE) return;
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  SetFileTime(file, nullptr, nullptr, &now);
  CloseHandle(file);
}

FileTimes odd_past_times() {
  constexpr std::int64_t kUnixEpoch = 11'644'473'600;  // seconds from 1601 to 1970
  constexpr std::int64_t kUnitsPerSecond = 10'000'000;
  return {(1'500'000'001 + kUnixEpoch) * kUnitsPerSecond + 1'234'567,
          (1'490'000'003 + kUnixEpoch) * kUnitsPerSecond + 9'876'543};
}

struct HeldFile {
  Child child;
};

HeldFile* hold_file(const std::string& path) {
  std::string command;
  append_quoted(command, TOVALIN_HOLD_FILE);
  append_quoted(command, path);
  auto* held = new HeldFile;
  char reply[5] = {};
  DWORD n = 0;
  if (start_child(command, held->child) && ReadFile(held->child.from_child, reply, 4, &n, nullptr) &&
      std::string(reply, n) == "held")
    return held;
  release_file(held);
  return nullptr;
}

void release_file(HeldFile* held) {
  if (held == nullptr) return;
  if (held->child.process != nullptr) finish_child(held->child);
  delete held;
}

bool knock_on_file(const std::string& path, bool to_write) {
  const HANDLE file = open_for_attributes(path, to_write ? GENERIC_WRITE : GENERIC_READ);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return false;
}

bool opens_by_others_detectable(const std::string&) { return true; }

// Root writes through the read-only attribute under Wine; the immutable flag
// of the Linux file underneath stops it. Wine runs Linux programs directly.
// Whether the file at `path` can be opened for writing (or is not there),
// waited for up to five seconds: Wine starts a Linux program such as chattr
// and may report it ended before its change is made.
bool writable_within_a_while(const std::string& path, bool wanted) {
  for (int tries = 0; tries < 100; ++tries) {
    std::FILE* f = std::fopen(path.c_str(), "rb+");
    const bool writable = f != nullptr || GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
    if (f != nullptr) std::fclose(f);
    if (writable == wanted) return true;
    Sleep(50);
  }
  return false;
}

bool make_unwritable(const std::string& path, RunAs& who) {
  who = RunAs::kSelf;
  Child child;
  if (!start_child("/usr/bin/chattr +i " + path, child)) return false;
  finish_child(child);
  if (!writable_within_a_while(path, false)) return false;
  // Windows lets a read-only file's times be set; nobody may set an immutable
  // file's. Wine's reads move the access time where Linux's relatime would,
  // so one read here settles it, as on a font read since its last change, and
  // the tool's own reads then leave it alone.
  if (std::FILE* r = std::fopen(path.c_str(), "rb")) {
    (void)std::fgetc(r);
    std::fclose(r);
  }
  return true;
}

void make_writable(const std::string& path) {
  Child child;
  if (start_child("/usr/bin/chattr -i " + path, child)) finish_child(child);
  (void)writable_within_a_while(path, true);
}

const char* const kEndlessDevice = "";

void point_path_at(const std::string& path, const std::string& target) {
  const std::string name = path + ".swap";
  DeleteFileA(name.c_str());
  if (!CreateHardLinkA(name.c_str(), target.c_str(), nullptr) ||
      !MoveFileExA(name.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    std::abort();
}

bool second_name(const std::string& path, const std::string& name) {
  DeleteFileA(name.c_str());
  return CreateHardLinkA(name.c_str(), path.c_str(), nullptr) != 0;
}

bool cut_open_file(std::intptr_t handle, std::int64_t length) {
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = length;
  return SetFileInformationByHandle(reinterpret_cast<HANDLE>(handle), FileEndOfFileInfo, &end, sizeof end) !=
         0;
}
