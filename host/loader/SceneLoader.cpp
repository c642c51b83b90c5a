#include "host/loader/SceneLoader.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/loader/Builtins.h"
#include "host/loader/ClassDirectory.h"
#include "host/loader/LoadContext.h"
#include "host/loader/ParamAssigner.h"
#include "host/runtime/CameraLight.h"
#include "host/runtime/ParticleEmitter.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Material.h"
#include "util/Math.h"

namespace host {

using json = SceneJson;

namespace {

using util::kDegToRad;

std::string nodeWhere(const std::string& name) { return "node \"" + name + "\""; }

Point3 toPoint3(const Vec3& v) { return Point3(v.x, v.y, v.z); }

void readPointTrack(const std::string& where, const json& v, Track<Point3>& track, const LoadContext& ctx) {
  if (!isKeyed(v)) {
    track.SetConstant(toPoint3(readVec3(where, v)));
    return;
  }
  const json& keys = readKeys(where, v);
  for (std::size_t i = 0; i < keys.size(); ++i)
    track.SetKey(ctx.frameTime(keys[i][0].get<double>()),
                 toPoint3(readVec3(where + ".keys[" + std::to_string(i) + "][1]", keys[i][1])));
}

Matrix3 readMatrix(const std::string& where, const json& v) {
  if (!v.is_array() || v.size() != 4) throw LoadError(where, "expected 4 rows of [x, y, z]");
  Matrix3 m;
  for (int r = 0; r < 4; ++r) m.SetRow(r, toPoint3(readVec3(where + "[" + std::to_string(r) + "]", v[r])));
  return m;
}

MSTR userPropBuffer(const std::string& where, const json& props) {
  if (!props.is_object()) throw LoadError(where, "expected an object");
  MSTR buffer;
  for (auto it = props.begin(); it != props.end(); ++it) {
    std::string value;
    if (it.value().is_string())
      value = it.value().get<std::string>();
    else if (it.value().is_boolean())
      value = it.value().get<bool>() ? "true" : "false";
    else if (it.value().is_number())
      value = it.value().dump();
    else
      throw LoadError(where + "." + it.key(), "expected a number, string or boolean");
    if (it.key().find_first_of("=\r\n") != std::string::npos || value.find_first_of("\r\n") != std::string::npos)
      throw LoadError(where + "." + it.key(), "keys and values must be single lines without '='");
    buffer += widen(it.key()) + _M(" = ") + widen(value) + _M("\r\n");
  }
  return buffer;
}

// A plug-in class instance of the expected kind, or a fault naming the class.
template <class T>
T* createPluginInstance(const std::string& where, const std::string& cls, const ClassDirectory& classes,
                        const char* kindName) {
  ClassDesc* cd = classes.findByInternalName(widen(cls).c_str());
  if (!cd) throw LoadError(where + ": class", "unknown class \"" + cls + "\"");
  auto* created = static_cast<Animatable*>(cd->Create(FALSE));
  if (!created) throw LoadError(where, "could not create an instance of " + cls);
  T* typed = dynamic_cast<T*>(created);
  if (!typed) {
    created->DeleteThis();
    throw LoadError(where + ": class", cls + " is not " + kindName);
  }
  return typed;
}

class SceneReader {
 public:
  SceneReader(Interface& core, const ClassDirectory& classes, std::string baseDir) : core_(core), classes_(classes) {
    ctx_.baseDir = std::move(baseDir);
  }

  void read(const json& scene) {
    checkKeys("scene", scene, {"fps", "range", "nodes", "materials", "maps"});
    readTiming(scene);
    if (scene.contains("maps")) readMaps(scene["maps"]);
    if (scene.contains("materials")) readMaterials(scene["materials"]);
    if (scene.contains("nodes")) readNodes(scene["nodes"]);
  }

