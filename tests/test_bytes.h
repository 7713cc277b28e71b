// SPDX-License-Identifier: MIT
// Small helpers the tests share: bytes from a hex listing, whole-file reads
// and writes.
#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

// "00 02 ff" or "0002ff": spaces are ignored.
inline Bytes bytes_from_hex(const std::string& hex) {
  Bytes out;
  std::string digits;
  for (char c : hex)
    if (c != ' ') digits += c;
  for (std::size_t i = 0; i + 1 < digits.size(); i += 2)
    out.push_back(static_cast<unsigned char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
  return out;
}

inline std::string text_from_hex(const std::string& hex) {
  const Bytes bytes = bytes_from_hex(hex);
  return {bytes.begin(), bytes.end()};
}

inline Bytes read_file(const std::string& path) {
  Bytes content;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.insert(content.end(), chunk, chunk + n);
    std::fclose(f);
  }
  return content;
}

inline void write_file(const std::string& path, const Bytes& content) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return;
  if (!content.empty()) std::fwrite(content.data(), 1, content.size(), f);
  std::fclose(f);
}

// A test's file, removed when the test ends however it ends, so a failed
// assertion leaves nothing behind.
struct ScopedFile {
  std::string path;
  explicit ScopedFile(std::string at) : path(std::move(at)) {}
  ~ScopedFile() { std::remove(path.c_str()); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
};
