// SPDX-License-Identifier: MIT
#include "signature_scan.h"

#include <gtest/gtest.h>

#include "case_name.h"
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

class ScanOnFile : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanOnFile, ReplacesOnlyTheFirstOccurrenceAndKeepsTheLength) {
  const ScanCase& c = GetParam();
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(stream, nullptr);
  if (!c.before.empty()) std::fwrite(c.before.data(), 1, c.before.size(), stream);

  const ScanResult result = scan_and_replace(stream);

  std::rewind(stream);
  Bytes after(c.before.size() + 1);
  after.resize(std::fread(after.data(), 1, after.size(), stream));
  std::fclose(stream);
  EXPECT_FALSE(result.io_failed);
  EXPECT_EQ(result.match_count, c.expected_count);
  EXPECT_EQ(after, c.after);
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
