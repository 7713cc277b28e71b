// SPDX-License-Identifier: MIT
// Holds a file open from another process, as an editor or viewer would:
//   hold_file PATH   prints "held" once the file is open, then keeps it open
//                    until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char* argv[]) {
  if (argc != 2) return 2;
  const HANDLE file =
      CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
