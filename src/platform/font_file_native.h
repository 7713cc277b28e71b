// SPDX-License-Identifier: MIT
// What each platform gives the shared code of font_file.cc: one read and one
// write at an offset, each as far as the system takes it in one call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/font_file.h"

// The count read, 0 at the end of the file, -1 if the read failed.
std::int64_t read_once(const FontFile& file, std::int64_t offset, unsigned char* into, std::size_t length);

// The count written; 0 or -1 if the write failed.
std::int64_t write_once(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                        std::size_t length);
