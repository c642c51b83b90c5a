#include "gpu/detail/LastError.h"

namespace gpu::detail {
namespace {

thread_local Status lastError = Success;

}  // namespace

Status recordError(Status s) {
  if (s != Success) lastError = s;
  return s;
}

Status takeRecordedError() {
  const Status s = lastError;
  lastError = Success;
  return s;
}

Status peekRecordedError() { return lastError; }

}  // namespace gpu::detail
