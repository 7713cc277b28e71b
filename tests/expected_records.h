// SPDX-License-Identifier: MIT
// The two glyph records as listed in hex, typed out independently of the
// product's arrays so that a wrong byte in either shows.
#pragma once

#include "test_bytes.h"

namespace expected {

// The plain zero the tool looks for.
const Bytes kPlainZero = bytes_from_hex(
    "00 02 00 36 00 01 01 b8 02 ca 00 1a 00 36 00 09"
    "b3 14 3a 21 00 2b 00 30 31 25 27 07 2e 01 27 2e"
    "01 27 3e 01 37 3e 01 37 1e 01 17 1e 01 17 15 0e"
    "01 07 0e 01 27 3e 01 37 3e 01 37 35 2e 01 27 2e"
    "01 23 0e 01 07 0e 01 15 1e 01 17 1e 01 17 37 17"
    "01 14 12 04 24 38 1a 28 28 02 08 20 36 18 3e 20"
    "1c 38 16 22 1a 08 0c 1c 30 12 22 12 14 1e 0a 12"
    "0c 0a 08 18 1e 12 26 16 10 1c 0c 2c 1e 10 1c 26"
    "0e 1e 12 12 06 01 05 03 03 2b 1b 41 94 4d 4d 9e"
    "3d 19 17 04 0d 15 1b 38 7f 40 5a 47 90 38 0a 22"
    "43 0c 26 15 29 5c 2c 5a 38 72 2e 0d 0c 04 0d 0e"
    "41 a0 4f 36 6f 2e 0c 15 02 02 02 00");

// The slashed zero it writes in its place.
const Bytes kSlashedZero = bytes_from_hex(
    "00 03 00 36 00 01 01 b8 02 ca 00 18 00 29 00 35"
    "00 09 b3 13 3a 1e 00 2b 00 30 31 25 27 2e 01 27"
    "2e 01 27 3e 01 37 3e 01 37 1e 01 17 1e 01 17 15"
    "0e 01 07 06 27 3e 01 37 36 37 35 26 27 07 17 16"
    "17 1e 01 17 33 13 26 27 0e 01 07 0e 01 1f 01 37"
    "26 01 14 16 24 38 1a 28 28 02 08 20 36 18 3e 20"
    "1c 38 16 22 1a 08 0c 1c 30 2a 1c 14 1e 0a 1a 0e"
    "04 05 ee 07 0e 26 0e 1e 12 18 28 24 2a 10 1c 0c"
    "2c 1e 04 05 f0 0c 01 02 03 2b 1b 41 94 4d 4d 9e"
    "3d 19 17 04 0d 15 1b 38 7f 40 5a 47 90 38 29 40"
    "0c 26 15 4f 62 5a 1d 1e ed 19 38 2e 0c 15 02 02"
    "2c 16 03 04 0d 0e 41 a0 4f 1e f0 37");

}  // namespace expected
