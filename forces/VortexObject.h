#pragma once
// The Vortex Force: a space warp that holds particles on a sphere and swirls
// them around vortices spread over its surface.
#include <memory>
#include <mutex>

#include "forces/IconWarpObject.h"
#include "forces/VortexForce.h"
#include "forces/VortexParams.h"
#include "host/sdk/StringTable.h"

inline constexpr Class_ID VORTEX_CLASS_ID{0x2E8B61C4, 0x9F07A5D3};

class VortexObject : public IconWarpObject {
 public:
  // Everything one force evaluation needs at a time, read once.
  struct Evaluated {
    vortex::VortexEval eval;
    vortex::VortexSet set;
    Matrix3 nodeTM, inverseNodeTM;
  };

  VortexObject();

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

  // The state at t for the warp on `node` (null: no node), from the
  // per-time cache; safe to call from several threads.
  std::shared_ptr<const Evaluated> EvaluateAt(INode* node, TimeValue t);

 private:
  std::mutex cacheMutex_;
  std::shared_ptr<const Evaluated> cache_;
  INode* cacheNode_ = nullptr;
  TimeValue cacheTime_ = 0;
  bool cacheValid_ = false;
};

ParamBlockDesc2* GetVortexParamBlockDesc();

namespace vortex {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace vortex
