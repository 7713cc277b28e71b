// SPDX-License-Identifier: MIT
// How the run's texts reach the user: in which form, and by which call.
#pragma once

#include <cstdio>

enum class TextForm {
  kShiftJis,     // the bytes as listed: pipes, files, and consoles that show them as they are
  kUtf8,         // Linux: a terminal whose locale's character set is UTF-8
  kConsoleWide,  // Windows: a console, written in UTF-16 whatever its code page
};

TextForm text_form(std::FILE* out);

// Writes one text in `form`, given in both encodings, with `path` in place of
// its %s if it has one. The path is the program's argument: on Windows UTF-8
// (shown on a pipe in the ANSI code page, as the narrow argument would have
// carried it), on Linux bytes, shown as they are.
void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8,
                const char* path = nullptr);
