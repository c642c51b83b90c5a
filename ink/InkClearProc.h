#pragma once
// The dialog procedure shared by the ink object's fourteen rollouts: the
// clear buttons next to node pickers, map and material buttons and file
// buttons.
#include "host/sdk/ParamMap2.h"

class InkClearProc : public ParamMap2UserDlgProc {
 public:
  // A click on an odd control id in 2001..2599 clears parameter
  // (id - 2001) / 2 when it is a file name, material, map or single node,
  // as one undoable step named "Clear". Anything else is left to the
  // automatic UI.
  INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

  static InkClearProc* instance();
};
