// SPDX-License-Identifier: MIT
#include "platform/terminal.h"

bool is_utf8_terminal(std::FILE*) { return false; }
