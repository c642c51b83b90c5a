#pragma once
// The Vortex Force: a space warp that holds particles on a sphere and swirls
// them around vortices spread over its surface.
#include "forces/VortexParams.h"
#include "host/sdk/SpaceWarp.h"
#include "host/sdk/StringTable.h"

class VortexObject : public SimpleWSMObject {
 public:
  VortexObject();

  Class_ID ClassID() override;
  void GetClassName(MSTR& s, bool localized = true) const override;
  const MCHAR* GetObjectName(bool localized = true) const override;
  ReferenceTarget* Clone(RemapDir& remap) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;
  Modifier* CreateWSMMod(INode* node) override;
};

ParamBlockDesc2* GetVortexParamBlockDesc();

namespace vortex {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace vortex
