// SPDX-License-Identifier: MIT
// The page's font, held once, in the module's memory (font_file_memory.cc).
#pragma once

#include <cstddef>

struct MemoryFont {
  unsigned char* bytes = nullptr;
  std::size_t size = 0;
};

MemoryFont& memory_font();
