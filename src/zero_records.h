// SPDX-License-Identifier: MIT
// The two glyph descriptions the tool knows: the plain zero it looks for and
// the slashed zero of the same length and bounding box that it writes instead.
#pragma once

#include <cstddef>

inline constexpr unsigned char RecordEnd = 0xFF;

// Each array holds its glyph bytes followed by RecordEnd.
extern const unsigned char SearchRecord[189];
extern const unsigned char ReplacementRecord[189];

// Which glyph a run looks for and which it writes in its place: the patch,
// and the undo with the two records swapped.
struct ZeroSwap {
  const unsigned char* search;
  const unsigned char* replacement;
};
inline constexpr ZeroSwap kPlainToSlashed{SearchRecord, ReplacementRecord};
inline constexpr ZeroSwap kSlashedToPlain{ReplacementRecord, SearchRecord};

// Bytes of `record` before its first RecordEnd: for the record searched for,
// the size of every read, compare and write of the scan.
std::size_t record_length(const unsigned char* record);
inline std::size_t window_length() { return record_length(SearchRecord); }
