// orbink: runs the plug-in library without the host application.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Commands.h"
#include "app/DriverCalls.h"
#include "app/SceneLoading.h"
#include "app/farm/FarmCommands.h"

int main(int argc, char** argv) {
  CLI::App cli{"orbink - glass orbs full of ink, from the command line"};
  cli.require_subcommand(1);
  cli.fallthrough();
  bool verbose = false;
  cli.add_flag("-v,--verbose", verbose, "after the command, print each kernel's launches and time on stderr");
  std::vector<std::string> overrides;
  cli.add_option("--set", overrides, "NODE.PARAM=VALUE: override a parameter of the scene (repeatable)");
  int threads = 0;
  cli.add_option("--threads", threads, "host threads for the cpu backend and host loops (default all cores)")
      ->check(CLI::Range(1, 1024));

  auto* info = cli.add_subcommand("info", "library description, device line and particle capacity");

  bool classesJson = false;
  auto* classes = cli.add_subcommand("classes", "the class directory, in registry order");
  classes->add_flag("--json", classesJson, "print JSON");

  std::string paramsClass;
  bool paramsJson = false;
  auto* params = cli.add_subcommand("params", "the parameter table of a class");
  params->add_option("CLASS", paramsClass, "internal class name")->required();
  params->add_flag("--json", paramsJson, "print JSON");

  std::string scenePath;
  auto* scene = cli.add_subcommand("scene", "load a scene file and list its nodes");
  scene->add_option("SCENE", scenePath, "scene file (JSON)")->required();

  std::string meshNode, meshOut;
  double meshFrame = 0;
  bool meshRender = false;
  auto* mesh = cli.add_subcommand("mesh", "write the mesh of a node at a frame as OBJ (object space)");
  mesh->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  mesh->add_option("NODE", meshNode, "node name")->required();
  mesh->add_option("--frame", meshFrame, "frame number (may be fractional)");
  mesh->add_flag("--render", meshRender, "evaluate as the renderer does (render segments)");
  mesh->add_option("--out", meshOut, "output .obj file")->required();

  std::string bakeNode, bakeOut;
  double bakeFrame = 0;
  auto* bake = cli.add_subcommand("bake", "bake an orb's veil loop and dump it; prints the solver status");
  bake->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  bake->add_option("NODE", bakeNode, "orb node name")->required();
  bake->add_option("--frame", bakeFrame, "frame whose parameters the bake uses");
  bake->add_option("--out", bakeOut, "output dump file")->required();

  std::string viewCamera, viewOut, viewSize = "960x540";
  double viewFrame = 0;
  auto* viewport = cli.add_subcommand("viewport", "a wireframe preview of the viewports from a camera, as PNG");
  viewport->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  viewport->add_option("--camera", viewCamera, "camera node")->required();
  viewport->add_option("--frame", viewFrame, "frame number");
  viewport->add_option("--out", viewOut, "output .png file")->required();
  viewport->add_option("--size", viewSize, "WIDTHxHEIGHT (default 960x540)");

  std::string particlesNode, particlesMode = "render", particlesOut;
  double particlesFrame = 0;
  long long particlesMax = 0;
  auto* particles = cli.add_subcommand("particles", "evaluate an ink node and write its particles (.bin or .ply)");
  particles->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  particles->add_option("NODE", particlesNode, "ink node name")->required();
  particles->add_option("--frame", particlesFrame, "frame number (may be fractional)");
  particles->add_option("--mode", particlesMode, "viewport or render (default render)");
  particles->add_option("--max", particlesMax, "keep every k-th particle so that at most N are written");
  particles->add_option("--out", particlesOut, "output .bin or .ply file")->required();

  std::string forceNode;
  double forceFrame = 0;
  auto* force = cli.add_subcommand("force", "world-space force of a space warp: stdin \"x y z vx vy vz index\" lines, stdout \"fx fy fz\"");
  force->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  force->add_option("NODE", forceNode, "space-warp node name")->required();
  force->add_option("--frame", forceFrame, "frame number (may be fractional)");

  std::string callNode, callFunction;
  std::vector<std::string> callArgs;
  auto* call = cli.add_subcommand("call", "call a published function of a node");
  call->add_option("SCENE", scenePath, "scene file (JSON)")->required();
  call->add_option("NODE", callNode, "node name")->required();
  call->add_option("FUNCTION", callFunction, "function name")->required();
  call->add_option("ARGS", callArgs, "arguments, converted to the declared types");
  call->allow_extras(false);

  // The ink node's batch drivers.
  std::string inkNode, driverCamera, driverOut, driverSize = "960x960", background;
  int driverFrame = 0, driverStart = 0, driverEnd = 0, resolution = 256;
  auto inkDriver = [&](const char* name, const char* description) {
    auto* c = cli.add_subcommand(name, description);
    c->add_option("SCENE", scenePath, "scene file (JSON)")->required();
    c->add_option("INK", inkNode, "ink node name")->required();
    return c;
  };
  auto frameRange = [&](CLI::App* c, const char* out) {
    c->add_option("--start", driverStart, "first frame")->required();
    c->add_option("--end", driverEnd, "last frame")->required();
    c->add_option("--out", driverOut, out)->required();
  };
  auto* render = inkDriver("render", "render one frame of an ink node (renderFrame)");
  render->add_option("--camera", driverCamera, "camera node")->required();
  render->add_option("--frame", driverFrame, "frame number");
  render->add_option("--out", driverOut, "output image (.png, .exr or .bmp)")->required();
  render->add_option("--size", driverSize, "WIDTHxHEIGHT (default 960x960)");
  auto* sequence = inkDriver("sequence", "render a frame range (renderSequence)");
  sequence->add_option("--camera", driverCamera, "camera node")->required();
  frameRange(sequence, "file pattern: #### or _0000 before the extension");
  sequence->add_option("--size", driverSize, "WIDTHxHEIGHT (default 960x960)");
  auto* prt = inkDriver("prt", "export a frame range as PRT particle files (exportPRT)");
  frameRange(prt, "file pattern");
  auto* vdb = inkDriver("vdb", "export a frame range as VDB density volumes (exportVDB)");
  frameRange(vdb, "file pattern");
  vdb->add_option("--resolution", resolution, "grid cells per side, 32 to 1536 (default 256)");
  auto* over = inkDriver("over", "render one frame over a background image at its size (renderOver)");
  over->add_option("--camera", driverCamera, "camera node")->required();
  over->add_option("--frame", driverFrame, "frame number");
  over->add_option("--background", background, "background image")->required();
  over->add_option("--out", driverOut, "output image")->required();

  // The farm: a frame range queued on a Slurm cluster as a job array.
  app::farm::SubmitOptions submitOptions;
  std::string farmJob, jobsDir = "orbink-jobs";
  auto* farm = cli.add_subcommand("farm", "render or export a frame range on a Slurm cluster (see docs/FARM.md)");
  farm->require_subcommand(1);
  auto* submit = farm->add_subcommand("submit", "queue a frame range as a job array, CHUNK frames a task");
  submit->add_option("SCENE", submitOptions.scene, "scene file (JSON)")->required();
  submit->add_option("INK", submitOptions.ink, "ink node name")->required();
  submit->add_option("--kind", submitOptions.kind, "what each task runs: sequence (default), prt or vdb")
      ->check(CLI::IsMember({"sequence", "prt", "vdb"}));
  submit->add_option("--camera", submitOptions.camera, "camera node (sequence)");
  submit->add_option("--start", submitOptions.start, "first frame")->required();
  submit->add_option("--end", submitOptions.end, "last frame")->required();
  submit->add_option("--out", submitOptions.out, "file pattern, on storage every node sees")->required();
  submit->add_option("--size", submitOptions.size, "WIDTHxHEIGHT (sequence, default 960x960)");
  submit->add_option("--resolution", submitOptions.resolution, "grid cells per side (vdb, default 256)");
  submit->add_option("--chunk", submitOptions.chunk, "frames per task (default 1)")->check(CLI::Range(1, 1 << 30));
  submit->add_option("--partition", submitOptions.partition, "Slurm partition (default: the cluster's)");
  submit->add_option("--cpus", submitOptions.cpus, "CPUs per task, also the runner's --threads (default: the cluster's)")
      ->check(CLI::Range(1, 1024));
  auto jobsOption = [&](CLI::App* c) {
    c->add_option("--jobs", jobsDir, "folder of the farm's scripts, records and task logs (default orbink-jobs)");
  };
  jobsOption(submit);
  auto* farmStatus = farm->add_subcommand("status", "frames done, running, queued and failed in a job");
  farmStatus->add_option("JOB", farmJob, "job id")->required();
  jobsOption(farmStatus);
  auto* resubmit = farm->add_subcommand("resubmit", "queue again the frames of a job whose files are missing");
  resubmit->add_option("JOB", farmJob, "job id")->required();
  jobsOption(resubmit);

  try {
    cli.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return cli.exit(e);
  }

  // Before the library starts the host thread pool.
  if (threads > 0) setenv("ORB_CPU_THREADS", std::to_string(threads).c_str(), 1);
  app::setSceneOverrides(overrides);
  app::loadLibrary();
  const auto run = [&]() -> int {
    if (*info) return app::runInfo(verbose);
    if (*classes) return app::runClasses(classesJson);
    if (*params) return app::runParams(paramsClass, paramsJson);
    if (*scene) return app::runScene(scenePath);
    if (*mesh) return app::runMesh(scenePath, meshNode, meshFrame, meshRender, meshOut);
    if (*bake) return app::runBake(scenePath, bakeNode, bakeFrame, bakeOut);
    int w = 0, h = 0;
    if (*viewport) {
      if (!app::parseSize(viewSize, w, h)) return app::fail("--size expects WIDTHxHEIGHT");
      return app::runViewport(scenePath, viewCamera, viewFrame, viewOut, w, h);
    }
    if (std::string error; (*render || *sequence) && !app::parseRenderSize(driverSize, w, h, error))
      return app::fail(error);
    if (*render)
      return app::runDriverCall(scenePath, inkNode, app::renderCall(driverCamera, driverFrame, driverOut, w, h));
    if (*sequence)
      return app::runDriverCall(scenePath, inkNode,
                                app::sequenceCall(driverCamera, driverStart, driverEnd, driverOut, w, h));
    if (*prt) return app::runDriverCall(scenePath, inkNode, app::prtCall(driverStart, driverEnd, driverOut));
    if (*vdb)
      return app::runDriverCall(scenePath, inkNode, app::vdbCall(driverStart, driverEnd, driverOut, resolution));
    if (*over)
      return app::runDriverCall(scenePath, inkNode, app::overCall(driverCamera, driverFrame, background, driverOut));
    if (*submit) {
      submitOptions.jobsDir = jobsDir;
      submitOptions.overrides = overrides;
      return app::farm::runSubmit(submitOptions);
    }
    if (*farmStatus) return app::farm::runStatus(farmJob, jobsDir);
    if (*resubmit) return app::farm::runResubmit(farmJob, jobsDir);
    if (*particles)
      return app::runParticles(scenePath, particlesNode, particlesFrame, particlesMode, particlesMax, particlesOut);
    if (*force) return app::runForce(scenePath, forceNode, forceFrame);
    if (*call) return app::runCall(scenePath, callNode, callFunction, callArgs);
    return 1;
  };
  const int status = run();
  if (verbose) app::printKernelStats();
  return status;
}
