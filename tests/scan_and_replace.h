// SPDX-License-Identifier: MIT
// The scan and the one write in one call, as the tests and the fuzzer use
// them; the run itself asks the file between the two.
#pragma once

#include "record_scan.h"

inline ScanResult scan_and_replace(BufferedStream& stream, const ZeroSwap& swap = kPlainToSlashed) {
  ScanResult result = find_first_match(stream, swap);
  if (result.offset >= 0) replace_match(stream, swap, result);
  return result;
}