 private:
  void readTiming(const json& scene) {
    if (scene.contains("fps")) {
      const int fps = readInt("fps", scene["fps"]);
      if (!core_.SetFrameRate(fps)) throw LoadError("fps", "expected a frame rate that divides 4800");
    }
    ctx_.ticksPerFrame = core_.GetTicksPerFrame();
    if (scene.contains("range")) {
      const json& r = scene["range"];
      if (!r.is_array() || r.size() != 2) throw LoadError("range", "expected [start, end] frames");
      const int a = readInt("range", r[0]), b = readInt("range", r[1]);
      if (b < a) throw LoadError("range", "the end frame comes before the start frame");
      core_.SetAnimRange(Interval(ctx_.frameTime(a), ctx_.frameTime(b)));
    }
  }

  template <class T>
  void remember(std::map<std::string, T*>& names, const std::string& where, const std::string& name, T* item) {
    if (!names.emplace(name, item).second) throw LoadError(where, "the name is used twice");
  }

  void readMaps(const json& maps) {
    if (!maps.is_object()) throw LoadError("maps", "expected an object of named maps");
    for (auto it = maps.begin(); it != maps.end(); ++it) {
      const std::string where = "map \"" + it.key() + "\"";
      Texmap* map = makeMap(where, it.value(), ctx_);
      map->SetName(widen(it.key()));
      core_.AddToLibrary(map);
      remember(ctx_.maps, where, it.key(), map);
    }
  }

  // Materials may name maps and materials given earlier in the file.
  void readMaterials(const json& materials) {
    if (!materials.is_object()) throw LoadError("materials", "expected an object of named materials");
    for (auto it = materials.begin(); it != materials.end(); ++it) {
      const std::string where = "material \"" + it.key() + "\"";
      const json& entry = it.value();
      if (!entry.is_object() || !entry.contains("class")) throw LoadError(where, "a material needs a \"class\"");
      const std::string cls = readString(where + ": class", entry["class"]);
      Mtl* m = nullptr;
      if (isBuiltinMaterialClass(cls)) {
        m = makeBuiltinMaterial(where, cls, entry, ctx_);
        core_.AddToLibrary(m);
      } else {
        checkKeys(where, entry, {"class", "params"});
        m = createPluginInstance<Mtl>(where, cls, classes_, "a material");
        core_.AddToLibrary(m);  // owned by the scene before anything can fail
        if (entry.contains("params")) assignParams(where, cls, *m, entry["params"], ctx_);
      }
      m->SetName(widen(it.key()));
      remember(ctx_.materials, where, it.key(), m);
    }
  }

  // Nodes are made first and wired second, so references may point forward.
  void readNodes(const json& nodes) {
    if (!nodes.is_array()) throw LoadError("nodes", "expected a list of nodes");
    std::vector<std::pair<INode*, const json*>> made;
    for (std::size_t i = 0; i < nodes.size(); ++i) made.emplace_back(makeNode(i, nodes[i]), &nodes[i]);
    for (auto& [node, entry] : made) wireNode(*node, *entry);
  }

  INode* makeNode(std::size_t index, const json& entry) {
    const std::string at = "nodes[" + std::to_string(index) + "]";
    if (!entry.is_object()) throw LoadError(at, "expected an object");
    if (!entry.contains("name")) throw LoadError(at, "a node needs a \"name\"");
    const std::string name = readString(at + ": name", entry["name"]);
    if (name.empty()) throw LoadError(at + ": name", "a node name must not be empty");
    const std::string where = nodeWhere(name);
    if (!entry.contains("class")) throw LoadError(where, "a node needs a \"class\"");
    const std::string cls = readString(where + ": class", entry["class"]);

    Object* obj = nullptr;
    if (isBuiltinNodeClass(cls)) {
      obj = makeBuiltinObject(where, cls, entry, ctx_);
    } else {
      checkKeys(where, entry, kCommonNodeKeys);
      obj = createPluginInstance<Object>(where, cls, classes_, "a scene object");
    }
    INode* node = core_.CreateObjectNode(obj, widen(name).c_str());
    remember(ctx_.nodes, where, name, node);
    return node;
  }

