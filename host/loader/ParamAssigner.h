#pragma once
// Writes a scene file's "params" object into an object's parameter blocks by
// internal name: numbers, booleans, colours, node names and lists, material
// and map names, file names, and {"keys": [[frame, value], ...]} for
// animatable parameters.
#include <nlohmann/json.hpp>

#include "host/loader/LoadContext.h"

class Animatable;

namespace host {

void assignParams(const std::string& where, const std::string& className, Animatable& target,
                  const SceneJson& params, const LoadContext& ctx);

}  // namespace host
