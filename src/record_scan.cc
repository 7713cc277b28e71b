// SPDX-License-Identifier: MIT
#include "record_scan.h"

#include <cstring>

namespace {

// The two records differ within this many leading bytes, so a zero already
// swapped fails here without the rest being compared.
constexpr std::size_t kPrefixLength = 17;

bool window_matches(const unsigned char* window, const unsigned char* record, std::size_t length) {
  if (std::memcmp(window, record, kPrefixLength) != 0) return false;
  return std::memcmp(window + kPrefixLength, record + kPrefixLength, length - kPrefixLength) == 0;
}

}  // namespace

ScanResult find_first_match(BufferedStream& stream, const ZeroSwap& swap) {
  const std::size_t length = record_length(swap.search);
  unsigned char window[sizeof SearchRecord];
  ScanResult result;
  // Every offset is read afresh from the stream; nothing of the last window is reused.
  for (std::int64_t offset = 0;; ++offset) {
    if (!seek_stream(stream, offset)) {
      result.io_failed = true;
      return result;
    }
    if (read_stream(stream, window, length) < length) {
      result.io_failed = stream.failed;
      return result;
    }
    if (window_matches(window, swap.search, length)) {
      result.offset = offset;
      return result;
    }
  }
}

void replace_match(const FontFile& file, const ZeroSwap& swap, ScanResult& result) {
  result.match_count = 1;
  result.io_failed = !write_font_file(file, result.offset, swap.replacement, record_length(swap.search));
}
