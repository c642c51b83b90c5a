#include "host/sdk/Module.h"

#include <set>

namespace {
std::set<HINSTANCE>& quietModules() {
  static std::set<HINSTANCE> modules;
  return modules;
}
}  // namespace

BOOL DisableThreadLibraryCalls(HINSTANCE module) {
  if (!module) return FALSE;
  quietModules().insert(module);
  return TRUE;
}

namespace host {
bool threadNotificationsDisabled(HINSTANCE module) { return quietModules().count(module) > 0; }
}  // namespace host
