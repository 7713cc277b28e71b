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

// Hands `text` to `put(bytes, length)` in pieces, with `path` in place of its
// %s if it has one. Neither a Shift_JIS nor a UTF-8 character holds the byte
// 0x25, so "%s" never splits a character and every piece converts on its own.
template <class Put>
void put_with_path(const char* text, const char* path, Put put) {
  const char* at = path == nullptr ? nullptr : std::strstr(text, "%s");
  if (at == nullptr) {
    put(text, std::strlen(text));
    return;
  }
  put(text, static_cast<std::size_t>(at - text));
  put(path, std::strlen(path));
  put(at + 2, std::strlen(at + 2));
}

// A message that cannot be written is lost; the run's status is not.
inline void put_on(std::FILE* out, const char* text, const char* path) {
  put_with_path(text, path,
                [out](const char* bytes, std::size_t length) { (void)std::fwrite(bytes, 1, length, out); });
}
