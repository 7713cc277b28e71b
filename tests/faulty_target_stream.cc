#include "faulty_target_stream.h"

#include "target_stream.h"

Fault target_fault = Fault::kNone;
bool target_buffered = true;

std::FILE* open_target_stream(const char* path) {
  return open_faulty_stream(path, target_fault, target_buffered);
}

bool commit_target_stream(std::FILE* stream) {
  return std::fflush(stream) == 0 && target_fault != Fault::kWriteThrough;
}
