#pragma once
// Space warps: the world-space object the user places, the world-space
// modifier it creates for each bound node, and the deformer and force field
// through which geometry and particle systems feel it.
#include "host/sdk/Object.h"

class ForceField {
 public:
  virtual ~ForceField() = default;
  virtual Point3 Force(TimeValue t, const Point3& pos, const Point3& vel, int index) = 0;
  virtual void SetRandSeed(int seed) { (void)seed; }
  virtual void DeleteThis() {}
};

class Deformer {
 public:
  virtual ~Deformer() = default;
  virtual Point3 Map(int i, Point3 p) = 0;
};

class Modifier : public BaseObject {
 public:
  virtual Interval LocalValidity(TimeValue t) { (void)t; return FOREVER; }
  // Deforms the points of a triangle-mesh object in place.
  virtual void ModifyObject(TimeValue t, TriObject& tri) { (void)t; (void)tri; }
};

class WSModifier : public Modifier {
 public:
  SClass_ID SuperClassID() override { return WSM_CLASS_ID; }
};

class WSMObject : public Object {
 public:
  SClass_ID SuperClassID() override { return WSM_OBJECT_CLASS_ID; }
  virtual Modifier* CreateWSMMod(INode* node) = 0;
  virtual ForceField* GetForceField(INode* node) { (void)node; return nullptr; }
  virtual BOOL SupportsDynamics() { return FALSE; }
};

// A space-warp object with one parameter block and an icon mesh.
class SimpleWSMObject : public ParamBlockOwner<WSMObject> {
 public:
  Mesh mesh;
  Interval ivalid;

  virtual void BuildMesh(TimeValue t) { (void)t; }
};

// The modifier side of a space warp: references the space-warp object and
// the node it sits on, and deforms through the object's deformer.
class SimpleWSMMod : public WSModifier {
 public:
  WSMObject* obRef = nullptr;
  INode* nodeRef = nullptr;

  ~SimpleWSMMod() override { DeleteAllRefsFromMe(); }
  virtual Deformer& GetDeformer(TimeValue t, TriObject& tri, Matrix3& mat, Matrix3& invmat) = 0;
  void ModifyObject(TimeValue t, TriObject& tri) override;
  int NumRefs() override { return 2; }
  RefTargetHandle GetReference(int i) override;

 protected:
  void SetReference(int i, RefTargetHandle target) override;
};
