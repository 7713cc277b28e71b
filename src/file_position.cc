// SPDX-License-Identifier: MIT
#include "file_position.h"

bool seek_from_start(std::FILE* stream, std::int64_t offset) {
#ifdef _WIN32
  return _fseeki64(stream, offset, SEEK_SET) == 0;
#else
  return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}
