#pragma once
// The calls the render commands make to the ink node's batch drivers, so
// that the farm checks and queues exactly what `orbink sequence`, `prt` and
// `vdb` would run.
#include <string>
#include <vector>

namespace app {

struct DriverCall {
  std::string function;  // the published "orbInk" function
  std::vector<std::string> args;
  int start = 0, end = 0;  // the frames it writes
};

DriverCall renderCall(const std::string& camera, int frame, const std::string& outFile, int width, int height);
DriverCall sequenceCall(const std::string& camera, int start, int end, const std::string& pattern, int width,
                        int height);
DriverCall prtCall(int start, int end, const std::string& pattern);
DriverCall vdbCall(int start, int end, const std::string& pattern, int resolution);
DriverCall overCall(const std::string& camera, int frame, const std::string& background, const std::string& outFile);

// Loads the scene and checks everything the call would check before its
// first frame: the ink node, the function, its arguments and the frame
// range. False with the message the runner would exit with.
bool checkDriverCall(const std::string& scenePath, const std::string& inkName, const DriverCall& call,
                     std::string& error);

// Runs the call; the status line on stdout, or the exit status 1 with it on
// stderr when the driver fails or writes fewer frames than the range holds.
int runDriverCall(const std::string& scenePath, const std::string& inkName, const DriverCall& call);

}  // namespace app
