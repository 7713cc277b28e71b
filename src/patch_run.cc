#include "patch_run.h"

#include "messages.h"
#include "platform/file_guard.h"
#include "signature_scan.h"

namespace {

ExitStatus wait_for_enter(std::FILE* out, std::FILE* in, ExitStatus status) {
  std::fputs(messages::kPressEnter, out);
  // A caller reading through a pipe must see the prompt before we block.
  std::fflush(out);
  std::fgetc(in);
  return status;
}

// Every failure, quiet or not, is shown and waits: a script must not take it for success.
ExitStatus fail(std::FILE* out, std::FILE* in, ExitStatus status) {
  std::fputs(messages::kCannotOpen, out);
  return wait_for_enter(out, in, status);
}

}  // namespace

ExitStatus run_patch(int argc, char* argv[], std::FILE* out, std::FILE* in) {
  PatchRun run;
  run.quiet = argc >= 3;
  if (!run.quiet) std::fputs(messages::kBanner, out);
  if (argc < 2) {
    std::fputs(messages::kMissingPath, out);
    return wait_for_enter(out, in, kExitNoPath);
  }
  run.target_path = argv[1];

  if (!file_guard::capture(run.target_path, run.checked_file)) return fail(out, in, kExitCannotOpen);
  if (!open_target_stream(run.target_path, run.stream)) return fail(out, in, kExitCannotOpen);
  // The path may have been pointed at another file since the check: touch nothing of it.
  if (!(run.stream.identity == run.checked_file)) {
    (void)close_target_stream(run.stream);  // nothing was read or written through it
    return fail(out, in, kExitCannotOpen);
  }
  if (!run.quiet) std::fprintf(out, messages::kTargetFormat, run.target_path);

  const ScanResult scan = scan_and_replace(run.stream.file);
  run.match_count = scan.match_count;
  bool content_ok = !scan.io_failed;
  // Done means on disk: the replacement is written through before the run says so.
  if (content_ok && run.match_count == 1) content_ok = commit_target_stream(run.stream);
  // Closing puts the replacement into the file; a failure of that last flush fails the close.
  content_ok = close_target_stream(run.stream) && content_ok;

  const bool times_restored = file_guard::restore(run.target_path, run.checked_file);
  if (!content_ok) return fail(out, in, kExitIoFailure);
  if (!times_restored) return fail(out, in, run.match_count == 1 ? kExitTimesNotRestored : kExitCannotOpen);

  const ExitStatus status = run.match_count == 1 ? kExitReplaced : kExitNotFound;
  if (run.quiet) return status;
  std::fputs(status == kExitReplaced ? messages::kDone : messages::kNotFound, out);
  return wait_for_enter(out, in, status);
}
