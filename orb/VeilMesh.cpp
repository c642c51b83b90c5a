#include "orb/VeilMesh.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "gpu/HostParallel.h"
#include "orb/RowNoise.h"
#include "orb/VeilRest.h"
#include "orb/VeilSources.h"
#include "util/Math.h"

namespace orb {

namespace {

using util::clamp01;
using util::smoothStep;

// The cross product of the central-difference tangents at (i, j), one-sided
// at the borders.
Vec tangentCross(const std::vector<Vec>& g, int rows, int cols, int i, int j) {
  auto at = [&](int ii, int jj) { return g[static_cast<std::size_t>(ii) * (cols + 1) + jj]; };
  const Vec along = at(std::min(i + 1, rows), j) - at(std::max(i - 1, 0), j);
  const Vec across = at(i, std::min(j + 1, cols)) - at(i, std::max(j - 1, 0));
  return cross(along, across);
}

// |A x B| of the rest surface at every output vertex of veil k.
const std::vector<float>& restLengths(VeilScratch& s, const Params& p, const VeilCache& cache, int k, int N, int M) {
  if (s.rest.size() < static_cast<std::size_t>(cache.veils)) s.rest.resize(static_cast<std::size_t>(cache.veils));
  VeilScratch::RestLengths& r = s.rest[k];
  std::uint64_t key = hashCombine(cache.key, static_cast<std::uint64_t>(N));
  key = hashCombine(key, static_cast<std::uint64_t>(M));
  key = hashCombine(key, std::bit_cast<std::uint32_t>(p.radius));
  key = hashCombine(key, static_cast<std::uint64_t>(cache.rest.size()));
  if (r.key == key && !r.lengths.empty()) return r.lengths;
  const ClothGrid grid = cache.grid();
  std::vector<Vec> across, surface;
  resampleGrid(cache.rest.data() + static_cast<std::size_t>(k) * grid.veilSize(), grid.along + 1, grid.across + 1, N,
               M, p.radius / kSimRadius, across, surface);
  r.lengths.resize(static_cast<std::size_t>(N + 1) * (M + 1));
  for (int i = 0; i <= N; ++i)
    for (int j = 0; j <= M; ++j) r.lengths[static_cast<std::size_t>(i) * (M + 1) + j] = length(tangentCross(surface, N, M, i, j));
  r.key = key;
  return r.lengths;
}

}  // namespace

void resampleGrid(const Vec* grid, int rows, int cols, int outRows, int outCols, float scale, std::vector<Vec>& acrossBuf,
                  std::vector<Vec>& out) {
  const int L = rows - 1, W = cols - 1;
  acrossBuf.resize(static_cast<std::size_t>(rows) * (outCols + 1));
  gpu::hostParallelRows(rows, outCols, [&](int first, int last) {
    for (int r = first; r < last; ++r) {
      const Vec* row = grid + static_cast<std::size_t>(r) * cols;
      Vec* dst = acrossBuf.data() + static_cast<std::size_t>(r) * (outCols + 1);
      for (int j = 0; j <= outCols; ++j) {
        const float pos = static_cast<float>(j) / outCols * W;
        const int c = std::min(static_cast<int>(std::floor(pos)), W);
        const float t = pos - c;
        auto at = [&](int cc) { return row[std::clamp(cc, 0, W)]; };
        dst[j] = catmullRom(at(c - 1), at(c), at(c + 1), at(c + 2), t);
      }
    }
  });
  out.resize(static_cast<std::size_t>(outRows + 1) * (outCols + 1));
  gpu::hostParallelRows(outRows + 1, outCols, [&](int first, int last) {
    for (int i = first; i < last; ++i) {
      const float pos = static_cast<float>(i) / outRows * L;
      const int r = std::min(static_cast<int>(std::floor(pos)), L);
      const float t = pos - r;
      auto rowAt = [&](int rr) {
        return acrossBuf.data() + static_cast<std::size_t>(std::clamp(rr, 0, L)) * (outCols + 1);
      };
      const Vec *a = rowAt(r - 1), *b = rowAt(r), *c = rowAt(r + 1), *d = rowAt(r + 2);
      Vec* dst = out.data() + static_cast<std::size_t>(i) * (outCols + 1);
      for (int j = 0; j <= outCols; ++j) dst[j] = catmullRom(a[j], b[j], c[j], d[j], t) * scale;
    }
  });
}

int veilRows(int along, int segments) { return std::max(along, std::min(3 * segments, 512)); }
int veilColumns(int across, int segments) { return std::max(across, std::min(segments, 256)); }

void addVeil(OrbMeshBuffers& out, VeilScratch& s, const Params& p, const VeilCache& cache, int k, double x,
             int segments) {
  const ClothGrid grid = cache.grid();
  const int F = cache.frames;
  const int N = veilRows(grid.along, segments), M = veilColumns(grid.across, segments);
  const double whole = std::floor(x);
  const int i0 = static_cast<int>(static_cast<long long>(whole) % F);
  const int i1 = (i0 + 1) % F;
  const float lambda = static_cast<float>(x - whole);

  const std::size_t veilStart = static_cast<std::size_t>(k) * grid.veilSize();
  const Vec* frame0 = cache.frameData.data() + static_cast<std::size_t>(i0) * grid.particles() + veilStart;
  const Vec* frame1 = cache.frameData.data() + static_cast<std::size_t>(i1) * grid.particles() + veilStart;
  s.blended.resize(static_cast<std::size_t>(grid.veilSize()));
  for (int q = 0; q < grid.veilSize(); ++q) s.blended[q] = frame0[q] * (1.f - lambda) + frame1[q] * lambda;
  resampleGrid(s.blended.data(), grid.along + 1, grid.across + 1, N, M, p.radius / kSimRadius, s.across, s.surface);
  const std::vector<float>& restLen = restLengths(s, p, cache, k, N, M);

  const float sigma = std::max(p.edgeSoftness, 0.02f);
  const float ek = veilPhase(p.seed, k);
  const float omega = static_cast<float>(util::kTwoPi * x / F);
  const float wrinkleUnit = 0.025f * p.radius;
  const bool wrinkled = p.wrinkleAmount > 0.f;
  std::vector<float> columnY(static_cast<std::size_t>(M + 1));
  for (int j = 0; j <= M; ++j) columnY[j] = 0.35f * cosf(omega) + 1.6f * p.wrinkleScale * (2.f * static_cast<float>(j) / M - 1.f);

  const std::int32_t base = out.claimVertices(2 * (N + 1) * (M + 1));
  const bool fresh = !out.keepsTopology();
  gpu::hostParallelRows(N + 1, 8 * (M + 1), [&](int first, int last) {
    RowNoise noise;
    std::vector<float> wrinkle(static_cast<std::size_t>(M + 1), 0.f);
    if (wrinkled) noise.prepare(columnY, 3.1f * ek, 4);
    for (int i = first; i < last; ++i) {
      const float m = static_cast<float>(i) / N;
      const float fadeAlong = smoothStep(clamp01(2.f * std::min(m, 1.f - m) / (0.5f * sigma + 1e-12f)));
      if (wrinkled) noise.row(0.35f * sinf(omega) + 0.7f * p.wrinkleScale * m, wrinkle.data());
      for (int j = 0; j <= M; ++j) {
        const float u = 2.f * static_cast<float>(j) / M - 1.f;
        const std::size_t g = static_cast<std::size_t>(i) * (M + 1) + j;
        const Vec a = tangentCross(s.surface, N, M, i, j);
        const float lenA = length(a);
        const Vec n = a * (1.f / std::max(lenA, 1e-12f));
        const float kappa = clamp01(1.f - lenA / std::max(restLen[g], 1e-6f));
        const float C = fadeAlong * smoothStep(clamp01((1.f - std::fabs(u)) / (sigma + 1e-12f)));
        const float T = p.radius * p.thickness * C * (1.f + kappa * p.thicknessVariation);
        const float e = wrinkled ? wrinkle[j] * p.wrinkleAmount * wrinkleUnit * C * (kappa + 0.6f) : 0.f;
        const float shade =
            clamp01((0.55f + 0.45f * clamp01(3.f * kappa)) * C + std::fabs(e) * 0.25f * C / (wrinkleUnit + 1e-6f));
        const Vec centre = s.surface[g] + n * e;
        const std::size_t v = static_cast<std::size_t>(base) + 2 * g;
        out.positions[v] = centre + n * (T / 2.f);
        out.positions[v + 1] = centre - n * (T / 2.f);
        out.shades[v] = out.shades[v + 1] = shade;
        if (fresh) out.uvs[v] = out.uvs[v + 1] = UV{m, (u + 1.f) / 2.f};
      }
    }
  });
  if (!fresh) return;

  auto vertex = [&](int i, int j) { return base + 2 * (i * (M + 1) + j); };
  for (int i = 0; i < N; ++i) {
    for (int j = 0; j < M; ++j) {
      const std::int32_t o = vertex(i, j), d = vertex(i + 1, j);
      out.addTriangle(o, d, d + 2, kVeilFront, kFrontSmoothing);
      out.addTriangle(o, d + 2, o + 2, kVeilFront, kFrontSmoothing);
      out.addTriangle(o + 1, d + 3, d + 1, kVeilBack, kBackSmoothing);
      out.addTriangle(o + 1, o + 3, d + 3, kVeilBack, kBackSmoothing);
    }
  }
  for (int i = 0; i < N; ++i) {
    std::int32_t a = vertex(i, 0), b = vertex(i + 1, 0);
    out.addTriangle(a, a + 1, b + 1, kVeilFront, kRimSmoothing);
    out.addTriangle(a, b + 1, b, kVeilFront, kRimSmoothing);
    a = vertex(i, M);
    b = vertex(i + 1, M);
    out.addTriangle(a, b + 1, a + 1, kVeilFront, kRimSmoothing);
    out.addTriangle(a, b, b + 1, kVeilFront, kRimSmoothing);
  }
  for (int j = 0; j < M; ++j) {
    std::int32_t w = vertex(0, j);
    out.addTriangle(w, w + 3, w + 1, kVeilFront, kRimSmoothing);
    out.addTriangle(w, w + 2, w + 3, kVeilFront, kRimSmoothing);
    w = vertex(N, j);
    out.addTriangle(w, w + 1, w + 3, kVeilFront, kRimSmoothing);
    out.addTriangle(w, w + 3, w + 2, kVeilFront, kRimSmoothing);
  }
}

}  // namespace orb
