// SPDX-License-Identifier: MIT
// The per-offset search for the plain zero and the one write of the slashed
// zero over its first occurrence.
#pragma once

#include "buffered_stream.h"

struct ScanResult {
  int match_count = 0;     // 1 once the replacement has been handed to the stream
  bool io_failed = false;  // a seek, read or write failed: the file is not known to be right
};

// Scans the whole of `stream` from offset 0, one byte at a time, and
// overwrites the first window that equals SearchRecord. The stream stays open.
ScanResult scan_and_replace(BufferedStream& stream);
