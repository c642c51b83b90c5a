#pragma once
// Scene nodes: a named place in the hierarchy with a transform over time, an
// object, a material, user-defined properties, a wire colour and a hidden flag.
#include <optional>
#include <vector>

#include "host/sdk/Matrix3.h"
#include "host/sdk/Object.h"
#include "host/sdk/Track.h"

class Mtl;

// How a node places itself relative to its parent.
struct NodeTransform {
  Track<Point3> position;
  Track<Point3> rotation;  // Euler degrees, X then Y then Z
  Track<Point3> scale{Point3(1.f, 1.f, 1.f)};
  std::optional<Matrix3> matrix;  // replaces position, rotation and scale when set
  // Aiming: local -Z towards the target, local +Y in the plane of world +Z
  // and the view direction.
  INode* targetNode = nullptr;
  std::optional<Track<Point3>> targetPoint;
};

class INode : public ReferenceTarget {
 public:
  explicit INode(MSTR name = {});
  ~INode() override;

  Class_ID ClassID() override { return Class_ID(BASENODE_CLASS_ID, 0); }
  SClass_ID SuperClassID() override { return BASENODE_CLASS_ID; }

  const MCHAR* GetName() const { return name_.c_str(); }
  void SetName(const MSTR& name) { name_ = name; }

  // World transforms at t; `valid` narrows to where they hold.
  Matrix3 GetNodeTM(TimeValue t, Interval* valid = nullptr);
  Matrix3 GetObjectTM(TimeValue t, Interval* valid = nullptr) { return GetNodeTM(t, valid); }
  Matrix3 GetObjTMAfterWSM(TimeValue t, Interval* valid = nullptr) { return GetNodeTM(t, valid); }
  Matrix3 GetObjTMBeforeWSM(TimeValue t, Interval* valid = nullptr) { return GetNodeTM(t, valid); }
  // Sets a fixed world transform (parent transform removed).
  void SetNodeTM(TimeValue t, const Matrix3& tm);
  NodeTransform& Transform() { return transform_; }

  INode* GetParentNode() const { return parent_; }
  int NumberOfChildren() const { return static_cast<int>(children_.size()); }
  INode* GetChildNode(int i) const { return i >= 0 && i < NumberOfChildren() ? children_[i] : nullptr; }
  // Makes `child` a child of this node (detaching it from its old parent).
  // Refused when it would make a cycle.
  bool AttachChild(INode* child);
  void Detach();
  bool IsRootNode() const { return isRoot_; }
  void MarkRoot() { isRoot_ = true; }

  Object* GetObjectRef() const { return object_; }
  // The node owns its object through a reference: replacing it deletes the
  // old object when nothing else refers to it.
  void SetObjectRef(Object* obj) { ReplaceReference(0, obj); }
  ObjectState EvalWorldState(TimeValue t, BOOL evalHidden = TRUE);

  Mtl* GetMtl() const { return mtl_; }
  void SetMtl(Mtl* m);
  DWORD GetWireColor() const { return wireColor_; }
  void SetWireColor(DWORD c) { wireColor_ = c; }
  BOOL IsHidden() const { return hidden_; }
  BOOL IsNodeHidden() const { return hidden_; }
  void Hide(BOOL on) { hidden_ = on; }

  // User-defined properties, "key = value" lines; keys match without regard
  // to case. Reads are false when the key is missing or does not parse.
  void GetUserPropBuffer(MSTR& buf) const { buf = userProps_; }
  void SetUserPropBuffer(const MSTR& buf) { userProps_ = buf; }
  BOOL GetUserPropString(const MSTR& key, MSTR& value) const;
  BOOL GetUserPropFloat(const MSTR& key, float& value) const;
  BOOL GetUserPropInt(const MSTR& key, int& value) const;
  BOOL GetUserPropBool(const MSTR& key, BOOL& value) const;
  BOOL UserPropExists(const MSTR& key) const;
  void SetUserPropString(const MSTR& key, const MSTR& value);
  void SetUserPropFloat(const MSTR& key, float value);
  void SetUserPropInt(const MSTR& key, int value);
  void SetUserPropBool(const MSTR& key, BOOL value);

  int NumRefs() override { return 2; }
  RefTargetHandle GetReference(int i) override;
  RefResult NotifyRefChanged(const Interval& changeInt, RefTargetHandle hTarget, PartID& partID, RefMessage message,
                             BOOL propagate) override;

 protected:
  void SetReference(int i, RefTargetHandle target) override;

 private:
  Matrix3 localTM(TimeValue t, Interval* valid);
  Matrix3 worldTM(TimeValue t, Interval* valid, int depth);

  MSTR name_;
  NodeTransform transform_;
  INode* parent_ = nullptr;
  std::vector<INode*> children_;
  bool isRoot_ = false;
  Object* object_ = nullptr;
  Mtl* mtl_ = nullptr;
  DWORD wireColor_ = 0x00808080;
  BOOL hidden_ = FALSE;
  MSTR userProps_;
};

// The node that holds `obj` as its object, found among the object's
// dependents (a node is one through its object reference); null when no
// node holds it. Objects ask this for their own node's transform, which the
// host does not hand to every call.
INode* OwnNode(const Object* obj);

// The rotation that aims local -Z along `direction` with local +Y up
// (world +Z as reference, world +Y when looking straight up or down).
Matrix3 AimMatrix(const Point3& direction);
