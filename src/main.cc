// SPDX-License-Identifier: MIT
#include <cstdio>

#include "patch_run.h"
#include "platform/process.h"

int main(int argc, char* argv[]) {
  prepare_process();
  // The wait takes exactly one byte; anything else typed or piped stays unread.
  (void)std::setvbuf(stdin, nullptr, _IONBF, 0);
  return run_patch(argc, argv, stdout, stdin);
}
