#pragma once
// Function publishing: interfaces whose functions scripts call by name with
// typed arguments and typed results.
#include <vector>

#include "host/sdk/ClassIDs.h"
#include "host/sdk/MaxArray.h"
#include "host/sdk/ParamTypes.h"
#include "host/sdk/Reference.h"

class ClassDesc2;
class INode;
using FunctionID = short;
using FPStatus = int;
constexpr FPStatus FPS_FAIL = 0;
constexpr FPStatus FPS_OK = 1;
constexpr FPStatus FPS_NO_SUCH_FUNCTION = -1;
constexpr int FP_MIXIN = 0x0001;

struct FPValue {
  int type = TYPE_VOID;
  float f = 0;
  int i = 0;  // TYPE_INT and TYPE_BOOL
  INode* n = nullptr;
  MSTR s;     // TYPE_STRING and TYPE_TSTR_BV

  FPValue() = default;
  static FPValue Float(float v) { FPValue r; r.type = TYPE_FLOAT; r.f = v; return r; }
  static FPValue Int(int v) { FPValue r; r.type = TYPE_INT; r.i = v; return r; }
  static FPValue Bool(bool v) { FPValue r; r.type = TYPE_BOOL; r.i = v ? 1 : 0; return r; }
  static FPValue Node(INode* v) { FPValue r; r.type = TYPE_INODE; r.n = v; return r; }
  static FPValue String(MSTR v) { FPValue r; r.type = TYPE_STRING; r.s = std::move(v); return r; }
};

struct FPParams {
  MaxSDK::Array<FPValue> params;
  FPParams() = default;
  FPParams(std::initializer_list<FPValue> values) : params(values) {}
  int Count() const { return static_cast<int>(params.length()); }
};

struct FPArgDef {
  const MCHAR* name;
  int type;
};

struct FPFunctionDef {
  FunctionID id;
  const MCHAR* internal_name;
  int result_type;
  std::vector<FPArgDef> args;
};

class FPInterfaceDesc;

class FPInterface : public BaseInterface {
 public:
  virtual FPInterfaceDesc* GetDesc() = 0;
  Interface_ID GetID() const override;
  // Calls a function. A script error (too few arguments, a failure thrown by
  // the function) returns FPS_FAIL with the host's message in errorText.
  FPStatus Invoke(FunctionID fid, TimeValue t, FPValue& result, FPParams* p, MSTR* errorText = nullptr);

 protected:
  virtual FPStatus _dispatch_fn(FunctionID fid, TimeValue t, FPValue& result, FPParams* p) = 0;
};

// An interface implemented by the object itself.
class FPMixinInterface : public FPInterface {};

class FPInterfaceDesc {
 public:
  // Registers itself with its class descriptor.
  FPInterfaceDesc(Interface_ID id, const MCHAR* internalName, int localNameId, ClassDesc2* cd, int flags,
                  std::vector<FPFunctionDef> functions);
  FPInterfaceDesc(const FPInterfaceDesc&) = delete;
  FPInterfaceDesc& operator=(const FPInterfaceDesc&) = delete;

  Interface_ID ID;
  MSTR internal_name;
  int local_name = 0;
  ClassDesc2* cd = nullptr;
  int flags = 0;

  const std::vector<FPFunctionDef>& Functions() const { return functions_; }
  const FPFunctionDef* FindFunction(const MCHAR* name) const;
  const FPFunctionDef* FindFunction(FunctionID id) const;

 private:
  std::vector<FPFunctionDef> functions_;
};
