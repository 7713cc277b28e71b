// SPDX-License-Identifier: MIT
// On a Linux terminal the texts go out as UTF-8, in the C locale too, unless
// the locale's character set is Shift_JIS; through a pipe as the Shift_JIS bytes.
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

// A Shift_JIS locale of our own, made where the system's locale sources are.
bool make_shift_jis_locale(const std::string& folder) {
  return std::system(("localedef -i ja_JP -f SHIFT_JIS --no-warnings=ascii '" + folder +
                      "/ja_JP.SJIS' > /dev/null 2>&1")
                         .c_str()) == 0;
}

class MessagesOnTheConsole : public testing::TestWithParam<ConsoleCase> {};

TEST_P(MessagesOnTheConsole, TakeTheFormTheConsoleShows) {
  const ConsoleCase& c = GetParam();
  const std::string path =
      std::string("e2e-\xe3\x83\x95\xe3\x82\xa9\xe3\x83\xb3\xe3\x83\x88-") + c.name + ".ttf";
  write_file(path, read_file(TOVALIN_SAMPLE_FONT));
  unsetenv("LC_ALL");
  unsetenv("LC_CTYPE");
  if (std::string(c.lang) == "ja_JP.SJIS") {
    if (!make_shift_jis_locale(testing::TempDir()))
      GTEST_SKIP() << "localedef cannot make a Shift_JIS locale here";
    setenv("LOCPATH", testing::TempDir().c_str(), 1);
  }
  setenv("LANG", c.lang, 1);
  const ToolRun run = c.terminal ? run_on_terminal(path) : run_tool({path}, "\n");
  unsetenv("LANG");
  unsetenv("LOCPATH");

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
                                         ConsoleCase{"TerminalInTheCLocale", true, "C", true},
                                         ConsoleCase{"TerminalInAShiftJisLocale", true, "ja_JP.SJIS", false},
                                         ConsoleCase{"PipeInAUtf8Locale", false, "C.UTF-8", false},
                                         ConsoleCase{"PipeInTheCLocale", false, "C", false}),
                         CaseName());

}  // namespace
