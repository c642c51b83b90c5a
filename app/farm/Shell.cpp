#include "app/farm/Shell.h"

#include <sys/wait.h>

#include <cstdio>

namespace app::farm {

std::string shellQuoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

CommandResult runCommand(const std::vector<std::string>& words, int timeoutSeconds) {
  std::string line = "timeout " + std::to_string(timeoutSeconds);
  for (const std::string& w : words) line += " " + shellQuoted(w);
  CommandResult result;
  FILE* pipe = popen((line + " 2>&1 </dev/null").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string lastLine(const std::string& text) {
  const std::size_t end = text.find_last_not_of("\r\n");
  if (end == std::string::npos) return "";
  const std::size_t newline = text.find_last_of('\n', end);
  const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
  return text.substr(start, end + 1 - start);
}

std::string commandError(const std::string& tool, const CommandResult& result, int timeoutSeconds) {
  if (result.status == 127) return tool + " is not installed";
  if (result.status == 124) return tool + " did not answer within " + std::to_string(timeoutSeconds) + " s";
  const std::string last = lastLine(result.output);
  if (last.rfind(tool + ": ", 0) == 0) return last;
  return tool + ": " + (last.empty() ? "exit status " + std::to_string(result.status) : last);
}

}  // namespace app::farm
