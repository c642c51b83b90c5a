#pragma once
// The host's progress bar over a driver's frame range, with the user's
// cancel: the bar's cancel flag or ESC held down.
#include <string>

namespace ink {

class FrameProgress {
 public:
  // Starts the bar titled `title` (UTF-8) over `total` frames.
  FrameProgress(const char* title, int total);
  ~FrameProgress();
  FrameProgress(const FrameProgress&) = delete;
  FrameProgress& operator=(const FrameProgress&) = delete;

  // Shows "<title>  <done> / <total>  (<pct>%)  frame <f>  -  ESC cancels"
  // and sets the bar to that percentage. False when the user cancelled,
  // tested even when no bar could be started.
  bool update(int done, int frame);

 private:
  std::string title_;
  int total_;
  bool started_;
};

// The progress text of frame `frame` after `done` of `total` frames.
std::string progressText(const std::string& title, int done, int total, int frame);

}  // namespace ink
