#include "app/farm/FarmJob.h"

#include <fstream>
#include <nlohmann/json.hpp>

#include "ink/FrameNaming.h"

namespace app::farm {

std::vector<FrameRange> chunkFrames(const std::vector<int>& frames, int chunk) {
  std::vector<FrameRange> tasks;
  for (const int f : frames) {
    if (!tasks.empty() && f == tasks.back().last + 1 && f - tasks.back().first < chunk)
      tasks.back().last = f;
    else
      tasks.push_back({f, f});
  }
  return tasks;
}

std::string frameFile(const FarmJob& job, int frame) { return ink::frameFileName(job.pattern, frame); }

DriverCall driverCall(const FarmJob& job, const FrameRange& frames) {
  if (job.kind == "prt") return prtCall(frames.first, frames.last, job.pattern);
  if (job.kind == "vdb") return vdbCall(frames.first, frames.last, job.pattern, job.resolution);
  return sequenceCall(job.camera, frames.first, frames.last, job.pattern, job.width, job.height);
}

std::vector<std::string> taskCommand(const FarmJob& job, const FrameRange& frames) {
  std::vector<std::string> words;
  for (const std::string& o : job.overrides) words.insert(words.end(), {"--set", o});
  if (job.cpus > 0) words.insert(words.end(), {"--threads", std::to_string(job.cpus)});
  words.insert(words.end(), {job.kind, job.scene, job.ink});
  if (job.kind == "sequence") words.insert(words.end(), {"--camera", job.camera});
  words.insert(words.end(),
               {"--start", std::to_string(frames.first), "--end", std::to_string(frames.last), "--out", job.pattern});
  if (job.kind == "sequence")
    words.insert(words.end(), {"--size", std::to_string(job.width) + "x" + std::to_string(job.height)});
  if (job.kind == "vdb") words.insert(words.end(), {"--resolution", std::to_string(job.resolution)});
  return words;
}

std::string recordPath(const std::string& jobsDir, const std::string& id) { return jobsDir + "/" + id + ".json"; }

NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FrameRange, first, last)
NLOHMANN_DEFINE_TYPE_NON_INTRUSIVE(FarmJob, kind, scene, ink, camera, width, height, resolution, pattern, overrides,
                                   partition, chunk, cpus, tasks, id)

bool saveJob(const FarmJob& job, const std::string& path, std::string& error) {
  std::ofstream out(path, std::ios::trunc);
  out << nlohmann::json(job).dump(1) << "\n";
  out.close();
  if (out) return true;
  error = "cannot write " + path;
  return false;
}

std::optional<FarmJob> loadJob(const std::string& jobsDir, const std::string& id, std::string& error) {
  const std::string path = recordPath(jobsDir, id);
  std::ifstream in(path);
  if (!in) {
    error = "no farm job " + id + " in " + jobsDir;
    return std::nullopt;
  }
  try {
    return nlohmann::json::parse(in).get<FarmJob>();
  } catch (const nlohmann::json::exception&) {
    error = path + " is not a farm job record";
    return std::nullopt;
  }
}

}  // namespace app::farm
