#pragma once
// The Particle Force: a space warp with shell, vortex, attract and curl
// fields.
#include "forces/IconWarpObject.h"
#include "forces/OrbForceParams.h"
#include "host/sdk/StringTable.h"

class OrbForceObject : public IconWarpObject {
 public:
  OrbForceObject();

  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  CreateMouseCallBack* GetCreateMouseCallBack() override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;
  void BuildMesh(TimeValue t) override;
  Modifier* CreateWSMMod(INode* node) override;
  ForceField* GetForceField(INode* node) override;
};

ParamBlockDesc2* GetOrbForceParamBlockDesc();

namespace orbforce {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace orbforce
