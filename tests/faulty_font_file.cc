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
  std::string path;           // what the run opened
  std::intptr_t writer = -1;  // the handle opened for the write; the scan's and the guard's are others
  bool buffered_meddled = false;
  // The modelled Windows file system's note on the writer (TimeKeeping).
  FileVersion writer_opened;
  bool wrote = false, times_set = false, noted = false;
};
Planned planned;

bool meddles(Meddling m) { return planned.plan != nullptr && planned.plan->meddling == m; }
bool fails(Fault f) { return planned.plan != nullptr && planned.plan->fault == f; }
bool the_writer(const FontFile& file) { return planned.plan != nullptr && file.handle == planned.writer; }
bool keeps_times(TimeKeeping k) { return planned.plan != nullptr && planned.plan->time_keeping == k; }

// The write-through or the close of the writer: the note of its write is
// taken, and moves the times unless they were set through it.
void note_times_of_writer() {
  if (planned.noted || keeps_times(TimeKeeping::kAtEachWrite)) return;
  planned.noted = true;
  if (planned.wrote && !planned.times_set) move_last_write_to_now(planned.path);
}

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

// As a program that keeps a file's times when it edits it does.
void write_keeping_times(const std::string& path) {
  const FileTimes times = file_times(path);
  write_after_close();
  set_file_times(path, times);
}

// As a file server's reads would, which the run cannot keep from moving it.
void move_access_time(const std::string& path) {
  FileTimes times = file_times(path);
  times.last_access += 10'000'000;  // a second, or more, in any unit
  set_file_times(path, times);
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
    case Meddling::kSwapBeforeWriteOpen:
    case Meddling::kWriteKeepingTimes:
    case Meddling::kWriteBeforeWriteOpen:
    case Meddling::kWriteWhileBuffered:
    case Meddling::kTruncateWhileBuffered:
    case Meddling::kWriteAfterOwnWrite:
    case Meddling::kReaderAfterOwnWrite:
    case Meddling::kWriterAfterOwnWrite:
      break;
  }
}

}  // namespace

bool long_names_refused() { return planned.plan != nullptr && planned.plan->long_names_refused; }

PlannedFaults::PlannedFaults(FaultPlan& plan) {
  planned = Planned{};
  planned.plan = &plan;
}
PlannedFaults::~PlannedFaults() { planned = Planned{}; }

extern "C" {

FileProblem __wrap_open_font_file(const char* path, FileAccess access, FontFile& file) {
  const bool for_write = access == FileAccess::kReadWrite;
  const bool refused = for_write && fails(Fault::kWriteOpenRefused);
  if (refused) move_access_time(path);  // by the scan's reads, on the file it read
  if (meddles(for_write ? Meddling::kSwapBeforeWriteOpen : Meddling::kSwapBeforeOpen))
    point_path_at(path, planned.plan->swap_target);
  planned.path = path;
  if (for_write && meddles(Meddling::kWriteKeepingTimes)) write_keeping_times(path);
  if (for_write && meddles(Meddling::kWriteBeforeWriteOpen)) write_after_close();
  if (refused) return FileProblem::kDenied;
  const FileProblem problem = __real_open_font_file(path, access, file);
  if (for_write && problem == FileProblem::kNone) {
    planned.writer = file.handle;
    planned.writer_opened = file.version;
  }
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
  if (the_writer(file)) planned.wrote = true;
  if (the_writer(file) && fails(Fault::kWriteMisplaced)) offset = offset < 148 ? 0 : offset - 148;
  const bool written = !fails(Fault::kWrite) && __real_write_font_file(file, offset, bytes, length);
  if (meddles(Meddling::kReaderAfterOwnWrite) || meddles(Meddling::kWriterAfterOwnWrite))
    planned.plan->hold_broken = knock_on_file(planned.path, meddles(Meddling::kWriterAfterOwnWrite));
  return written;
}

bool __wrap_write_font_file_through(const FontFile& file) {
  if (meddles(Meddling::kWriteAfterOwnWrite)) write_around_the_hold(file);
  const bool through = __real_write_font_file_through(file) && !fails(Fault::kWriteThrough);
  if (the_writer(file) && keeps_times(TimeKeeping::kAtWriteThroughOrClose)) note_times_of_writer();
  return through;
}

bool __wrap_tell_font_file_version(const FontFile& file, FileVersion& version) {
  // Once, at the writer's first question: the one asked right before the write.
  if (the_writer(file) && !planned.buffered_meddled) {
    planned.buffered_meddled = true;
    if (meddles(Meddling::kWriteWhileBuffered)) write_around_the_hold(file);
    if (meddles(Meddling::kTruncateWhileBuffered)) {
      a_moment_later();
      if (!cut_open_file(file.handle, planned.plan->offset)) std::abort();
    }
  }
  if (fails(Fault::kTell)) return false;
  if (the_writer(file) && !keeps_times(TimeKeeping::kAtEachWrite) && !planned.noted) {
    version = planned.writer_opened;  // the write is only noted on the handle so far
    return true;
  }
  return __real_tell_font_file_version(file, version);
}

FileProblem __wrap_set_font_file_times(const FontFile& file, const SavedFileTimes& times, unsigned which) {
  if (fails(Fault::kTimeWrite)) return FileProblem::kInputOutput;
  if (the_writer(file)) planned.times_set = true;
  return __real_set_font_file_times(file, times, which);
}

bool __wrap_close_font_file(FontFile& file) {
  const bool the_stream = the_writer(file);
  const bool closed = __real_close_font_file(file);
  if (!the_stream) return closed;
  planned.writer = -1;
  note_times_of_writer();
  if (planned.plan->access_moved_at_close) move_access_time(planned.path);
  meddle_after_close();
  return closed && !fails(Fault::kClose);
}

// Only the real calls, which the list makes wrapped too.
bool __wrap_font_file_still_held(const FontFile& file) { return __real_font_file_still_held(file); }

std::int64_t __wrap_read_font_file_from_storage(const FontFile& file, std::int64_t offset,
                                                unsigned char* into, std::size_t length) {
  return __real_read_font_file_from_storage(file, offset, into, length);
}

}  // extern "C"
