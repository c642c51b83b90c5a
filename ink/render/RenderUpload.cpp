#include "ink/render/RenderUpload.h"

#include <atomic>

namespace ink::renderFaults {
namespace {
std::atomic<int> downloadsUntilFault{0};  // 0: disarmed
}

void failHostAllocation(int n) { downloadsUntilFault = n > 0 ? n : 0; }

bool hostAllocationFaultDue() {
  int remaining = downloadsUntilFault.load();
  while (remaining > 0 && !downloadsUntilFault.compare_exchange_weak(remaining, remaining - 1)) {
  }
  return remaining == 1;
}

}  // namespace ink::renderFaults
