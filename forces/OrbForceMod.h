#pragma once
// The world-space modifier a Particle Force puts on each bound object, and
// its deformer, which leaves points where they are.
#include "forces/WarpMod.h"

class OrbForceObject;

inline constexpr Class_ID ORBFORCE_MOD_CLASS_ID{0x7A2E9F45, 0xD1C56B8A};

class OrbForceDeformer : public Deformer {
 public:
  Point3 Map(int, Point3 p) override { return p; }
};

class OrbForceMod : public WarpMod {
 public:
  OrbForceMod(INode* node, OrbForceObject* obj);
  Class_ID ClassID() override { return ORBFORCE_MOD_CLASS_ID; }
  const MCHAR* GetObjectName(bool localized = true) const override;
  Deformer& GetDeformer(TimeValue t, TriObject& tri, Matrix3& mat, Matrix3& invmat) override;
  ReferenceTarget* Clone(RemapDir& remap) override;
};
