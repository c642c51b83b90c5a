#pragma once
// The per-thread "last error" slot behind getLastError/peekAtLastError. Like
// the CUDA runtime's, it belongs to the calling host thread.
#include "gpu/Device.h"

namespace gpu::detail {

// Remembers a failing status for the calling thread; returns it unchanged so
// call sites can write `return recordError(s);`. Success is not recorded.
Status recordError(Status s);

Status takeRecordedError();  // returns the slot and clears it
Status peekRecordedError();  // returns the slot and keeps it

}  // namespace gpu::detail
