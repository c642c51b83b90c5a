#pragma once
// Built-in materials (standard, multi/sub-object) and texture maps
// (constant, checker, gradient, bitmap).
#include <memory>
#include <string>
#include <vector>

#include "host/sdk/Material.h"

class Bitmap;

namespace host {

class StdMat : public Mtl {
 public:
  Class_ID ClassID() override { return Class_ID(0x00000002, 0); }
  Color GetDiffuse(int = 0, BOOL = FALSE) override { return diffuse; }
  Color GetAmbient(int = 0, BOOL = FALSE) override { return ambient; }
  Color GetSpecular(int = 0, BOOL = FALSE) override { return specular; }
  float GetShininess(int = 0, BOOL = FALSE) override { return shininess; }
  float GetXParency(int = 0, BOOL = FALSE) override { return 1.f - opacity; }
  float GetSelfIllum(int = 0, BOOL = FALSE) override { return selfIllum; }
  BOOL GetSelfIllumColorOn(int = 0, BOOL = FALSE) override { return selfIllumColorOn ? TRUE : FALSE; }
  Color GetSelfIllumColor(int = 0, BOOL = FALSE) override { return selfIllumColor; }
  int NumSubTexmaps() override { return 1; }
  Texmap* GetSubTexmap(int i) override { return i == 0 ? diffuseMap : nullptr; }
  MSTR GetSubTexmapSlotName(int i, bool = true) override { return i == 0 ? MSTR(_M("Diffuse Color")) : MSTR(); }
  void SetDiffuseMap(Texmap* map);
  ~StdMat() override { DeleteAllRefsFromMe(); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? diffuseMap : nullptr; }

  Color diffuse{0.5f, 0.5f, 0.5f};
  Color ambient{0.5f, 0.5f, 0.5f};
  Color specular{0.9f, 0.9f, 0.9f};
  float shininess = 0.25f;
  float opacity = 1.f;
  // Self-illumination: the colour when it is on, else amount × diffuse.
  float selfIllum = 0.f;
  bool selfIllumColorOn = false;
  Color selfIllumColor{0.f, 0.f, 0.f};
  Texmap* diffuseMap = nullptr;

 protected:
  void SetReference(int i, RefTargetHandle target) override;
};

// Sub-materials chosen by material id (id modulo the count, as in the host).
class MultiMtl : public Mtl {
 public:
  Class_ID ClassID() override { return Class_ID(0x00000200, 0); }
  ~MultiMtl() override { DeleteAllRefsFromMe(); }
  int NumSubMtls() override { return static_cast<int>(subs_.size()); }
  Mtl* GetSubMtl(int i) override { return i >= 0 && i < NumSubMtls() ? subs_[i] : nullptr; }
  void SetSubMtl(int i, Mtl* m);
  // The material that faces with material id `id` use.
  Mtl* ForMaterialId(int id);
  Color GetDiffuse(int mtlNum = 0, BOOL backFace = FALSE) override;
  int NumRefs() override { return NumSubMtls(); }
  RefTargetHandle GetReference(int i) override { return GetSubMtl(i); }

 protected:
  void SetReference(int i, RefTargetHandle target) override;

 private:
  std::vector<Mtl*> subs_;
};

class ConstantMap : public Texmap {
 public:
  explicit ConstantMap(const AColor& c = {}) : color(c) {}
  Class_ID ClassID() override { return Class_ID(0x0c6a1f2e, 0x3d00a7b1); }
  AColor EvalColor(ShadeContext&) override { return color; }
  AColor color;
};

// Alternating squares of two colours, `tiles` squares across 0..1 in u and v.
class CheckerMap : public Texmap {
 public:
  Class_ID ClassID() override { return Class_ID(0x00000200, 0x00000100); }
  AColor EvalColor(ShadeContext& sc) override;
  AColor color1{0, 0, 0, 1}, color2{1, 1, 1, 1};
  float tiles = 2;
};

// Colours spaced evenly (or at given positions) along v from 0 to 1,
// blended linearly.
class GradientMap : public Texmap {
 public:
  Class_ID ClassID() override { return Class_ID(0x00000270, 0); }
  AColor EvalColor(ShadeContext& sc) override;
  std::vector<AColor> colors;
  std::vector<float> positions;  // empty: evenly spaced
};

// An image file sampled bilinearly at (u, v), repeating outside 0..1,
// v = 0 at the bottom row of the image.
class BitmapTex : public Texmap {
 public:
  BitmapTex();
  ~BitmapTex() override;
  Class_ID ClassID() override { return Class_ID(0x00000240, 0); }
  // Loads the image through the bitmap manager; false with the manager's
  // one-line error when it cannot be read (the old image stays).
  bool SetMapName(const std::wstring& file, std::string& error);
  const std::wstring& GetMapName() const { return file_; }
  AColor EvalColor(ShadeContext& sc) override;
  Bitmap* GetBitmap() const { return bitmap_; }

 private:
  std::wstring file_;
  Bitmap* bitmap_ = nullptr;
};

}  // namespace host
