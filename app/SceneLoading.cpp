#include "app/SceneLoading.h"

#include <nlohmann/json.hpp>

#include "host/loader/ClassDirectory.h"
#include "host/loader/SceneLoader.h"
#include "host/sdk/Interface.h"

namespace app {

namespace {
std::vector<std::string>& overrides() {
  static std::vector<std::string> list;
  return list;
}

// Writes one NODE.PARAM=VALUE into the scene's node list.
bool applyOverride(nlohmann::json& scene, const std::string& entry, std::string& error) {
  const std::size_t equals = entry.find('=');
  const std::size_t dot = equals == std::string::npos ? std::string::npos : entry.rfind('.', equals);
  if (dot == std::string::npos || dot == 0 || dot + 1 == equals) {
    error = "--set expects NODE.PARAM=VALUE, got \"" + entry + "\"";
    return false;
  }
  const std::string node = entry.substr(0, dot), param = entry.substr(dot + 1, equals - dot - 1);
  const std::string text = entry.substr(equals + 1);
  nlohmann::json value = nlohmann::json::parse(text, nullptr, false);
  if (value.is_discarded()) value = text;
  if (scene.is_object() && scene.contains("nodes") && scene["nodes"].is_array())
    for (nlohmann::json& n : scene["nodes"])
      if (n.is_object() && n.value("name", "") == node) {
        n["params"][param] = std::move(value);
        return true;
      }
  error = "--set: no node named \"" + node + "\"";
  return false;
}
}  // namespace

void setSceneOverrides(std::vector<std::string> list) { overrides() = std::move(list); }

bool loadScene(const std::string& path, std::string& error) {
  Interface& core = *GetCOREInterface();
  if (overrides().empty()) return host::loadSceneFile(path, core, host::classDirectory(), error);
  std::string text, baseDir;
  if (!host::readSceneFile(path, text, baseDir, error)) return false;
  // Text that is not JSON goes to the loader as it is, for its own message.
  if (nlohmann::json scene = nlohmann::json::parse(text, nullptr, false); !scene.is_discarded()) {
    for (const std::string& entry : overrides())
      if (!applyOverride(scene, entry, error)) return false;
    text = scene.dump();
  }
  if (!host::loadSceneText(text, baseDir, core, host::classDirectory(), error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

INode* loadSceneNode(const std::string& path, const std::string& name, std::string& error) {
  if (!loadScene(path, error)) return nullptr;
  INode* node = GetCOREInterface()->GetINodeByName(host::widen(name).c_str());
  if (!node) error = "no node named \"" + name + "\"";
  return node;
}

}  // namespace app
