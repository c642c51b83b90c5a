#include "host/sdk/FunctionPublishing.h"

#include <exception>

#include "host/sdk/ClassDesc2.h"
#include "host/sdk/LoadLog.h"

Interface_ID FPInterface::GetID() const { return const_cast<FPInterface*>(this)->GetDesc()->ID; }

FPStatus FPInterface::Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* p, MSTR* errorText) {
  FPParams none;
  try {
    return _dispatch_fn(fid, t, result, p ? p : &none);
  } catch (const MaxSDK::Util::OutOfRangeException& e) {
    if (errorText) *errorText = e.GetMessage();
  } catch (const std::exception& e) {
    if (errorText) *errorText = host::widen(e.what());
  }
  return FPS_FAIL;
}

FPInterfaceDesc::FPInterfaceDesc(Interface_ID id, const MCHAR* internalName, int localNameId, ClassDesc2* classDesc,
                                 int descFlags, std::vector<FPFunctionDef> functions)
    : ID(id),
      internal_name(internalName ? internalName : _M("")),
      local_name(localNameId),
      cd(classDesc),
      flags(descFlags),
      functions_(std::move(functions)) {
  host::recordLoad(host::LoadItem::InterfaceDescriptor, this, host::narrow(internal_name));
  if (cd) cd->AddInterface(this);
}

const FPFunctionDef* FPInterfaceDesc::FindFunction(const MCHAR* name) const {
  for (const FPFunctionDef& f : functions_)
    if (name && MSTR(f.internal_name) == name) return &f;
  return nullptr;
}

const FPFunctionDef* FPInterfaceDesc::FindFunction(FunctionID id) const {
  for (const FPFunctionDef& f : functions_)
    if (f.id == id) return &f;
  return nullptr;
}
