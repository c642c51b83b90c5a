#include "ink/InkClearProc.h"

#include "host/sdk/Hold.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Material.h"
#include "host/sdk/ParamBlock2.h"

namespace {
constexpr int kFirstClearButton = 2001;
constexpr int kLastClearButton = 2599;

// Clears one parameter by its type; false for types without a clear button.
bool clearParam(IParamBlock2& block, ParamID id, int type, TimeValue t) {
  switch (type) {
    case TYPE_FILENAME:
      return block.SetValue(id, t, _M(""));
    case TYPE_MTL:
      return block.SetValue(id, t, static_cast<Mtl*>(nullptr));
    case TYPE_TEXMAP:
      return block.SetValue(id, t, static_cast<Texmap*>(nullptr));
    case TYPE_INODE:  // a single node; a node list's odd id is its add button
      return block.SetValue(id, t, static_cast<INode*>(nullptr));
    default:
      return false;
  }
}
}  // namespace

INT_PTR InkClearProc::DlgProc(TimeValue t, IParamMap2* map, HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_COMMAND || HIWORD(wParam) != BN_CLICKED || !map) return FALSE;
  const int control = LOWORD(wParam);
  if (control < kFirstClearButton || control > kLastClearButton || control % 2 == 0) return FALSE;
  IParamBlock2* block = map->GetParamBlock();
  const auto id = static_cast<ParamID>((control - kFirstClearButton) / 2);
  const ParamDef* def = block ? block->GetDesc()->GetParamDef(id) : nullptr;
  if (!def) return FALSE;
  theHold.Begin();
  if (!clearParam(*block, id, def->type, t)) {
    theHold.Cancel();
    return FALSE;
  }
  theHold.Accept(_M("Clear"));
  map->Invalidate();
  GetCOREInterface()->RedrawViews(t);
  return TRUE;
}

InkClearProc* InkClearProc::instance() {
  static InkClearProc proc;
  return &proc;
}
