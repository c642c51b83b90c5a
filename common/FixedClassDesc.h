#pragma once
// The class descriptor every class of the library hands the host: fixed
// answers, the class's identity and how it creates its object. Each class
// builds its own on first use in its accessor (GetOrbDesc() ...), declared
// beside the class; the plug-in frame only lists the accessors.
#include <new>

#include "host/sdk/ClassDesc2.h"

namespace common {

struct ClassIdentity {
  const MCHAR* className;     // shown to the user; a fixed string
  const MCHAR* internalName;  // also the non-localised name
  const MCHAR* category;
  SClass_ID superClass;
  Class_ID classId;  // stored data: scenes refer to it, so it never changes
};

class FixedClassDesc : public ClassDesc2 {
 public:
  // `create` makes a new object, or null when the allocation fails.
  FixedClassDesc(const ClassIdentity& id, Animatable* (*create)()) : id_(id), create_(create) {}

  int IsPublic() override { return 1; }
  void* Create(BOOL loading = FALSE) override;
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
  Animatable* (*create_)();
};

// A new object of class T from the host's heap; null when allocation fails.
template <class T>
Animatable* createObject() {
  return static_cast<Animatable*>(new (std::nothrow) T());
}

// The descriptor of class T, built from `id` on the first call; every later
// call returns the same one.
template <class T>
ClassDesc2* classDescOf(const ClassIdentity& id) {
  static FixedClassDesc desc(id, createObject<T>);
  return &desc;
}

// The handle the host gave the library's module when it attached (null
// before); the module entry records it.
HINSTANCE moduleHandle();
void recordModuleHandle(HINSTANCE module);

}  // namespace common
