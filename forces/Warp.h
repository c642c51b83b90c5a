#pragma once
// What both space warps share: the object, whose icon is its mesh so that
// viewports and the runner show it like any other object; the world-space
// modifier it binds objects with; the force field through which particle
// systems feel it; and the icon itself. A warp states only what is its own:
// its WarpClass, its icon (BuildMesh), its force (WorldForce) and what
// creation sizes (GetCreateMouseCallBack).
#include "common/ParamRows.h"
#include "host/sdk/SpaceWarp.h"
#include "util/Vec.h"

// What every row of a warp's block shares: one rollout, every kind
// animatable, parameter N's controls 1000 + 2N and 1001 + 2N, and a node
// list's delete button its second control + 1000.
constexpr common::ParamRowStyle warpParamStyle(int labelBase) {
  return {
      .labelBase = labelBase,
      .controlBase = 1000,
      .floatFlags = P_ANIMATABLE,
      .intFlags = P_ANIMATABLE,
      .boolFlags = P_ANIMATABLE,
      .colorFlags = P_ANIMATABLE,
      .deleteButton = [](ParamID id) { return 2001 + 2 * static_cast<int>(id); },
  };
}

// The names and classes that tell one warp from the other.
struct WarpClass {
  ClassDesc2* (*classDesc)();       // its class name is also the object name
  ParamBlockDesc2* (*blockDesc)();  // whose rollouts a change of the block refreshes
  Class_ID bindingClassID;          // the modifier's class
  const MCHAR* bindingName;         // the modifier's object name
};

// The modifier part both warps share: references to the warp object (0) and
// its node (1) that never own them. The node and its object belong to the
// scene, so dropping the modifier must not delete them even when it was
// their last dependent.
class WarpMod : public SimpleWSMMod {
 public:
  ~WarpMod() override;
  // The warps move particles only, so points stay where they are.
  Deformer& GetDeformer(TimeValue t, TriObject& tri, Matrix3& mat, Matrix3& invmat) override;

 protected:
  WarpMod(INode* node, WSMObject* obj);
};

// The world-space modifier a warp of class Warp puts on each bound object.
template <class Warp>
class BoundWarpMod final : public WarpMod {
 public:
  BoundWarpMod(INode* node, Warp* obj) : WarpMod(node, obj) {}
  Class_ID ClassID() override { return Warp::kClass.bindingClassID; }
  const MCHAR* GetObjectName(bool localized = true) const override {
    (void)localized;
    return Warp::kClass.bindingName;
  }
  ReferenceTarget* Clone(RemapDir& remap) override {
    auto* copy = new BoundWarpMod(nodeRef, dynamic_cast<Warp*>(obRef));
    BaseClone(this, copy, remap);
    return copy;
  }
};

// The warp as a particle system feels it: the world-space force of the warp
// on `node` (null: the warp sits at the world's origin), asked of the warp at
// every call.
template <class Warp>
class WarpField final : public ForceField {
 public:
  WarpField(Warp* obj, INode* node) : obj_(obj), node_(node) {}
  Point3 Force(TimeValue t, const Point3& pos, const Point3& vel, int index) override {
    if (!obj_) return {};
    return obj_->WorldForce(node_, t, pos, vel, index);
  }
  void DeleteThis() override { delete this; }

 private:
  Warp* obj_;
  INode* node_;
};

// The object side of a warp of class Self. Self has a `static const
// WarpClass kClass`, builds its icon into `mesh` in BuildMesh and answers
// WorldForce(node, t, pos, vel, index).
template <class Self>
class WarpObject : public MeshEvaluation<Self, SimpleWSMObject> {
 public:
  WarpObject() { Self::kClass.classDesc()->MakeAutoParamBlocks(this); }

  Class_ID ClassID() override { return Self::kClass.classDesc()->ClassID(); }
  void GetClassName(MSTR& s, bool localized = true) const override {
    (void)localized;
    s = Self::kClass.classDesc()->ClassName();
  }
  const MCHAR* GetObjectName(bool localized = true) const override {
    (void)localized;
    return Self::kClass.classDesc()->ClassName();
  }
  ReferenceTarget* Clone(RemapDir& remap) override { return this->CloneBlockInto(new Self(), remap); }
  // A change of the block makes the icon stale and refreshes the rollouts.
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override {
    (void)changeInt; (void)partID; (void)propagate;
    if (message == REFMSG_CHANGE && hTarget == this->pblock2) {
      this->ivalid.SetEmpty();
      Self::kClass.blockDesc()->InvalidateUI();
      BlockChanged();
    }
    return REF_SUCCEED;
  }
  Modifier* CreateWSMMod(INode* node) override { return new BoundWarpMod<Self>(node, static_cast<Self*>(this)); }
  ForceField* GetForceField(INode* node) override { return new WarpField<Self>(static_cast<Self*>(this), node); }

 protected:
  // After a change of the block, for what else the warp keeps from it.
  virtual void BlockChanged() {}
};

namespace forces {

// The viewport icon: an octahedron of half size `size` (at least 0.01) and
// one small tetrahedron marker at size * axis for each of the axes (the
// Vortex Force marks its vortices). Replaces `mesh`.
void buildWarpIcon(Mesh& mesh, float size, const orb::Vec* axes = nullptr, int axisCount = 0);

}  // namespace forces
