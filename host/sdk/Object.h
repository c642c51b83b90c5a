#pragma once
// Scene objects: the base object every creatable class derives from, the
// geometric object, the triangle-mesh object and the procedural object with
// one parameter block and one cached mesh.
#include "host/sdk/Box3.h"
#include "host/sdk/ClassDesc2.h"
#include "host/sdk/Matrix3.h"
#include "host/sdk/Mesh.h"
#include "host/sdk/ParamBlock2.h"
#include "host/sdk/ParamBlockOwner.h"
#include "host/sdk/Reference.h"
#include "host/sdk/Viewport.h"

class INode;
class Object;
class Interface;

struct ObjectState {
  Object* obj = nullptr;
  ObjectState() = default;
  explicit ObjectState(Object* o) : obj(o) {}
};

class BaseObject : public ReferenceTarget {
 public:
  virtual CreateMouseCallBack* GetCreateMouseCallBack() { return nullptr; }
  virtual const MCHAR* GetObjectName(bool localized = true) const { (void)localized; return _M(""); }
  virtual void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) { (void)ip; (void)flags; (void)prev; }
  virtual void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) { (void)ip; (void)flags; (void)next; }
  // Legacy viewport drawing of the object at a node.
  virtual int Display(TimeValue t, INode* node, ViewExp* vpt, int flags) {
    (void)t; (void)node; (void)vpt; (void)flags;
    return 0;
  }
};

class Object : public BaseObject {
 public:
  virtual ObjectState Eval(TimeValue t) { (void)t; return ObjectState(this); }
  virtual Interval ObjectValidity(TimeValue t) { (void)t; return FOREVER; }
  virtual int CanConvertToType(Class_ID obtype) { (void)obtype; return FALSE; }
  // The object as another type at t. A result other than this is a new
  // object that the caller deletes.
  virtual Object* ConvertToType(TimeValue t, Class_ID obtype) { (void)t; (void)obtype; return nullptr; }
  // The box around the object's points at t, mapped through tm when given;
  // empty for objects without geometry. By default from the triangle mesh
  // the object converts to.
  virtual void GetDeformBBox(TimeValue t, Box3& box, Matrix3* tm = nullptr, BOOL useSel = FALSE);
  virtual int RenderBegin(TimeValue t, ULONG flags = 0) { (void)t; (void)flags; return 0; }
  virtual int RenderEnd(TimeValue t) { (void)t; return 0; }
  virtual int IsRenderable() { return FALSE; }
  virtual int IsParticleSystem() { return FALSE; }
  // Discards the evaluated state so that the next evaluation rebuilds it.
  virtual void FreeCaches() {}
};

// The view a render mesh is built for.
class View {
 public:
  virtual ~View() = default;
  Matrix3 worldToView;
  float screenW = 640, screenH = 480;
};

class GeomObject : public Object {
 public:
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  int IsRenderable() override { return TRUE; }
  // The mesh the host's renderer draws; needDelete tells the renderer whether
  // it owns the result. Null: nothing to render.
  virtual Mesh* GetRenderMesh(TimeValue t, INode* inode, View& view, BOOL& needDelete) {
    (void)t; (void)inode; (void)view;
    needDelete = FALSE;
    return nullptr;
  }
};

class TriObject : public GeomObject {
 public:
  Mesh mesh;
  Class_ID ClassID() override { return triObjectClassID; }
  Mesh& GetMesh() { return mesh; }
  int CanConvertToType(Class_ID obtype) override { return obtype == triObjectClassID; }
  Object* ConvertToType(TimeValue, Class_ID obtype) override { return obtype == triObjectClassID ? this : nullptr; }
  ReferenceTarget* Clone(RemapDir& remap) override;
};

TriObject* CreateNewTriObject();

// The evaluation of an object that keeps one procedural mesh. Self has
// `mesh`, `ivalid` (empty: rebuild at the next evaluation) and BuildMesh,
// declared by Self or by Base. Evaluating the object or asking its validity
// first rebuilds the mesh when t has left ivalid, and the object converts to
// a triangle mesh by copying it. Procedural geometry (SimpleObject2) and
// plug-in objects of other kinds whose icon is their mesh share it.
template <class Self, class Base>
class MeshEvaluation : public Base {
 public:
  void UpdateMesh(TimeValue t) {
    if (!self().ivalid.InInterval(t)) self().BuildMesh(t);
  }
  ObjectState Eval(TimeValue t) override {
    UpdateMesh(t);
    return ObjectState(this);
  }
  Interval ObjectValidity(TimeValue t) override {
    UpdateMesh(t);
    return self().ivalid;
  }
  int CanConvertToType(Class_ID obtype) override { return obtype == triObjectClassID; }
  Object* ConvertToType(TimeValue t, Class_ID obtype) override {
    if (obtype != triObjectClassID) return nullptr;
    UpdateMesh(t);
    TriObject* tri = CreateNewTriObject();
    tri->mesh = self().mesh;
    return tri;
  }

 private:
  Self& self() { return static_cast<Self&>(*this); }
};

// A geometric object that evaluates its parameter block into one mesh and
// keeps it while the time stays inside `ivalid`.
class SimpleObject2 : public MeshEvaluation<SimpleObject2, ParamBlockOwner<GeomObject>> {
 public:
  Mesh mesh;
  Interval ivalid;  // empty: rebuild at the next evaluation

  virtual void BuildMesh(TimeValue t) = 0;
  virtual BOOL OKtoDisplay(TimeValue t) { (void)t; return TRUE; }
  virtual void InvalidateUI() {}
};
