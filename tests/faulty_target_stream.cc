// SPDX-License-Identifier: MIT
#include "faulty_target_stream.h"

#include <unistd.h>

#include <cstdlib>

#include "target_stream.h"
#include "test_platform.h"

Fault target_fault = Fault::kNone;
std::size_t target_buffer_size = kStreamBufferSize;
Meddling target_meddling = Meddling::kNone;
std::string swap_target;
HeldFile* held_after_close = nullptr;

namespace {

std::string opened_path;  // what the run opened, for the meddling after its close

// As an attacker would: a symlink renamed over the path in one step.
void point_path_at_swap_target(const char* path) {
  const std::string link = std::string(path) + ".swap";
  std::remove(link.c_str());
  if (symlink(swap_target.c_str(), link.c_str()) != 0 || std::rename(link.c_str(), path) != 0) std::abort();
}

}  // namespace

bool open_target_stream(const char* path, TargetStream& stream) {
  if (target_meddling == Meddling::kSwapBeforeOpen) point_path_at_swap_target(path);
  std::FILE* file = open_faulty_stream(path, target_fault, &stream.identity);
  opened_path = path;
  return file != nullptr && attach_stream(stream.content, file, target_buffer_size);
}

bool commit_target_stream(TargetStream& stream) {
  return std::fflush(stream.content.file) == 0 && target_fault != Fault::kWriteThrough;
}

bool close_target_stream(TargetStream& stream) {
  const bool closed = std::fclose(stream.content.file) == 0;
  stream.content.file = nullptr;
  release_stream_buffer(stream.content);
  if (target_meddling == Meddling::kHoldAfterClose) held_after_close = hold_file(opened_path);
  if (target_meddling == Meddling::kSwapAfterClose) point_path_at_swap_target(opened_path.c_str());
  return closed;
}
