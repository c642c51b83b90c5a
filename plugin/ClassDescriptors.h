#pragma once
// The library's five class descriptors, in the order the library hands them
// out. Each is built on first use; the library's load sequence builds them in
// directory order before anything else asks.
#include "plugin/FixedClassDesc.h"

namespace plugin {

class OrbClassDesc : public FixedClassDesc {
 public:
  OrbClassDesc();
  void* Create(BOOL loading = FALSE) override;
};

class VortexDesc : public FixedClassDesc {
 public:
  VortexDesc();
  void* Create(BOOL loading = FALSE) override;
};

class OrbForceDesc : public FixedClassDesc {
 public:
  OrbForceDesc();
  void* Create(BOOL loading = FALSE) override;
};

class InkDesc : public FixedClassDesc {
 public:
  InkDesc();
  void* Create(BOOL loading = FALSE) override;
};

class InkMtlDesc : public FixedClassDesc {
 public:
  InkMtlDesc();
  void* Create(BOOL loading = FALSE) override;
};

}  // namespace plugin

ClassDesc2* GetOrbDesc();
ClassDesc2* GetVortexDesc();
ClassDesc2* GetOrbForceDesc();
ClassDesc2* GetInkDesc();
ClassDesc2* GetInkMtlDesc();
