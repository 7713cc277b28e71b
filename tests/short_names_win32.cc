// SPDX-License-Identifier: MIT
// Windows without the long-path opt-in, which Wine cannot show (it has no
// such limit): under a plan that asks for it, CreateFileW refuses a name of
// MAX_PATH characters or more, in full, that is not in the \\?\ form, with
// ERROR_PATH_NOT_FOUND, as Windows does. Wrapped at link time
// (-Wl,--wrap=__imp_CreateFileW), so the tool's own calls meet it.
#include <windows.h>

#include <cwchar>

#include "faulty_font_file.h"

namespace {

// The limit holds for the full name a relative one stands for: with its end,
// at most MAX_PATH units.
bool refused(const wchar_t* name) {
  if (!long_names_refused() || std::wcsncmp(name, L"\\\\?\\", 4) == 0) return false;
  return std::wcslen(name) >= MAX_PATH || GetFullPathNameW(name, 0, nullptr, nullptr) > MAX_PATH;
}

}  // namespace

extern "C" {

extern decltype(&CreateFileW) __real___imp_CreateFileW;

HANDLE WINAPI create_file_with_short_names(LPCWSTR name, DWORD access, DWORD sharing,
                                           LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                           HANDLE model) {
  if (refused(name)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  return __real___imp_CreateFileW(name, access, sharing, security, disposition, flags, model);
}

decltype(&CreateFileW) __wrap___imp_CreateFileW = create_file_with_short_names;

}  // extern "C"
