#include "ink/sim/AssembleKernel.h"

#include "gpu/Launch.h"
#include "ink/sim/AssembleMorph.h"

namespace ink {

gpu::Status assembleKernel(const AssembleParams& params, const orb::Vec* in, orb::Vec* out, std::int64_t count,
                           std::int64_t first) {
  const AssembleParams P = params;
  const auto base = static_cast<std::uint64_t>(first);
  return gpu::forEach("ink::assembleKernel", count, [=] ORB_HD(std::int64_t i) {
    out[i] = assembleMorph(P, in[i], base + static_cast<std::uint64_t>(i));
  });
}

}  // namespace ink
