#pragma once
// Materials and texture maps, and the shade context in which a map is
// evaluated to a colour.
#include "host/sdk/Object.h"

class ShadeContext {
 public:
  virtual ~ShadeContext() = default;
  virtual Point3 P() { return p; }            // shading point, object space
  virtual Point3 UVW(int channel = 1) { (void)channel; return uvw; }
  virtual Point3 Normal() { return normal; }
  virtual TimeValue CurTime() { return time; }
  virtual int MtlNum() { return mtlNum; }

  Point3 p;
  Point3 uvw;
  Point3 normal{0.f, 0.f, 1.f};
  TimeValue time = 0;
  int mtlNum = 0;
};

class MtlBase : public ReferenceTarget {
 public:
  const MSTR& GetName() const { return name_; }
  void SetName(const MSTR& n) { name_ = n; }
  virtual void Update(TimeValue t, Interval& valid) { (void)t; (void)valid; }
  virtual Interval Validity(TimeValue t) { (void)t; return FOREVER; }

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
  virtual int NumSubMtls() { return 0; }
  virtual Mtl* GetSubMtl(int i) { (void)i; return nullptr; }
  virtual int NumSubTexmaps() { return 0; }
  virtual Texmap* GetSubTexmap(int i) { (void)i; return nullptr; }
  virtual void Shade(ShadeContext& sc) { (void)sc; }
};
