// SPDX-License-Identifier: MIT
// Windows keeps names and console text in UTF-16; the tool carries them in
// UTF-8 (extended, below). Plain buffers, so the programs need nothing of the
// C++ library.
#pragma once

#include <windows.h>

#include <cstdlib>

// A Windows path or argument: at most 32,767 UTF-16 units and their end.
inline constexpr int kLongestPath = 32768;

// Windows names are any sequence of UTF-16 units, and NTFS holds names with
// a lone surrogate, which UTF-8 has no form for: the system's conversion
// would make it U+FFFD, the name of another file. So the arguments are
// carried in UTF-8 extended to encode a lone surrogate as any other code
// point (three bytes, ED A0 80 to ED BF BF), and come back unit for unit.
// False if `utf8` is not such text or does not fit.
inline bool wide_from_utf8(const char* utf8, wchar_t (&wide)[kLongestPath]) {
  const auto* at = reinterpret_cast<const unsigned char*>(utf8);
  int filled = 0;
  while (*at != 0) {
    const int extra = *at < 0x80 ? 0 : *at >= 0xF0 ? 3 : *at >= 0xE0 ? 2 : *at >= 0xC0 ? 1 : -1;
    if (extra < 0 || *at >= 0xF8) return false;
    unsigned long code = *at++ & (0x7Fu >> extra);
    for (int i = 0; i < extra; ++i, ++at) {
      if ((*at & 0xC0) != 0x80) return false;
      code = (code << 6) | (*at & 0x3Fu);
    }
    if (code > 0x10FFFF || filled >= kLongestPath - 2) return false;
    if (code >= 0x10000) {
      code -= 0x10000;
      wide[filled++] = static_cast<wchar_t>(0xD800 + (code >> 10));
      code = 0xDC00 + (code & 0x3FF);
    }
    wide[filled++] = static_cast<wchar_t>(code);
  }
  wide[filled] = L'\0';
  return true;
}

// `wide` in that extended UTF-8, in a new buffer from malloc (the caller
// frees it); nullptr without memory.
inline char* utf8_copy(const wchar_t* wide) {
  std::size_t size = 1;
  for (const wchar_t* unit = wide; *unit != L'\0'; ++unit) size += 4;
  auto* text = static_cast<unsigned char*>(std::malloc(size));
  if (text == nullptr) return nullptr;
  unsigned char* out = text;
  for (const wchar_t* unit = wide; *unit != L'\0'; ++unit) {
    unsigned long code = static_cast<unsigned short>(*unit);
    const auto next = static_cast<unsigned short>(unit[1]);
    if (code >= 0xD800 && code < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);  // a pair: one code point
      ++unit;
    }
    if (code < 0x80) {
      *out++ = static_cast<unsigned char>(code);
    } else if (code < 0x800) {
      *out++ = static_cast<unsigned char>(0xC0 | (code >> 6));
      *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      *out++ = static_cast<unsigned char>(0xE0 | (code >> 12));
      *out++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    } else {
      *out++ = static_cast<unsigned char>(0xF0 | (code >> 18));
      *out++ = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
      *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
    }
  }
  *out = 0;
  return reinterpret_cast<char*>(text);
}

// `wide` in `code_page`, in a new buffer from malloc (the caller frees it);
// nullptr without memory or for text the conversion refuses. A character that
// a narrow code page lacks becomes its default character (1252: `?`), never a
// best-fit look-alike: `ā.ttf` must not be shown as `a.ttf`, another file's
// name.
inline char* narrow_copy(const wchar_t* wide, UINT code_page) {
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int size = WideCharToMultiByte(code_page, flags, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  auto* narrow = static_cast<char*>(std::malloc(static_cast<std::size_t>(size)));
  if (narrow != nullptr)
    (void)WideCharToMultiByte(code_page, flags, wide, -1, narrow, size, nullptr, nullptr);
  return narrow;
}
