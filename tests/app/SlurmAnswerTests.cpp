// What the farm reads from Slurm's tools and hands to the shell, without a
// cluster.
#include <gtest/gtest.h>

#include "app/farm/Shell.h"
#include "app/farm/Slurm.h"

namespace app::farm {

TEST(SlurmAnswers, TaskStatesOfSacctAndSqueueLines) {
  const std::string sacct =
      "12_0|COMPLETED\n12_1|CANCELLED by 0\n12_[2-3,5%2]|PENDING\n120_4|FAILED\n12_4|RUNNING\n12.batch|X\n";
  const std::map<int, std::string> states = parseTaskStates("12", sacct);
  const std::map<int, std::string> expected = {{0, "COMPLETED"}, {1, "CANCELLED"}, {2, "PENDING"},
                                               {3, "PENDING"},   {4, "RUNNING"},   {5, "PENDING"}};
  EXPECT_EQ(states, expected);
  EXPECT_TRUE(parseTaskStates("12", "slurm_load_jobs error: Invalid job id specified\n").empty());
  EXPECT_EQ(taskPhase("PENDING"), "queued");
  EXPECT_EQ(taskPhase("COMPLETING"), "running");
  EXPECT_EQ(taskPhase("OUT_OF_MEMORY"), "ended");
}

TEST(SlurmAnswers, WordsReachTheProgramAsTheyAre) {
  const std::string word = "it's a \"$HOME\" `x` \\ word";
  const CommandResult echoed = runCommand({"printf", "%s", word});
  EXPECT_EQ(echoed.status, 0);
  EXPECT_EQ(echoed.output, word);
  EXPECT_EQ(commandError("no-such-tool", runCommand({"no-such-tool"})), "no-such-tool is not installed");
  EXPECT_EQ(commandError("sleep", runCommand({"sleep", "5"}, 1), 1), "sleep did not answer within 1 s");
  EXPECT_EQ(commandError("ls", runCommand({"ls", "/no/such/folder"})).rfind("ls: ", 0), 0u);
  EXPECT_EQ(lastLine("a\nb\n\n"), "b");
}

}  // namespace app::farm
