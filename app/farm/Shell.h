#pragma once
// Running Slurm's command-line tools from the runner, each with a time limit
// so that an unreachable controller never hangs a farm command.
#include <string>
#include <vector>

namespace app::farm {

// The word in single quotes, safe for any shell word.
std::string shellQuoted(const std::string& word);

struct CommandResult {
  int status = -1;     // the exit status; 124 when the time limit ended it, 127 when it is not installed
  std::string output;  // stdout and stderr together
};

CommandResult runCommand(const std::vector<std::string>& words, int timeoutSeconds = 60);

// The last non-empty line of a text, or "".
std::string lastLine(const std::string& text);

// A failed command as one line: "<tool> is not installed", "<tool> did not
// answer within N s" or "<tool>: <its last line>".
std::string commandError(const std::string& tool, const CommandResult& result, int timeoutSeconds = 60);

}  // namespace app::farm
