// SPDX-License-Identifier: MIT
// On a Linux terminal whose locale speaks UTF-8 the texts go out as UTF-8;
// anywhere else (another locale, a pipe) as the Shift_JIS bytes.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "case_name.h"
#include "expected_output.h"
#include "test_bytes.h"
#include "test_platform.h"

namespace {

// The tool with a pseudo-terminal as its standard input and output, in raw
// mode so that its bytes arrive unchanged; Enter is pressed once.
ToolRun run_on_terminal(const std::string& path) {
  termios raw{};
  cfmakeraw(&raw);
  int terminal = -1;
  const pid_t pid = forkpty(&terminal, nullptr, &raw, nullptr);
  if (pid == 0) {
    execl(TOVALIN_TOOL, TOVALIN_TOOL, path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ToolRun run;
  if (pid < 0 || write(terminal, "\n", 1) != 1) return run;
  char chunk[4096];
  ssize_t n;
  // Once the tool has ended, reading the terminal fails with EIO.
  while ((n = read(terminal, chunk, sizeof chunk)) > 0) run.output.append(chunk, static_cast<size_t>(n));
  close(terminal);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct ConsoleCase {
  const char* name;
  bool terminal;
  const char* lang;  // LC_ALL and LC_CTYPE are cleared
  bool utf8;
};

class MessagesOnTheConsole : public testing::TestWithParam<ConsoleCase> {};

TEST_P(MessagesOnTheConsole, TakeTheFormTheConsoleShows) {
  const ConsoleCase& c = GetParam();
  const std::string path =
      std::string("e2e-\xe3\x83\x95\xe3\x82\xa9\xe3\x83\xb3\xe3\x83\x88-") + c.name + ".ttf";
  write_file(path, read_file(TOVALIN_SAMPLE_FONT));
  unsetenv("LC_ALL");
  unsetenv("LC_CTYPE");
  setenv("LANG", c.lang, 1);
  const ToolRun run = c.terminal ? run_on_terminal(path) : run_tool({path}, "\n");
  unsetenv("LANG");

  const std::string utf8 = expected::kBanner + "対象フォントファイル: " + path + "\n" +
                           "\n処理を終了しました。\n" + "[Enter]キーを押してください。\n";
  const std::string shift_jis =
      expected::kBanner + expected::target_line(path) + expected::kDone + expected::kPressEnter;
  EXPECT_EQ(run.output, c.utf8 ? utf8 : shift_jis);
  EXPECT_EQ(run.exit_status, 0);
  std::remove(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(Consoles, MessagesOnTheConsole,
                         testing::Values(ConsoleCase{"Utf8Terminal", true, "C.UTF-8", true},
                                         ConsoleCase{"TerminalInTheCLocale", true, "C", false},
                                         ConsoleCase{"PipeInAUtf8Locale", false, "C.UTF-8", false}),
                         CaseName());

}  // namespace
