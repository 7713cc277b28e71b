// SPDX-License-Identifier: MIT
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/terminal.h"
#include "platform/wide_text_win32.h"

namespace {

HANDLE handle_of(std::FILE* out) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(out))); }

// On a console: the text in UTF-16, whatever the console's code page, in one
// write (Wine's console drops a space that ends a separate write).
void write_to_console(std::FILE* out, const char* utf8, const char* path) {
  const std::size_t length = std::strlen(utf8) + (path == nullptr ? 0 : std::strlen(path));
  char* text = static_cast<char*>(std::malloc(length));
  auto* wide = static_cast<wchar_t*>(std::malloc((length + 1) * sizeof(wchar_t)));
  if (text != nullptr && wide != nullptr) {
    std::size_t filled = 0;
    put_with_path(utf8, path, [&](const char* bytes, std::size_t n) {
      std::memcpy(text + filled, bytes, n);
      filled += n;
    });
    const int units =
        MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(filled), wide, static_cast<int>(length + 1));
    (void)std::fflush(out);  // whatever went out through the stream comes first
    DWORD written = 0;
    if (units > 0) (void)WriteConsoleW(handle_of(out), wide, static_cast<DWORD>(units), &written, nullptr);
  }
  std::free(text);
  std::free(wide);
}

}  // namespace

TextForm text_form(std::FILE* out, const ProcessSetting&) {
  DWORD mode = 0;
  return GetConsoleMode(handle_of(out), &mode) ? TextForm::kConsoleWide : TextForm::kShiftJis;
}

void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8, const char* path) {
  if (form == TextForm::kConsoleWide) {
    write_to_console(out, utf8, path);
    return;
  }
  if (path == nullptr) {
    put_on(out, shift_jis, nullptr);
    return;
  }
  // The path as the narrow argument would have carried it: the ANSI code
  // page, with the system's stand-ins for what it cannot hold.
  wchar_t wide[kLongestPath];
  char* ansi = wide_from_utf8(path, wide) ? narrow_copy(wide, CP_ACP) : nullptr;
  put_on(out, shift_jis, ansi != nullptr ? ansi : "");
  std::free(ansi);
}
