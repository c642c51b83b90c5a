#include "host/loader/Builtins.h"

#include <cmath>

#include "host/runtime/CameraLight.h"
#include "host/runtime/Geometry.h"
#include "host/runtime/Materials.h"
#include "host/runtime/ParticleEmitter.h"
#include "host/sdk/Node.h"

namespace host {

using json = SceneJson;

const std::initializer_list<const char*> kCommonNodeKeys = {
    "name", "class", "position", "rotation", "scale", "matrix", "target", "parent",
    "userProps", "hidden", "wireColor", "material", "params"};

namespace {

std::vector<const char*> withCommon(std::initializer_list<const char*> own) {
  std::vector<const char*> all(kCommonNodeKeys);
  all.insert(all.end(), own.begin(), own.end());
  return all;
}

void checkNodeKeys(const std::string& where, const json& entry, std::initializer_list<const char*> own) {
  const std::vector<const char*> allowed = withCommon(own);
  for (auto it = entry.begin(); it != entry.end(); ++it) {
    bool known = false;
    for (const char* a : allowed) known = known || it.key() == a;
    if (!known) throw LoadError(where, "unknown key \"" + it.key() + "\"");
  }
  if (entry.contains("params")) throw LoadError(where + ": params", "built-in classes have no parameter block");
}

Point3 toPoint3(const Vec3& v) { return Point3(v.x, v.y, v.z); }

template <class T, class Read>
void readTrack(const std::string& where, const json& v, Track<T>& track, const LoadContext& ctx, Read read) {
  if (!isKeyed(v)) {
    track.SetConstant(read(where, v));
    return;
  }
  const json& keys = readKeys(where, v);
  for (std::size_t i = 0; i < keys.size(); ++i)
    track.SetKey(ctx.frameTime(keys[i][0].get<double>()),
                 read(where + ".keys[" + std::to_string(i) + "][1]", keys[i][1]));
}

float positive(const std::string& where, const json& v) {
  const double d = readNumber(where, v);
  if (d <= 0) throw LoadError(where, "expected a positive number");
  return static_cast<float>(d);
}

Mesh inlineMesh(const std::string& where, const json& entry) {
  Mesh mesh;
  const json& verts = entry["vertices"];
  const json& faces = entry.value("faces", json::array());
  if (!verts.is_array()) throw LoadError(where + ": vertices", "expected a list of [x, y, z]");
  if (!faces.is_array()) throw LoadError(where + ": faces", "expected a list of [a, b, c]");
  mesh.setNumVerts(static_cast<int>(verts.size()));
  for (std::size_t i = 0; i < verts.size(); ++i)
    mesh.verts[i] = toPoint3(readVec3(where + ": vertices[" + std::to_string(i) + "]", verts[i]));
  mesh.setNumFaces(static_cast<int>(faces.size()));
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const std::string at = where + ": faces[" + std::to_string(f) + "]";
    if (!faces[f].is_array() || faces[f].size() != 3) throw LoadError(at, "expected [a, b, c]");
    int idx[3];
    for (int k = 0; k < 3; ++k) {
      idx[k] = readInt(at, faces[f][k]);
      if (idx[k] < 0 || idx[k] >= mesh.getNumVerts()) throw LoadError(at, "vertex index out of range");
    }
    mesh.faces[f].setVerts(idx[0], idx[1], idx[2]);
    mesh.faces[f].setEdgeVisFlags(1, 1, 1);
    mesh.faces[f].setSmGroup(1);
  }
  if (entry.contains("uvs")) {
    const json& uvs = entry["uvs"];
    if (!uvs.is_array() || uvs.size() != verts.size())
      throw LoadError(where + ": uvs", "expected one [u, v] per vertex");
    mesh.setNumTVerts(static_cast<int>(uvs.size()));
    for (std::size_t i = 0; i < uvs.size(); ++i) {
      const std::string at = where + ": uvs[" + std::to_string(i) + "]";
      if (!uvs[i].is_array() || uvs[i].size() != 2) throw LoadError(at, "expected [u, v]");
      mesh.tVerts[i] = Point3(readNumber(at, uvs[i][0]), readNumber(at, uvs[i][1]), 0.0);
    }
    mesh.setNumTVFaces(mesh.getNumFaces());
    for (int f = 0; f < mesh.getNumFaces(); ++f)
      mesh.tvFace[f].setTVerts(mesh.faces[f].v[0], mesh.faces[f].v[1], mesh.faces[f].v[2]);
  }
  return mesh;
}

LightType lightType(const std::string& where, const json& v) {
  const std::string t = readString(where, v);
  if (t == "directional") return DIR_LIGHT;
  if (t == "omni") return OMNI_LIGHT;
  if (t == "spot") return FSPOT_LIGHT;
  if (t == "ambient") return AMBIENT_LIGHT;
  throw LoadError(where, "expected directional, omni, spot or ambient");
}

AColor readColour(const std::string& where, const json& v) {
  const Vec3 c = readVec3(where, v);
  return AColor(static_cast<float>(c.x), static_cast<float>(c.y), static_cast<float>(c.z), 1.f);
}

}  // namespace

