#include "CUDA/vf/VFSmoke.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "CUDA/vf/Confinement.h"
#include "gpu/GridLaunch.h"

namespace vf {
namespace {

using gpu::Extent3;
using gpu::Status;
using gpu::Success;

Extent3 cells(const GridDesc& g) { return {g.nx, g.ny, g.nz}; }
Extent3 extentOf(const FieldShape& s) { return {s.sx, s.sy, s.sz}; }
// Every face of all three face fields: one launch covers them together.
Extent3 allFaces(const GridDesc& g) { return {g.nx + 1, g.ny + 1, g.nz + 1}; }

// The grid's arrays with their lengths, in one order for creation and release.
struct ArraySlot {
  float** array;
  std::int64_t count;
};
constexpr int kArrayCount = 14;
void arraySlots(Grid& g, ArraySlot (&slots)[kArrayCount]) {
  const std::int64_t nu = uShape(g.desc).count(), nv = vShape(g.desc).count(), nw = wShape(g.desc).count(),
                     nc = cellShape(g.desc).count();
  const ArraySlot all[kArrayCount] = {{&g.u, nu},           {&g.uNext, nu},           {&g.v, nv},
                                      {&g.vNext, nv},       {&g.w, nw},               {&g.wNext, nw},
                                      {&g.density, nc},     {&g.densityNext, nc},     {&g.temperature, nc},
                                      {&g.temperatureNext, nc}, {&g.pressure, nc},    {&g.pressureNext, nc},
                                      {&g.divergence, nc},  {&g.vorticity, nc}};
  std::copy(std::begin(all), std::end(all), slots);
}

void report(Status s, int line) {
  std::printf("CUDA %s at %s:%d\n", gpu::errorString(s), kReportSource, line);
  std::fflush(stdout);
}

// The vorticity's components, kept for one confinement pass in arrays the
// step is not using then: the pressure pair is cleared before the
// projection reads it, and the divergence is computed afresh.
VorticityField vorticityScratch(const Grid& g) { return {g.pressure, g.pressureNext, g.divergence}; }

}  // namespace

Status releaseGrid(Grid& grid) {
  const Status waited = grid.stream ? gpu::streamSynchronize(grid.stream) : Success;
  ArraySlot slots[kArrayCount];
  arraySlots(grid, slots);
  for (ArraySlot& slot : slots) {
    if (*slot.array) gpu::freeAsync(*slot.array, grid.stream);
    *slot.array = nullptr;
  }
  if (grid.stream) gpu::streamDestroy(grid.stream);
  grid.stream = nullptr;
  gpu::getLastError();  // the wait's status is the answer; nothing lingers
  return waited;
}

bool createGrid(const GridDesc& desc, Grid& grid) {
  grid = Grid{};
  grid.desc = desc;
  const auto fail = [&grid](Status s, int line) {
    report(s, line);
    releaseGrid(grid);
    return false;
  };
  if (const Status s = gpu::streamCreate(&grid.stream); s != Success) {
    grid.stream = nullptr;
    return fail(s, kStreamCreateLine);
  }
  ArraySlot slots[kArrayCount];
  arraySlots(grid, slots);
  for (ArraySlot& slot : slots) {
    const std::size_t bytes = sizeof(float) * static_cast<std::size_t>(slot.count);
    void* block = nullptr;
    if (const Status s = gpu::mallocAsync(&block, bytes, grid.stream); s != Success) return fail(s, kAllocateLine);
    *slot.array = static_cast<float*>(block);
    if (const Status s = gpu::memsetAsync(block, 0, bytes, grid.stream); s != Success) return fail(s, kClearLine);
  }
  if (const Status s = gpu::streamSynchronize(grid.stream); s != Success) return fail(s, kSynchronizeLine);
  return true;
}

Status addSource(Grid& grid, orb::Vec centre, float radius, orb::Vec rates, float dt) {
  const GridDesc g = grid.desc;
  float *density = grid.density, *temperature = grid.temperature, *w = grid.w;
  return gpu::forEachCell(
      "vf::kSource", cells(g),
      [=] ORB_HD(int i, int j, int k) {
        const orb::Vec at{static_cast<float>(i) + 0.5f, static_cast<float>(j) + 0.5f, static_cast<float>(k) + 0.5f};
        const float d = length(at - centre);
        if (!(d < radius)) return;
        const float q = d / radius, falloff = 1.f - q * q;
        const std::int64_t c = cellShape(g).index(i, j, k);
        density[c] += dt * rates.x * falloff;
        temperature[c] += dt * rates.y * falloff;
        w[wShape(g).index(i, j, k)] += dt * rates.z * falloff;
      },
      grid.stream);
}

Status buoyancy(Grid& grid, const StepSettings& s) {
  const GridDesc g = grid.desc;
  const float *density = grid.density, *temperature = grid.temperature;
  float* w = grid.w;
  const float gain = s.buoyancyScale * s.dt, tw = s.temperatureWeight, dw = s.densityWeight, ambient = s.ambient;
  // Interior z-faces only: k = 1 … nz - 1.
  return gpu::forEachCell(
      "vf::kBuoyancy", {g.nx, g.ny, g.nz - 1},
      [=] ORB_HD(int i, int j, int k) {
        const FieldShape c = cellShape(g);
        const std::int64_t below = c.index(i, j, k), above = c.index(i, j, k + 1);
        const float d = 0.5f * (density[below] + density[above]);
        const float t = 0.5f * (temperature[below] + temperature[above]);
        w[wShape(g).index(i, j, k + 1)] += gain * (tw * (t - ambient) - dw * d);
      },
      grid.stream);
}

Status confineVorticity(Grid& grid, const StepSettings& s) {
  const GridDesc g = grid.desc;
  const FaceVelocity vel = grid.velocity();
  float* magnitude = grid.vorticity;
  const VorticityField omega = vorticityScratch(grid);
  Status st = gpu::forEachCell(
      "vf::kCurlMag", cells(g),
      [=] ORB_HD(int i, int j, int k) {
        const orb::Vec w = cellVorticity(vel, g, i, j, k);
        const std::int64_t at = cellShape(g).index(i, j, k);
        omega.x[at] = w.x;
        omega.y[at] = w.y;
        omega.z[at] = w.z;
        magnitude[at] = length(w);
      },
      grid.stream);
  if (st != Success) return st;
  st = gpu::forEachCellLanes(
      "vf::kConfine", allFaces(g),
      ConfineBody{vel, omega, magnitude, g, grid.uNext, grid.vNext, grid.wNext, s.confinement, s.dt}, grid.stream);
  if (st != Success) return st;
  std::swap(grid.u, grid.uNext);
  std::swap(grid.v, grid.vNext);
  std::swap(grid.w, grid.wNext);
  return Success;
}

namespace {
// Semi-Lagrangian transport of one field: each sample point (the field's
// own positions) is traced back through the velocity and the field is read
// there. One sample, or a run of a row's samples per pack.
struct AdvectBody {
  FaceVelocity vel;
  GridDesc g;
  const float* field;
  float* next;
  FieldShape shape;
  float trace;  // dt / dx: scene units per second to cells per step

