#include "orb/OrbMesh.h"

#include <algorithm>

#include "orb/Sphere.h"
#include "orb/VeilSources.h"

namespace orb {

int clampSegments(int segments) { return segments > 256 ? 256 : segments < 13 ? 12 : segments; }

void buildOrbMesh(const Params& p, const VeilCache& cache, double tau, int segments, OrbMeshBuffers& out,
                  VeilScratch& scratch) {
  const int s = clampSegments(segments);
  const bool shell = p.showShell != 0, innerWall = shell && p.shellThickness > 0.f, haze = p.showHaze != 0;
  const bool veils = p.showVeil && cache.complete();
  // Everything the triangles and UVs depend on.
  std::uint64_t layout = 0x6F72626D657368ull;
  for (std::uint64_t v : {std::uint64_t(s), std::uint64_t(shell), std::uint64_t(innerWall), std::uint64_t(haze),
                          std::uint64_t(veils), std::uint64_t(veils ? cache.veils : 0),
                          std::uint64_t(veils ? cache.along : 0), std::uint64_t(veils ? cache.across : 0)})
    layout = hashCombine(layout, v);
  out.begin(layout);

  if (shell) {
    addSphere(out, p.radius, s, kShellMaterial, kShellSmoothing);
    if (innerWall)
      addSphere(out, (1.f - std::min(0.9f, p.shellThickness)) * p.radius, s, kShellMaterial, kShellSmoothing, true);
  }
  if (haze) addSphere(out, std::clamp(p.hazeFill, 0.2f, 0.995f) * p.radius, s, kHazeMaterial, kHazeSmoothing);
  if (veils) {
    const double x = playbackFrame(p, tau, cache.frames);
    for (int k = 0; k < cache.veils; ++k) addVeil(out, scratch, p, cache, k, x, s);
  }
}

}  // namespace orb