  void wireNode(INode& node, const json& entry) {
    const std::string name = narrow(node.GetName());
    const std::string where = nodeWhere(name);
    NodeTransform& tm = node.Transform();
    if (entry.contains("matrix")) {
      for (const char* k : {"position", "rotation", "scale"})
        if (entry.contains(k)) throw LoadError(where + ": matrix", std::string("cannot be combined with ") + k);
      tm.matrix = readMatrix(where + ": matrix", entry["matrix"]);
    }
    if (entry.contains("position")) readPointTrack(where + ": position", entry["position"], tm.position, ctx_);
    if (entry.contains("rotation")) readPointTrack(where + ": rotation", entry["rotation"], tm.rotation, ctx_);
    if (entry.contains("scale")) readPointTrack(where + ": scale", entry["scale"], tm.scale, ctx_);
    if (entry.contains("target")) {
      const json& t = entry["target"];
      if (t.is_string()) {
        INode* target = ctx_.node(where + ": target", t);
        if (target == &node) throw LoadError(where + ": target", "a node cannot aim at itself");
        tm.targetNode = target;
      } else {
        Track<Point3> point;
        readPointTrack(where + ": target", t, point, ctx_);
        tm.targetPoint = point;
      }
    }
    if (entry.contains("parent")) {
      INode* parent = ctx_.node(where + ": parent", entry["parent"]);
      if (!parent->AttachChild(&node)) throw LoadError(where + ": parent", "the parent chain would form a loop");
    }
    if (entry.contains("userProps")) node.SetUserPropBuffer(userPropBuffer(where + ": userProps", entry["userProps"]));
    if (entry.contains("hidden")) node.Hide(readBool(where + ": hidden", entry["hidden"]));
    if (entry.contains("wireColor")) {
      const Vec3 c = readVec3(where + ": wireColor", entry["wireColor"]);
      node.SetWireColor(RGBToWireColor(static_cast<float>(c.x), static_cast<float>(c.y), static_cast<float>(c.z)));
    }
    if (entry.contains("material")) node.SetMtl(ctx_.material(where + ": material", entry["material"]));
    if (entry.contains("spaceWarps")) bindSpaceWarps(where + ": spaceWarps", node, entry["spaceWarps"]);
    if (entry.contains("params"))
      assignParams(where, readString(where + ": class", entry["class"]), *node.GetObjectRef(), entry["params"], ctx_);
  }

  // Only particle systems accept the key (the built-in key check sees to that).
  void bindSpaceWarps(const std::string& where, INode& node, const json& names) {
    auto* emitter = dynamic_cast<ParticleEmitter*>(node.GetObjectRef());
    if (!emitter) throw LoadError(where, "only particle systems bind space warps");
    if (!names.is_array()) throw LoadError(where, "expected a list of node names");
    for (std::size_t i = 0; i < names.size(); ++i) {
      const std::string at = where + "[" + std::to_string(i) + "]";
      INode* warp = ctx_.node(at, names[i]);
      if (!emitter->BindSpaceWarp(warp)) throw LoadError(at, "node \"" + narrow(warp->GetName()) + "\" is not a space warp");
    }
  }

  Interface& core_;
  const ClassDirectory& classes_;
  LoadContext ctx_;
};

}  // namespace

bool loadSceneText(const std::string& text, const std::string& baseDir, Interface& core,
                   const ClassDirectory& classes, std::string& error) {
  core.ResetScene();
  try {
    const json scene = json::parse(text);
    SceneReader(core, classes, baseDir).read(scene);
    return true;
  } catch (const json::parse_error& e) {
    error = std::string("invalid JSON: ") + e.what();
  } catch (const std::exception& e) {
    error = e.what();
  }
  core.ResetScene();
  return false;
}

bool readSceneFile(const std::string& path, std::string& text, std::string& baseDir, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open scene file '" + path + "'";
    return false;
  }
  std::ostringstream contents;
  contents << in.rdbuf();
  text = contents.str();
  baseDir = std::filesystem::absolute(std::filesystem::path(path)).parent_path().string();
  return true;
}

bool loadSceneFile(const std::string& path, Interface& core, const ClassDirectory& classes, std::string& error) {
  std::string text, baseDir;
  if (!readSceneFile(path, text, baseDir, error)) return false;
  if (!loadSceneText(text, baseDir, core, classes, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

}  // namespace host
