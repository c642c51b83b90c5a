#pragma once
// The Particle Force: a space warp with shell, vortex, attract and curl
// fields.
#include "forces/OrbForceParams.h"
#include "host/sdk/SpaceWarp.h"
#include "host/sdk/StringTable.h"

class OrbForceObject : public SimpleWSMObject {
 public:
  OrbForceObject();

  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;
  Modifier* CreateWSMMod(INode* node) override;
};

ParamBlockDesc2* GetOrbForceParamBlockDesc();

namespace orbforce {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace orbforce
