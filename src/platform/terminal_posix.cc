// SPDX-License-Identifier: MIT
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>

#include "platform/terminal.h"

TextForm text_form(std::FILE* out) {
  if (!isatty(fileno(out)) || std::setlocale(LC_CTYPE, "") == nullptr) return TextForm::kShiftJis;
  const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  // Nothing else in the tool may depend on the user's locale.
  std::setlocale(LC_CTYPE, "C");
  return utf8 ? TextForm::kUtf8 : TextForm::kShiftJis;
}

void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8, const char* path) {
  const char* text = form == TextForm::kUtf8 ? utf8 : shift_jis;
  // A message that cannot be written is lost; the run's status is not.
  if (path == nullptr) {
    (void)std::fputs(text, out);
  } else {
    (void)std::fprintf(out, text, path);
  }
}
