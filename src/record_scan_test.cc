// SPDX-License-Identifier: MIT
#include "record_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "case_name.h"
#include "scan_and_replace.h"
#include "test_bytes.h"
#include "zero_records.h"

namespace {

const Bytes kPlain(SearchRecord, SearchRecord + 188);
const Bytes kSlashed(ReplacementRecord, ReplacementRecord + 188);

Bytes filler(std::size_t n) { return Bytes(n, 0xAA); }

Bytes join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes head_of(const Bytes& b, std::size_t n) { return {b.begin(), b.begin() + static_cast<long>(n)}; }

Bytes with_last_byte_changed(Bytes b) {
  b.back() ^= 0x01;
  return b;
}

struct ScanCase {
  const char* name;
  Bytes before;
  int expected_count;
  Bytes after;
};

// Scans `before` through a stream buffer of `buffer_size` bytes; the file as it is afterwards.
Bytes scanned(const Bytes& before, std::size_t buffer_size, ScanResult& result) {
  const std::string path = testing::TempDir() + "scanned.bin";
  write_file(path, before);
  BufferedStream stream;
  if (open_stream(path.c_str(), stream, buffer_size, FileAccess::kReadWrite) != FileProblem::kNone) return {};
  result = scan_and_replace(stream);
  if (!close_stream(stream)) return {};
  return read_file(path);
}

// The stream's own buffer size, and a small and a middling one, so that
// records fall across the edges of the buffer.
const std::size_t kBufferSizes[] = {kStreamBufferSize, 512, 4096};

class ScanOnFile : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanOnFile, ReplacesOnlyTheFirstOccurrenceAndKeepsTheLength) {
  const ScanCase& c = GetParam();
  for (const std::size_t buffer_size : kBufferSizes) {
    ScanResult result;
    EXPECT_EQ(scanned(c.before, buffer_size, result), c.after) << "buffer of " << buffer_size;
    EXPECT_FALSE(result.io_failed);
    EXPECT_EQ(result.match_count, c.expected_count);
  }
}

// The first refill holds the file from offset 0; a record starting `shift`
// bytes past the last whole window in it straddles the buffer's end.
TEST(ScanAcrossBufferEdges, FindsARecordStraddlingTheEndOfTheBuffer) {
  for (const std::size_t buffer_size : {std::size_t{512}, std::size_t{4096}, kStreamBufferSize}) {
    // 171 and 172: the last prefix whole in the buffer, the first one cut by its end.
    for (const std::size_t shift : {0, 1, 17, 100, 171, 172, 187, 188, 189}) {
      const std::size_t at = buffer_size - 188 + shift;
      for (const std::size_t tail : {std::size_t{0}, std::size_t{300}}) {  // 0: it ends the file
        ScanResult result;
        EXPECT_EQ(scanned(join({filler(at), kPlain, filler(tail)}), buffer_size, result),
                  join({filler(at), kSlashed, filler(tail)}))
            << "buffer " << buffer_size << ", record at " << at << ", " << tail << " bytes after it";
        EXPECT_EQ(result.match_count, 1);
      }
    }
  }
}

// What comparing the window at every offset in turn gives: the first whole
// record replaced.
Bytes per_offset_reference(Bytes file, int& count) {
  const auto at = std::search(file.begin(), file.end(), kPlain.begin(), kPlain.end());
  count = at == file.end() ? 0 : 1;
  if (count == 1) std::copy(kSlashed.begin(), kSlashed.end(), at);
  return file;
}

// Decoys that share the record's first 1, 17, 100 or 187 bytes, twice in a
// row and right before the record (which so starts inside a longer run of its
// own prefix), placed across the buffer's end; and the same with the record
// cut short by the end of the file.
TEST(ScanAcrossBufferEdges, DecoysSharingTheRecordsFirstBytesGiveWhatEveryOffsetWould) {
  for (const std::size_t buffer_size : {std::size_t{512}, std::size_t{4096}}) {
    for (const std::size_t shared : {1, 17, 100, 187}) {
      for (const std::size_t shift : {0, 1, 16, 17, 100, 187, 200, 400}) {
        const std::size_t at = buffer_size - 188 - shared + shift;
        const Bytes decoys = join({filler(at), head_of(kPlain, shared), head_of(kPlain, shared)});
        for (const Bytes& file : {join({decoys, kPlain, filler(3)}), join({decoys, head_of(kPlain, 187)})}) {
          ScanResult result;
          int count = 0;
          EXPECT_EQ(scanned(file, buffer_size, result), per_offset_reference(file, count))
              << "buffer " << buffer_size << ", decoys of " << shared << " bytes at " << at;
          EXPECT_EQ(result.match_count, count);
          EXPECT_FALSE(result.io_failed);
        }
      }
    }
  }
}

const Bytes kNearMiss = with_last_byte_changed(kPlain);

INSTANTIATE_TEST_SUITE_P(
    Files, ScanOnFile,
    testing::Values(
        ScanCase{"Empty", {}, 0, {}},
        ScanCase{"OneByteShorterThanTheRecord", head_of(kPlain, 187), 0, head_of(kPlain, 187)},
        ScanCase{"RecordAtOffsetZero", join({kPlain, filler(40)}), 1, join({kSlashed, filler(40)})},
        ScanCase{"RecordEndingAtTheLastByte", join({filler(300), kPlain}), 1, join({filler(300), kSlashed})},
        ScanCase{"FileIsExactlyTheRecord", kPlain, 1, kSlashed},
        ScanCase{"RecordTwiceOnlyTheFirstReplaced", join({filler(9), kPlain, filler(5), kPlain}), 1,
                 join({filler(9), kSlashed, filler(5), kPlain})},
        ScanCase{"PrefixAgreesLastByteDiffers", join({kNearMiss, filler(3)}), 0,
                 join({kNearMiss, filler(3)})},
        ScanCase{"ScanCarriesOnPastANearMiss", join({kNearMiss, filler(2), kPlain}), 1,
                 join({kNearMiss, filler(2), kSlashed})},
        ScanCase{"AlreadySlashedIsNotFound", join({filler(7), kSlashed, filler(7)}), 0,
                 join({filler(7), kSlashed, filler(7)})},
        ScanCase{"SlashedThenAFurtherPlainZero", join({kSlashed, kPlain}), 1, join({kSlashed, kSlashed})},
        // A partial record whose window overlaps the full one that follows it.
        ScanCase{"OverlappingCandidates", join({head_of(kPlain, 100), kPlain}), 1,
                 join({head_of(kPlain, 100), kSlashed})},
        ScanCase{"PrefixOnlyThenRecord", join({head_of(kPlain, 17), kPlain, filler(1)}), 1,
                 join({head_of(kPlain, 17), kSlashed, filler(1)})}),
    CaseName());

}  // namespace
