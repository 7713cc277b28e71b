// SPDX-License-Identifier: MIT
#include <unistd.h>

#include "platform/terminal.h"

// A terminal shows UTF-8 unless its locale says Shift_JIS: so does the C
// locale of a fresh container or an ssh session without one, as today's
// language runtimes take it. Pipes and files always get the Shift_JIS bytes.
TextForm text_form(std::FILE* out, const ProcessSetting& setting) {
  return isatty(fileno(out)) && !setting.shift_jis_locale ? TextForm::kUtf8 : TextForm::kShiftJis;
}

void write_text(std::FILE* out, TextForm form, const char* shift_jis, const char* utf8, const char* path) {
  put_on(out, form == TextForm::kUtf8 ? utf8 : shift_jis, path);
}
