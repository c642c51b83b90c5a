#pragma once
// The state of every ink particle at one quarter second, kept so that
// scrubbing back restarts from the nearest earlier snapshot.
#include <cstdint>
#include <memory>
#include <vector>

#include "util/Vec.h"

namespace ink {

struct InkSnapshot {
  float time = 0.f;  // seconds
  // Either host copies ...
  std::vector<orb::Vec> positions;
  std::vector<float> weights;
  // ... or one device block, positions followed by weights, freed with the
  // last handle.
  std::shared_ptr<void> device;
  std::int64_t count = 0;
};

}  // namespace ink
