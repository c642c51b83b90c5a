#include "host/loader/LoadContext.h"

#include <cmath>
#include <filesystem>

namespace host {

using json = SceneJson;

std::string LoadContext::resolvePath(const std::string& file) const {
  const std::filesystem::path p(file);
  if (file.empty() || p.is_absolute() || baseDir.empty()) return file;
  return (std::filesystem::path(baseDir) / p).lexically_normal().string();
}

INode* LoadContext::node(const std::string& where, const json& name) const {
  const std::string n = readString(where, name);
  auto it = nodes.find(n);
  if (it == nodes.end()) throw LoadError(where, "no node named \"" + n + "\"");
  return it->second;
}

Mtl* LoadContext::material(const std::string& where, const json& name) const {
  const std::string n = readString(where, name);
  auto it = materials.find(n);
  if (it == materials.end()) throw LoadError(where, "no material named \"" + n + "\"");
  return it->second;
}

Texmap* LoadContext::map(const std::string& where, const json& name) const {
  const std::string n = readString(where, name);
  auto it = maps.find(n);
  if (it == maps.end()) throw LoadError(where, "no map named \"" + n + "\"");
  return it->second;
}

double readNumber(const std::string& where, const json& v) {
  if (!v.is_number()) throw LoadError(where, "expected a number");
  const double d = v.get<double>();
  if (!std::isfinite(d)) throw LoadError(where, "expected a finite number");
  return d;
}

int readInt(const std::string& where, const json& v) {
  if (!v.is_number()) throw LoadError(where, "expected an integer");
  const double d = v.get<double>();
  if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0) throw LoadError(where, "expected an integer");
  return static_cast<int>(d);
}

bool readBool(const std::string& where, const json& v) {
  if (v.is_boolean()) return v.get<bool>();
  if (v.is_number_integer() && (v.get<long long>() == 0 || v.get<long long>() == 1)) return v.get<long long>() == 1;
  throw LoadError(where, "expected true or false");
}

std::string readString(const std::string& where, const json& v) {
  if (!v.is_string()) throw LoadError(where, "expected a string");
  return v.get<std::string>();
}

Vec3 readVec3(const std::string& where, const json& v) {
  if (!v.is_array() || v.size() != 3) throw LoadError(where, "expected [x, y, z]");
  return {readNumber(where, v[0]), readNumber(where, v[1]), readNumber(where, v[2])};
}

bool isKeyed(const json& v) { return v.is_object() && v.contains("keys"); }

const json& readKeys(const std::string& where, const json& v) {
  checkKeys(where, v, {"keys"});
  const json& keys = v["keys"];
  if (!keys.is_array() || keys.empty()) throw LoadError(where + ".keys", "expected a list of [frame, value] pairs");
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string at = where + ".keys[" + std::to_string(i) + "]";
    if (!keys[i].is_array() || keys[i].size() != 2) throw LoadError(at, "expected [frame, value]");
    readNumber(at, keys[i][0]);
  }
  return keys;
}

void checkKeys(const std::string& where, const json& object, std::initializer_list<const char*> allowed) {
  if (!object.is_object()) throw LoadError(where, "expected an object");
  for (auto it = object.begin(); it != object.end(); ++it) {
    bool known = false;
    for (const char* a : allowed) known = known || it.key() == a;
    if (!known) throw LoadError(where, "unknown key \"" + it.key() + "\"");
  }
}

}  // namespace host
