#pragma once
// What the swirl source takes from the scene: the Vortex Force's track, one
// sampled frame per scene frame, and the swirl record with the force's
// transform into ink space.
#include <cstdint>
#include <string>
#include <vector>

#include "forces/SwirlFrame.h"
#include "host/sdk/Time.h"
#include "ink/sim/SwirlRecords.h"

class INode;
class IParamBlock2;

namespace ink {

struct SwirlTrack {
  std::vector<swirl::Frame> frames;
  float startSeconds = 0.f;
};

// Samples the `swirlSource` node at t and, when `rebuild` is set, the track
// from `swirlStartFrame` to the largest of that frame, the current frame and
// the end of the animation range (`rebuild` is cleared once a track is
// built). Fills the record for `count` particles. False with "swirl: pick a
// Tessaron Orb Vortex Force object" or "swirl: could not sample the Vortex
// Force"; the record is then left as it was.
bool SampleSwirl(IParamBlock2& block, INode* inkNode, TimeValue t, std::int64_t count, bool& rebuild,
                 SwirlTrack& track, SwirlParams& params, std::string& status);

}  // namespace ink
