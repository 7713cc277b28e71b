// SPDX-License-Identifier: MIT
// Starts a program with arguments given in UTF-16 units, as Windows can pass
// names that no narrow text holds (a lone surrogate, say):
//   launch_wide PROGRAM ARGUMENT...   \uXXXX in an argument stands for that
//                                     unit; exits with the program's status.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

int main(int argc, char* argv[]) {
  if (argc < 2) return 2;
  static wchar_t command[32768];
  int at = std::swprintf(command, 32768, L"\"%hs\"", argv[1]);
  for (int i = 2; i < argc && at < 32700; ++i) {
    command[at++] = L' ';
    command[at++] = L'"';
    for (const char* c = argv[i]; *c != '\0' && at < 32700; ++c) {
      if (c[0] == '\\' && c[1] == 'u' && std::strlen(c) >= 6) {
        const char digits[5] = {c[2], c[3], c[4], c[5], '\0'};
        command[at++] = static_cast<wchar_t>(std::strtoul(digits, nullptr, 16));
        c += 5;
      } else {
        command[at++] = static_cast<wchar_t>(static_cast<unsigned char>(*c));
      }
    }
    command[at++] = L'"';
  }
  command[at] = L'\0';
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
    return 125;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 125;
  GetExitCodeProcess(process.hProcess, &status);
  return static_cast<int>(status);
}
