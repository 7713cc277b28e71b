#include "patch_run.h"

#include "messages.h"
#include "platform/time_guard.h"
#include "signature_scan.h"
#include "target_stream.h"

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

// Closes the stream, which is what puts the replacement into the file; a
// failure of that last flush makes the close fail too.
bool close_stream(PatchRun& run) {
  const bool closed = std::fclose(run.stream) == 0;
  run.stream = nullptr;
  return closed;
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

  if (!time_guard::capture(run.target_path)) return fail(out, in, kExitCannotOpen);
  run.stream = open_target_stream(run.target_path);
  if (run.stream == nullptr) return fail(out, in, kExitCannotOpen);
  if (!run.quiet) std::fprintf(out, messages::kTargetFormat, run.target_path);

  const ScanResult scan = scan_and_replace(run.stream);
  run.match_count = scan.match_count;
  bool content_ok = !scan.io_failed;
  // Done means on disk: the replacement is written through before the run says so.
  if (content_ok && run.match_count == 1) content_ok = commit_target_stream(run.stream);
  content_ok = close_stream(run) && content_ok;

  if (!time_guard::restore(run.target_path)) return fail(out, in, kExitCannotOpen);
  if (!content_ok) return fail(out, in, kExitIoFailure);

  const ExitStatus status = run.match_count == 1 ? kExitReplaced : kExitNotFound;
  if (run.quiet) return status;
  std::fputs(status == kExitReplaced ? messages::kDone : messages::kNotFound, out);
  return wait_for_enter(out, in, status);
}
