// SPDX-License-Identifier: MIT
#include "faulty_target_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/exclusive_open_posix.h"
#include "target_stream.h"
#include "test_platform.h"

Fault target_fault = Fault::kNone;
std::size_t target_buffer_size = kStreamBufferSize;
Meddling target_meddling = Meddling::kNone;
std::string swap_target;
long meddling_offset = 0;
HeldFile* held_after_close = nullptr;
std::thread brief_holder;

namespace {

std::string opened_path;  // what the run opened, for the meddling after its close

// As an attacker would: a symlink renamed over the path in one step.
void point_path_at_swap_target(const char* path) {
  const std::string link = std::string(path) + ".swap";
  std::remove(link.c_str());
  if (symlink(swap_target.c_str(), link.c_str()) != 0 || std::rename(link.c_str(), path) != 0) std::abort();
}

// A clock tick later, as a real writer would come; within one tick size and change time cannot tell.
void write_as_another_program(const std::string& path) {
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::FILE* other = std::fopen(path.c_str(), "rb+");
  std::fseek(other, meddling_offset, SEEK_SET);
  std::fputs("another program", other);
  std::fclose(other);
}

}  // namespace

FileProblem open_target_stream(const char* path, TargetStream& stream) {
  if (target_meddling == Meddling::kSwapBeforeOpen) point_path_at_swap_target(path);
  std::FILE* file = open_faulty_stream(path, target_fault, &stream.identity, &stream.version);
  opened_path = path;
  if (file != nullptr && attach_stream(stream.content, file, target_buffer_size)) return FileProblem::kNone;
  return FileProblem::kInputOutput;
}

bool tell_target_version(const TargetStream&, FileVersion& version) {
  // Once, at the first question: the one asked right before the write.
  if (target_meddling == Meddling::kWriteWhileBuffered) {
    write_as_another_program(opened_path);
    target_meddling = Meddling::kNone;
  } else if (target_meddling == Meddling::kTruncateWhileBuffered) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (truncate(opened_path.c_str(), meddling_offset) != 0) std::abort();
    target_meddling = Meddling::kNone;
  }
  struct stat status {};
  if (stat(opened_path.c_str(), &status) != 0) return false;
  version = version_of(status);
  return true;
}

bool commit_target_stream(TargetStream& stream) {
  if (target_meddling == Meddling::kWriteAfterOwnWrite) write_as_another_program(opened_path);
  return std::fflush(stream.content.file) == 0 && target_fault != Fault::kWriteThrough;
}

bool close_target_stream(TargetStream& stream) {
  struct stat status {};
  const bool told = stat(opened_path.c_str(), &status) == 0;
  stream.version = version_of(status);
  const bool closed = std::fclose(stream.content.file) == 0;
  stream.content.file = nullptr;
  release_stream_buffer(stream.content);
  switch (target_meddling) {
    case Meddling::kHoldAfterClose:
      held_after_close = hold_file(opened_path);
      break;
    case Meddling::kHoldBrieflyAfterClose:
      brief_holder = hold_file_briefly(opened_path, 200);
      break;
    case Meddling::kSwapAfterClose:
      point_path_at_swap_target(opened_path.c_str());
      break;
    case Meddling::kRemoveAfterClose:
      std::remove(opened_path.c_str());
      break;
    case Meddling::kWriteAfterClose:
      write_as_another_program(opened_path);
      break;
    case Meddling::kNone:
    case Meddling::kSwapBeforeOpen:
    case Meddling::kWriteWhileBuffered:
    case Meddling::kTruncateWhileBuffered:
    case Meddling::kWriteAfterOwnWrite:
      break;
  }
  return told && closed;
}
