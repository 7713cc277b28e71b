// SPDX-License-Identifier: MIT
// The real font file calls, as the linker names them under -Wl,--wrap: for
// the test code that wraps them (tests/faulty_font_file.cc, the fuzzer).
#pragma once

#include "platform/font_file.h"

#define TOVALIN_DECLARE_REAL_CALL(result, name, parameters) result __real_##name parameters;
extern "C" {
TOVALIN_FONT_FILE_CALLS(TOVALIN_DECLARE_REAL_CALL)
}
#undef TOVALIN_DECLARE_REAL_CALL
