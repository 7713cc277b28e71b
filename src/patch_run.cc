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
// second in all, each with a random part so that two runs on one file do not
// meet again at every try. Only a busy file is tried again.
template <class Step>
FileProblem retrying_while_busy(Step step) {
  constexpr int kPausesMs[] = {10, 20, 40, 80, 160, 320, 400};
  FileProblem problem = step();
  for (const int pause : kPausesMs) {
    if (problem != FileProblem::kBusy) break;
    pause_about_ms(pause);
    problem = step();
  }
  return problem;
}

// How a step ended: went on, stopped with nothing of the run's in the file,
// or stopped after the zero was written.
PatchOutcome went_on() { return {}; }
PatchOutcome stopped(PatchStep step, FileProblem cause) { return {step, cause, false}; }
PatchOutcome stopped_after_write(PatchStep step, FileProblem cause) { return {step, cause, true}; }
PatchOutcome zero_replaced() { return {PatchStep::kDone, FileProblem::kNone, true}; }
bool went_through(const PatchOutcome& outcome) { return outcome.step == PatchStep::kDone; }

// From the open for the write until the times are back, a request to stop waits.
struct TerminationHeld {
  TerminationHeld() { hold_termination(); }
  ~TerminationHeld() { release_termination(); }
  TerminationHeld(const TerminationHeld&) = delete;
  TerminationHeld& operator=(const TerminationHeld&) = delete;
};

// Whether an open reached the file the guard checked, and found it unchanged
// by the measure that holds at that step.
FileProblem reached_checked_file(const PatchRun& run, const FontFile& file, bool unchanged) {
  if (file.identity != run.checked_file.identity) return FileProblem::kNotTheCheckedFile;
  return unchanged ? FileProblem::kNone : FileProblem::kChangedByAnother;
}

PatchOutcome capture(PatchRun& run) {
  const FileProblem problem =
      retrying_while_busy([&] { return file_guard::capture(run.target_path, run.checked_file); });
  return problem == FileProblem::kNone ? went_on() : stopped(PatchStep::kCapture, problem);
}

// The scan, through a handle that only reads and keeps writers out. Nothing
// of the run's own moves the file meanwhile, so any change at all is another
// program's.
PatchOutcome scan_file(PatchRun& run, const Console& console) {
  FileProblem problem = retrying_while_busy([&] { return open_stream(run.target_path, run.stream); });
  if (problem != FileProblem::kNone) return stopped(PatchStep::kOpen, problem);
  const FileVersion opened = run.stream.file.version;
  // The path may have been pointed at another file since the check, or the
  // file changed: touch nothing of it, and hide nothing of another's change.
  problem = reached_checked_file(run, run.stream.file, opened == run.checked_file.version);
  if (problem != FileProblem::kNone) {
    (void)close_stream(run.stream);  // nothing was read through it
    return stopped(PatchStep::kOpen, problem);
  }
  if (!run.quiet) say(console, messages::kTargetFormat, run.target_path);

  run.scan = find_first_match(run.stream, run.swap);
  const bool closed = close_stream(run.stream);
  run.as_run_left = run.stream.file.version;
  if (run.scan.io_failed || !closed) return stopped(PatchStep::kScan, FileProblem::kInputOutput);
  if (run.as_run_left != opened) return stopped(PatchStep::kScan, FileProblem::kChangedByAnother);
  return went_on();
}

// Only a run that found its zero opens the file for writing, and writes only
// if that open reached the file the scan read, as the scan left it. Nothing
// holds the file between the two handles, and on an overlay filesystem this
// open copies a lower layer's file up with a new change time, the run's own
// doing: so the comparison is looks_as_left's.
PatchOutcome open_for_the_write(PatchRun& run) {
  FontFile& writer = run.writer;
  FileProblem problem =
      retrying_while_busy([&] { return open_font_file(run.target_path, FileAccess::kReadWrite, writer); });
  if (problem != FileProblem::kNone) return stopped(PatchStep::kOpenForWrite, problem);
  problem = reached_checked_file(run, writer, looks_as_left(run.as_run_left, writer.version));
  if (problem == FileProblem::kNone) return went_on();
  close_unwritten(writer);
  return stopped(PatchStep::kOpenForWrite, problem);
}

