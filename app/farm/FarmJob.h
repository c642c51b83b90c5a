#pragma once
// A job array on the farm as `orbink farm` keeps it: what each task runs
// and which frames it writes. The record lies beside the job's script and
// task logs in the jobs folder, as JOB.json.
#include <optional>
#include <string>
#include <vector>

#include "app/DriverCalls.h"

namespace app::farm {

struct FrameRange {
  int first = 0, last = 0;
};

struct FarmJob {
  std::string kind = "sequence";       // sequence, prt or vdb: the runner command each task runs
  std::string scene, ink;              // absolute scene path and ink node
  std::string camera;                  // sequence only
  int width = 0, height = 0;           // sequence only
  int resolution = 256;                // vdb only
  std::string pattern;                 // absolute output pattern with "####"
  std::vector<std::string> overrides;  // --set NODE.PARAM=VALUE, in order
  std::string partition;               // empty: the cluster's default
  int chunk = 1;                       // frames per task
  int cpus = 0;                        // CPUs per task; 0: the cluster's default, the runner uses every core
  std::vector<FrameRange> tasks;       // task i of the array writes tasks[i]
  std::string id;                      // Slurm's job id once queued
};

// The frames split into tasks of at most `chunk` consecutive frames; a gap
// in the frames starts a new task.
std::vector<FrameRange> chunkFrames(const std::vector<int>& frames, int chunk);

// The file a frame of the job is written to.
std::string frameFile(const FarmJob& job, int frame);

// The driver call of a frame range of the job, as its task makes it.
DriverCall driverCall(const FarmJob& job, const FrameRange& frames);

// The runner's command-line words for a frame range of the job, after the
// runner itself.
std::vector<std::string> taskCommand(const FarmJob& job, const FrameRange& frames);

// The record JOBS/JOB.json; loading fails with "no farm job JOB in JOBS" or
// "PATH is not a farm job record".
std::string recordPath(const std::string& jobsDir, const std::string& id);
bool saveJob(const FarmJob& job, const std::string& path, std::string& error);
std::optional<FarmJob> loadJob(const std::string& jobsDir, const std::string& id, std::string& error);

}  // namespace app::farm
