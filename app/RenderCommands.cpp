// The friendly forms of the ink object's batch drivers: render, sequence,
// prt, vdb and over call the published "orbInk" functions as a script does
// and turn a short result into a non-zero exit.
#include <cstdio>

#include "app/Commands.h"
#include "app/SceneLoading.h"
#include "app/ScriptCall.h"
#include "app/TerminalProgress.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "ink/InkObject.h"

namespace app {

namespace {
// Calls the driver; success when a bool result is true or a frame count
// reaches `framesAsked`. The status line goes to stdout on success and to
// stderr otherwise.
int runDriver(const std::string& scenePath, const std::string& inkName, const std::string& function,
              const std::vector<std::string>& args, long long framesAsked) {
  std::string error;
  INode* node = loadSceneNode(scenePath, inkName, error);
  if (!node) return fail(error);
  auto* ink = dynamic_cast<InkObject*>(node->GetObjectRef());
  if (!ink) return fail("node \"" + inkName + "\" is not an ink object");
  ScriptFunction fn;
  if (!findScriptFunction(*node, function, fn, error)) return fail(error);
  // A batch job: no viewport shows the node, so it is not evaluated for display first.
  Interface& core = *GetCOREInterface();
  TerminalProgress progress(core, [ink] { return ink->StatusText(); });
  installInterruptHandler(core);
  FPValue result;
  if (!callScriptFunction(core, fn, args, result, error)) return fail(error);
  const bool done = result.type == TYPE_BOOL ? result.i != 0 : result.i >= framesAsked;
  const std::string& status = ink->StatusText();
  if (!done) return fail(status.empty() ? function + " wrote " + std::to_string(result.i) + " frames" : status);
  std::printf("%s\n", status.c_str());
  return 0;
}

long long framesIn(int start, int end) { return end < start ? 0 : static_cast<long long>(end) - start + 1; }
}  // namespace

int runRender(const std::string& scenePath, const std::string& inkName, const std::string& camera, int frame,
              const std::string& outFile, int width, int height) {
  return runDriver(scenePath, inkName, "renderFrame",
                   {camera, std::to_string(frame), outFile, std::to_string(width), std::to_string(height)}, 1);
}

int runSequence(const std::string& scenePath, const std::string& inkName, const std::string& camera, int start,
                int end, const std::string& pattern, int width, int height) {
  return runDriver(scenePath, inkName, "renderSequence",
                   {camera, std::to_string(start), std::to_string(end), pattern, std::to_string(width),
                    std::to_string(height)},
                   framesIn(start, end));
}

int runPrt(const std::string& scenePath, const std::string& inkName, int start, int end, const std::string& pattern) {
  return runDriver(scenePath, inkName, "exportPRT", {std::to_string(start), std::to_string(end), pattern},
                   framesIn(start, end));
}

int runVdb(const std::string& scenePath, const std::string& inkName, int start, int end, const std::string& pattern,
           int resolution) {
  return runDriver(scenePath, inkName, "exportVDB",
                   {std::to_string(start), std::to_string(end), pattern, std::to_string(resolution)},
                   framesIn(start, end));
}

int runOver(const std::string& scenePath, const std::string& inkName, const std::string& camera, int frame,
            const std::string& background, const std::string& outFile) {
  return runDriver(scenePath, inkName, "renderOver", {camera, std::to_string(frame), background, outFile}, 1);
}

}  // namespace app
