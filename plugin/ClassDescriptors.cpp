#include "plugin/ClassDescriptors.h"

#include <new>

#include "forces/OrbForceObject.h"
#include "forces/VortexObject.h"
#include "ink/InkObject.h"
#include "ink/material/InkMtl.h"
#include "orb/OrbObject.h"
#include "plugin/Module.h"

namespace plugin {

HINSTANCE FixedClassDesc::HInstance() { return moduleHandle(); }

// Stored data: scenes refer to these Class_IDs, so they never change.
OrbClassDesc::OrbClassDesc()
    : FixedClassDesc({_M("Tessaron Iridel"), _M("TessaronIridel"), _M("TessaronFX"), GEOMOBJECT_CLASS_ID,
                      Class_ID(0x5B7E2C91, 0x3FA8D4E6)}) {}
VortexDesc::VortexDesc()
    : FixedClassDesc({_M("Tessaron Orb Vortex Force"), _M("TessaronOrbVortexForce"), _M("TessaronFX"),
                      WSM_OBJECT_CLASS_ID, Class_ID(0x2E8B61C4, 0x9F07A5D3)}) {}
OrbForceDesc::OrbForceDesc()
    : FixedClassDesc({_M("Tessaron Orb Particle Force"), _M("TessaronOrbParticleForce"), _M("TessaronFX"),
                      WSM_OBJECT_CLASS_ID, Class_ID(0x7A2E9F44, 0xD1C56B89)}) {}
InkDesc::InkDesc()
    : FixedClassDesc({_M("Tessaron Orb Ink"), _M("TessaronOrbInk"), _M("TessaronFX"), GEOMOBJECT_CLASS_ID,
                      Class_ID(0x41C7E2B9, 0x6D3A9F15)}) {}
InkMtlDesc::InkMtlDesc()
    : FixedClassDesc({_M("Tessaron Ink Material"), _M("TessaronInkMaterial"), _M("TessaronFX Tools"),
                      MATERIAL_CLASS_ID, Class_ID(0x5A3E91C7, 0x2F8D4B06)}) {}

// Objects come from the host's heap; an allocation failure yields null.
void* OrbClassDesc::Create(BOOL) { return static_cast<Animatable*>(new (std::nothrow) OrbObject()); }
void* VortexDesc::Create(BOOL) { return static_cast<Animatable*>(new (std::nothrow) VortexObject()); }
void* OrbForceDesc::Create(BOOL) { return static_cast<Animatable*>(new (std::nothrow) OrbForceObject()); }
void* InkDesc::Create(BOOL) { return static_cast<Animatable*>(new (std::nothrow) InkObject()); }
void* InkMtlDesc::Create(BOOL) { return static_cast<Animatable*>(new (std::nothrow) InkMtl()); }

}  // namespace plugin

ClassDesc2* GetOrbDesc() {
  static plugin::OrbClassDesc desc;
  return &desc;
}
ClassDesc2* GetVortexDesc() {
  static plugin::VortexDesc desc;
  return &desc;
}
ClassDesc2* GetOrbForceDesc() {
  static plugin::OrbForceDesc desc;
  return &desc;
}
ClassDesc2* GetInkDesc() {
  static plugin::InkDesc desc;
  return &desc;
}
ClassDesc2* GetInkMtlDesc() {
  static plugin::InkMtlDesc desc;
  return &desc;
}
