#pragma once
// The batch script of a farm job: a Slurm job array whose task i runs the
// runner on the job's i-th frame range, logging to JOBS/JOB_i.log.
#include <string>

#include "app/farm/FarmJob.h"

namespace app::farm {

std::string sbatchScript(const FarmJob& job, const std::string& runner, const std::string& jobsDir);

}  // namespace app::farm
