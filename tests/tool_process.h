// Runs the built tool as its own process, as a user or a script would.
#pragma once

#include <string>
#include <vector>

struct ToolRun {
  int exit_status = -1;
  std::string output;  // standard output, byte for byte
};

// `args` excludes the program itself; `input` is fed to standard input,
// which is then closed (end of file).
ToolRun run_tool(const std::vector<std::string>& args, const std::string& input);

// The tool's line end on standard output: LF on Linux, CR LF on Windows.
std::string with_platform_line_ends(const std::string& text);
