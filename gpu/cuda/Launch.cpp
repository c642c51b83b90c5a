#include <cuda_runtime_api.h>

#include "gpu/Launch.h"
#include "gpu/cuda/Runtime.h"
#include "gpu/detail/FaultState.h"
#include "gpu/detail/LastError.h"

namespace gpu {

Status detail::launchStatus() {
  // Read even under an injected fault, so the runtime's slot does not carry
  // this launch's error into a later call.
  const cudaError_t launch = cudaGetLastError();
  if (noDeviceInjected()) return recordError(ErrorNoDevice);
  if (launchFaultDue()) return recordError(ErrorLaunchFailure);
  return cuda::fromRuntime(launch);
}

}  // namespace gpu
