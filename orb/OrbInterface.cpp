// The orb's scripting interface "iridel": the veil solver's status line.
#include "orb/OrbObject.h"

FPInterfaceDesc* GetIridelInterfaceDesc() {
  static FPInterfaceDesc desc(ORB_FP_INTERFACE_ID, _M("iridel"), 0, GetOrbDesc(), FP_MIXIN,
                              {{OrbFPInterface::kSolverStatus, _M("solverStatus"), TYPE_STRING, {}}});
  return &desc;
}

FPInterfaceDesc* OrbFPInterface::GetDesc() { return GetIridelInterfaceDesc(); }

FPStatus OrbFPInterface::_dispatch_fn(FunctionID fid, TimeValue, FPValue& result, FPParams*) {
  if (fid != kSolverStatus) return FPS_NO_SUCH_FUNCTION;
  result = FPValue::String(SolverStatus());
  return FPS_OK;
}
