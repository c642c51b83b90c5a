#pragma once
// The scene runtime's own classes as a scene file names them: geometry,
// helpers, cameras and lights for nodes; standard and multi materials; and
// constant, checker, gradient and bitmap maps.
#include <nlohmann/json.hpp>

#include "host/loader/LoadContext.h"

class Object;
class Mtl;
class Texmap;
class INode;

namespace host {

// The node keys every node has, whatever its class.
extern const std::initializer_list<const char*> kCommonNodeKeys;

bool isBuiltinNodeClass(const std::string& cls);
// Builds the object of a built-in node class from the node's entry (its
// class-specific keys are checked here). Node references (targets) are
// resolved later.
Object* makeBuiltinObject(const std::string& where, const std::string& cls, const SceneJson& entry,
                          const LoadContext& ctx);

bool isBuiltinMaterialClass(const std::string& cls);
Mtl* makeBuiltinMaterial(const std::string& where, const std::string& cls, const SceneJson& entry,
                         const LoadContext& ctx);

Texmap* makeMap(const std::string& where, const SceneJson& entry, const LoadContext& ctx);

}  // namespace host
