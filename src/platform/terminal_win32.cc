// SPDX-License-Identifier: MIT
#include <io.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/terminal.h"
#include "platform/wide_text_win32.h"

namespace {

HANDLE handle_of(std::FILE* out) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out))); }

// The path as the narrow argument would have carried it: the ANSI code page,
// with the system's stand-ins for what it cannot hold.
std::string ansi_path(const char* path) {
  const std::wstring wide = wide_from_utf8(path);
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string ansi(size > 0 ? static_cast<std::size_t>(size) : 1, '\0');
  if (size > 0) (void)WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi.data(), size, nullptr, nullptr);
  ansi.resize(std::strlen(ansi.c_str()));
  return ansi;
}

}  // namespace

TextForm text_form(std::FILE* out) {
  DWORD mode = 0;
  return GetConsoleMode(handle_of(out), &mode) ? TextForm::kConsoleWide : TextForm::kShiftJis;
}

void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8, const char* path) {
  if (form != TextForm::kConsoleWide) {
    // A message that cannot be written is lost; the run's status is not.
    if (path == nullptr) {
      (void)std::fputs(shift_jis, out);
    } else {
      (void)std::fprintf(out, shift_jis, ansi_path(path).c_str());
    }
    return;
  }
  std::string text = utf8;
  if (path != nullptr) {
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, path);
  }
  const std::wstring wide = wide_from_utf8(text.c_str());
  (void)std::fflush(out);  // whatever went out through the stream comes first
  DWORD written = 0;
  (void)WriteConsoleW(handle_of(out), wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
}
