#include "app/farm/FarmCommands.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Commands.h"
#include "app/farm/FarmJob.h"
#include "app/farm/SbatchScript.h"
#include "app/farm/Shell.h"
#include "app/farm/Slurm.h"
#include "ink/FrameNaming.h"

namespace app::farm {

namespace fs = std::filesystem;

namespace {
std::string absolute(const std::string& path) { return fs::absolute(path).lexically_normal().string(); }

std::string plural(std::size_t n, const char* word) { return std::to_string(n) + " " + word + (n == 1 ? "" : "s"); }

// Writes the job's script, queues it and keeps the record as JOB.json beside
// JOB.sbatch; nothing is left behind when sbatch refuses it.
bool queueJob(FarmJob& job, const std::string& jobsDir, std::string& error) {
  std::error_code ec;
  fs::create_directories(jobsDir, ec);
  const std::string script = jobsDir + "/.submitting-" + std::to_string(getpid()) + ".sbatch";
  {
    std::ofstream out(script, std::ios::trunc);
    out << sbatchScript(job, fs::read_symlink("/proc/self/exe").string(), jobsDir);
    if (!out.flush()) {
      error = "cannot write " + script;
      return false;
    }
  }
  if (!submitBatch(script, job.id, error)) {
    fs::remove(script, ec);
    return false;
  }
  fs::rename(script, jobsDir + "/" + job.id + ".sbatch", ec);
  return saveJob(job, recordPath(jobsDir, job.id), error);
}

std::size_t frameCount(const FarmJob& job) {
  std::size_t n = 0;
  for (const FrameRange& t : job.tasks) n += static_cast<std::size_t>(t.last - t.first + 1);
  return n;
}

// A task as the job stands: its frames whose files are there, those still
// missing, and Slurm's state of it (whose phase says whether the missing
// ones may still come).
struct TaskReport {
  std::string state;  // Slurm's word, or "ended" once Slurm has forgotten the task
  std::vector<int> done, missing;
};

std::vector<TaskReport> report(const FarmJob& job) {
  const std::map<int, std::string> states = taskStates(job.id);
  std::vector<TaskReport> tasks;
  for (std::size_t i = 0; i < job.tasks.size(); ++i) {
    TaskReport t;
    const auto known = states.find(static_cast<int>(i));
    t.state = known == states.end() ? "ended" : known->second;
    for (int f = job.tasks[i].first; f <= job.tasks[i].last; ++f)
      (fs::exists(frameFile(job, f)) ? t.done : t.missing).push_back(f);
    tasks.push_back(std::move(t));
  }
  return tasks;
}

std::string logLastLine(const std::string& jobsDir, const std::string& id, std::size_t task) {
  std::ifstream in(jobsDir + "/" + id + "_" + std::to_string(task) + ".log");
  if (!in) return "no log";
  std::ostringstream text;
  text << in.rdbuf();
  const std::string last = lastLine(text.str());
  return last.empty() ? "empty log" : last;
}

std::string frameList(const std::vector<int>& frames) {
  std::string text;
  for (const FrameRange& r : chunkFrames(frames, static_cast<int>(frames.size())))
    text +=
        (text.empty() ? "" : ",") + std::to_string(r.first) + (r.last > r.first ? "-" + std::to_string(r.last) : "");
  return text;
}
}  // namespace

int runSubmit(const SubmitOptions& o) {
  FarmJob job;
  job.kind = o.kind;
  if (job.kind == "sequence") {
    if (o.camera.empty()) return fail("a sequence needs --camera");
    std::string error;
    if (!parseRenderSize(o.size, job.width, job.height, error)) return fail(error);
  }
  if (o.end < o.start) return fail("--end is before --start");
  job.scene = absolute(o.scene);
  job.ink = o.ink;
  job.camera = o.camera;
  job.resolution = o.resolution;
  job.pattern = absolute(ink::numberedPattern(o.out));
  job.overrides = o.overrides;
  job.partition = o.partition;
  job.chunk = o.chunk;
  job.cpus = o.cpus;
  // The runner's own checks, so bad input fails here and not in every task.
  std::string error;
  if (!checkDriverCall(o.scene, job.ink, driverCall(job, {o.start, o.end}), error)) return fail(error);
  std::vector<int> frames;
  for (int f = o.start; f <= o.end; ++f) frames.push_back(f);
  job.tasks = chunkFrames(frames, o.chunk);
  const std::string jobsDir = absolute(o.jobsDir);
  if (!queueJob(job, jobsDir, error)) return fail(error);
  std::printf("job %s: %s in %s -> %s/%s.sbatch\n", job.id.c_str(), plural(frames.size(), "frame").c_str(),
              plural(job.tasks.size(), "task").c_str(), jobsDir.c_str(), job.id.c_str());
  return 0;
}

int runStatus(const std::string& jobId, const std::string& jobsFolder) {
  const std::string jobsDir = absolute(jobsFolder);
  std::string error;
  const std::optional<FarmJob> job = loadJob(jobsDir, jobId, error);
  if (!job) return fail(error);
  std::size_t done = 0, running = 0, queued = 0, failed = 0;
  std::string failures;
  const std::vector<TaskReport> tasks = report(*job);
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    const TaskReport& t = tasks[i];
    done += t.done.size();
    const std::string phase = taskPhase(t.state);
    (phase == "queued" ? queued : phase == "running" ? running : failed) += t.missing.size();
    if (phase == "ended" && !t.missing.empty())
      failures += "failed frames " + frameList(t.missing) + " (task " + std::to_string(i) + ", " + t.state +
                  "): " + logLastLine(jobsDir, jobId, i) + "\n";
  }
  std::printf("job %s (%s, %s in %s): %zu done, %zu running, %zu queued, %zu failed\n%s", jobId.c_str(),
              job->kind.c_str(), plural(frameCount(*job), "frame").c_str(), plural(tasks.size(), "task").c_str(), done,
              running, queued, failed, failures.c_str());
  return 0;
}

int runResubmit(const std::string& jobId, const std::string& jobsFolder) {
  const std::string jobsDir = absolute(jobsFolder);
  std::string error;
  std::optional<FarmJob> job = loadJob(jobsDir, jobId, error);
  if (!job) return fail(error);
  std::vector<int> frames;
  for (const TaskReport& t : report(*job))
    if (taskPhase(t.state) == "ended") frames.insert(frames.end(), t.missing.begin(), t.missing.end());
  if (frames.empty()) {
    std::printf("job %s: nothing to resubmit\n", jobId.c_str());
    return 0;
  }
  job->tasks = chunkFrames(frames, job->chunk);
  if (!queueJob(*job, jobsDir, error)) return fail(error);
  std::printf("job %s: frames %s of job %s in %s -> %s/%s.sbatch\n", job->id.c_str(), frameList(frames).c_str(),
              jobId.c_str(), plural(job->tasks.size(), "task").c_str(), jobsDir.c_str(), job->id.c_str());
  return 0;
}

}  // namespace app::farm
