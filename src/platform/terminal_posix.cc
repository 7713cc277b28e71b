// SPDX-License-Identifier: MIT
#include <unistd.h>

#include "platform/terminal.h"

TextForm text_form(std::FILE* out, const ProcessSetting& setting) {
  return isatty(fileno(out)) && setting.utf8_locale ? TextForm::kUtf8 : TextForm::kShiftJis;
}

void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8, const char* path) {
  put_with_path(out, form == TextForm::kUtf8 ? utf8 : shift_jis, path);
}
