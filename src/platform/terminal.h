// SPDX-License-Identifier: MIT
// How the run's texts reach the user: in which form, and by which call.
#pragma once

#include <cstdio>
#include <cstring>

#include "platform/process.h"

enum class TextForm {
  kShiftJis,     // the bytes as listed: pipes, files, and consoles that show them as they are
  kUtf8,         // Linux: a terminal, unless its locale's character set is Shift_JIS
  kConsoleWide,  // Windows: a console, written in UTF-16 whatever its code page
};

TextForm text_form(std::FILE* out, const ProcessSetting& setting);

// Writes one text in `form`, given in both encodings, with `path` in place of
// its %s if it has one. The path is the program's argument: on Windows UTF-8
// (shown on a pipe in the ANSI code page, as the narrow argument would have
// carried it), on Linux bytes, shown as they are.
void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8,
                const char* path = nullptr);

// `text` as it stands, with `path` in place of its %s, if it has one. A
// Shift_JIS trail byte is never 0x25, so "%s" cannot be half of a character.
inline void put_with_path(std::FILE* out, const char* text, const char* path) {
  const char* at = path == nullptr ? nullptr : std::strstr(text, "%s");
  if (at == nullptr) {
    (void)std::fputs(text, out);  // a message that cannot be written is lost; the run's status is not
    return;
  }
  (void)std::fwrite(text, 1, static_cast<std::size_t>(at - text), out);
  (void)std::fputs(path, out);
  (void)std::fputs(at + 2, out);
}