// From the write open to right before the write nothing of the run's own
// comes between: any change, the bytes to be replaced no longer the zero the
// scan found, or a writer breaking the lease, is another program's, and
// nothing is written over it.
PatchOutcome ready_to_write(PatchRun& run) {
  FileVersion now;
  if (!tell_font_file_version(run.writer, now)) return stopped(PatchStep::kWrite, FileProblem::kInputOutput);
  if (now != run.writer.version) return stopped(PatchStep::kWrite, FileProblem::kChangedByAnother);
  const FileProblem found = match_still_there(run.writer, run.swap, run.scan);
  if (found != FileProblem::kNone) return stopped(PatchStep::kWrite, found);
  if (!font_file_still_held(run.writer)) return stopped(PatchStep::kWrite, FileProblem::kChangedByAnother);
  return went_on();
}

// The one write. Right after it the lease must still stand and the size be
// as before: the run never changes it, so a lock that cannot be asked still
// shows an appender there.
PatchOutcome write_replacement(PatchRun& run) {
  const PatchOutcome ready = ready_to_write(run);
  if (!went_through(ready)) return ready;
  replace_match(run.writer, run.swap, run.scan);
  FileVersion after;
  if (run.scan.io_failed || !tell_font_file_version(run.writer, after))
    return stopped_after_write(PatchStep::kWrite, FileProblem::kInputOutput);
  if (after.size != run.writer.version.size || !font_file_still_held(run.writer))
    return stopped_after_write(PatchStep::kWrite, FileProblem::kChangedByAnother);
  // The saved times go back through the handle that wrote, right after the
  // write: on Windows they then count as set on this handle, so neither its
  // write-through nor its close moves them. Not after the write-through: a
  // writer that came in during it would be hidden under them.
  if (run.checked_file.times.saved) {
    const FileProblem problem = set_font_file_times(run.writer, run.checked_file.times, kEveryTime);
    if (problem != FileProblem::kNone) return stopped_after_write(PatchStep::kRestore, problem);
  }
  if (!tell_font_file_version(run.writer, run.as_run_left))
    return stopped_after_write(PatchStep::kWrite, FileProblem::kInputOutput);
  return zero_replaced();
}

// Done means the bytes are where they were written: read back from the
// storage once they went through. That read may move the access time (no
// read under Windows leaves it), so the run sets it again, alone.
PatchOutcome read_back(PatchRun& run, const PatchOutcome& work) {
  if (replacement_in_place(run.writer, run.swap, run.scan) != FileProblem::kNone)
    return stopped_after_write(PatchStep::kClose, FileProblem::kInputOutput);
  if (!went_through(work) || !run.checked_file.times.saved) return work;
  const FileProblem problem = set_font_file_times(run.writer, run.checked_file.times, kLastAccessTime);
  return problem == FileProblem::kNone ? work : stopped_after_write(PatchStep::kRestore, problem);
}

// Done means on disk, where it was meant to go: a written zero is written
// through before the close, whatever else went wrong, and read back. Until
// the close the file must look as the run left it.
PatchOutcome close_writer(PatchRun& run, const PatchOutcome& work) {
  const bool written = !work.replaced || write_font_file_through(run.writer);
  const PatchOutcome read = work.replaced && written ? read_back(run, work) : work;
  FileVersion closing;
  const bool told = tell_font_file_version(run.writer, closing);
  // An input/output failure outweighs everything else: the file is not known to be right.
  const PatchOutcome failed{PatchStep::kClose, FileProblem::kInputOutput, work.replaced};
  if (!close_font_file(run.writer) || !written || !told) return failed;
  // Another program's write explains bytes that are not as the run wrote them.
  if (went_through(work) && !looks_as_left(run.as_run_left, closing))
    return {PatchStep::kClose, FileProblem::kChangedByAnother, work.replaced};
  return work.cause == FileProblem::kChangedByAnother ? work : read;
}

