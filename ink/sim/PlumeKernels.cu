#include "ink/sim/PlumeKernels.h"

#include <cstring>

#include "gpu/Atomics.h"
#include "gpu/GridLaunch.h"
#include "gpu/Launch.h"
#include "util/Math.h"

namespace ink {

using vf::cellShape;
using vf::uShape;
using vf::vShape;
using vf::wShape;

gpu::Status plumeStir(vf::Grid& grid, float strength, float phase) {
  const vf::GridDesc g = grid.desc;
  float *u = grid.u, *v = grid.v;
  const float pi = util::kPi, amplitude = 0.3f * pi * strength;
  const float nx = static_cast<float>(g.nx), ny = static_cast<float>(g.ny), nz = static_cast<float>(g.nz);
  return gpu::forEachCell(
      "ink::plumeStir", {g.nx + 1, g.ny + 1, g.nz},
      [=] ORB_HD(int i, int j, int k) {
        const float fi = static_cast<float>(i), fj = static_cast<float>(j);
        const float layer = cosf(2.f * pi * (static_cast<float>(k) + 0.5f) / nz + phase);
        if (j < g.ny) u[uShape(g).index(i, j, k)] += amplitude * sinf(pi * fi / nx) * cosf(pi * (fj + 0.5f) / ny) * layer;
        if (i < g.nx) v[vShape(g).index(i, j, k)] -= amplitude * cosf(pi * (fi + 0.5f) / nx) * sinf(pi * fj / ny) * layer;
      },
      grid.stream);
}

namespace {
// Samples along an edge: one per half cell, at most 256.
ORB_HD inline int edgeSteps(orb::Vec edge, float dx) {
  return static_cast<int>(fminf(fmaxf(length(edge) / (0.5f * dx), 0.f), 255.f)) + 1;
}
}  // namespace

gpu::Status plumeMark(const vf::Grid& grid, const float* triangles, std::int64_t count, std::uint8_t* mask) {
  const vf::GridDesc g = grid.desc;
  return gpu::forEach<128>(
      "ink::plumeMark", count,
      [=] ORB_HD(std::int64_t t) {
        const float* q = triangles + 9 * t;
        const orb::Vec q0{q[0], q[1], q[2]}, e1 = orb::Vec{q[3], q[4], q[5]} - q0, e2 = orb::Vec{q[6], q[7], q[8]} - q0;
        const int k1 = edgeSteps(e1, g.dx), k2 = edgeSteps(e2, g.dx);
        for (int a = 0; a <= k1; ++a) {
          // a / k1 + b / k2 <= 1, kept exact in integers.
          for (int b = 0; a * k2 + b * k1 <= k1 * k2; ++b) {
            const orb::Vec s = q0 + e1 * (static_cast<float>(a) / static_cast<float>(k1)) +
                               e2 * (static_cast<float>(b) / static_cast<float>(k2));
            const orb::Vec c = vf::cellUnits(g, s);
            const float fx = floorf(c.x), fy = floorf(c.y), fz = floorf(c.z);
            if (!(fx >= 0.f && fy >= 0.f && fz >= 0.f && fx < static_cast<float>(g.nx) &&
                  fy < static_cast<float>(g.ny) && fz < static_cast<float>(g.nz)))
              continue;
            mask[cellShape(g).index(static_cast<int>(fx), static_cast<int>(fy), static_cast<int>(fz))] = 1;
          }
        }
      },
      grid.stream);
}

gpu::Status plumeCountMarked(const vf::Grid& grid, const std::uint8_t* mask, std::int32_t* count) {
  const vf::GridDesc g = grid.desc;
  return gpu::forEachCell(
      "ink::plumeCountMarked", {g.nx, g.ny, g.nz},
      [=] ORB_HD(int i, int j, int k) {
        if (mask[cellShape(g).index(i, j, k)]) gpu::atomicAdd(count, 1);
      },
      grid.stream);
}

gpu::Status plumeSolid(vf::Grid& grid, const std::uint8_t* mask) {
  const vf::GridDesc g = grid.desc;
  float *u = grid.u, *v = grid.v, *w = grid.w;
  return gpu::forEachCell(
      "ink::plumeSolid", {g.nx, g.ny, g.nz},
      [=] ORB_HD(int i, int j, int k) {
        if (!mask[cellShape(g).index(i, j, k)]) return;
        u[uShape(g).index(i, j, k)] = u[uShape(g).index(i + 1, j, k)] = 0.f;
        v[vShape(g).index(i, j, k)] = v[vShape(g).index(i, j + 1, k)] = 0.f;
        w[wShape(g).index(i, j, k)] = w[wShape(g).index(i, j, k + 1)] = 0.f;
      },
      grid.stream);
}

gpu::Status plumeCentres(const vf::Grid& grid, orb::Vec* frame, std::int32_t* maxSpeedBits) {
  const vf::GridDesc g = grid.desc;
  const vf::FaceVelocity vel = grid.velocity();
  return gpu::forEachCell(
      "ink::plumeCentres", {g.nx, g.ny, g.nz},
      [=] ORB_HD(int i, int j, int k) {
        const orb::Vec v = vf::cellVelocity(vel, g, i, j, k);
        frame[cellShape(g).index(i, j, k)] = v;
        const float speed = length(v);
        // Non-negative floats order as their bit patterns do.
        if (speed <= 3.0e38f) {
          std::int32_t bits;
          std::memcpy(&bits, &speed, sizeof bits);
          gpu::atomicMax(maxSpeedBits, bits);
        }
      },
      grid.stream);
}

gpu::Status plumeAdvance(const PlumeParams& params, const WaterHistory& water, orb::Vec* positions, float* weights,
                         std::int64_t count, std::int32_t from, std::int32_t to) {
  const PlumeParams P = params;
  const WaterHistory H = water;
  return gpu::forEach("ink::plumeAdvance", count, [=] ORB_HD(std::int64_t i) {
    const PlumeParticle p = advancePlumeParticle(P, H, i, positions[i], from, to);
    positions[i] = p.position;
    weights[i] = p.weight;
  });
}

gpu::Status plumeDrift(const WaterHistory& water, const orb::Vec* positions, orb::Vec* out, std::int64_t count,
                       float frame, float drag) {
  const WaterHistory H = water;
  return gpu::forEach("ink::plumeDrift", count, [=] ORB_HD(std::int64_t i) {
    const orb::Vec p = positions[i];
    out[i] = p + historyVelocity(H, p, frame) * drag;
  });
}

}  // namespace ink
