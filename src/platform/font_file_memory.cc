// SPDX-License-Identifier: MIT
// The font file for the page: one font in the module's own memory, which the
// page fills and reads back (web/tovalin_web.cc). There is no other program
// to keep out and no time to keep, so the holds always stand and the times
// are the page's to say nothing of.
#include "platform/font_file_memory.h"

#include <cstring>

#include "platform/font_file_native.h"

namespace {

MemoryFont the_font;

}  // namespace

MemoryFont& memory_font() { return the_font; }

FileProblem open_exclusive(const char* /*path*/, FileAccess /*access*/, Hold /*hold*/, FontFile& file,
                           SavedFileTimes* times) {
  if (the_font.bytes == nullptr) return FileProblem::kMissing;
  file.handle = 1;
  file.identity = {1, 1};
  file.version = {the_font.size, {}, {}};
  if (times != nullptr) *times = {};
  return FileProblem::kNone;
}

std::int64_t read_once(const FontFile& /*file*/, std::int64_t offset, unsigned char* into,
                       std::size_t length) {
  if (offset < 0) return -1;
  const auto at = static_cast<std::size_t>(offset);
  if (at >= the_font.size) return 0;
  const std::size_t n = length < the_font.size - at ? length : the_font.size - at;
  std::memcpy(into, the_font.bytes + at, n);
  return static_cast<std::int64_t>(n);
}

// Never past the end: the font keeps its length.
std::int64_t write_once(const FontFile& /*file*/, std::int64_t offset, const unsigned char* bytes,
                        std::size_t length) {
  if (offset < 0 || static_cast<std::size_t>(offset) + length > the_font.size) return -1;
  std::memcpy(the_font.bytes + offset, bytes, length);
  return static_cast<std::int64_t>(length);
}

bool write_font_file_through(const FontFile&) { return true; }

std::int64_t read_font_file_from_storage(const FontFile& file, std::int64_t offset, unsigned char* into,
                                         std::size_t length) {
  return read_font_file(file, offset, into, length);
}

bool tell_font_file_version(const FontFile& file, FileVersion& version) {
  version = file.version;
  return true;
}

bool font_file_still_held(const FontFile&) { return true; }

FileProblem set_font_file_times(const FontFile&, const SavedFileTimes&, unsigned) {
  return FileProblem::kNone;
}

bool close_font_file(FontFile& file) {
  file.handle = -1;
  return true;
}