bool isBuiltinNodeClass(const std::string& cls) {
  return cls == "box" || cls == "sphere" || cls == "plane" || cls == "mesh" || cls == "point" || cls == "camera" ||
         cls == "light" || cls == "particles";
}

Object* makeBuiltinObject(const std::string& where, const std::string& cls, const json& entry, const LoadContext& ctx) {
  if (cls == "box") {
    checkNodeKeys(where, entry, {"size"});
    Vec3 s{10, 10, 10};
    if (entry.contains("size")) s = readVec3(where + ": size", entry["size"]);
    return new BoxObject(toPoint3(s));
  }
  if (cls == "sphere") {
    checkNodeKeys(where, entry, {"radius", "segments"});
    auto* s = new SphereObject();
    try {
      if (entry.contains("radius")) s->radius = positive(where + ": radius", entry["radius"]);
      if (entry.contains("segments")) s->segments = readInt(where + ": segments", entry["segments"]);
    } catch (...) {
      delete s;
      throw;
    }
    return s;
  }
  if (cls == "plane") {
    checkNodeKeys(where, entry, {"size"});
    float w = 100, h = 100;
    if (entry.contains("size")) {
      const json& s = entry["size"];
      if (!s.is_array() || s.size() != 2) throw LoadError(where + ": size", "expected [width, height]");
      w = positive(where + ": size", s[0]);
      h = positive(where + ": size", s[1]);
    }
    return new PlaneObject(w, h);
  }
  if (cls == "mesh") {
    checkNodeKeys(where, entry, {"obj", "vertices", "faces", "uvs"});
    auto* m = new MeshObject();
    if (entry.contains("obj")) {
      std::string error;
      if (!LoadObjMesh(ctx.resolvePath(readString(where + ": obj", entry["obj"])), m->source, error)) {
        delete m;
        throw LoadError(where + ": obj", error);
      }
    } else if (entry.contains("vertices")) {
      try {
        m->source = inlineMesh(where, entry);
      } catch (...) {
        delete m;
        throw;
      }
    } else {
      delete m;
      throw LoadError(where, "a mesh needs \"obj\" or \"vertices\"");
    }
    return m;
  }
  if (cls == "point") {
    checkNodeKeys(where, entry, {});
    return new PointHelper();
  }
  if (cls == "particles") {
    // "spaceWarps" names nodes, so the loader binds them when it wires the node.
    checkNodeKeys(where, entry, {"count", "seed", "spawnBox", "spawnSphere", "speed", "stepsPerFrame", "spaceWarps"});
    EmitterSettings s;
    auto intIn = [&](const char* key, int lo, int hi, int& out) {
      if (!entry.contains(key)) return;
      const int v = readInt(where + ": " + key, entry[key]);
      if (v < lo || v > hi)
        throw LoadError(where + ": " + key, "expected an integer from " + std::to_string(lo) + " to " + std::to_string(hi));
      out = v;
    };
    intIn("count", 0, 1000000, s.count);
    int seed = 1;
    intIn("seed", 0, 2147483647, seed);
    s.seed = static_cast<std::uint32_t>(seed);
    intIn("stepsPerFrame", 1, 1000, s.stepsPerFrame);
    if (entry.contains("spawnBox") && entry.contains("spawnSphere"))
      throw LoadError(where + ": spawnSphere", "cannot be combined with spawnBox");
    if (entry.contains("spawnBox")) {
      const Vec3 b = readVec3(where + ": spawnBox", entry["spawnBox"]);
      if (b.x < 0 || b.y < 0 || b.z < 0) throw LoadError(where + ": spawnBox", "expected sizes of 0 or more");
      s.boxSize = toPoint3(b);
    }
    if (entry.contains("spawnSphere")) {
      s.sphere = true;
      s.sphereRadius = positive(where + ": spawnSphere", entry["spawnSphere"]);
    }
    if (entry.contains("speed")) {
      const double v = readNumber(where + ": speed", entry["speed"]);
      if (v < 0) throw LoadError(where + ": speed", "expected a speed of 0 or more");
      s.speed = static_cast<float>(v);
    }
    return new ParticleEmitter(s);
  }
  if (cls == "camera") {
    checkNodeKeys(where, entry, {"fov"});
    auto* cam = new GenCamera();
    try {
      if (entry.contains("fov"))
        readTrack(where + ": fov", entry["fov"], cam->fovDegrees, ctx, [](const std::string& w, const json& v) {
          const double d = readNumber(w, v);
          if (d <= 0 || d >= 180) throw LoadError(w, "expected a field of view between 0 and 180 degrees");
          return static_cast<float>(d);
        });
    } catch (...) {
      delete cam;
      throw;
    }
    return cam;
  }
  // light
  checkNodeKeys(where, entry, {"type", "color", "intensity", "on", "hotspot", "falloff"});
  auto* light = new GenLight(entry.contains("type") ? lightType(where + ": type", entry["type"]) : OMNI_LIGHT);
  try {
    if (entry.contains("color"))
      readTrack(where + ": color", entry["color"], light->color, ctx,
                [](const std::string& w, const json& v) { return toPoint3(readVec3(w, v)); });
    if (entry.contains("intensity"))
      readTrack(where + ": intensity", entry["intensity"], light->intensity, ctx,
                [](const std::string& w, const json& v) { return static_cast<float>(readNumber(w, v)); });
    if (entry.contains("on")) light->on = readBool(where + ": on", entry["on"]);
    if (entry.contains("hotspot")) light->hotsize = positive(where + ": hotspot", entry["hotspot"]);
    if (entry.contains("falloff")) light->fallsize = positive(where + ": falloff", entry["falloff"]);
  } catch (...) {
    delete light;
    throw;
  }
  return light;
}

