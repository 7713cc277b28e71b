// SPDX-License-Identifier: MIT
#include "patch_run.h"

#include <chrono>
#include <thread>

#include "messages.h"
#include "platform/file_guard.h"
#include "platform/process.h"
#include "platform/terminal.h"
#include "signature_scan.h"

namespace {

// Where the run's dialogue goes, and in which form its texts are shown.
struct Console {
  std::FILE* out;
  std::FILE* in;
  TextForm form;
};

void say(const Console& console, const messages::Text& text, const char* path = nullptr) {
  write_text(console.out, console.form, text.shift_jis, text.utf8, path);
}

ExitStatus wait_for_enter(const Console& console, ExitStatus status) {
  say(console, messages::kPressEnter);
  let_interrupt_end_wait();
  // A caller reading through a pipe must see the prompt before we block. A
  // console that cannot be written to or read from has no one to tell.
  (void)std::fflush(console.out);
  // Whatever byte comes, or end of input, or a read error, ends the wait.
  (void)std::fgetc(console.in);
  return status;
}

// Every failure, quiet or not, is shown and waits: a script must not take it for success.
ExitStatus fail(const Console& console, ExitStatus status) {
  say(console, messages::kCannotOpen);
  return wait_for_enter(console, status);
}

// Indexers, backup agents and virus scanners open a file for a moment, often
// right after it was written: wait them out, with growing pauses, about a
// second in all. Only a busy file is tried again.
template <class Step>
FileProblem retrying_while_busy(Step step) {
  constexpr int kPausesMs[] = {10, 20, 40, 80, 160, 320, 400};
  FileProblem problem = step();
  for (const int pause : kPausesMs) {
    if (problem != FileProblem::kBusy) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(pause));
    problem = step();
  }
  return problem;
}

// What a failed restore means. The path no longer leading to the file the run
// worked on, as it was left, is another program's doing and must be looked
// at; otherwise the content is as the run left it, with the times not put back.
ExitStatus status_after_failed_restore(FileProblem problem, bool replaced) {
  switch (problem) {
    case FileProblem::kMissing:
    case FileProblem::kNotRegularFile:
    case FileProblem::kChangedByAnother:
      return kExitChangedByAnother;
    case FileProblem::kNone:
    case FileProblem::kBusy:
    case FileProblem::kDenied:
    case FileProblem::kInputOutput:
      break;
  }
  return replaced ? kExitTimesNotRestored : kExitCannotOpen;
}

}  // namespace

ExitStatus run_program(int argc, char* argv[], const RunKind& kind) {
  prepare_process();
  argv = program_arguments(argc, argv);
  // The wait takes exactly one byte; anything else typed or piped stays unread.
  (void)std::setvbuf(stdin, nullptr, _IONBF, 0);
  return run_patch(argc, argv, stdout, stdin, kind);
}

ExitStatus run_patch(int argc, char* argv[], std::FILE* out, std::FILE* in, const RunKind& kind) {
  const Console console{out, in, text_form(out)};
  PatchRun run;
  run.swap = kind.swap;
  run.quiet = argc >= 3;
  if (!run.quiet) say(console, {kind.banner, kind.banner});
  if (argc < 2) {
    say(console, messages::kMissingPath);
    return wait_for_enter(console, kExitNoPath);
  }
  run.target_path = argv[1];

  const char* path = run.target_path;
  CheckedFile& checked = run.checked_file;
  if (retrying_while_busy([&] { return file_guard::capture(path, checked); }) != FileProblem::kNone)
    return fail(console, kExitCannotOpen);
  if (retrying_while_busy([&] { return open_target_stream(path, run.stream); }) != FileProblem::kNone)
    return fail(console, kExitCannotOpen);
  // The path may have been pointed at another file since the check, or the
  // file changed: touch nothing of it, and hide nothing of another's change.
  if (run.stream.identity != checked.identity || run.stream.version != checked.version) {
    (void)close_target_stream(run.stream);  // nothing was read or written through it
    return fail(console, run.stream.identity != checked.identity ? kExitCannotOpen : kExitChangedByAnother);
  }
  if (!run.quiet) say(console, messages::kTargetFormat, path);

  ScanResult scan = find_first_match(run.stream.content, run.swap);
  const FileVersion opened = run.stream.version;
  FileVersion left_by_write = opened;
  bool content_ok = !scan.io_failed;
  bool changed = false;
  // A request to stop during the scan ends the run at once, with nothing
  // changed; from the write on it waits until the times are back.
  const bool holding = scan.offset >= 0;
  if (holding) {
    hold_termination();
    // The scan read through a buffer. A writer that went around the hold (one
    // that ignores the lock, or came in when a lease was broken) would have
    // its bytes overwritten from that buffer: the file itself is asked first.
    FileVersion now;
    content_ok = tell_target_version(run.stream, now);
    changed = content_ok && now != opened;
    if (content_ok && !changed) {
      replace_match(run.stream.content, run.swap, scan);
      content_ok = !scan.io_failed && tell_target_version(run.stream, left_by_write);
    }
  }
  run.match_count = scan.match_count;
  const bool replaced = run.match_count == 1;
  // Done means on disk: the replacement is written through before the run says so.
  if (content_ok && replaced) content_ok = commit_target_stream(run.stream);
  content_ok = close_target_stream(run.stream) && content_ok;
  // Until the close the file must stay as the open found it, or as the run's own write left it.
  if (content_ok && !changed) changed = run.stream.version != (replaced ? left_by_write : opened);
  // After an I/O failure the file is not known to be right, and after another
  // program's change the old times would hide it: the times stay as they are.
  FileProblem restored = FileProblem::kNone;
  if (content_ok && !changed)
    restored = retrying_while_busy([&] { return file_guard::restore(path, checked, run.stream.version); });
  if (holding) release_termination();

  if (!content_ok) return fail(console, kExitIoFailure);
  if (changed) return fail(console, kExitChangedByAnother);
  if (restored != FileProblem::kNone) return fail(console, status_after_failed_restore(restored, replaced));

  const ExitStatus status = replaced ? kExitReplaced : kExitNotFound;
  if (run.quiet) return status;
  say(console, status == kExitReplaced ? messages::kDone : messages::kNotFound);
  return wait_for_enter(console, status);
}
