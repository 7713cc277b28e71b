// SPDX-License-Identifier: MIT
// The search for a zero glyph and the one write of the other zero over its
// first occurrence.
#pragma once

#include <cstdint>

#include "buffered_stream.h"
#include "zero_records.h"

struct ScanResult {
  int match_count = 0;       // 1 once the replacement has been handed to the stream
  bool io_failed = false;    // a read or the write failed: the file is not known to be right
  std::int64_t offset = -1;  // where the first match starts; -1: none
};

// Scans the whole of `stream` from offset 0 for the first window that equals
// `swap.search`: the same result as comparing the window at every offset in
// turn. Writes nothing.
ScanResult find_first_match(BufferedStream& stream, const ZeroSwap& swap);

// Whether the match that find_first_match found is still there, read anew
// through `file`: times and size are what another program may put back after
// writing into it, the bytes themselves are not. kChangedByAnother if not;
// kInputOutput if the read failed.
FileProblem match_still_there(const FontFile& file, const ZeroSwap& swap, const ScanResult& result);

// Overwrites the match that find_first_match found with `swap.replacement`,
// through `file`, which must be open for writing. The count becomes 1 even if
// the write fails; io_failed then says so.
void replace_match(const FontFile& file, const ZeroSwap& swap, ScanResult& result);
