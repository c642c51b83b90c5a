// The veil band: grid sizes, vertex and triangle counts, UV layout, edge
// fade, resampling and playback of a baked loop.
#include <gtest/gtest.h>

#include <cmath>

#include "orb/OrbMesh.h"
#include "orb/VeilBake.h"
#include "orb/VeilMesh.h"
#include "orb/VeilRest.h"

using namespace orb;

namespace {

// A baked loop whose frame f is the rest shape moved by f along x.
VeilCache movingCache(const Params& p, int frames) {
  VeilCache c;
  const ClothGrid g = clothGridFor(p);
  c.along = g.along;
  c.across = g.across;
  c.veils = g.veils;
  c.frames = frames;
  c.rest = restShape(p, g);
  for (int f = 0; f < frames; ++f)
    for (const Vec& r : c.rest) c.frameData.push_back(r + Vec{static_cast<float>(f), 0.f, 0.f});
  c.key = 1;
  return c;
}

Params veilOnly() {
  Params p = defaultParams();
  p.showShell = 0;
  p.showHaze = 0;
  return p;
}

}  // namespace

TEST(VeilMeshTest, CountsFollowTheOutputGrid) {
  struct Case {
    int simLength, simWidth, segments, rows, columns;
  } cases[] = {{96, 32, 48, 144, 48}, {96, 32, 12, 96, 32}, {96, 32, 256, 512, 256}, {200, 128, 48, 200, 128},
               {16, 8, 20, 60, 20}};
  for (const Case& c : cases) {
    Params p = veilOnly();
    p.simLength = c.simLength;
    p.simWidth = c.simWidth;
    p.veilCount = 2;
    const VeilCache cache = movingCache(p, 1);
    OrbMeshBuffers b;
    VeilScratch s;
    buildOrbMesh(p, cache, 0, c.segments, b, s);
    const int N = c.rows, M = c.columns;
    EXPECT_EQ(veilRows(c.simLength, clampSegments(c.segments)), N);
    EXPECT_EQ(veilColumns(c.simWidth, clampSegments(c.segments)), M);
    EXPECT_EQ(b.vertexCount(), 2 * 2 * (N + 1) * (M + 1)) << c.segments;
    EXPECT_EQ(b.triangles.size(), static_cast<std::size_t>(2 * (4 * N * M + 4 * N + 4 * M))) << c.segments;
  }
}

TEST(VeilMeshTest, SurfacesCarryTheirMaterialsAndAlongAcrossUVs) {
  const Params p = veilOnly();
  const VeilCache cache = movingCache(p, 1);
  OrbMeshBuffers b;
  VeilScratch s;
  buildOrbMesh(p, cache, 0, 48, b, s);
  const int N = 144, M = 48;
  int front = 0, back = 0, rim = 0;
  for (const Triangle& t : b.triangles) {
    if (t.material == kVeilFront && t.smoothing == kFrontSmoothing) ++front;
    if (t.material == kVeilBack && t.smoothing == kBackSmoothing) ++back;
    if (t.material == kVeilFront && t.smoothing == kRimSmoothing) ++rim;
    for (int v : t.v) {
      EXPECT_GE(b.uvs[v].u, 0.f);
      EXPECT_LE(b.uvs[v].u, 1.f);
      EXPECT_GE(b.uvs[v].v, 0.f);
      EXPECT_LE(b.uvs[v].v, 1.f);
    }
  }
  EXPECT_EQ(front, 2 * N * M);
  EXPECT_EQ(back, 2 * N * M);
  EXPECT_EQ(rim, 4 * (N + M));
  // Vertex (i, j) sits at base + 2 (i (M + 1) + j): u along the band, v across it.
  const int i = 36, j = 12, v = 2 * (i * (M + 1) + j);
  EXPECT_FLOAT_EQ(b.uvs[v].u, static_cast<float>(i) / N);
  EXPECT_FLOAT_EQ(b.uvs[v].v, static_cast<float>(j) / M);
  EXPECT_EQ(b.uvs[v + 1].u, b.uvs[v].u);
}

