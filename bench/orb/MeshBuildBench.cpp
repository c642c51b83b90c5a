// The orb's mesh build, which runs at every frame: playback from the baked
// cache at the render segment count with four veils, and its stages.
#include <benchmark/benchmark.h>

#include "orb/OrbMesh.h"
#include "orb/OrbObject.h"
#include "orb/ReadParams.h"
#include "orb/VeilBake.h"
#include "plugin/ClassDescriptors.h"

namespace {

OrbObject* makeOrb(int veils, int segments = 256) {
  auto* orb = static_cast<OrbObject*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  orb->pblock2->SetValue(orb::param::veilCount, 0, veils);
  orb->pblock2->SetValue(orb::param::renderSegments, 0, segments);
  return orb;
}

// Host BuildMesh at successive frames (the bake happens once, before timing).
void orbBuildMesh(benchmark::State& state) {
  OrbObject* orb = makeOrb(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  orb->RenderBegin(0);
  orb->BuildMesh(0);
  TimeValue t = 0;
  for (auto _ : state) {
    t += 160;
    orb->BuildMesh(t);
    benchmark::DoNotOptimize(orb->mesh.verts.data());
  }
  state.counters["faces"] = orb->mesh.getNumFaces();
  orb->RenderEnd(0);
  orb->DeleteThis();
}

// The orb's own buffers only, without the copy into the host mesh.
void orbMeshBuffers(benchmark::State& state) {
  OrbObject* orb = makeOrb(4);
  orb::Params p = orb::readParams(*orb->pblock2, 0);
  orb::VeilCache cache;
  orb::bakeVeils(p, orb::VeilSourceSet{}, cache);
  orb::OrbMeshBuffers buffers;
  orb::VeilScratch scratch;
  double tau = 0;
  for (auto _ : state) {
    tau += 1.0 / 30;
    orb::buildOrbMesh(p, cache, tau, 256, buffers, scratch);
    benchmark::DoNotOptimize(buffers.positions.data());
  }
  state.counters["vertices"] = buffers.vertexCount();
  orb->DeleteThis();
}

}  // namespace

// Arguments: veils, segments.
BENCHMARK(orbBuildMesh)->Args({1, 48})->Args({1, 256})->Args({4, 256})->Unit(benchmark::kMillisecond);
BENCHMARK(orbMeshBuffers)->Unit(benchmark::kMillisecond);
