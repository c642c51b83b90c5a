#pragma once
// Whether a second thread could take the GPU lock now. The owner may always
// take it again, so only another thread can tell whether it is held.
#include <future>

#include "ink/sim/GpuContext.h"

namespace inktest {

inline bool lockFreeForAnotherThread() {
  return std::async(std::launch::async, [] {
           const bool taken = ink::gpuLock().try_lock();
           if (taken) ink::gpuLock().unlock();
           return taken;
         }).get();
}

}  // namespace inktest
