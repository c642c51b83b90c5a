// Force evaluations per second: the Vortex Force with 64 vortices through
// its field (cache look-up included) and through the bare field maths, and
// the Particle Force, which reads its parameters at every call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "forces/OrbForceObject.h"
#include "forces/VortexObject.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "plugin/ClassDescriptors.h"

namespace {
constexpr int kParticles = 4096;

std::vector<Point3> particles() {
  std::vector<Point3> p(kParticles);
  for (int i = 0; i < kParticles; ++i) {
    const float a = 0.7f * i, b = 0.013f * i, r = 40.f + 20.f * std::sin(0.1f * i);
    p[i] = Point3(r * std::cos(a) * std::sin(b), r * std::sin(a) * std::sin(b), r * std::cos(b));
  }
  return p;
}

template <class T>
T* make(ClassDesc2* desc) {
  return static_cast<T*>(static_cast<Animatable*>(desc->Create(FALSE)));
}

void runField(benchmark::State& state, ForceField& field) {
  const std::vector<Point3> p = particles();
  for (auto _ : state) {
    for (int i = 0; i < kParticles; ++i) benchmark::DoNotOptimize(field.Force(160, p[i], Point3(), i));
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
}
}  // namespace

static void BM_VortexField64(benchmark::State& state) {
  Interface& core = *GetCOREInterface();
  core.ResetScene();
  auto* warp = make<VortexObject>(GetVortexDesc());
  warp->pblock2->SetValue(vortex::param::vortexCount, 0, 64);
  warp->pblock2->SetValue(vortex::param::partition, 0, static_cast<float>(state.range(0)));
  INode* node = core.CreateObjectNode(warp, _M("Swirl"));
  node->Transform().position.SetConstant(Point3(1.f, 2.f, 3.f));
  ForceField* field = warp->GetForceField(node);
  runField(state, *field);
  field->DeleteThis();
  core.ResetScene();
}
BENCHMARK(BM_VortexField64)->Arg(2)->Arg(0)->ArgName("partition");

static void BM_VortexLocalForce64(benchmark::State& state) {
  Interface& core = *GetCOREInterface();
  core.ResetScene();
  auto* warp = make<VortexObject>(GetVortexDesc());
  warp->pblock2->SetValue(vortex::param::vortexCount, 0, 64);
  core.CreateObjectNode(warp, _M("Swirl"));
  const auto evaluated = warp->EvaluateAt(nullptr, 160);
  const std::vector<Point3> p = particles();
  for (auto _ : state) {
    for (int i = 0; i < kParticles; ++i)
      benchmark::DoNotOptimize(vortex::localVortexForce(evaluated->set, p[i], i, 160.f / TIME_TICKSPERSEC));
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  core.ResetScene();
}
BENCHMARK(BM_VortexLocalForce64);

static void BM_VortexCacheRefill(benchmark::State& state) {
  Interface& core = *GetCOREInterface();
  core.ResetScene();
  auto* warp = make<VortexObject>(GetVortexDesc());
  warp->pblock2->SetValue(vortex::param::vortexCount, 0, 64);
  INode* node = core.CreateObjectNode(warp, _M("Swirl"));
  TimeValue t = 0;
  for (auto _ : state) benchmark::DoNotOptimize(warp->EvaluateAt(node, ++t));
  core.ResetScene();
}
BENCHMARK(BM_VortexCacheRefill);

static void BM_OrbForceField(benchmark::State& state) {
  Interface& core = *GetCOREInterface();
  core.ResetScene();
  auto* warp = make<OrbForceObject>(GetOrbForceDesc());
  warp->pblock2->SetValue(orbforce::param::mode, 0, static_cast<int>(state.range(0)));
  INode* node = core.CreateObjectNode(warp, _M("Push"));
  ForceField* field = warp->GetForceField(node);
  runField(state, *field);
  field->DeleteThis();
  core.ResetScene();
}
BENCHMARK(BM_OrbForceField)->Arg(0)->Arg(3)->ArgName("mode");