  template <class I>
  ORB_HD ORB_ALWAYS_INLINE void operator()(I i, int j, int k) const {
    using R = gpu::LaneNumber<I>;
    const util::lanes::VecOf<R> at{gpu::cellIndexValue(i) + shape.ox, R(static_cast<float>(j) + shape.oy),
                                   R(static_cast<float>(k) + shape.oz)};
    const util::lanes::VecOf<R> back = at - readVelocity(vel, g, at) * R(trace);
    gpu::put(next + shape.index(0, j, k), i, readField(field, shape, back));
  }
};

Status advectField(const char* name, const Grid& grid, const float* field, float* next, const FieldShape& shape,
                   float dt) {
  return gpu::forEachCellLanes(name, extentOf(shape),
                               AdvectBody{grid.velocity(), grid.desc, field, next, shape, dt / grid.desc.dx},
                               grid.stream);
}
}  // namespace

Status advectVelocity(Grid& grid, float dt) {
  const GridDesc& g = grid.desc;
  Status s = advectField("vf::kAdvectU", grid, grid.u, grid.uNext, uShape(g), dt);
  if (s == Success) s = advectField("vf::kAdvectV", grid, grid.v, grid.vNext, vShape(g), dt);
  if (s == Success) s = advectField("vf::kAdvectW", grid, grid.w, grid.wNext, wShape(g), dt);
  if (s != Success) return s;
  std::swap(grid.u, grid.uNext);
  std::swap(grid.v, grid.vNext);
  std::swap(grid.w, grid.wNext);
  return Success;
}

Status closeWalls(Grid& grid) {
  const GridDesc g = grid.desc;
  float *u = grid.u, *v = grid.v, *w = grid.w;
  // One launch over the largest face: (a, b) is (j, k) on the x-walls,
  // (i, k) on the y-walls and (i, j) on the z-walls.
  return gpu::forEachFacePoint(
      "vf::kWalls", {std::max(g.nx, g.ny), std::max(g.ny, g.nz)},
      [=] ORB_HD(int a, int b) {
        if (a < g.ny && b < g.nz) u[uShape(g).index(0, a, b)] = u[uShape(g).index(g.nx, a, b)] = 0.f;
        if (a < g.nx && b < g.nz) v[vShape(g).index(a, 0, b)] = v[vShape(g).index(a, g.ny, b)] = 0.f;
        if (a < g.nx && b < g.ny) w[wShape(g).index(a, b, 0)] = w[wShape(g).index(a, b, g.nz)] = 0.f;
      },
      grid.stream);
}

Status computeDivergence(Grid& grid, float scale) {
  const GridDesc g = grid.desc;
  const FaceVelocity vel = grid.velocity();
  float* divergence = grid.divergence;
  return gpu::forEachCell(
      "vf::kDivergence", cells(g),
      [=] ORB_HD(int i, int j, int k) {
        const FieldShape us = uShape(g), vs = vShape(g), ws = wShape(g);
        divergence[cellShape(g).index(i, j, k)] =
            scale * ((vel.u[us.index(i + 1, j, k)] - vel.u[us.index(i, j, k)]) +
                     (vel.v[vs.index(i, j + 1, k)] - vel.v[vs.index(i, j, k)]) +
                     (vel.w[ws.index(i, j, k + 1)] - vel.w[ws.index(i, j, k)]));
      },
      grid.stream);
}

Status project(Grid& grid, int iterations) {
  const GridDesc g = grid.desc;
  const std::size_t bytes = sizeof(float) * static_cast<std::size_t>(cellShape(g).count());
  if (const Status s = gpu::memsetAsync(grid.pressure, 0, bytes, grid.stream); s != Success) return s;
  const float* divergence = grid.divergence;
  for (int it = 0; it < iterations; ++it) {
    const float* p = grid.pressure;
    float* next = grid.pressureNext;
    // Neighbours beyond a wall read the cell itself: no flow through walls.
    const Status s = gpu::forEachCell(
        "vf::kJacobi", cells(g),
        [=] ORB_HD(int i, int j, int k) {
          const FieldShape c = cellShape(g);
          const int im = i > 0 ? i - 1 : 0, ip = i + 1 < g.nx ? i + 1 : i;
          const int jm = j > 0 ? j - 1 : 0, jp = j + 1 < g.ny ? j + 1 : j;
          const int km = k > 0 ? k - 1 : 0, kp = k + 1 < g.nz ? k + 1 : k;
          const float sum = p[c.index(im, j, k)] + p[c.index(ip, j, k)] + p[c.index(i, jm, k)] +
                            p[c.index(i, jp, k)] + p[c.index(i, j, km)] + p[c.index(i, j, kp)];
          next[c.index(i, j, k)] = (sum - divergence[c.index(i, j, k)]) / 6.f;
        },
        grid.stream);
    if (s != Success) return s;
    std::swap(grid.pressure, grid.pressureNext);
  }
  const float* p = grid.pressure;
  float *u = grid.u, *v = grid.v, *w = grid.w;
  return gpu::forEachCell(
      "vf::kSubGrad", allFaces(g),
      [=] ORB_HD(int i, int j, int k) {
        const FieldShape c = cellShape(g);
        if (j < g.ny && k < g.nz && i > 0 && i < g.nx)
          u[uShape(g).index(i, j, k)] -= p[c.index(i, j, k)] - p[c.index(i - 1, j, k)];
        if (i < g.nx && k < g.nz && j > 0 && j < g.ny)
          v[vShape(g).index(i, j, k)] -= p[c.index(i, j, k)] - p[c.index(i, j - 1, k)];
        if (i < g.nx && j < g.ny && k > 0 && k < g.nz)
          w[wShape(g).index(i, j, k)] -= p[c.index(i, j, k)] - p[c.index(i, j, k - 1)];
      },
      grid.stream);
}

Status advectScalars(Grid& grid, float dt) {
  const FieldShape c = cellShape(grid.desc);
  Status s = advectField("vf::kAdvectC", grid, grid.density, grid.densityNext, c, dt);
  if (s == Success) s = advectField("vf::kAdvectC", grid, grid.temperature, grid.temperatureNext, c, dt);
  if (s != Success) return s;
  std::swap(grid.density, grid.densityNext);
  std::swap(grid.temperature, grid.temperatureNext);
  return Success;
}

Status dissipate(Grid& grid, const StepSettings& s) {
  const GridDesc g = grid.desc;
  float *density = grid.density, *temperature = grid.temperature;
  const float keepD = std::max(1.f - s.densityDissipation * s.dt, 0.f);
  const float keepT = std::max(1.f - s.temperatureDissipation * s.dt, 0.f);
  return gpu::forEachCell(
      "vf::kDissipate", cells(g),
      [=] ORB_HD(int i, int j, int k) {
        const std::int64_t c = cellShape(g).index(i, j, k);
        density[c] *= keepD;
        temperature[c] *= keepT;
      },
      grid.stream);
}

Status step(Grid& grid, const StepSettings& settings, const StagePass& solid) {
  Status s = buoyancy(grid, settings);
  if (s == Success && settings.confinement > 0.f) s = confineVorticity(grid, settings);
  if (s == Success) s = advectVelocity(grid, settings.dt);
  if (s == Success) s = closeWalls(grid);
  if (s == Success && solid) s = solid(grid);
  if (s == Success) s = computeDivergence(grid, 1.f);
  if (s == Success) s = project(grid, settings.pressureIterations);
  if (s == Success) s = closeWalls(grid);
  if (s == Success && solid) s = solid(grid);
  if (s == Success) s = advectScalars(grid, settings.dt);
  if (s == Success) s = dissipate(grid, settings);
  return s;
}

}  // namespace vf
