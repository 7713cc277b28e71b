// SPDX-License-Identifier: MIT
#include "record_scan.h"

#include <algorithm>
#include <cstring>

namespace {

// The two records differ within this many leading bytes, so a zero already
// swapped fails here without the rest being compared.
constexpr std::size_t kPrefixLength = 17;

bool window_matches(const unsigned char* window, const unsigned char* record, std::size_t length) {
  if (std::memcmp(window, record, kPrefixLength) != 0) return false;
  return std::memcmp(window + kPrefixLength, record + kPrefixLength, length - kPrefixLength) == 0;
}

// The search for the prefix runs on one key byte of it, its highest, with
// memchr, which goes at memory speed: small numbers, zeros and ASCII text,
// the bulk of a font, hold such a byte least often.
std::size_t key_of(const unsigned char* record) {
  return static_cast<std::size_t>(std::max_element(record, record + kPrefixLength) - record);
}

// Where the record's prefix first stands whole within the `count` bytes at
// `bytes`: the index, or `count` if nowhere. Each place the key byte (at
// `key_at` in the prefix) stands is compared with the whole prefix.
std::size_t find_prefix(const unsigned char* bytes, std::size_t count, const unsigned char* record,
                        std::size_t key_at) {
  if (count < kPrefixLength) return count;
  const std::size_t starts = count - kPrefixLength + 1;  // where a whole prefix can start
  for (std::size_t start = 0; start < starts; ++start) {
    const void* key = std::memchr(bytes + start + key_at, record[key_at], starts - start);
    if (key == nullptr) break;
    start = static_cast<std::size_t>(static_cast<const unsigned char*>(key) - bytes) - key_at;
    if (std::memcmp(bytes + start, record, kPrefixLength) == 0) return start;
  }
  return count;
}

}  // namespace

// Almost every offset of a font already fails on the record's first bytes:
// the scan searches what the buffer holds for the prefix, and compares the
// whole window only where the prefix stands. A prefix cut by the buffer's end
// is looked for again from a refill that starts with it, so no offset that
// could start a match is passed over.
ScanResult find_first_match(BufferedStream& stream, const ZeroSwap& swap) {
  const std::size_t length = record_length(swap.search);
  const std::size_t key_at = key_of(swap.search);
  unsigned char window[sizeof SearchRecord];
  ScanResult result;
  std::int64_t offset = 0;
  for (;;) {
    const unsigned char* held = nullptr;
    const std::size_t count = buffered_from(stream, offset, kPrefixLength, held);
    if (count < kPrefixLength) break;  // the end of the file, or a failed read
    const std::size_t found = find_prefix(held, count, swap.search, key_at);
    if (found == count) {
      offset += static_cast<std::int64_t>(count - (kPrefixLength - 1));
      continue;
    }
    offset += static_cast<std::int64_t>(found);
    if (!seek_stream(stream, offset) || read_stream(stream, window, length) < length) break;
    if (window_matches(window, swap.search, length)) {
      result.offset = offset;
      return result;
    }
    ++offset;
  }
  result.io_failed = stream.failed;
  return result;
}

FileProblem match_still_there(const FontFile& file, const ZeroSwap& swap, ScanResult& result) {
  const std::size_t length = record_length(swap.search);
  const auto before = static_cast<std::size_t>(std::min<std::int64_t>(result.offset, std::int64_t(length)));
  result.seen_from = result.offset - static_cast<std::int64_t>(before);
  const std::int64_t got = read_font_file(file, result.seen_from, result.seen, before + length);
  if (got < 0) return FileProblem::kInputOutput;
  result.seen_length = static_cast<std::size_t>(got);
  const bool same =
      result.seen_length == before + length && window_matches(result.seen + before, swap.search, length);
  return same ? FileProblem::kNone : FileProblem::kChangedByAnother;
}

void replace_match(const FontFile& file, const ZeroSwap& swap, ScanResult& result) {
  result.match_count = 1;
  result.io_failed = !write_font_file(file, result.offset, swap.replacement, record_length(swap.search));
}

FileProblem replacement_in_place(const FontFile& file, const ZeroSwap& swap, const ScanResult& result) {
  unsigned char now[sizeof result.seen];
  const std::int64_t got = read_font_file_from_storage(file, result.seen_from, now, result.seen_length);
  if (got != static_cast<std::int64_t>(result.seen_length)) return FileProblem::kInputOutput;
  const auto before = static_cast<std::size_t>(result.offset - result.seen_from);
  const bool same = std::memcmp(now, result.seen, before) == 0 &&
                    std::memcmp(now + before, swap.replacement, result.seen_length - before) == 0;
  return same ? FileProblem::kNone : FileProblem::kInputOutput;
}
