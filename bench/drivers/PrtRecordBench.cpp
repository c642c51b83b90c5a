// PRT record building: 1 million ink particles of one host chunk into
// records with every export channel (66 bytes each), normals from a 128³
// density grid, beside a plain copy of the same output bytes (the memory
// limit of the machine).
//   ./build/cpu/bin/bench_drivers
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "ink/InkEvaluation.h"
#include "ink/drivers/PrtRecords.h"

namespace {

constexpr std::int64_t kParticles = 1 << 20;
constexpr std::int64_t kSlice = 16384;

struct Inputs {
  std::vector<orb::Vec> positions, rest;
  std::vector<float> weights, grid;
  ink::RenderSettings settings;
  ink::EvaluatedSources sources;
  Inputs() : positions(kParticles), rest(kParticles), weights(kParticles), grid(128 * 128 * 128) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> inside(-45.f, 45.f), unit(0.f, 1.f);
    for (std::int64_t i = 0; i < kParticles; ++i) {
      positions[i] = {inside(random), inside(random), inside(random)};
      rest[i] = {inside(random), inside(random), inside(random)};
      weights[i] = unit(random);
    }
    for (float& g : grid) g = unit(random);
    settings.absorbR = 1.f, settings.absorbG = 0.68f, settings.absorbB = 0.4f;
    settings.emitR = settings.emitG = settings.emitB = 0.2f;
    settings.emitAmount = 1.f;
    settings.time = 0.5f;
    settings.inkParams.loop = 1;
    settings.inkParams.loopSeconds = 9.f;
    sources.add({}, 1.f, ink::kInkGroup, kParticles);
  }
};

void BM_PrtRecords(benchmark::State& state) {
  static const Inputs in;
  ink::PrtChannelSwitches all{true, true, true, true, true, true, true, true};
  std::vector<prt::Channel> channels = ink::prtExportChannels(all);
  std::int32_t offset = 0;
  for (prt::Channel& c : channels) {
    c.offset = offset;
    offset += c.arity * prt::dataTypeSize(static_cast<std::int32_t>(c.type));
  }
  ink::PrtFrame frame;
  frame.settings = &in.settings;
  frame.sources = &in.sources;
  frame.seconds = 0.5f;
  ink::NormalField normals;
  std::string status;
  ink::buildNormalField(in.grid, 128, 50.f, Matrix3(), normals, status);
  frame.normals = &normals;
  frame.previous = in.rest.data();
  const ink::PrtRecordBuilder builder(frame, channels, offset);
  std::vector<std::uint8_t> records(static_cast<std::size_t>(kSlice) * offset);
  for (auto _ : state) {
    for (std::int64_t s = 0; s < kParticles; s += kSlice) {
      ink::HostChunk c;
      c.first = c.offset = s;
      c.count = kSlice;
      c.positions = in.positions.data() + s;
      c.weights = in.weights.data() + s;
      c.rest = in.rest.data() + s;
      builder.fill(c, records.data());
    }
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetBytesProcessed(state.iterations() * kParticles * offset);
}
BENCHMARK(BM_PrtRecords)->Unit(benchmark::kMillisecond);

// The normals of a 128³ grid, once per exported frame.
void BM_NormalField(benchmark::State& state) {
  static const Inputs in;
  ink::NormalField normals;
  std::string status;
  for (auto _ : state) {
    ink::buildNormalField(in.grid, 128, 50.f, Matrix3(), normals, status);
    benchmark::DoNotOptimize(normals.halves.data());
  }
  state.SetItemsProcessed(state.iterations() * 128 * 128 * 128);
}
BENCHMARK(BM_NormalField)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same output bytes copied: what memory allows.
void BM_RecordBytesCopy(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(kParticles) * 66;
  std::vector<std::uint8_t> from(bytes, 1), to(bytes);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), bytes);
    benchmark::DoNotOptimize(to.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_RecordBytesCopy)->Unit(benchmark::kMillisecond);

}  // namespace
