#pragma once
// The runner's progress bar on stderr (when it is a terminal): title,
// percent and a bar. While it shows, ESC and Ctrl-C raise the host's cancel
// flag. When stderr is not a terminal (a farm's log) it prints each frame's
// status line instead, as the frame after it starts.
#include <functional>
#include <string>

#include "host/sdk/Interface.h"

namespace app {

class TerminalProgress : public ProgressListener {
 public:
  // `status` reads the running command's status text, or is empty.
  explicit TerminalProgress(Interface& core, std::function<std::string()> status = {});
  ~TerminalProgress() override;
  void started(const MSTR& title) override;
  void updated(int percent, const MSTR& title) override;
  void ended() override;

 private:
  void pollEscape();
  void draw(int percent);
  void logStatus();

  Interface& core_;
  bool terminal_;
  bool rawInput_ = false;
  MSTR title_;
  std::function<std::string()> status_;
  std::string logged_;  // the status line the log shows last (or the one before the run)
};

// Ctrl-C raises the cancel flag instead of ending the process; a second
// Ctrl-C ends it at once with status 130.
void installInterruptHandler(Interface& core);

}  // namespace app
