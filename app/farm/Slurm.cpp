#include "app/farm/Slurm.h"

#include <charconv>
#include <sstream>

#include "app/farm/Shell.h"

namespace app::farm {

namespace {
bool parseIndex(std::string_view text, int& value) {
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// Adds the state of the tasks a line names.
void addTasks(std::string_view tasks, const std::string& state, std::map<int, std::string>& states) {
  int index = 0;
  if (parseIndex(tasks, index)) {
    states[index] = state;
    return;
  }
  if (tasks.size() < 2 || tasks.front() != '[') return;
  tasks = tasks.substr(1, tasks.find_first_of("%]") - 1);
  while (!tasks.empty()) {
    const std::string_view item = tasks.substr(0, tasks.find(','));
    tasks.remove_prefix(std::min(tasks.size(), item.size() + 1));
    const std::size_t dash = item.find('-');
    int first = 0, last = 0;
    if (!parseIndex(item.substr(0, dash), first)) continue;
    if (dash == std::string_view::npos)
      last = first;
    else if (!parseIndex(item.substr(dash + 1), last))
      continue;
    for (int i = first; i <= last; ++i) states[i] = state;
  }
}

}  // namespace

std::map<int, std::string> parseTaskStates(const std::string& jobId, const std::string& text) {
  std::map<int, std::string> states;
  std::istringstream lines(text);
  const std::string prefix = jobId + "_";
  for (std::string line; std::getline(lines, line);) {
    const std::size_t bar = line.find('|');
    if (bar == std::string::npos || line.rfind(prefix, 0) != 0) continue;
    const std::string state = line.substr(bar + 1, line.find(' ', bar) - bar - 1);
    addTasks(std::string_view(line).substr(prefix.size(), bar - prefix.size()), state, states);
  }
  return states;
}

bool submitBatch(const std::string& scriptPath, std::string& jobId, std::string& error) {
  const CommandResult r = runCommand({"sbatch", "--parsable", scriptPath});
  const std::string last = lastLine(r.output);
  // "--parsable" prints "JOB" or "JOB;CLUSTER".
  jobId = last.substr(0, last.find(';'));
  int number = 0;
  if (r.status == 0 && parseIndex(jobId, number)) return true;
  error = commandError("sbatch", r);
  return false;
}

std::map<int, std::string> taskStates(const std::string& jobId) {
  const CommandResult accounted = runCommand({"sacct", "-n", "-P", "-X", "-j", jobId, "--format=JobID,State"});
  if (accounted.status == 0) return parseTaskStates(jobId, accounted.output);
  const CommandResult queued = runCommand({"squeue", "-h", "-r", "-t", "all", "-j", jobId, "-o", "%i|%T"});
  return queued.status == 0 ? parseTaskStates(jobId, queued.output) : std::map<int, std::string>{};
}

std::string taskPhase(const std::string& state) {
  for (const char* queued : {"PENDING", "CONFIGURING", "REQUEUED", "REQUEUE_HOLD", "RESIZING", "SUSPENDED"})
    if (state == queued) return "queued";
  if (state == "RUNNING" || state == "COMPLETING") return "running";
  return "ended";
}

}  // namespace app::farm
