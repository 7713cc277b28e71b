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

// Whether an open reached the file the guard checked, and found it unchanged
// by the measure that holds at that step.
FileProblem reached_checked_file(const PatchRun& run, const FontFile& file, bool unchanged) {
  if (file.identity != run.checked_file.identity) return FileProblem::kNotTheCheckedFile;
  return unchanged ? FileProblem::kNone : FileProblem::kChangedByAnother;
}

// The scan, through a handle that only reads and keeps writers out. `left`
// is how the scan left the file; nothing of the run's own moves it meanwhile,
// so any change at all is another program's.
PatchOutcome scan_file(PatchRun& run, const Console& console, ScanResult& scan, FileVersion& left) {
  const char* path = run.target_path;
  FileProblem problem = retrying_while_busy([&] { return open_stream(path, run.stream); });
  if (problem != FileProblem::kNone) return {PatchStep::kOpen, problem};
  const FileVersion opened = run.stream.file.version;
  // The path may have been pointed at another file since the check, or the
  // file changed: touch nothing of it, and hide nothing of another's change.
  problem = reached_checked_file(run, run.stream.file, opened == run.checked_file.version);
  if (problem != FileProblem::kNone) {
    (void)close_stream(run.stream);  // nothing was read or written through it
    return {PatchStep::kOpen, problem};
  }
  if (!run.quiet) say(console, messages::kTargetFormat, path);

  scan = find_first_match(run.stream, run.swap);
  const bool closed = close_stream(run.stream);
  left = run.stream.file.version;
  if (scan.io_failed || !closed) return {PatchStep::kScan, FileProblem::kInputOutput};
  if (left != opened) return {PatchStep::kScan, FileProblem::kChangedByAnother};
  return {};
}

// Only a run that found its zero opens the file for writing, and writes only
// if that open reached the file the scan read, as the scan left it. Nothing
// holds the file between the two handles, and on an overlay filesystem this
// open copies a lower layer's file up with a new change time, the run's own
// doing: so the comparison is looks_as_left's.
PatchOutcome open_for_the_write(PatchRun& run, const FileVersion& scanned) {
  FontFile& writer = run.writer;
  FileProblem problem =
      retrying_while_busy([&] { return open_font_file(run.target_path, FileAccess::kReadWrite, writer); });
  if (problem != FileProblem::kNone) return {PatchStep::kOpenForWrite, problem};
  problem = reached_checked_file(run, writer, looks_as_left(scanned, writer.version));
  if (problem != FileProblem::kNone) {
    (void)close_font_file(writer);  // nothing was written through it
    return {PatchStep::kOpenForWrite, problem};
  }
  return {};
}

// The one write. From the write open to right before the write nothing of
// the run's own comes between: any change, the bytes to be replaced no longer
// the zero the scan found, or a writer breaking the lease, is another
// program's, and nothing is written over it. Right after the write the lease
// must still stand and the size be as before: the run never changes it, so a
// lock that cannot be asked still shows an appender there. `left` is how the
// run leaves the file.
PatchOutcome write_replacement(PatchRun& run, ScanResult& scan, FileVersion& left) {
  const FontFile& writer = run.writer;
  FileVersion before, after;
  if (!tell_font_file_version(writer, before)) return {PatchStep::kWrite, FileProblem::kInputOutput};
  if (before != writer.version) return {PatchStep::kWrite, FileProblem::kChangedByAnother};
  const FileProblem found = match_still_there(writer, run.swap, scan);
  if (found != FileProblem::kNone) return {PatchStep::kWrite, found};
  if (!font_file_still_held(writer)) return {PatchStep::kWrite, FileProblem::kChangedByAnother};
  replace_match(writer, run.swap, scan);
  if (scan.io_failed || !tell_font_file_version(writer, after))
    return {PatchStep::kWrite, FileProblem::kInputOutput, true};
  if (after.size != before.size || !font_file_still_held(writer))
    return {PatchStep::kWrite, FileProblem::kChangedByAnother, true};
  // The saved times go back through the handle that wrote, right after the
  // write: on Windows they then count as set on this handle, so neither its
  // write-through nor its close moves them. Not after the write-through: a
  // writer that came in during it would be hidden under them.
  if (run.checked_file.times.saved) {
    const FileProblem problem = set_font_file_times(writer, run.checked_file.times, kEveryTime);
    if (problem != FileProblem::kNone) return {PatchStep::kRestore, problem, true};
  }
  if (!tell_font_file_version(writer, left)) return {PatchStep::kWrite, FileProblem::kInputOutput, true};
  return {PatchStep::kDone, FileProblem::kNone, true};
}

