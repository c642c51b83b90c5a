#include "app/farm/SbatchScript.h"

#include "app/farm/Shell.h"

namespace app::farm {

std::string sbatchScript(const FarmJob& job, const std::string& runner, const std::string& jobsDir) {
  std::string s = "#!/bin/bash\n";
  s += "#SBATCH --job-name=orbink-" + job.kind + "\n";
  s += "#SBATCH --array=0-" + std::to_string(job.tasks.size() - 1) + "\n";
  s += "#SBATCH --output=" + jobsDir + "/%A_%a.log\n";
  if (!job.partition.empty()) s += "#SBATCH --partition=" + job.partition + "\n";
  if (job.cpus > 0) s += "#SBATCH --cpus-per-task=" + std::to_string(job.cpus) + "\n";
  s += "# Written by orbink farm: each task of the array renders its frames; the\n"
       "# runner logs one status line per frame.\n";
  s += "case \"$SLURM_ARRAY_TASK_ID\" in\n";
  for (std::size_t i = 0; i < job.tasks.size(); ++i) {
    s += "  " + std::to_string(i) + ") exec " + shellQuoted(runner);
    for (const std::string& word : taskCommand(job, job.tasks[i])) s += " " + shellQuoted(word);
    s += " ;;\n";
  }
  s += "esac\necho \"orbink farm: no frames for task $SLURM_ARRAY_TASK_ID\" >&2\nexit 1\n";
  return s;
}

}  // namespace app::farm
