// SPDX-License-Identifier: MIT
// Which form of the messages the console shows as text.
#pragma once

#include <cstdio>

// True if `out` is a terminal whose locale's character set is UTF-8. Never on
// Windows, where the Shift_JIS bytes are the console's own text.
bool is_utf8_terminal(std::FILE* out);
