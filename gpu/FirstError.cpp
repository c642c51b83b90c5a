#include "gpu/FirstError.h"

namespace gpu {

bool FirstError::check(Status s, const char* text) {
  if (s == Success) return ok();
  getLastError();
  if (ok()) {
    status_ = s;
    text_ = text ? text : errorString(s);
  }
  return false;
}

bool FirstError::synchronize() { return ok() && check(deviceSynchronize()); }

}  // namespace gpu
