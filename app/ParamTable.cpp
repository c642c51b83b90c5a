#include "app/ParamTable.h"

#include <charconv>
#include <sstream>

#include "host/sdk/ClassDesc2.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/StringTable.h"

namespace app {

using json = nlohmann::ordered_json;

namespace {

bool isFloatType(int base) {
  return base == TYPE_FLOAT || base == TYPE_ANGLE || base == TYPE_PCNT_FRAC || base == TYPE_WORLD;
}

// Float parameters hold 32-bit values: print the shortest text that reads
// back as the same float, so 0.96 shows as 0.96.
json floatJson(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
  return std::stod(std::string(buf, r.ptr));
}

json numberJson(int type, double v) {
  const int base = BaseType(type);
  if (base == TYPE_BOOL) return v != 0;
  if (base == TYPE_INT) return static_cast<long long>(v);
  return floatJson(v);
}

json defaultJson(const ParamDef& p) {
  switch (p.def.kind) {
    case ParamDefault::Kind::Number:
      return numberJson(p.type, p.def.number);
    case ParamDefault::Kind::Vector:
      return json::array({floatJson(p.def.vector.x), floatJson(p.def.vector.y), floatJson(p.def.vector.z)});
    default:
      // Booleans and numbers without an explicit default start at zero.
      if (BaseType(p.type) == TYPE_BOOL) return false;
      if (BaseType(p.type) == TYPE_INT || isFloatType(BaseType(p.type))) return numberJson(p.type, 0);
      return nullptr;
  }
}

std::string text(ClassDesc2& cd, int id) {
  const MCHAR* s = host::resourceString(cd.HInstance(), id);
  return s ? host::narrow(s) : std::string();
}

}  // namespace

std::string paramTypeName(int type) {
  if (type == TYPE_INODE_TAB) return "nodeList";
  switch (BaseType(type)) {
    case TYPE_FLOAT:
    case TYPE_ANGLE:
    case TYPE_PCNT_FRAC:
    case TYPE_WORLD:
      return "float";
    case TYPE_INT: return "int";
    case TYPE_BOOL: return "bool";
    case TYPE_RGBA: return "colour";
    case TYPE_POINT3: return "point3";
    case TYPE_INODE: return "node";
    case TYPE_MTL: return "material";
    case TYPE_TEXMAP: return "texmap";
    case TYPE_FILENAME: return "filename";
    case TYPE_STRING: return "string";
    default: return "other";
  }
}

json paramTableJson(ClassDesc2& cd, ParamBlockDesc2& block) {
  json params = json::array();
  for (int i = 0; i < block.Count(); ++i) {
    const ParamDef& p = block.GetParamDefByIndex(i);
    const RolloutDef* rollout = block.FindRollout(p.ui.map);
    params.push_back({
        {"id", p.id},
        {"name", host::narrow(p.internalName)},
        {"type", paramTypeName(p.type)},
        {"default", defaultJson(p)},
        {"min", p.range ? numberJson(p.type, p.range->lo) : json(nullptr)},
        {"max", p.range ? numberJson(p.type, p.range->hi) : json(nullptr)},
        {"label", text(cd, p.labelId)},
        {"animatable", (p.flags & P_ANIMATABLE) != 0},
        {"rollout", rollout ? json(text(cd, rollout->titleId)) : json(nullptr)},
    });
  }
  return {{"block", host::narrow(block.int_name)}, {"blockId", block.ID}, {"params", params}};
}

std::string paramTableText(ClassDesc2& cd, ParamBlockDesc2& block) {
  const json table = paramTableJson(cd, block);
  std::ostringstream out;
  out << table["block"].get<std::string>() << " (block " << table["blockId"].get<int>() << ", "
      << block.Count() << " parameters)\n";
  for (const json& p : table["params"]) {
    out << p["id"].dump() << "\t" << p["name"].get<std::string>() << "\t" << p["type"].get<std::string>() << "\t"
        << p["default"].dump();
    if (!p["min"].is_null()) out << "\t[" << p["min"].dump() << ", " << p["max"].dump() << "]";
    out << "\t\"" << p["label"].get<std::string>() << "\"\n";
  }
  return out.str();
}

}  // namespace app
