// The friendly forms of the ink object's batch drivers: render, sequence,
// prt, vdb and over call the published "orbInk" functions as a script does
// and turn a short result into a non-zero exit.
#include <cstdio>

#include "app/Commands.h"
#include "app/DriverCalls.h"
#include "app/SceneLoading.h"
#include "app/ScriptCall.h"
#include "app/TerminalProgress.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "ink/FrameNaming.h"
#include "ink/InkObject.h"

namespace app {

namespace {
// The scene's ink node and the driver function of the call; null with the error otherwise.
InkObject* findDriver(const std::string& scenePath, const std::string& inkName, const DriverCall& call,
                      ScriptFunction& fn, std::string& error) {
  INode* node = loadSceneNode(scenePath, inkName, error);
  if (!node) return nullptr;
  auto* ink = dynamic_cast<InkObject*>(node->GetObjectRef());
  if (!ink) {
    error = "node \"" + inkName + "\" is not an ink object";
    return nullptr;
  }
  return findScriptFunction(*node, call.function, fn, error) ? ink : nullptr;
}

long long framesIn(int start, int end) { return end < start ? 0 : static_cast<long long>(end) - start + 1; }
}  // namespace

bool parseSize(const std::string& text, int& width, int& height) {
  char x = 0, extra = 0;
  return std::sscanf(text.c_str(), "%d%c%d%c", &width, &x, &height, &extra) == 3 && x == 'x';
}

bool parseRenderSize(const std::string& text, int& width, int& height, std::string& error) {
  if (!parseSize(text, width, height))
    error = "--size expects WIDTHxHEIGHT";
  else if (width < 1 || height < 1 || width > 16384 || height > 16384)
    error = "the size must be between 1x1 and 16384x16384";
  else
    return true;
  return false;
}

DriverCall renderCall(const std::string& camera, int frame, const std::string& outFile, int width, int height) {
  return {"renderFrame", {camera, std::to_string(frame), outFile, std::to_string(width), std::to_string(height)},
          frame, frame};
}

DriverCall sequenceCall(const std::string& camera, int start, int end, const std::string& pattern, int width,
                        int height) {
  return {"renderSequence",
          {camera, std::to_string(start), std::to_string(end), pattern, std::to_string(width), std::to_string(height)},
          start, end};
}

DriverCall prtCall(int start, int end, const std::string& pattern) {
  return {"exportPRT", {std::to_string(start), std::to_string(end), pattern}, start, end};
}

DriverCall vdbCall(int start, int end, const std::string& pattern, int resolution) {
  return {"exportVDB", {std::to_string(start), std::to_string(end), pattern, std::to_string(resolution)}, start, end};
}

DriverCall overCall(const std::string& camera, int frame, const std::string& background, const std::string& outFile) {
  return {"renderOver", {camera, std::to_string(frame), background, outFile}, frame, frame};
}

bool checkDriverCall(const std::string& scenePath, const std::string& inkName, const DriverCall& call,
                     std::string& error) {
  ScriptFunction fn;
  if (!findDriver(scenePath, inkName, call, fn, error)) return false;
  Interface& core = *GetCOREInterface();
  FPParams params;
  if (!convertScriptArguments(core, fn, call.args, params, error)) return false;
  error = ink::frameRangeError(call.start, call.end, core.GetTicksPerFrame());
  return error.empty();
}

// Success when a bool result is true or the frame count reaches the range's.
int runDriverCall(const std::string& scenePath, const std::string& inkName, const DriverCall& call) {
  std::string error;
  ScriptFunction fn;
  InkObject* ink = findDriver(scenePath, inkName, call, fn, error);
  if (!ink) return fail(error);
  // A batch job: no viewport shows the node, so it is not evaluated for display first.
  Interface& core = *GetCOREInterface();
  TerminalProgress progress(core, [ink] { return ink->StatusText(); });
  installInterruptHandler(core);
  FPValue result;
  if (!callScriptFunction(core, fn, call.args, result, error)) return fail(error);
  const bool done = result.type == TYPE_BOOL ? result.i != 0 : result.i >= framesIn(call.start, call.end);
  const std::string& status = ink->StatusText();
  if (!done)
    return fail(status.empty() ? call.function + " wrote " + std::to_string(result.i) + " frames" : status);
  std::printf("%s\n", status.c_str());
  return 0;
}

}  // namespace app
