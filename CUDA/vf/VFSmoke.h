#pragma once
// The grid fluid solver: density and temperature carried by an
// incompressible velocity on a closed staggered grid. Every array lives on
// the grid's own stream; every kernel is queued there, so a caller
// synchronises that stream once before it reads what the kernels wrote.
#include <cstdint>
#include <functional>

#include "CUDA/vf/GridDesc.h"
#include "gpu/Device.h"

namespace vf {

// Grid creation reports a failed runtime call on standard output as
// "CUDA <error> at CUDA/vf/VFSmoke:<line>\n". The numbers name the call
// (stream creation, allocation, clear, synchronisation); they are part of
// the report that log watchers key on, so they stay fixed.
constexpr const char* kReportSource = "CUDA/vf/VFSmoke";
constexpr int kStreamCreateLine = 409;
constexpr int kAllocateLine = 420;
constexpr int kClearLine = 421;
constexpr int kSynchronizeLine = 423;

// One solver run's settings.
struct StepSettings {
  float densityWeight;      // buoyancy per unit of density: dense fluid sinks
  float temperatureWeight;  // buoyancy per degree above ambient
  float ambient;
  float confinement;  // vorticity confinement strength
  float densityDissipation;      // per second
  float temperatureDissipation;  // per second
  float buoyancyScale;
  std::int32_t pressureIterations;
  float dt;  // seconds per step
};

// The fourteen arrays: each face field and cell field twice (current and
// next), divergence and vorticity magnitude once.
struct Grid {
  GridDesc desc{};
  gpu::Stream stream = nullptr;
  float* u = nullptr;
  float* uNext = nullptr;
  float* v = nullptr;
  float* vNext = nullptr;
  float* w = nullptr;
  float* wNext = nullptr;
  float* density = nullptr;
  float* densityNext = nullptr;
  float* temperature = nullptr;
  float* temperatureNext = nullptr;
  float* pressure = nullptr;
  float* pressureNext = nullptr;
  float* divergence = nullptr;
  float* vorticity = nullptr;

  FaceVelocity velocity() const { return {u, v, w}; }
};

// Creates the stream and the arrays, queues their clearing and waits for
// it. On a failure prints the report, releases what it made and returns
// false.
bool createGrid(const GridDesc& desc, Grid& grid);
// Waits for the stream, then frees every array and destroys the stream;
// returns the wait's status. Safe on a grid that was never created.
gpu::Status releaseGrid(Grid& grid);

// kSource: adds dt × rate × (1 - (d / radius)²) to density, temperature
// and w (the cell's lower z-face) in every cell whose centre lies within
// `radius` of `centre` (both in cell units).
gpu::Status addSource(Grid& grid, orb::Vec centre, float radius, orb::Vec rates, float dt);

// Work done between the stages of a step (the solid cells of a wall).
using StagePass = std::function<gpu::Status(Grid&)>;

// One solver step: buoyancy, confinement, velocity advection, walls,
// `solid` (when given), pressure projection, walls and `solid` again,
// density and temperature advection, dissipation. Returns the first
// failing launch's status.
gpu::Status step(Grid& grid, const StepSettings& settings, const StagePass& solid);

// The stages, in step order, for callers and tests that run them alone.
gpu::Status buoyancy(Grid& grid, const StepSettings& s);
gpu::Status confineVorticity(Grid& grid, const StepSettings& s);
gpu::Status advectVelocity(Grid& grid, float dt);
gpu::Status closeWalls(Grid& grid);
// kDivergence with `scale` into grid.divergence.
gpu::Status computeDivergence(Grid& grid, float scale);
// Clears the pressure, runs the Jacobi iterations and subtracts the
// pressure gradient from the interior faces.
gpu::Status project(Grid& grid, int iterations);
gpu::Status advectScalars(Grid& grid, float dt);
gpu::Status dissipate(Grid& grid, const StepSettings& s);

}  // namespace vf
