#pragma once
// The runner's commands. Each returns the process exit code and writes a
// one-line message to stderr on failure.
#include <string>
#include <vector>

namespace app {

// Hands the plug-in library's classes to the host's class directory.
void loadLibrary();

// `verbose` adds the host pool's thread count.
int runInfo(bool verbose);
int runClasses(bool json);
int runParams(const std::string& className, bool json);
int runScene(const std::string& scenePath);
int runMesh(const std::string& scenePath, const std::string& nodeName, double frame, bool render,
            const std::string& outFile);
int runBake(const std::string& scenePath, const std::string& nodeName, double frame, const std::string& outFile);
int runViewport(const std::string& scenePath, const std::string& cameraName, double frame, const std::string& outFile,
                int width, int height);
// Evaluates an ink node at the frame in "viewport" or "render" mode and
// writes its particles (.bin or .ply); prints the count and the status line.
int runParticles(const std::string& scenePath, const std::string& nodeName, double frame, const std::string& mode,
                 long long maxCount, const std::string& outFile);
// Reads "x y z vx vy vz index" lines from stdin and prints the world-space
// force "fx fy fz" of a space-warp node at the frame for each.
int runForce(const std::string& scenePath, const std::string& nodeName, double frame);
int runCall(const std::string& scenePath, const std::string& nodeName, const std::string& function,
            const std::vector<std::string>& args);

// The friendly forms of the ink node's batch drivers are DriverCalls
// (app/DriverCalls.h); the farm commands queue them on a Slurm cluster
// (app/farm/FarmCommands.h).

// "WIDTHxHEIGHT"; the commands judge the numbers.
bool parseSize(const std::string& text, int& width, int& height);
// A render size: "WIDTHxHEIGHT" from 1x1 to 16384x16384; false with the error.
bool parseRenderSize(const std::string& text, int& width, int& height, std::string& error);

// Prints each kernel launched so far, "kernel <name>: <n> launches, <s> s", on stderr.
void printKernelStats();

// Prints "orbink: <message>" to stderr and returns 1.
int fail(const std::string& message);

}  // namespace app