TEST(VeilMeshTest, CornersFadeToZeroThicknessAndNoWrinkle) {
  const Params p = veilOnly();
  const VeilCache cache = movingCache(p, 1);
  OrbMeshBuffers b;
  VeilScratch s;
  buildOrbMesh(p, cache, 0, 48, b, s);
  const int N = 144, M = 48;
  std::vector<Vec> surface, across;
  resampleGrid(cache.rest.data(), 97, 33, N, M, p.radius / kSimRadius, across, surface);
  for (auto [i, j] : {std::pair{0, 0}, std::pair{0, M}, std::pair{N, 0}, std::pair{N, M}}) {
    const int v = 2 * (i * (M + 1) + j);
    EXPECT_EQ(b.positions[v].x, b.positions[v + 1].x);
    EXPECT_EQ(b.positions[v].y, b.positions[v + 1].y);
    EXPECT_EQ(b.positions[v].z, b.positions[v + 1].z);
    EXPECT_EQ(b.positions[v].x, surface[i * (M + 1) + j].x);  // no wrinkle offset either
    EXPECT_EQ(b.shades[v], 0.f);
  }
  // In the middle the band has its thickness.
  const int mid = 2 * (72 * (M + 1) + 24);
  EXPECT_GT(length(b.positions[mid] - b.positions[mid + 1]), 0.5f * p.radius * p.thickness);
}

TEST(VeilMeshTest, ResamplingPassesThroughTheClothParticles) {
  const Params p = defaultParams();
  const ClothGrid g = clothGridFor(p);
  const std::vector<Vec> rest = restShape(p, g);
  std::vector<Vec> across, out;
  resampleGrid(rest.data(), g.along + 1, g.across + 1, 2 * g.along, 2 * g.across, 2.f, across, out);
  const int cols = 2 * g.across + 1;
  for (int r = 0; r <= g.along; r += 7) {
    for (int c = 0; c <= g.across; c += 5) {
      const Vec o = out[(2 * r) * cols + 2 * c], q = rest[g.index(0, r, c)] * 2.f;
      EXPECT_NEAR(o.x, q.x, 1e-4f);
      EXPECT_NEAR(o.y, q.y, 1e-4f);
      EXPECT_NEAR(o.z, q.z, 1e-4f);
    }
  }
}

TEST(VeilMeshTest, TimelinePicksAndBlendsFrames) {
  Params p = veilOnly();
  p.loopSeconds = 4;
  p.wrinkleAmount = 0;
  EXPECT_DOUBLE_EQ(playbackFrame(p, 1.0, 8), 2.0);   // a quarter loop
  EXPECT_DOUBLE_EQ(playbackFrame(p, 4.0, 8), 0.0);   // a whole loop
  p.reverse = 1;
  EXPECT_DOUBLE_EQ(playbackFrame(p, 1.0, 8), 6.0);
  p.reverse = 0;
  p.speed = 2;
  EXPECT_DOUBLE_EQ(playbackFrame(p, 1.0, 8), 4.0);
  p.freeze = 1;
  p.phase = 0.25f;
  EXPECT_DOUBLE_EQ(playbackFrame(p, 123.0, 8), 2.0);  // time has no effect
  Params whole = p;
  whole.phase = 1.f;
  p.phase = 0.f;
  EXPECT_DOUBLE_EQ(playbackFrame(whole, 0.0, 8), playbackFrame(p, 0.0, 8));
  p.phase = -0.5f;
  EXPECT_DOUBLE_EQ(playbackFrame(p, 0.0, 8), 4.0);

  // Frame 1 of the moving cache is frame 0 moved by one unit in sim space.
  p = veilOnly();
  p.wrinkleAmount = 0;
  p.freeze = 1;
  const VeilCache cache = movingCache(p, 4);
  OrbMeshBuffers at0, at1, atHalf;
  VeilScratch s;
  p.phase = 0.f;
  buildOrbMesh(p, cache, 0, 12, at0, s);
  p.phase = 0.25f;
  buildOrbMesh(p, cache, 0, 12, at1, s);
  p.phase = 0.125f;
  buildOrbMesh(p, cache, 0, 12, atHalf, s);
  const int mid = 2 * (48 * 33 + 16);
  const float unit = p.radius / kSimRadius;
  EXPECT_NEAR(at1.positions[mid].x - at0.positions[mid].x, unit, 1e-4f);
  EXPECT_NEAR(atHalf.positions[mid].x - at0.positions[mid].x, 0.5f * unit, 1e-4f);
}

TEST(VeilMeshTest, IncompleteCachesLeaveTheVeilsOut) {
  Params p = defaultParams();
  VeilCache cache = movingCache(p, 2);
  cache.frameData.pop_back();
  OrbMeshBuffers b;
  VeilScratch s;
  buildOrbMesh(p, cache, 0, 12, b, s);
  EXPECT_EQ(b.vertexCount(), 2 * (2 + 5 * 12));  // shell and haze only
}
