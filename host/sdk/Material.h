#pragma once
// Materials and texture maps, the map slots they share, and the shade
// context in which a material or map is evaluated to a colour.
#include "host/sdk/Box3.h"
#include "host/sdk/Object.h"

class ShadeContext;

// What a shade context's light says about one shading point.
class LightDesc {
 public:
  virtual ~LightDesc() = default;
  // True when the light reaches the point: its colour there, the direction
  // towards it, N.L and the diffuse coefficient.
  virtual BOOL Illuminate(ShadeContext& sc, Point3& normal, Color& color, Point3& dir, float& dot_nl,
                          float& diffuseCoef) = 0;
};

// A shading result: colour and transparency.
struct ShadeOutput {
  Color c;
  Color t;
};


class ShadeContext {
 public:
  virtual ~ShadeContext() = default;
  virtual Point3 P() { return p; }            // shading point, object space
  virtual Point3 UVW(int channel = 1) { (void)channel; return uvw; }
  virtual Point3 DUVW(int channel = 1) { (void)channel; return {}; }
  virtual Point3 Normal() { return normal; }
  virtual Point3 V() { return view; }         // view direction
  virtual void SetView(const Point3& v) { view = v; }
  virtual Point3 DP() { return {}; }
  virtual Point3 PObj() { return p; }
  virtual Box3 ObjectBox() { return {}; }
  virtual TimeValue CurTime() { return time; }
  virtual int MtlNum() { return mtlNum; }
  virtual LightDesc* Light(int n) { (void)n; return nullptr; }

  Point3 p;
  Point3 uvw;
  Point3 normal{0.f, 0.f, 1.f};
  Point3 view{0.f, 0.f, -1.f};
  TimeValue time = 0;
  int mtlNum = 0;
  int nLights = 0;
  Color ambientLight{0, 0, 0};
  ShadeOutput out;
};

class Texmap;

// The texture-map slots of a material or map.
class ISubMap {
 public:
  virtual ~ISubMap() = default;
  virtual int NumSubTexmaps() { return 0; }
  virtual Texmap* GetSubTexmap(int i) { (void)i; return nullptr; }
  virtual void SetSubTexmap(int i, Texmap* m) { (void)i; (void)m; }
  virtual MSTR GetSubTexmapSlotName(int i, bool localized = true) { (void)i; (void)localized; return MSTR(); }
};

class MtlBase : public ReferenceTarget, public ISubMap {
 public:
  const MSTR& GetName() const { return name_; }
  void SetName(const MSTR& n) { name_ = n; }
  virtual void Update(TimeValue t, Interval& valid) { (void)t; (void)valid; }
  virtual Interval Validity(TimeValue t) { (void)t; return FOREVER; }
  // Back to the class's defaults.
  virtual void Reset() {}
  // Loads whatever files the map needs at t before it is sampled.
  virtual int LoadMapFiles(TimeValue t) { (void)t; return 1; }

 private:
  MSTR name_;
};

class Texmap : public MtlBase {
 public:
  SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
  virtual AColor EvalColor(ShadeContext& sc) = 0;
  virtual float EvalMono(ShadeContext& sc) {
    const AColor c = EvalColor(sc);
    return (c.r + c.g + c.b) / 3.f;
  }
};

class Mtl : public MtlBase {
 public:
  SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
  virtual Color GetAmbient(int mtlNum = 0, BOOL backFace = FALSE) { return GetDiffuse(mtlNum, backFace); }
  virtual Color GetDiffuse(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return {0.5f, 0.5f, 0.5f}; }
  virtual Color GetSpecular(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return {1, 1, 1}; }
  virtual float GetShininess(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return 0.25f; }
  virtual float GetXParency(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return 0; }
  virtual float GetSelfIllum(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return 0; }
  virtual BOOL GetSelfIllumColorOn(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return FALSE; }
  virtual Color GetSelfIllumColor(int mtlNum = 0, BOOL backFace = FALSE) { (void)mtlNum; (void)backFace; return {0, 0, 0}; }
  virtual int NumSubMtls() { return 0; }
  virtual Mtl* GetSubMtl(int i) { (void)i; return nullptr; }
  virtual void Shade(ShadeContext& sc) { (void)sc; }
};