bool isBuiltinMaterialClass(const std::string& cls) { return cls == "standard" || cls == "multi"; }

Mtl* makeBuiltinMaterial(const std::string& where, const std::string& cls, const json& entry, const LoadContext& ctx) {
  if (cls == "multi") {
    checkKeys(where, entry, {"class", "materials"});
    const json& subs = entry.value("materials", json::array());
    if (!subs.is_array()) throw LoadError(where + ": materials", "expected a list of material names");
    auto* multi = new MultiMtl();
    try {
      for (std::size_t i = 0; i < subs.size(); ++i)
        multi->SetSubMtl(static_cast<int>(i), ctx.material(where + ": materials[" + std::to_string(i) + "]", subs[i]));
    } catch (...) {
      delete multi;
      throw;
    }
    return multi;
  }
  checkKeys(where, entry,
            {"class", "diffuse", "ambient", "specular", "shininess", "opacity", "diffuseMap", "selfIllum",
             "selfIllumColor"});
  auto* m = new StdMat();
  try {
    auto colour = [&](const char* key, Color& out) {
      if (entry.contains(key)) {
        const AColor c = readColour(where + ": " + key, entry[key]);
        out = Color(c.r, c.g, c.b);
      }
    };
    colour("diffuse", m->diffuse);
    m->ambient = m->diffuse;
    colour("ambient", m->ambient);
    colour("specular", m->specular);
    if (entry.contains("shininess")) m->shininess = static_cast<float>(readNumber(where + ": shininess", entry["shininess"]));
    if (entry.contains("opacity")) m->opacity = static_cast<float>(readNumber(where + ": opacity", entry["opacity"]));
    if (entry.contains("diffuseMap")) m->SetDiffuseMap(ctx.map(where + ": diffuseMap", entry["diffuseMap"]));
    if (entry.contains("selfIllum")) m->selfIllum = static_cast<float>(readNumber(where + ": selfIllum", entry["selfIllum"]));
    if (entry.contains("selfIllumColor")) {
      colour("selfIllumColor", m->selfIllumColor);
      m->selfIllumColorOn = true;
    }
  } catch (...) {
    delete m;
    throw;
  }
  return m;
}

