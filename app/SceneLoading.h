#pragma once
// Loads the scene file a command names, with the command line's parameter
// overrides (--set NODE.PARAM=VALUE) written into it first.
#include <string>
#include <vector>

class INode;

namespace app {

// Kept for every scene this process loads. Each entry is NODE.PARAM=VALUE,
// split at the first "=" and the last "." before it; VALUE is read as JSON
// (numbers, true/false, [r, g, b], {"keys": ...}) and otherwise taken as a
// string (a node, material or file name).
void setSceneOverrides(std::vector<std::string> overrides);

// Replaces the scene with the file's contents; false with one line.
bool loadScene(const std::string& path, std::string& error);

// Loads the scene and finds a node in it; null with the error otherwise.
INode* loadSceneNode(const std::string& path, const std::string& name, std::string& error);

}  // namespace app
