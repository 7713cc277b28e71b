// SPDX-License-Identifier: MIT
// The two glyph descriptions the tool knows: the plain zero it looks for and
// the slashed zero of the same length and bounding box that it writes instead.
#pragma once

#include <cstddef>

inline constexpr unsigned char RecordEnd = 0xFF;

// Each array holds its glyph bytes followed by RecordEnd.
extern const unsigned char SearchRecord[189];
extern const unsigned char ReplacementRecord[189];

// Bytes of SearchRecord before its first RecordEnd: the size of every read,
// compare and write of the scan.
std::size_t window_length();
