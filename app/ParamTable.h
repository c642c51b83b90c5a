#pragma once
// The parameter table of a class as the runner prints it.
#include <nlohmann/json.hpp>
#include <string>

class ClassDesc2;
class ParamBlockDesc2;

namespace app {

// {"block", "blockId", "params": [{"id", "name", "type", "default", "min",
// "max", "label", "animatable", "rollout"}]}
nlohmann::ordered_json paramTableJson(ClassDesc2& cd, ParamBlockDesc2& block);
// One line per parameter: id, name, type, default, range, label.
std::string paramTableText(ClassDesc2& cd, ParamBlockDesc2& block);
// The type word of a parameter: float, int, bool, colour, node, nodeList, ...
std::string paramTypeName(int type);

}  // namespace app
