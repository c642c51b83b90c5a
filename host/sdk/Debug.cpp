#include "host/sdk/Debug.h"

#include <mutex>

namespace {
std::mutex gDebugMutex;
std::wstring& sink() {
  static std::wstring text;
  return text;
}
}  // namespace

void OutputDebugString(const MCHAR* text) {
  if (!text) return;
  std::lock_guard lock(gDebugMutex);
  sink() += text;
}

namespace host {
std::wstring debugOutput() {
  std::lock_guard lock(gDebugMutex);
  return sink();
}
void clearDebugOutput() {
  std::lock_guard lock(gDebugMutex);
  sink().clear();
}
}  // namespace host
