#include "ink/drivers/FrameProgress.h"

#include <cstdint>

#include "host/sdk/Interface.h"
#include "util/Format.h"

namespace ink {

namespace {
int percentDone(int done, int total) {
  return total > 0 ? static_cast<int>(static_cast<std::int64_t>(done) * 100 / total) : 0;
}
}  // namespace

std::string progressText(const std::string& title, int done, int total, int frame) {
  return util::formatted("%s  %d / %d  (%d%%)  frame %d  -  ESC cancels", title.c_str(), done, total,
                   percentDone(done, total), frame);
}

FrameProgress::FrameProgress(const char* title, int total)
    : title_(title), total_(total), started_(GetCOREInterface()->ProgressStart(host::widen(title_).c_str()) != FALSE) {}

FrameProgress::~FrameProgress() {
  if (started_) GetCOREInterface()->ProgressEnd();
}

bool FrameProgress::update(int done, int frame) {
  Interface& core = *GetCOREInterface();
  if (started_) {
    const MSTR text = host::widen(progressText(title_, done, total_, frame));
    core.ProgressUpdate(percentDone(done, total_), TRUE, text.c_str());
  }
  return !core.GetCancel() && (GetAsyncKeyState(VK_ESCAPE) & 0x8000) == 0;
}

}  // namespace ink
