// SPDX-License-Identifier: MIT
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstring>

#include "platform/terminal.h"

bool is_utf8_terminal(std::FILE* out) {
  if (!isatty(fileno(out)) || std::setlocale(LC_CTYPE, "") == nullptr) return false;
  const bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  // Nothing else in the tool may depend on the user's locale.
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}
