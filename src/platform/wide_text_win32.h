// SPDX-License-Identifier: MIT
// Windows keeps names and console text in UTF-16; the tool carries them in UTF-8.
#pragma once

#include <windows.h>

#include <string>

inline std::wstring wide_from_utf8(const char* utf8) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (size <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  (void)MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), size);
  wide.resize(static_cast<std::size_t>(size) - 1);
  return wide;
}

inline std::string utf8_from_wide(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  (void)WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(size) - 1);
  return utf8;
}
