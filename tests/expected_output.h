// SPDX-License-Identifier: MIT
// What the tool must print, typed from the Shift_JIS listing rather than
// taken from the product's own table, so a wrong byte there shows here.
#pragma once

#include <string>

#include "test_bytes.h"

namespace expected {

// No font file has been specified.
const std::string kMissingPath = text_from_hex(
    "83 74 83 48 83 93 83 67 83 74 83 40 83 43 83 8b 82 aa 8e 77 92 e8 82 b3 82 ea 82 c4 82 a2 82 dc 82 b9 "
    "82 f1 81 42 0a");
// The font file cannot be opened.
const std::string kCannotOpen = text_from_hex(
    "83 74 83 48 83 93 83 67 83 74 83 40 83 43 83 8b 82 aa 8a 4a 82 af 82 dc 82 b9 82 f1 81 42 0a");
// Target font file: (path)
const std::string kTargetPrefix =
    text_from_hex("91 ce 8f db 83 74 83 48 83 93 83 67 83 74 83 40 83 43 83 8b 3a 20");
// (empty line) Processing has finished.
const std::string kDone = text_from_hex("0a 8f 88 97 9d 82 f0 8f 49 97 b9 82 b5 82 dc 82 b5 82 bd 81 42 0a");
// The font file is invalid, or the font has already been changed.
const std::string kNotFound = text_from_hex(
    "83 74 83 48 83 93 83 67 83 74 83 40 83 43 83 8b 82 aa 95 73 90 b3 82 a9 81 41 8a f9 82 c9 83 74 83 48 "
    "83 93 83 67 82 aa 95 cf 8d 58 82 b3 82 ea 82 c4 82 a2 82 dc 82 b7 81 42 0a");
// Please press the [Enter] key.
const std::string kPressEnter = text_from_hex(
    "5b 45 6e 74 65 72 5d 83 4c 81 5b 82 f0 89 9f 82 b5 82 c4 82 ad 82 be 82 b3 82 a2 81 42 0a");

inline std::string target_line(const std::string& path) { return kTargetPrefix + path + "\n"; }

const std::string kBanner = "Tovalin " TOVALIN_VERSION
                            " - slashed zero for a TrueType font\n"
                            "Usage: tovalin FONT.ttf [quiet]  (any second word means quiet)\n"
                            "\n";
const std::string kUndoBanner = "Tovalin " TOVALIN_VERSION
                                " undo - the plain zero back in a TrueType font\n"
                                "Usage: tovalin-undo FONT.ttf [quiet]  (any second word means quiet)\n"
                                "\n";

}  // namespace expected
