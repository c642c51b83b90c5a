#pragma once
// Parameter maps: one open rollout of a parameter block, and the user
// dialog procedure a class installs to handle controls the automatic UI
// does not (buttons with behaviour of their own).
#include "host/sdk/ParamTypes.h"
#include "host/sdk/Time.h"
#include "host/sdk/Types.h"

class IParamBlock2;
class IParamMap2;

using HWND = void*;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using INT_PTR = std::intptr_t;
using WORD = std::uint16_t;

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr WORD BN_CLICKED = 0;

inline WORD LOWORD(WPARAM w) { return static_cast<WORD>(w & 0xFFFF); }
inline WORD HIWORD(WPARAM w) { return static_cast<WORD>((w >> 16) & 0xFFFF); }
inline WPARAM MAKEWPARAM(WORD lo, WORD hi) { return static_cast<WPARAM>(lo) | (static_cast<WPARAM>(hi) << 16); }

class ParamMap2UserDlgProc {
 public:
  virtual ~ParamMap2UserDlgProc() = default;
  // TRUE when the message was handled.
  virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // Shared procedures live as long as the library and ignore this.
  virtual void DeleteThis() {}
};

class IParamMap2 {
 public:
  IParamMap2(IParamBlock2* block, MapID map, ParamMap2UserDlgProc* proc) : block_(block), map_(map), proc_(proc) {}

  IParamBlock2* GetParamBlock() const { return block_; }
  MapID GetMapID() const { return map_; }
  ParamMap2UserDlgProc* GetUserDlgProc() const { return proc_; }
  void SetUserDlgProc(ParamMap2UserDlgProc* proc) { proc_ = proc; }
  // Redraws every control from the block's values.
  void Invalidate() { ++invalidations_; }
  int Invalidations() const { return invalidations_; }

  // A control's notification, as the rollout's dialog would send it: a
  // WM_COMMAND to the user procedure. FALSE when nobody handled it.
  INT_PTR SendCommand(TimeValue t, int controlId, WORD notification = BN_CLICKED) {
    if (!proc_) return FALSE;
    return proc_->DlgProc(t, this, nullptr, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(controlId), notification), 0);
  }

 private:
  IParamBlock2* block_;
  MapID map_;
  ParamMap2UserDlgProc* proc_;
  int invalidations_ = 0;
};
