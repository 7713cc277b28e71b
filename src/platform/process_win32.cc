// SPDX-License-Identifier: MIT
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/process.h"
#include "platform/wide_text_win32.h"

// The C runtime's own parse of the wide command line, as wmain would get it.
struct _startupinfo {
  int newmode;
};
extern "C" int __wgetmainargs(int* argc, wchar_t*** argv, wchar_t*** environment, int expand,
                              _startupinfo* info);

namespace {

volatile LONG holding = 0;
volatile LONG requested = 0;
volatile LONG waiting = 0;

// Runs on a thread of its own. TRUE: the event is handled, the process lives on.
BOOL WINAPI on_console_event(DWORD) {
  if (InterlockedCompareExchange(&holding, 0, 0) != 0) {
    InterlockedExchange(&requested, 1);
    return TRUE;
  }
  // Ctrl-C at the last prompt ends the read like Enter; the run's status stands.
  if (InterlockedCompareExchange(&waiting, 0, 0) != 0) return TRUE;
  return FALSE;  // the default: the process ends
}

}  // namespace

// Windows keeps the standard handles apart from the files the tool opens, and
// has no SIGPIPE: a write to a closed pipe only fails.
ProcessSetting prepare_process() {
  (void)SetConsoleCtrlHandler(on_console_event, TRUE);
  return {};
}

char** program_arguments(int& argc, char** argv) {
  int count = 0;
  wchar_t** wide = nullptr;
  wchar_t** environment = nullptr;
  _startupinfo startup{};
  if (__wgetmainargs(&count, &wide, &environment, 0, &startup) != 0 || count != argc) return argv;
  // Kept for the life of the process, as the runtime keeps its own vector.
  auto** arguments = static_cast<char**>(std::calloc(static_cast<std::size_t>(count) + 1, sizeof(char*)));
  if (arguments == nullptr) return argv;
  for (int i = 0; i < count; ++i) {
    arguments[i] = utf8_copy(wide[i]);
    if (arguments[i] == nullptr) return argv;
  }
  return arguments;
}

bool is_help_word(const char* argument) {
  for (const char* word : {"--help", "-h", "/?"})
    if (std::strcmp(argument, word) == 0) return true;
  return false;
}

void hold_termination() { InterlockedExchange(&holding, 1); }

void release_termination() {
  InterlockedExchange(&holding, 0);
  if (InterlockedCompareExchange(&requested, 0, 0) != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
}

// The performance counter's low bits and the process's number: random enough
// to keep two runs from pausing alike.
void pause_about_ms(int ms) {
  LARGE_INTEGER counter{};
  (void)QueryPerformanceCounter(&counter);  // cannot fail since Windows XP
  const auto random = static_cast<DWORD>(counter.QuadPart) ^ (GetCurrentProcessId() * 2654435761u);
  Sleep(static_cast<DWORD>(ms) * 3 / 4 + random % (static_cast<DWORD>(ms) / 2 + 1));
}

void let_interrupt_end_wait() { InterlockedExchange(&waiting, 1); }
