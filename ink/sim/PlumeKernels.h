#pragma once
// The water-ink kernels. The grid kernels (stir, cloth wall, history frames)
// run on the water grid's stream; the particle kernels (advance, drift) on
// the default stream, after the water run has synchronised. Each returns
// the launch status.
#include <cstdint>

#include "CUDA/vf/VFSmoke.h"
#include "gpu/Device.h"
#include "ink/sim/PlumeFlow.h"
#include "ink/sim/PlumeRecords.h"
#include "util/Vec.h"

namespace ink {

// plumeStir: a smooth initial circulation about the vertical axis of
// strength `strength`, added to the u and v faces with phase `phase`.
gpu::Status plumeStir(vf::Grid& grid, float strength, float phase);

// plumeMark: marks in `mask` (one byte per cell, cleared by the caller)
// every cell that holds a sample of one of `count` triangles (nine floats
// each), sampled at under half a cell.
gpu::Status plumeMark(const vf::Grid& grid, const float* triangles, std::int64_t count, std::uint8_t* mask);

// Adds the number of marked cells to *count (an int on the device).
gpu::Status plumeCountMarked(const vf::Grid& grid, const std::uint8_t* mask, std::int32_t* count);

// plumeSolid: zeroes the six faces of every marked cell.
gpu::Status plumeSolid(vf::Grid& grid, const std::uint8_t* mask);

// plumeCentres: the cell-centred velocity into `frame` (n³ entries); raises
// *maxSpeedBits (the bits of a non-negative float) to the frame's largest
// finite speed.
gpu::Status plumeCentres(const vf::Grid& grid, orb::Vec* frame, std::int32_t* maxSpeedBits);

// plumeAdvance: every particle over substeps [from, to).
gpu::Status plumeAdvance(const PlumeParams& params, const WaterHistory& water, orb::Vec* positions, float* weights,
                         std::int64_t count, std::int32_t from, std::int32_t to);

// plumeDrift: out = p + drag × the water's velocity at p and frame position `frame`.
gpu::Status plumeDrift(const WaterHistory& water, const orb::Vec* positions, orb::Vec* out, std::int64_t count,
                       float frame, float drag);

}  // namespace ink