Texmap* makeMap(const std::string& where, const json& entry, const LoadContext& ctx) {
  if (!entry.is_object() || !entry.contains("class")) throw LoadError(where, "a map needs a \"class\"");
  const std::string cls = readString(where + ": class", entry["class"]);
  if (cls == "constant") {
    checkKeys(where, entry, {"class", "color"});
    return new ConstantMap(entry.contains("color") ? readColour(where + ": color", entry["color"]) : AColor());
  }
  if (cls == "checker") {
    checkKeys(where, entry, {"class", "color1", "color2", "tiles"});
    auto* m = new CheckerMap();
    try {
      if (entry.contains("color1")) m->color1 = readColour(where + ": color1", entry["color1"]);
      if (entry.contains("color2")) m->color2 = readColour(where + ": color2", entry["color2"]);
      if (entry.contains("tiles")) m->tiles = positive(where + ": tiles", entry["tiles"]);
    } catch (...) {
      delete m;
      throw;
    }
    return m;
  }
  if (cls == "gradient") {
    checkKeys(where, entry, {"class", "colors", "positions"});
    auto* m = new GradientMap();
    try {
      const json& colors = entry.value("colors", json::array());
      if (!colors.is_array()) throw LoadError(where + ": colors", "expected a list of [r, g, b]");
      for (std::size_t i = 0; i < colors.size(); ++i)
        m->colors.push_back(readColour(where + ": colors[" + std::to_string(i) + "]", colors[i]));
      if (entry.contains("positions")) {
        const json& pos = entry["positions"];
        if (!pos.is_array() || pos.size() != colors.size())
          throw LoadError(where + ": positions", "expected one position per colour");
        float last = -1;
        for (std::size_t i = 0; i < pos.size(); ++i) {
          const float p = static_cast<float>(readNumber(where + ": positions[" + std::to_string(i) + "]", pos[i]));
          if (p < last) throw LoadError(where + ": positions", "positions must not decrease");
          m->positions.push_back(last = p);
        }
      }
    } catch (...) {
      delete m;
      throw;
    }
    return m;
  }
  if (cls == "bitmap") {
    checkKeys(where, entry, {"class", "file"});
    if (!entry.contains("file")) throw LoadError(where, "a bitmap map needs a \"file\"");
    const std::string file = ctx.resolvePath(readString(where + ": file", entry["file"]));
    auto* m = new BitmapTex();
    std::string error;
    if (!m->SetMapName(widen(file), error)) {
      delete m;
      throw LoadError(where + ": file", error);
    }
    return m;
  }
  throw LoadError(where + ": class", "unknown map class \"" + cls + "\"");
}

}  // namespace host
