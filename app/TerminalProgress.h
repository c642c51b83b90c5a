#pragma once
// The runner's progress bar on stderr (when it is a terminal): title,
// percent and a bar. While it shows, ESC and Ctrl-C raise the host's cancel
// flag.
#include "host/sdk/Interface.h"

namespace app {

class TerminalProgress : public ProgressListener {
 public:
  explicit TerminalProgress(Interface& core);
  ~TerminalProgress() override;
  void started(const MSTR& title) override;
  void updated(int percent, const MSTR& title) override;
  void ended() override;

 private:
  void pollEscape();
  void draw(int percent);

  Interface& core_;
  bool terminal_;
  bool rawInput_ = false;
  MSTR title_;
};

// Ctrl-C raises the cancel flag instead of ending the process.
void installInterruptHandler(Interface& core);

}  // namespace app
