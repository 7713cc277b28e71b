// SPDX-License-Identifier: MIT
// Which file an open reached, whatever path led there: the run uses it to
// make sure that the file it checked, the file it patches and the file whose
// times it puts back are one and the same.
#pragma once

#include <cstdint>

struct FileIdentity {
  std::uint64_t volume = 0;  // Linux: st_dev; Windows: the volume serial number
  std::uint64_t file = 0;    // Linux: st_ino; Windows: the file index
  bool operator==(const FileIdentity&) const = default;
};
