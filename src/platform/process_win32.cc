// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/process.h"

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
void prepare_process() { (void)SetConsoleCtrlHandler(on_console_event, TRUE); }

void hold_termination() { InterlockedExchange(&holding, 1); }

void release_termination() {
  InterlockedExchange(&holding, 0);
  if (InterlockedCompareExchange(&requested, 0, 0) != 0) ExitProcess(STATUS_CONTROL_C_EXIT);
}

void let_interrupt_end_wait() { InterlockedExchange(&waiting, 1); }
