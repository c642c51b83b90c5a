#include "host/loader/ParamAssigner.h"

#include "host/sdk/Material.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"

namespace host {

using json = SceneJson;

namespace {

bool isNumericType(int base) {
  return base == TYPE_FLOAT || base == TYPE_INT || base == TYPE_BOOL || base == TYPE_ANGLE || base == TYPE_PCNT_FRAC ||
         base == TYPE_WORLD;
}

// One plain value at time t.
void assignValue(const std::string& where, IParamBlock2& pb, const ParamDef& def, TimeValue t, const json& v,
                 const LoadContext& ctx, int tabIndex = 0) {
  const int base = BaseType(def.type);
  bool ok = true;
  switch (base) {
    case TYPE_INT:
      ok = pb.SetValue(def.id, t, readInt(where, v), tabIndex);
      break;
    case TYPE_BOOL:
      ok = pb.SetValue(def.id, t, readBool(where, v) ? 1 : 0, tabIndex);
      break;
    case TYPE_RGBA:
    case TYPE_POINT3: {
      const Vec3 c = readVec3(where, v);
      ok = pb.SetValue(def.id, t, Point3(c.x, c.y, c.z), tabIndex);
      break;
    }
    case TYPE_INODE:
      ok = pb.SetValue(def.id, t, v.is_null() ? static_cast<INode*>(nullptr) : ctx.node(where, v), tabIndex);
      break;
    case TYPE_MTL:
      ok = pb.SetValue(def.id, t, v.is_null() ? static_cast<Mtl*>(nullptr) : ctx.material(where, v), tabIndex);
      break;
    case TYPE_TEXMAP:
      ok = pb.SetValue(def.id, t, v.is_null() ? static_cast<Texmap*>(nullptr) : ctx.map(where, v), tabIndex);
      break;
    case TYPE_FILENAME:
      ok = pb.SetValue(def.id, t, widen(ctx.resolvePath(readString(where, v))).c_str(), tabIndex);
      break;
    case TYPE_STRING:
      ok = pb.SetValue(def.id, t, widen(readString(where, v)).c_str(), tabIndex);
      break;
    default:
      if (!isNumericType(base)) throw LoadError(where, "parameter type cannot be set from a scene file");
      ok = pb.SetValue(def.id, t, static_cast<float>(readNumber(where, v)), tabIndex);
  }
  if (!ok) throw LoadError(where, "value refused by the parameter block");
}

void assignTable(const std::string& where, IParamBlock2& pb, const ParamDef& def, const json& v,
                 const LoadContext& ctx) {
  if (!v.is_array()) throw LoadError(where, "expected a list");
  if (BaseType(def.type) == TYPE_INODE) {
    std::vector<INode*> nodes;
    for (std::size_t i = 0; i < v.size(); ++i) nodes.push_back(ctx.node(where + "[" + std::to_string(i) + "]", v[i]));
    pb.SetCount(def.id, 0);
    if (!nodes.empty()) pb.Append(def.id, static_cast<int>(nodes.size()), nodes.data());
    return;
  }
  pb.SetCount(def.id, static_cast<int>(v.size()));
  for (std::size_t i = 0; i < v.size(); ++i)
    assignValue(where + "[" + std::to_string(i) + "]", pb, def, 0, v[i], ctx, static_cast<int>(i));
}

void assignKeys(const std::string& where, IParamBlock2& pb, const ParamDef& def, const json& v,
                const LoadContext& ctx) {
  const int base = BaseType(def.type);
  if (!(def.flags & P_ANIMATABLE) || IsTabType(def.type) ||
      !(isNumericType(base) || base == TYPE_RGBA || base == TYPE_POINT3))
    throw LoadError(where, "parameter is not animatable");
  const json& keys = readKeys(where, v);
  AnimateOn();
  try {
    for (std::size_t i = 0; i < keys.size(); ++i)
      assignValue(where + ".keys[" + std::to_string(i) + "][1]", pb, def,
                  ctx.frameTime(keys[i][0].get<double>()), keys[i][1], ctx);
  } catch (...) {
    AnimateOff();
    throw;
  }
  AnimateOff();
}

}  // namespace

void assignParams(const std::string& where, const std::string& className, Animatable& target, const json& params,
                  const LoadContext& ctx) {
  if (!params.is_object()) throw LoadError(where + ": params", "expected an object");
  for (auto it = params.begin(); it != params.end(); ++it) {
    const std::string at = where + ": params." + it.key();
    const std::wstring name = widen(it.key());
    IParamBlock2* block = nullptr;
    const ParamDef* def = nullptr;
    for (int b = 0; b < target.NumParamBlocks() && !def; ++b) {
      IParamBlock2* pb = target.GetParamBlock(b);
      if (!pb) continue;
      const int index = pb->GetDesc()->NameToIndex(name.c_str());
      if (index >= 0) {
        block = pb;
        def = &pb->GetDesc()->GetParamDefByIndex(index);
      }
    }
    if (!def) throw LoadError(at, "unknown parameter of " + className);
    if (isKeyed(it.value()))
      assignKeys(at, *block, *def, it.value(), ctx);
    else if (IsTabType(def->type))
      assignTable(at, *block, *def, it.value(), ctx);
    else
      assignValue(at, *block, *def, 0, it.value(), ctx);
  }
}

}  // namespace host