bool another_programs_doing(FileProblem problem) {
  return problem == FileProblem::kMissing || problem == FileProblem::kNotRegularFile ||
         problem == FileProblem::kChangedByAnother || problem == FileProblem::kNotTheCheckedFile;
}

// The font may be read but not written, or another program kept it open.
bool write_refused(const PatchOutcome& outcome) {
  return outcome.step == PatchStep::kOpenForWrite &&
         (outcome.cause == FileProblem::kDenied || outcome.cause == FileProblem::kBusy);
}

// The guard's second look, once the run's last handle is closed. After an
// I/O failure the file is not known to be right, and after another program's
// change the old times would hide it: the times stay as they are then. A
// refused write open may be another program's doing (the path now leads to
// another file, or a writer changed the font and still has it); otherwise
// the scan's reads may have moved the access time (another user's file, a
// share whose server keeps its own): what may be put back is put back.
PatchOutcome look_again(PatchRun& run, const PatchOutcome& work) {
  const auto restore = [&] {
    return file_guard::restore(run.target_path, run.checked_file, run.as_run_left);
  };
  if (went_through(work)) {
    const FileProblem restored = retrying_while_busy(restore);
    return restored == FileProblem::kNone ? work : PatchOutcome{PatchStep::kRestore, restored, work.replaced};
  }
  if (!write_refused(work)) return work;
  const FileProblem looked = restore();
  return another_programs_doing(looked) ? stopped(PatchStep::kOpenForWrite, looked) : work;
}

// The work on the file, from the guard's first look to its second. A request
// to stop during the scan ends the run at once, with nothing changed.
PatchOutcome patch_file(PatchRun& run, const Console& console) {
  PatchOutcome outcome = capture(run);
  if (went_through(outcome)) outcome = scan_file(run, console);
  if (!went_through(outcome)) return outcome;
  if (run.scan.offset < 0) return look_again(run, outcome);
  const TerminationHeld held;
  outcome = open_for_the_write(run);
  if (went_through(outcome)) outcome = close_writer(run, write_replacement(run));
  return look_again(run, outcome);
}

// A word that asks for help does, unless a file has that name: then it is
// the font, as any first argument is.
bool asks_for_help(const char* argument) {
  if (!is_help_word(argument)) return false;
  FontFile file;
  const FileProblem problem = open_exclusive(argument, FileAccess::kLook, Hold::kWritersOut, file);
  if (problem == FileProblem::kNone) close_unwritten(file);
  // Windows calls a name such as "/?" invalid rather than missing.
  return problem == FileProblem::kMissing || problem == FileProblem::kInputOutput;
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
    case PatchStep::kOpenForWrite:  // nothing written yet: 3, unless another program was at work
    case PatchStep::kRestore:
      break;
  }
  // The path no longer leading to the file the run worked on, as it was left,
  // is another program's doing and must be looked at; otherwise the content
  // is as the run left it, with the times not put back.
  if (another_programs_doing(outcome.cause)) return kExitChangedByAnother;
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
  if (asks_for_help(argv[1])) {
    if (run.quiet) say(console, {kind.banner, kind.banner});
    say(console, {messages::kHelp, messages::kHelp});
    return kExitHelpShown;
  }
  run.target_path = argv[1];

  const PatchOutcome outcome = patch_file(run, console);
  const ExitStatus status = exit_status_of(outcome);
  if (outcome.step != PatchStep::kDone) return fail(console, status);
  if (run.quiet) return status;
  say(console, outcome.replaced ? messages::kDone : messages::kNotFound);
  return wait_for_enter(console, status);
}
