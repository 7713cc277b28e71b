// SPDX-License-Identifier: MIT
#include "platform/file_position.h"

bool seek_from_start(std::FILE* stream, std::int64_t offset) {
  return _fseeki64(stream, offset, SEEK_SET) == 0;
}
