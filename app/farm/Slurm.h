#pragma once
// What the farm asks Slurm: queue a batch script, and the states of an
// array's tasks.
#include <map>
#include <string>

namespace app::farm {

// Queues the script with sbatch; its job id, or false with one line.
bool submitBatch(const std::string& scriptPath, std::string& jobId, std::string& error);

// Slurm's state of each task of the array that Slurm still knows (PENDING,
// RUNNING, COMPLETED, FAILED, CANCELLED ...), by task index: from sacct
// where the cluster keeps accounting, otherwise from squeue, which keeps
// finished tasks a while (the controller's MinJobAge). Tasks Slurm has
// forgotten are absent.
std::map<int, std::string> taskStates(const std::string& jobId);

// The states of "TASKS|STATE" lines as sacct and squeue print them: TASKS
// is JOB_3, or JOB_[0-2,5%4] for tasks that have not started; the state's
// first word counts ("CANCELLED by 0").
std::map<int, std::string> parseTaskStates(const std::string& jobId, const std::string& text);

// Where a task is: "queued", "running" or "ended" (whatever the outcome).
std::string taskPhase(const std::string& state);

}  // namespace app::farm