// Done means the bytes are where they were written: read back from the
// storage once they went through. That read may move the access time (no
// read under Windows leaves it), so the run sets it again, alone.
PatchOutcome read_back(PatchRun& run, const PatchOutcome& work, const ScanResult& scan) {
  if (replacement_in_place(run.writer, run.swap, scan) != FileProblem::kNone)
    return {PatchStep::kClose, FileProblem::kInputOutput, true};
  if (work.step != PatchStep::kDone || !run.checked_file.times.saved) return work;
  const FileProblem problem = set_font_file_times(run.writer, run.checked_file.times, kLastAccessTime);
  return problem == FileProblem::kNone ? work : PatchOutcome{PatchStep::kRestore, problem, true};
}

// Done means on disk, where it was meant to go: a written zero is written
// through before the close, whatever else went wrong, and read back. Until
// the close the file must look as the run left it.
PatchOutcome close_writer(PatchRun& run, const PatchOutcome& work, const ScanResult& scan,
                          const FileVersion& left) {
  const bool written = !work.replaced || write_font_file_through(run.writer);
  const PatchOutcome read = work.replaced && written ? read_back(run, work, scan) : work;
  FileVersion closing;
  const bool told = tell_font_file_version(run.writer, closing);
  // An input/output failure outweighs everything else: the file is not known to be right.
  if (!close_font_file(run.writer) || !written || !told)
    return {PatchStep::kClose, FileProblem::kInputOutput, work.replaced};
  // Another program's write explains bytes that are not as the run wrote them.
  if (work.step == PatchStep::kDone && !looks_as_left(left, closing))
    return {PatchStep::kClose, FileProblem::kChangedByAnother, work.replaced};
  return work.cause == FileProblem::kChangedByAnother ? work : read;
}

// The font may be read but not written, or another program kept it open:
// nothing of the run's reached the file.
bool write_refused(const PatchOutcome& outcome) {
  return outcome.step == PatchStep::kOpenForWrite &&
         (outcome.cause == FileProblem::kDenied || outcome.cause == FileProblem::kBusy);
}

bool another_programs_doing(FileProblem problem) {
  return problem == FileProblem::kMissing || problem == FileProblem::kNotRegularFile ||
         problem == FileProblem::kChangedByAnother || problem == FileProblem::kNotTheCheckedFile;
}

// The work on the file, from the guard's first look to its second.
PatchOutcome patch_file(PatchRun& run, const Console& console) {
  CheckedFile& checked = run.checked_file;
  const FileProblem problem =
      retrying_while_busy([&] { return file_guard::capture(run.target_path, checked); });
  if (problem != FileProblem::kNone) return {PatchStep::kCapture, problem};
  ScanResult scan;
  FileVersion left;
  PatchOutcome outcome = scan_file(run, console, scan, left);
  // A request to stop during the scan ends the run at once, with nothing
  // changed; from the open for the write on it waits until the times are back.
  const bool holding = outcome.step == PatchStep::kDone && scan.offset >= 0;
  if (holding) {
    hold_termination();
    outcome = open_for_the_write(run, left);
    if (outcome.step == PatchStep::kDone)
      outcome = close_writer(run, write_replacement(run, scan, left), scan, left);
  }
  run.match_count = scan.match_count;
  // After an I/O failure the file is not known to be right, and after another
  // program's change the old times would hide it: the times stay as they are.
  if (outcome.step == PatchStep::kDone) {
    const FileProblem restored =
        retrying_while_busy([&] { return file_guard::restore(run.target_path, checked, left); });
    if (restored != FileProblem::kNone) outcome = {PatchStep::kRestore, restored, outcome.replaced};
  } else if (write_refused(outcome)) {
    // The refusal may be another program's doing: the path now leads to
    // another file, or a writer changed the font and still has it. Otherwise
    // the scan's reads may have moved the access time (another user's file,
    // a share whose server keeps its own): put back what may be put back.
    const FileProblem looked = file_guard::restore(run.target_path, checked, left);
    if (another_programs_doing(looked)) outcome.cause = looked;
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
  run.target_path = argv[1];

  const PatchOutcome outcome = patch_file(run, console);
  const ExitStatus status = exit_status_of(outcome);
  if (outcome.step != PatchStep::kDone) return fail(console, status);
  if (run.quiet) return status;
  say(console, outcome.replaced ? messages::kDone : messages::kNotFound);
  return wait_for_enter(console, status);
}
