#pragma once
// The Vortex Force: a space warp that holds particles on a sphere and swirls
// them around vortices spread over its surface. Its icon marks the vortex
// axes; its field reads a per-time cache of the evaluated block.
#include <memory>
#include <mutex>

#include "forces/SwirlFrame.h"
#include "forces/VortexForce.h"
#include "forces/VortexParams.h"
#include "forces/Warp.h"
#include "host/sdk/ClassDesc2.h"
#include "host/sdk/StringTable.h"

inline constexpr Class_ID VORTEX_CLASS_ID{0x2E8B61C4, 0x9F07A5D3};
inline constexpr Class_ID VORTEX_MOD_CLASS_ID{0x2E8B61C5, 0x9F07A5D4};

class VortexObject : public WarpObject<VortexObject> {
 public:
  static const WarpClass kClass;

  // Everything one force evaluation needs at a time, read once.
  struct Evaluated {
    vortex::VortexEval eval;
    vortex::VortexSet set;
    Matrix3 nodeTM, inverseNodeTM;
  };

  CreateMouseCallBack* GetCreateMouseCallBack() override;
  void BuildMesh(TimeValue t) override;
  // World-space force of the warp on `node` at t, from the cached state.
  Point3 WorldForce(INode* node, TimeValue t, const Point3& pos, const Point3& vel, int index);

  // The state at t for the warp on `node` (null: no node), from the
  // per-time cache; safe to call from several threads.
  std::shared_ptr<const Evaluated> EvaluateAt(INode* node, TimeValue t);

 protected:
  void BlockChanged() override;

 private:
  std::mutex cacheMutex_;
  std::shared_ptr<const Evaluated> cache_;
  INode* cacheNode_ = nullptr;
  TimeValue cacheTime_ = 0;
  bool cacheValid_ = false;
};

// The modifier a Vortex Force puts on each bound object, and the warp as a
// particle system feels it.
using VortexMod = BoundWarpMod<VortexObject>;
using VortexField = WarpField<VortexObject>;

// Samples a Vortex Force node at t for the ink's swirl source: the frame and
// the node's transform, read directly (not through the warp's cache). False
// when the node is null, has no object or holds another class.
bool sampleVortexForce(INode* node, TimeValue t, swirl::Frame& frame, Matrix3& nodeTM);

// The class's descriptor, built on first use.
ClassDesc2* GetVortexDesc();
ParamBlockDesc2* GetVortexParamBlockDesc();

namespace vortex {
extern const host::StringEntry kStrings[];
extern const int kStringCount;
}  // namespace vortex
