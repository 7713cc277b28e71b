// SPDX-License-Identifier: MIT
#include "patch_run.h"

#include "platform/process.h"
#include "record_scan.h"

namespace {

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
    pause_ms(pause);
    problem = step();
  }
  return problem;
}

// The one write, and only over the file as the scan found it. The scan read
// through a buffer; a writer that went around the hold (one that ignores the
// lock, or came in when a lease was broken) would have its bytes overwritten
// from that buffer, so the file itself is asked first. `left_by_write` is how
// the write left the file.
PatchOutcome write_replacement(PatchRun& run, ScanResult& scan, FileVersion& left_by_write) {
  FileVersion now;
  if (!tell_font_file_version(run.stream.file, now)) return {PatchStep::kWrite, FileProblem::kInputOutput};
  if (now != run.stream.file.version) return {PatchStep::kWrite, FileProblem::kChangedByAnother};
  replace_match(run.stream, run.swap, scan);
  if (scan.io_failed || !tell_font_file_version(run.stream.file, left_by_write))
    return {PatchStep::kWrite, FileProblem::kInputOutput, true};
  return {PatchStep::kDone, FileProblem::kNone, true};
}

// Done means on disk: a replacement is written through before the close. Until
// the close the file must stay as the open found it, or as the write left it.
PatchOutcome close_after_work(PatchRun& run, const PatchOutcome& work, const FileVersion& left_by_run) {
  bool written = true;
  if (work.step == PatchStep::kDone && work.replaced) written = write_font_file_through(run.stream.file);
  // An input/output failure outweighs everything else: the file is not known to be right.
  if (!close_stream(run.stream) || !written)
    return {PatchStep::kClose, FileProblem::kInputOutput, work.replaced};
  if (work.step == PatchStep::kDone && run.stream.file.version != left_by_run)
    return {PatchStep::kClose, FileProblem::kChangedByAnother, work.replaced};
  return work;
}

// The work on the file, from the guard's first moment to its second. The
// target line is shown once the stream is open.
PatchOutcome patch_file(PatchRun& run, const Console& console) {
  const char* path = run.target_path;
  CheckedFile& checked = run.checked_file;
  FileProblem problem = retrying_while_busy([&] { return file_guard::capture(path, checked); });
  if (problem != FileProblem::kNone) return {PatchStep::kCapture, problem};
  problem = retrying_while_busy([&] { return open_stream(path, run.stream); });
  if (problem != FileProblem::kNone) return {PatchStep::kOpen, problem};
  const FontFile& file = run.stream.file;
  // The path may have been pointed at another file since the check, or the
  // file changed: touch nothing of it, and hide nothing of another's change.
  if (file.identity != checked.identity)
    problem = FileProblem::kNotTheCheckedFile;
  else if (file.version != checked.version)
    problem = FileProblem::kChangedByAnother;
  if (problem != FileProblem::kNone) {
    (void)close_stream(run.stream);  // nothing was read or written through it
    return {PatchStep::kOpen, problem};
  }
  if (!run.quiet) say(console, messages::kTargetFormat, path);

  ScanResult scan = find_first_match(run.stream, run.swap);
  FileVersion left_by_run = file.version;
  PatchOutcome outcome;
  if (scan.io_failed) outcome = {PatchStep::kScan, FileProblem::kInputOutput};
  // A request to stop during the scan ends the run at once, with nothing
  // changed; from the write on it waits until the times are back.
  const bool holding = scan.offset >= 0;
  if (holding) {
    hold_termination();
    outcome = write_replacement(run, scan, left_by_run);
  }
  run.match_count = scan.match_count;
  outcome = close_after_work(run, outcome, left_by_run);
  // After an I/O failure the file is not known to be right, and after another
  // program's change the old times would hide it: the times stay as they are.
  if (outcome.step == PatchStep::kDone) {
    problem = retrying_while_busy([&] { return file_guard::restore(path, checked, file.version); });
    if (problem != FileProblem::kNone) outcome = {PatchStep::kRestore, problem, outcome.replaced};
  }
  if (holding) release_termination();
  return outcome;
}

}  // namespace

ExitStatus exit_status_of(const PatchOutcome& outcome) {
  const bool changed = outcome.cause == FileProblem::kChangedByAnother;
  switch (outcome.step) {
    case PatchStep::kDone:
      return outcome.replaced ? kExitReplaced : kExitNotFound;
    case PatchStep::kCapture:
      return kExitCannotOpen;
    case PatchStep::kOpen:
      // Nothing was read or written yet; only another program's change must be looked at.
      return changed ? kExitChangedByAnother : kExitCannotOpen;
    case PatchStep::kScan:
    case PatchStep::kWrite:
    case PatchStep::kClose:
      return changed ? kExitChangedByAnother : kExitIoFailure;
    case PatchStep::kRestore:
      break;
  }
  // The path no longer leading to the file the run worked on, as it was left,
  // is another program's doing and must be looked at; otherwise the content
  // is as the run left it, with the times not put back.
  switch (outcome.cause) {
    case FileProblem::kMissing:
    case FileProblem::kNotRegularFile:
    case FileProblem::kChangedByAnother:
    case FileProblem::kNotTheCheckedFile:
      return kExitChangedByAnother;
    case FileProblem::kNone:
    case FileProblem::kBusy:
    case FileProblem::kDenied:
    case FileProblem::kInputOutput:
      break;
  }
  return outcome.replaced ? kExitTimesNotRestored : kExitCannotOpen;
}

int patch_main(int argc, char* argv[], const PatchKind& kind) {
  const ProcessSetting setting = prepare_process();
  argv = program_arguments(argc, argv);
  // The wait takes exactly one byte; anything else typed or piped stays unread.
  (void)std::setvbuf(stdin, nullptr, _IONBF, 0);
  return run_patch(argc, argv, {stdout, stdin, text_form(stdout, setting)}, kind);
}

ExitStatus run_patch(int argc, char* argv[], const Console& console, const PatchKind& kind) {
  PatchRun run;
  run.swap = kind.swap;
  run.quiet = argc >= 3;
  if (!run.quiet) say(console, {kind.banner, kind.banner});
  if (argc < 2) {
    say(console, messages::kMissingPath);
    return wait_for_enter(console, kExitNoPath);
  }
  run.target_path = argv[1];

  const PatchOutcome outcome = patch_file(run, console);
  const ExitStatus status = exit_status_of(outcome);
  if (outcome.step != PatchStep::kDone) return fail(console, status);
  if (run.quiet) return status;
  say(console, outcome.replaced ? messages::kDone : messages::kNotFound);
  return wait_for_enter(console, status);
}
