#pragma once
// The Particle Force: a space warp with shell, vortex, attract and curl
// fields (forces/OrbForce.h), read from the block at every call. Its icon is
// the plain octahedron.
#include "forces/OrbForceParams.h"
#include "forces/Warp.h"
#include "host/sdk/ClassDesc2.h"
#include "host/sdk/StringTable.h"

inline constexpr Class_ID ORBFORCE_MOD_CLASS_ID{0x7A2E9F45, 0xD1C56B8A};

class OrbForceObject : public WarpObject<OrbForceObject> {
 public:
  static const WarpClass kClass;

  CreateMouseCallBack* GetCreateMouseCallBack() override;
  void BuildMesh(TimeValue t) override;
  // World-space force from the parameters and the node's transform at t.
  Point3 WorldForce(INode* node, TimeValue t, const Point3& pos, const Point3& vel, int index);
};

// The modifier a Particle Force puts on each bound object, and the warp as a
// particle system feels it.
using OrbForceMod = BoundWarpMod<OrbForceObject>;
using OrbForceField = WarpField<OrbForceObject>;

// The class's descriptor, built on first use.
ClassDesc2* GetOrbForceDesc();
ParamBlockDesc2* GetOrbForceParamBlockDesc();

namespace orbforce {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace orbforce
