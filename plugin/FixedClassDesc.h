#pragma once
// The answers every class descriptor of the library gives the host; each
// descriptor adds its identity and how it creates its object.
#include "host/sdk/ClassDesc2.h"

namespace plugin {

struct ClassIdentity {
  const MCHAR* className;     // shown to the user; a fixed string
  const MCHAR* internalName;  // also the non-localised name
  const MCHAR* category;
  SClass_ID superClass;
  Class_ID classId;
};

class FixedClassDesc : public ClassDesc2 {
 public:
  explicit FixedClassDesc(const ClassIdentity& id) : id_(id) {}

  int IsPublic() override { return 1; }
  const MCHAR* ClassName() override { return id_.className; }
  const MCHAR* NonLocalizedClassName() override { return id_.internalName; }
  const MCHAR* InternalName() override { return id_.internalName; }
  SClass_ID SuperClassID() override { return id_.superClass; }
  Class_ID ClassID() override { return id_.classId; }
  const MCHAR* Category() override { return id_.category; }
  int BeginCreate(Interface*) override { return 0; }
  int EndCreate(Interface*) override { return 0; }
  BOOL OkToCreate(Interface*) override { return TRUE; }
  int NumActionTables() override { return 0; }
  BOOL HasClassParams() override { return FALSE; }
  int NumManipulators() override { return 0; }
  DWORD InitialRollupPageState() override { return 0x7FFFFFFF; }
  HINSTANCE HInstance() override;

 private:
  ClassIdentity id_;
};

}  // namespace plugin
