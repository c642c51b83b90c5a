// `orbink farm` on a running Slurm cluster (tools/local-cluster.sh on CI):
// a chunked job array renders the same bytes as one process, a killed task
// leaves no truncated frame and resubmit completes exactly the missing
// frames, and bad input fails before anything is queued.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <thread>

#include "RunnerSupport.h"

namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The job id of "job 12: ..." lines.
std::string jobOf(const std::string& out) {
  std::smatch m;
  return std::regex_search(out, m, std::regex("^job (\\d+): ")) ? m[1].str() : "";
}

struct FarmTest : testing::Test {
  fs::path dir;
  std::string scene, jobs;

  void SetUp() override {
    const RunResult cluster = run("timeout 10 sinfo -h -o %T");
    if (cluster.code != 0 || !std::regex_search(cluster.out, std::regex("idle|mixed|allocated")))
      FAIL() << "no Slurm cluster takes jobs: start one with tools/local-cluster.sh start and export its "
                "SLURM_CONF (sinfo said: "
             << cluster.out << cluster.err << ")";
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    dir = fs::temp_directory_path() / ("orbink_farm_" + name + "_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "out");
    scene = (dir / "ink.json").string();
    jobs = (dir / "jobs").string();
    std::ofstream(scene) << R"({"fps": 30, "nodes": [
      {"name": "Ink", "class": "TessaronOrbInk",
       "params": {"renderCount": 2000, "viewportCount": 500, "gridRes": 32, "antialias": 1, "caustics": false,
                  "bubbles": 0}},
      {"name": "Cam", "class": "camera", "position": [0, -160, 0], "target": [0, 0, 0]}]})";
  }
  void TearDown() override { fs::remove_all(dir); }

  // Waits until Slurm holds no task of the job; false after `seconds`.
  bool waitForJob(const std::string& id, int seconds = 180) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      const RunResult q = run("timeout 10 squeue -h -j " + id + " -o %i");
      if (q.code == 0 && q.out.empty()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    run("scancel " + id);
    return false;
  }
  std::string submit(const std::string& options) {
    const RunResult r = orbink(options + " --jobs " + jobs);
    EXPECT_EQ(r.code, 0) << r.err;
    return jobOf(r.out);
  }
  std::string status(const std::string& id) { return orbink("farm status " + id + " --jobs " + jobs).out; }
};

TEST_F(FarmTest, ChunkedArrayWritesTheBytesOfOneProcess) {
  const std::string sets = "--set Ink.renderCount=1500 ";
  const std::string range = " Ink --camera Cam --start 0 --end 5 --size 40x24 --out ";
  RunResult one = orbink(sets + "sequence " + scene + range + (dir / "one.####.exr").string());
  ASSERT_EQ(one.code, 0) << one.err;
  const std::string id = submit(sets + "farm submit " + scene + range + (dir / "out/farm.exr").string() + " --chunk 2");
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(waitForJob(id)) << "job " << id << " did not end within 180 s";
  for (int f = 0; f <= 5; ++f)
    EXPECT_EQ(slurp(dir / ("out/farm_000" + std::to_string(f) + ".exr")),
              slurp(dir / ("one.000" + std::to_string(f) + ".exr")))
        << "frame " << f;
  EXPECT_EQ(status(id), "job " + id + " (sequence, 6 frames in 3 tasks): 6 done, 0 running, 0 queued, 0 failed\n");
  // Each task's log holds its frames' status lines.
  const auto log = lines(slurp(jobs + "/" + id + "_1.log"));
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].rfind("frame 2: ink 1500 = 1500 particles", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("frame 3: ", 0), 0u) << log[1];
  EXPECT_EQ(orbink("farm resubmit " + id + " --jobs " + jobs).out, "job " + id + ": nothing to resubmit\n");

  // Volumes too, a frame a task.
  const std::string volumes = " Ink --start 1 --end 2 --resolution 32 --out ";
  one = orbink("vdb " + scene + volumes + (dir / "one.vdb").string());
  ASSERT_EQ(one.code, 0) << one.err;
  const std::string vdb = submit("farm submit --kind vdb " + scene + volumes + (dir / "out/farm.vdb").string());
  ASSERT_TRUE(waitForJob(vdb));
  for (const char* f : {"_0001.vdb", "_0002.vdb"})
    EXPECT_EQ(slurp(dir / ("out/farm" + std::string(f))), slurp(dir / ("one" + std::string(f)))) << f;
}

