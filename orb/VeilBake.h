#pragma once
// Bakes the veil loop into the cache when its simulation inputs changed.
#include "orb/Params.h"
#include "orb/VeilCache.h"
#include "orb/VeilSources.h"

namespace orb {

// Re-bakes unless the key matches a complete cache; returns whether the
// cache is complete afterwards. A bake replaces the whole cache.
bool bakeVeils(const Params& p, const VeilSourceSet& sources, VeilCache& cache);

}  // namespace orb
