#pragma once
// A seeded ink cloud rendered through the render host: the default ink
// engine's particles (sheets, drops and dust) after `seconds` of flow, seen
// by a camera in front of the orb and lit from the upper left, written as a
// PNG through the image writer. Shared by the tests and bench_render.
#include <string>
#include <vector>

#include "InkSimFixtures.h"
#include "RenderFixtures.h"
#include "formats/image/Png.h"
#include "ink/render/RenderHost.h"
#include "ink/sim/InkSim.h"

namespace rendertest {

struct InkCloud {
  ink::InkSim sim;
  ink::Params params;
  std::vector<ink::Tube> track;

  // Seeds `count` particles and lets them flow for `seconds` (0: as seeded).
  bool build(int count, float seconds, std::string& status) {
    params = inktest::defaultParams(count);
    params.loop = 0;  // seeding does not integrate half a loop first
    track = inktest::defaultTrack(params);
    return sim.configure(params, track, {}, status) && sim.advance(0.f, status) &&
           (seconds <= 0.f || sim.advance(seconds, status));
  }
};

// The ink object's look for a cloud of `count` particles at width × height:
// the orb (radius 50) seen from 160 in front, slightly above. The particle
// mass makes the whole cloud's extinction independent of the count.
inline ink::RenderSettings inkCloudSettings(int width, int height, int gridRes = 192) {
  ink::RenderSettings s = defaultLook(width, height);
  s.camera = cameraAlongY({0, -160, 0}, 0.7854f);
  s.gridRes = gridRes;
  s.sceneExtent = 50.f;
  s.bgR = s.bgG = s.bgB = 0.92f;
  return s;
}

inline float inkCloudParticleMass(int count) { return 6000.f / static_cast<float>(count); }

// Renders the cloud and writes it to `pngPath` (when not empty).
inline bool renderInkCloud(ink::RenderHost& host, InkCloud& cloud, const ink::RenderSettings& settings,
                           const std::string& pngPath, std::vector<float>& image, std::string& status) {
  ink::RenderObjectState object;
  object.antialias = 1;
  const std::vector<ink::ChunkSource> sources{cloud.sim.source()};
  const std::vector<float> weights{inkCloudParticleMass(cloud.params.count)};
  if (!host.render(settings, object, sources, weights, image, nullptr, status)) return false;
  if (!pngPath.empty() && !formats::writePng(pngPath, image, settings.width, settings.height)) {
    status = "could not write " + pngPath;
    return false;
  }
  return true;
}

}  // namespace rendertest
