#pragma once
// The world-space modifier a Vortex Force puts on each bound object, and its
// deformer: the warp moves particles only, so points stay where they are.
#include "forces/WarpMod.h"

class VortexObject;

inline constexpr Class_ID VORTEX_MOD_CLASS_ID{0x2E8B61C5, 0x9F07A5D4};

class VortexDeformer : public Deformer {
 public:
  Point3 Map(int, Point3 p) override { return p; }
};

class VortexMod : public WarpMod {
 public:
  VortexMod(INode* node, VortexObject* obj);
  Class_ID ClassID() override { return VORTEX_MOD_CLASS_ID; }
  const MCHAR* GetObjectName(bool localized = true) const override;
  Deformer& GetDeformer(TimeValue t, TriObject& tri, Matrix3& mat, Matrix3& invmat) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
};
