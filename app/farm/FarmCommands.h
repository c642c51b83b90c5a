#pragma once
// `orbink farm`: a frame range of an ink node split into a Slurm job array,
// its progress, and a second run of the frames that did not arrive. Every
// frame is a pure function of the scene file and its number, so any task
// may render any frames on any node.
#include <string>
#include <vector>

namespace app::farm {

struct SubmitOptions {
  std::string kind = "sequence";  // the runner command of each task: sequence, prt or vdb
  std::string scene, ink, camera, out, size = "960x960", partition, jobsDir = "orbink-jobs";
  int start = 0, end = 0, chunk = 1, cpus = 0, resolution = 256;
  std::vector<std::string> overrides;  // --set, handed on to every task
};

// Checks the job as the runner would check its first frame, then queues it;
// prints "job JOB: N frames in T tasks -> SCRIPT".
int runSubmit(const SubmitOptions& options);

// Prints "job JOB (KIND, N frames in T tasks): D done, R running, Q queued,
// F failed", then one line per task with failed frames and its log's last line.
int runStatus(const std::string& jobId, const std::string& jobsDir);

// Queues the frames of the job that are neither written nor queued or
// running, as a new job of the same settings.
int runResubmit(const std::string& jobId, const std::string& jobsDir);

}  // namespace app::farm
