#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tool_process.h"

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input) {
  // The tool may end without reading its input.
  signal(SIGPIPE, SIG_IGN);
  int to_tool[2], from_tool[2];
  if (pipe(to_tool) != 0 || pipe(from_tool) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(to_tool[0], STDIN_FILENO);
    dup2(from_tool[1], STDOUT_FILENO);
    close(to_tool[0]), close(to_tool[1]), close(from_tool[0]), close(from_tool[1]);
    std::vector<char*> argv{const_cast<char*>(TOVALIN_TOOL)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(TOVALIN_TOOL, argv.data());
    _exit(127);
  }
  close(to_tool[0]);
  close(from_tool[1]);
  if (!input.empty()) [[maybe_unused]]
    auto n = write(to_tool[1], input.data(), input.size());
  close(to_tool[1]);
  ToolRun run;
  char chunk[4096];
  ssize_t n;
  while ((n = read(from_tool[0], chunk, sizeof chunk)) > 0) run.output.append(chunk, static_cast<size_t>(n));
  close(from_tool[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string with_platform_line_ends(const std::string& text) { return text; }
