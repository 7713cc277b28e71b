#include "target_stream.h"

std::FILE* open_target_stream(const char* path) {
  std::FILE* stream = std::fopen(path, "rb+");
  return stream;
}
