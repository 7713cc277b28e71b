// SPDX-License-Identifier: MIT
// The page's entry into the tool's scan: the page puts the font's bytes into
// the buffer it asks for, and every zero of the chosen kind in it is
// replaced in place, as the folder scripts do by running the tool again.
#include <cstdlib>

#include "buffered_stream.h"
#include "platform/font_file_memory.h"
#include "record_scan.h"
#include "zero_records.h"

namespace {

// Far more than any real collection holds, as in the folder scripts.
constexpr int kMostZeros = 1000;

}  // namespace

// Room for a font of `size` bytes, or null where the browser gives no more
// memory. Any earlier font is let go.
extern "C" __attribute__((export_name("font_buffer"))) unsigned char* font_buffer(std::size_t size) {
  MemoryFont& font = memory_font();
  std::free(font.bytes);
  font = {static_cast<unsigned char*>(std::malloc(size > 0 ? size : 1)), size};
  return font.bytes;
}

// Replaces every plain zero (undo: every slashed zero) of the font in the
// buffer. The count replaced; -1 if the font could not be read or written;
// -2 if zeros were still found after kMostZeros.
extern "C" __attribute__((export_name("replace_zeros"))) int replace_zeros(int undo) {
  const ZeroSwap& swap = undo != 0 ? kSlashedToPlain : kPlainToSlashed;
  for (int count = 0; count <= kMostZeros; ++count) {
    BufferedStream stream;
    if (open_stream("font", stream) != FileProblem::kNone) return -1;
    ScanResult scan = find_first_match(stream, swap);
    if (scan.offset >= 0 && !scan.io_failed) replace_match(stream.file, swap, scan);
    const bool closed = close_stream(stream);
    if (scan.io_failed || !closed) return -1;
    if (scan.offset < 0) return count;
  }
  return -2;
}