TEST_F(FarmTest, KilledTasksLeaveNoTruncatedFrameAndResubmitCompletesTheMissingOnes) {
  // Frames of a second or two, so that the kill lands inside one.
  const std::string id =
      submit("--set Ink.antialias=4 farm submit " + scene +
             " Ink --camera Cam --start 0 --end 5 --size 640x640 --chunk 3 --out " + (dir / "out/f.png").string());
  ASSERT_FALSE(id.empty());
  const fs::path firstLog = jobs + "/" + id + "_0.log";
  for (int i = 0; i < 1500 && slurp(firstLog).find("frame 0: ") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  run("scancel --full --signal=KILL " + id);
  ASSERT_TRUE(waitForJob(id, 60));

  std::size_t missing = 0;
  std::map<int, fs::file_time_type> written;
  for (int f = 0; f <= 5; ++f) {
    const fs::path file = dir / ("out/f_000" + std::to_string(f) + ".png");
    if (!fs::exists(file)) {
      ++missing;
      continue;
    }
    EXPECT_NE(slurp(file).find("IEND"), std::string::npos) << file << " is truncated";
    written[f] = fs::last_write_time(file);
  }
  ASSERT_GT(missing, 0u) << "every frame was done before the kill";
  EXPECT_NE(status(id).find("failed frames "), std::string::npos) << status(id);

  // The new job holds exactly the missing frames; the written ones stay untouched.
  const RunResult again = orbink("farm resubmit " + id + " --jobs " + jobs);
  ASSERT_EQ(again.code, 0) << again.err;
  const std::string second = jobOf(again.out);
  ASSERT_TRUE(waitForJob(second));
  const std::string n = std::to_string(missing);
  EXPECT_TRUE(std::regex_match(status(second),
                               std::regex("job " + second + " \\(sequence, " + n + " frames? in \\d tasks?\\): " + n +
                                          " done, 0 running, 0 queued, 0 failed\n")))
      << status(second);
  for (int f = 0; f <= 5; ++f) EXPECT_TRUE(fs::exists(dir / ("out/f_000" + std::to_string(f) + ".png"))) << f;
  for (const auto& [f, time] : written)
    EXPECT_EQ(fs::last_write_time(dir / ("out/f_000" + std::to_string(f) + ".png")), time) << f;
  for (const auto& entry : fs::directory_iterator(dir / "out"))
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
}

TEST_F(FarmTest, BadInputFailsWithTheRunnersLineBeforeAnythingIsQueued) {
  const std::string head = "farm submit " + scene + " Ink --out " + (dir / "out/x.png").string() + " --jobs " + jobs;
  const std::pair<std::string, std::string> cases[] = {
      {" --camera Nobody --start 0 --end 5", "orbink: argument camera: no node named \"Nobody\"\n"},
      {" --camera Cam --start 0 --end 2000000000", "orbink: frame 2000000000 is outside the time range\n"},
      {" --camera Cam --start 5 --end 4", "orbink: --end is before --start\n"},
      {" --start 0 --end 5", "orbink: a sequence needs --camera\n"},
      {" --camera Cam --start 0 --end 5 --size 0x9", "orbink: the size must be between 1x1 and 16384x16384\n"},
      {" --camera Cam --start 0 --end 5 --set Ink.nothing=1",
       "orbink: " + scene + ": node \"Ink\": params.nothing: unknown parameter of TessaronOrbInk\n"}};
  for (const auto& [options, message] : cases) {
    const RunResult r = orbink(head + options);
    EXPECT_EQ(r.code, 1) << options;
    EXPECT_EQ(r.err.substr(0, message.size()), message) << options;
  }
  EXPECT_FALSE(fs::exists(jobs));
  // What only Slurm can judge fails with its line, and leaves no script.
  const RunResult r = orbink(head + " --camera Cam --start 0 --end 5 --partition nowhere");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err.rfind("orbink: sbatch: error: ", 0), 0u) << r.err;
  EXPECT_TRUE(fs::is_empty(jobs));
  std::ofstream(jobs + "/7.json") << R"({"kind": "sequence"})";
  EXPECT_EQ(orbink("farm resubmit 7 --jobs " + jobs).err, "orbink: " + jobs + "/7.json is not a farm job record\n");
  EXPECT_EQ(orbink("farm status 999999 --jobs " + jobs).err, "orbink: no farm job 999999 in " + jobs + "\n");
}

}  // namespace
