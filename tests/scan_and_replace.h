// SPDX-License-Identifier: MIT
// The scan and the one write in one call, through a stream opened for
// writing, as the tests and the fuzzer use them; the run itself writes through
// a handle of its own, opened once the scan has found the zero.
#pragma once

#include "record_scan.h"

inline ScanResult scan_and_replace(BufferedStream& stream, const ZeroSwap& swap = kPlainToSlashed) {
  ScanResult result = find_first_match(stream, swap);
  if (result.offset >= 0) replace_match(stream.file, swap, result);
  return result;
}
