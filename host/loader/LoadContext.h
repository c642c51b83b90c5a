#pragma once
// What the scene loader knows while it reads: the names defined so far, the
// scene file's folder, and how to report a fault at a key.
#include <map>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "host/sdk/Time.h"

class INode;
class Mtl;
class Texmap;

namespace host {

// Scene files keep their order: materials may name those given before them.
using SceneJson = nlohmann::ordered_json;

// A fault in the scene, with the place it was found ("node \"Ink\":
// params.renderCount") and what is wrong.
class LoadError : public std::runtime_error {
 public:
  LoadError(const std::string& where, const std::string& what) : std::runtime_error(where + ": " + what) {}
};

struct LoadContext {
  std::string baseDir;
  int ticksPerFrame = 160;
  std::map<std::string, INode*> nodes;
  std::map<std::string, Mtl*> materials;
  std::map<std::string, Texmap*> maps;

  TimeValue frameTime(double frame) const { return static_cast<TimeValue>(frame * ticksPerFrame); }
  // A relative file name as seen from the scene file's folder.
  std::string resolvePath(const std::string& file) const;
  INode* node(const std::string& where, const SceneJson& name) const;
  Mtl* material(const std::string& where, const SceneJson& name) const;
  Texmap* map(const std::string& where, const SceneJson& name) const;
};

// Typed reads of JSON values; each throws a LoadError naming `where`.
double readNumber(const std::string& where, const SceneJson& v);
int readInt(const std::string& where, const SceneJson& v);
bool readBool(const std::string& where, const SceneJson& v);
std::string readString(const std::string& where, const SceneJson& v);
struct Vec3 {
  double x, y, z;
};
Vec3 readVec3(const std::string& where, const SceneJson& v);
// True for {"keys": [...]}.
bool isKeyed(const SceneJson& v);
// The [frame, value] pairs of a keyed value, checked for shape.
const SceneJson& readKeys(const std::string& where, const SceneJson& v);
// Fails on any key of `object` not in `allowed`.
void checkKeys(const std::string& where, const SceneJson& object, std::initializer_list<const char*> allowed);

}  // namespace host
