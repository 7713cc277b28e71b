// SPDX-License-Identifier: MIT
// Windows keeps names and console text in UTF-16; the tool carries them in
// UTF-8. Plain buffers, so the programs need nothing of the C++ library.
#pragma once

#include <windows.h>

#include <cstdlib>

// A Windows path or argument: at most 32,767 UTF-16 units and their end.
inline constexpr int kLongestPath = 32768;

// False if `utf8` does not fit.
inline bool wide_from_utf8(const char* utf8, wchar_t (&wide)[kLongestPath]) {
  return MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, kLongestPath) > 0;
}

// `wide` in `code_page`, in a new buffer from malloc (the caller frees it);
// nullptr without memory or for text the conversion refuses. A character that
// a narrow code page lacks becomes its default character (1252: `?`), never a
// best-fit look-alike: `ā.ttf` must not be shown as `a.ttf`, another file's
// name. UTF-8 holds every character and takes no such flag.
inline char* narrow_copy(const wchar_t* wide, UINT code_page) {
  const DWORD flags = code_page == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int size = WideCharToMultiByte(code_page, flags, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return nullptr;
  auto* narrow = static_cast<char*>(std::malloc(static_cast<std::size_t>(size)));
  if (narrow != nullptr)
    (void)WideCharToMultiByte(code_page, flags, wide, -1, narrow, size, nullptr, nullptr);
  return narrow;
}
