// SPDX-License-Identifier: MIT
// The real font file calls, as the linker names them under -Wl,--wrap: for
// the test code that wraps them (tests/faulty_font_file.cc, the fuzzer).
#pragma once

#include "platform/font_file.h"

extern "C" {
FileProblem __real_open_font_file(const char* path, FileAccess access, FontFile& file);
std::int64_t __real_read_font_file(const FontFile& file, std::int64_t offset, unsigned char* into,
                                   std::size_t length);
bool __real_write_font_file(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                            std::size_t length);
bool __real_write_font_file_through(const FontFile& file);
bool __real_tell_font_file_version(const FontFile& file, FileVersion& version);
FileProblem __real_set_font_file_times(const FontFile& file, const SavedFileTimes& times, unsigned which);
bool __real_close_font_file(FontFile& file);
}
