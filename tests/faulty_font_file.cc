// SPDX-License-Identifier: MIT
#include "faulty_font_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "real_font_file.h"
#include "test_platform.h"

namespace {

// The plan of the one run under test, and what the wrappers learn of it.
struct Planned {
  FaultPlan* plan = nullptr;
  std::string path;           // what the stream opened
  std::intptr_t stream = -1;  // the stream's handle; the guard's are others
  bool buffered_meddled = false;
};
Planned planned;

bool meddles(Meddling m) { return planned.plan != nullptr && planned.plan->meddling == m; }
bool fails(Fault f) { return planned.plan != nullptr && planned.plan->fault == f; }

// A clock tick later, as a real writer would come: within one tick size and
// change time cannot tell the writes apart.
void a_moment_later() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

// Another program that went around the hold: its writes land in the file as
// if through a handle of its own.
void write_around_the_hold(const FontFile& file) {
  a_moment_later();
  const auto* bytes = reinterpret_cast<const unsigned char*>(kOtherProgramsBytes.data());
  if (!__real_write_font_file(file, planned.plan->offset, bytes, kOtherProgramsBytes.size())) std::abort();
}

void write_after_close() {
  a_moment_later();
  std::FILE* other = std::fopen(planned.path.c_str(), "rb+");
  if (other == nullptr) std::abort();
  std::fseek(other, static_cast<long>(planned.plan->offset), SEEK_SET);
  std::fputs(kOtherProgramsBytes.c_str(), other);
  std::fclose(other);
}

void meddle_after_close() {
  FaultPlan& plan = *planned.plan;
  switch (plan.meddling) {
    case Meddling::kHoldAfterClose:
      plan.held_after_close = hold_file(planned.path);
      break;
    case Meddling::kHoldBrieflyAfterClose:
      plan.brief_holder = hold_file_briefly(planned.path, 200);
      break;
    case Meddling::kSwapAfterClose:
      point_path_at(planned.path, plan.swap_target);
      break;
    case Meddling::kRemoveAfterClose:
      std::remove(planned.path.c_str());
      break;
    case Meddling::kWriteAfterClose:
      write_after_close();
      break;
    case Meddling::kNone:
    case Meddling::kSwapBeforeOpen:
    case Meddling::kWriteWhileBuffered:
    case Meddling::kTruncateWhileBuffered:
    case Meddling::kWriteAfterOwnWrite:
      break;
  }
}

}  // namespace

PlannedFaults::PlannedFaults(FaultPlan& plan) {
  planned = Planned{};
  planned.plan = &plan;
}
PlannedFaults::~PlannedFaults() { planned = Planned{}; }

extern "C" {

FileProblem __wrap_open_font_file(const char* path, FontFile& file) {
  if (meddles(Meddling::kSwapBeforeOpen)) point_path_at(path, planned.plan->swap_target);
  const FileProblem problem = __real_open_font_file(path, file);
  planned.path = path;
  planned.stream = file.handle;
  return problem;
}

std::int64_t __wrap_read_font_file(const FontFile& file, std::int64_t offset, unsigned char* into,
                                   std::size_t length) {
  if (fails(Fault::kRead) && offset + static_cast<std::int64_t>(length) > planned.plan->read_fails_past)
    return -1;
  return __real_read_font_file(file, offset, into, length);
}

bool __wrap_write_font_file(const FontFile& file, std::int64_t offset, const unsigned char* bytes,
                            std::size_t length) {
  return !fails(Fault::kWrite) && __real_write_font_file(file, offset, bytes, length);
}

bool __wrap_write_font_file_through(const FontFile& file) {
  if (meddles(Meddling::kWriteAfterOwnWrite)) write_around_the_hold(file);
  return __real_write_font_file_through(file) && !fails(Fault::kWriteThrough);
}

bool __wrap_tell_font_file_version(const FontFile& file, FileVersion& version) {
  // Once, at the first question: the one asked right before the write.
  if (!planned.buffered_meddled && meddles(Meddling::kWriteWhileBuffered)) write_around_the_hold(file);
  if (!planned.buffered_meddled && meddles(Meddling::kTruncateWhileBuffered)) {
    a_moment_later();
    if (!cut_open_file(file.handle, planned.plan->offset)) std::abort();
  }
  planned.buffered_meddled = true;
  return !fails(Fault::kTell) && __real_tell_font_file_version(file, version);
}

FileProblem __wrap_set_font_file_times(const FontFile& file, const SavedFileTimes& times) {
  return fails(Fault::kTimeWrite) ? FileProblem::kInputOutput : __real_set_font_file_times(file, times);
}

bool __wrap_close_font_file(FontFile& file) {
  const bool the_stream = planned.plan != nullptr && file.handle == planned.stream;
  const bool closed = __real_close_font_file(file);
  if (!the_stream) return closed;
  planned.stream = -1;
  meddle_after_close();
  return closed && !fails(Fault::kClose);
}

}  // extern "C"
