#pragma once
// A small plug-in class for host tests: a procedural object with one block
// holding a parameter of every type the scene format can set, and a material
// class with a colour and a map.
#include "host/sdk/ClassDesc2.h"
#include "host/sdk/Material.h"
#include "host/sdk/Object.h"

namespace hosttest {

enum WidgetParam : ParamID { kSize = 0, kCount, kEnabled, kTint, kTarget, kSources, kLook, kPattern, kCache, kNote };

class WidgetDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return 1; }
  void* Create(BOOL) override;
  const MCHAR* ClassName() override { return _M("Widget"); }
  const MCHAR* NonLocalizedClassName() override { return _M("Widget"); }
  const MCHAR* InternalName() override { return _M("TestWidget"); }
  SClass_ID SuperClassID() override { return GEOMOBJECT_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x1234, 0x5678); }
  const MCHAR* Category() override { return _M("Tests"); }
};

class Widget : public SimpleObject2 {
 public:
  Widget();
  Class_ID ClassID() override { return Class_ID(0x1234, 0x5678); }
  void BuildMesh(TimeValue t) override;
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message, BOOL) override;
  int changeMessages = 0;
  int builds = 0;
};

class SwatchDesc : public ClassDesc2 {
 public:
  int IsPublic() override { return 1; }
  void* Create(BOOL) override;
  const MCHAR* ClassName() override { return _M("Swatch"); }
  const MCHAR* NonLocalizedClassName() override { return _M("Swatch"); }
  const MCHAR* InternalName() override { return _M("TestSwatch"); }
  SClass_ID SuperClassID() override { return MATERIAL_CLASS_ID; }
  Class_ID ClassID() override { return Class_ID(0x4321, 0x8765); }
  const MCHAR* Category() override { return _M("Tests"); }
};

class Swatch : public Mtl {
 public:
  Swatch();
  ~Swatch() override { DeleteAllRefsFromMe(); }
  Class_ID ClassID() override { return Class_ID(0x4321, 0x8765); }
  int NumRefs() override { return 1; }
  RefTargetHandle GetReference(int i) override { return i == 0 ? pblock2 : nullptr; }
  int NumParamBlocks() override { return 1; }
  IParamBlock2* GetParamBlock(int i) override { return i == 0 ? pblock2 : nullptr; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override { return REF_SUCCEED; }
  IParamBlock2* pblock2 = nullptr;

 protected:
  void SetReference(int i, RefTargetHandle target) override {
    if (i == 0) pblock2 = dynamic_cast<IParamBlock2*>(target);
  }
};

WidgetDesc* widgetDesc();
ParamBlockDesc2* widgetBlock();
SwatchDesc* swatchDesc();

}  // namespace hosttest
