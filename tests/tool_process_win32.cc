#include <windows.h>

#include "tool_process.h"

namespace {

void append_quoted(std::string& command, const std::string& arg) {
  if (!command.empty()) command.push_back(' ');
  command.push_back('"');
  command.append(arg);
  command.push_back('"');
}

}  // namespace

ToolRun run_tool(const std::vector<std::string>& args, const std::string& input) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE stdin_read, stdin_write, stdout_read, stdout_write;
  if (!CreatePipe(&stdin_read, &stdin_write, &inheritable, 0) ||
      !CreatePipe(&stdout_read, &stdout_write, &inheritable, 0))
    return {};
  SetHandleInformation(stdin_write, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(stdout_read, HANDLE_FLAG_INHERIT, 0);

  std::string command;
  append_quoted(command, TOVALIN_TOOL);
  for (const std::string& a : args) append_quoted(command, a);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = stdin_read;
  startup.hStdOutput = stdout_write;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &process);
  CloseHandle(stdin_read);
  CloseHandle(stdout_write);
  ToolRun run;
  if (started) {
    DWORD n = 0;
    if (!input.empty()) WriteFile(stdin_write, input.data(), static_cast<DWORD>(input.size()), &n, nullptr);
    CloseHandle(stdin_write);
    char chunk[4096];
    while (ReadFile(stdout_read, chunk, sizeof chunk, &n, nullptr) && n > 0) run.output.append(chunk, n);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exit_status = static_cast<int>(code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  } else {
    CloseHandle(stdin_write);
  }
  CloseHandle(stdout_read);
  return run;
}

std::string with_platform_line_ends(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}
