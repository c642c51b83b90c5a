#pragma once
// Built-in geometry of the scene runtime, all centred on the node's pivot:
// box, sphere, plane, a triangle mesh (from an OBJ file or given inline) and
// the point helper that has no geometry.
#include <string>

#include "host/sdk/Object.h"

namespace host {

inline constexpr Class_ID kBoxClassID{0x00000010, 0};
inline constexpr Class_ID kSphereClassID{0x00000011, 0};
inline constexpr Class_ID kPlaneClassID{0x81f1dfc, 0x77566f65};
inline constexpr Class_ID kMeshClassID{0x0b1e3d57, 0x4c2a1f09};
inline constexpr Class_ID kPointHelperClassID{0x2ec82081, 0x045a6271};

// A geometric object whose mesh is made from its settings at a time.
class ProceduralGeometry : public GeomObject {
 public:
  virtual void BuildGeometry(TimeValue t, Mesh& mesh) = 0;
  int CanConvertToType(Class_ID obtype) override { return obtype == triObjectClassID; }
  Object* ConvertToType(TimeValue t, Class_ID obtype) override;
};

// Box of the given full size, 12 triangles, one material id (0-5) and
// smoothing group per side, texture coordinates 0..1 on each side.
class BoxObject : public ProceduralGeometry {
 public:
  explicit BoxObject(const Point3& size = {10.f, 10.f, 10.f}) : size(size) {}
  Class_ID ClassID() override { return kBoxClassID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Box"); }
  void BuildGeometry(TimeValue t, Mesh& mesh) override;
  Point3 size;
};

// UV sphere: `segments` around (at least 4), segments / 2 rings, poles on
// the local Z axis, u around from +X, v from the south pole up.
class SphereObject : public ProceduralGeometry {
 public:
  explicit SphereObject(float radius = 25.f, int segments = 32) : radius(radius), segments(segments) {}
  Class_ID ClassID() override { return kSphereClassID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Sphere"); }
  void BuildGeometry(TimeValue t, Mesh& mesh) override;
  float radius;
  int segments;
};

// Plane of width x height in the local XY plane, normal +Z, two triangles,
// texture coordinates 0..1 across it (u along X, v along Y).
class PlaneObject : public ProceduralGeometry {
 public:
  PlaneObject(float width = 100.f, float height = 100.f) : width(width), height(height) {}
  Class_ID ClassID() override { return kPlaneClassID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Plane"); }
  void BuildGeometry(TimeValue t, Mesh& mesh) override;
  float width, height;
};

// A fixed triangle mesh.
class MeshObject : public ProceduralGeometry {
 public:
  Class_ID ClassID() override { return kMeshClassID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Mesh"); }
  void BuildGeometry(TimeValue t, Mesh& mesh) override;
  Mesh source;
};

// Reads an OBJ file (polygons fanned into triangles, texture coordinates
// kept when present, one material id per OBJ material in file order).
// False with a one-line error when the file is missing or malformed.
bool LoadObjMesh(const std::string& path, Mesh& mesh, std::string& error);

class PointHelper : public Object {
 public:
  Class_ID ClassID() override { return kPointHelperClassID; }
  SClass_ID SuperClassID() override { return HELPER_CLASS_ID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Point"); }
};

}  // namespace host
