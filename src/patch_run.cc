// SPDX-License-Identifier: MIT
#include "patch_run.h"

#include "messages.h"
#include "platform/file_guard.h"
#include "platform/terminal.h"
#include "signature_scan.h"

namespace {

// Where the run's dialogue goes, and in which form its texts are shown.
struct Console {
  std::FILE* out;
  std::FILE* in;
  bool utf8;
};

const char* shown(const Console& console, const messages::Text& text) {
  return console.utf8 ? text.utf8 : text.shift_jis;
}

void say(const Console& console, const messages::Text& text) {
  std::fputs(shown(console, text), console.out);
}

ExitStatus wait_for_enter(const Console& console, ExitStatus status) {
  say(console, messages::kPressEnter);
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

}  // namespace

ExitStatus run_patch(int argc, char* argv[], std::FILE* out, std::FILE* in) {
  const Console console{out, in, is_utf8_terminal(out)};
  PatchRun run;
  run.quiet = argc >= 3;
  if (!run.quiet) std::fputs(messages::kBanner, out);
  if (argc < 2) {
    say(console, messages::kMissingPath);
    return wait_for_enter(console, kExitNoPath);
  }
  run.target_path = argv[1];

  if (!file_guard::capture(run.target_path, run.checked_file)) return fail(console, kExitCannotOpen);
  if (!open_target_stream(run.target_path, run.stream)) return fail(console, kExitCannotOpen);
  // The path may have been pointed at another file since the check: touch nothing of it.
  if (run.stream.identity != run.checked_file) {
    (void)close_target_stream(run.stream);  // nothing was read or written through it
    return fail(console, kExitCannotOpen);
  }
  if (!run.quiet) std::fprintf(out, shown(console, messages::kTargetFormat), run.target_path);

  const ScanResult scan = scan_and_replace(run.stream.content);
  run.match_count = scan.match_count;
  bool content_ok = !scan.io_failed;
  // Done means on disk: the replacement is written through before the run says so.
  if (content_ok && run.match_count == 1) content_ok = commit_target_stream(run.stream);
  content_ok = close_target_stream(run.stream) && content_ok;

  const bool times_restored = file_guard::restore(run.target_path, run.checked_file);
  if (!content_ok) return fail(console, kExitIoFailure);
  if (!times_restored) return fail(console, run.match_count == 1 ? kExitTimesNotRestored : kExitCannotOpen);

  const ExitStatus status = run.match_count == 1 ? kExitReplaced : kExitNotFound;
  if (run.quiet) return status;
  say(console, status == kExitReplaced ? messages::kDone : messages::kNotFound);
  return wait_for_enter(console, status);
}
