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
  // What match_still_there read right before the write: the match and up to
  // one window's length of the bytes before it, from `seen_from`.
  unsigned char seen[2 * sizeof SearchRecord] = {};
  std::int64_t seen_from = 0;
  std::size_t seen_length = 0;
};

// Scans the whole of `stream` from offset 0 for the first window that equals
// `swap.search`: the same result as comparing the window at every offset in
// turn. Writes nothing.
ScanResult find_first_match(BufferedStream& stream, const ZeroSwap& swap);

// Whether the match that find_first_match found is still there, read anew
// through `file`: times and size are what another program may put back after
// writing into it, the bytes themselves are not. kChangedByAnother if not;
// kInputOutput if the read failed. Keeps what it read in `result.seen`.
FileProblem match_still_there(const FontFile& file, const ZeroSwap& swap, ScanResult& result);

// Overwrites the match that find_first_match found with `swap.replacement`,
// through `file`, which must be open for writing. The count becomes 1 even if
// the write fails; io_failed then says so.
void replace_match(const FontFile& file, const ZeroSwap& swap, ScanResult& result);

// Whether, read again once the write went through, the replacement stands
// where it was written and the bytes before it are as match_still_there saw
// them: a file system may put a write elsewhere and still report it done.
// kInputOutput if not, or if the read failed.
FileProblem replacement_in_place(const FontFile& file, const ZeroSwap& swap, const ScanResult& result);
