// Time and size of writing a 512^3 density frame whose cells are 5 % active,
// in two shapes: a ball of ink (the usual frame) and cells scattered over the
// whole grid (the worst case: every leaf is stored). Each is compared with a
// plain write of the same number of bytes, the disk's limit for that file.

#include "formats/vdb/DensityVdb.h"
#include "formats/vdb/VdbLeafTree.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 512;
constexpr double kActiveFraction = 0.05;
constexpr double kRadius = 50.0;

enum class Shape { Ball, Scattered };

struct Frame {
  std::vector<float> values;
  formats::DenseGrid grid;
  float cutoff = 0.0f;
};

// A frame as the exporter hands it over: n^3 cells centred on the origin and a
// cut-off of peak x 0.0001.
Frame MakeFrame(Shape shape) {
  Frame frame;
  frame.values.assign(size_t{kSide} * kSide * kSide, 0.0f);
  const double ballRadius = std::cbrt(kActiveFraction * 3.0 / (4.0 * M_PI)) * kSide;
  std::mt19937 random(1);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  float peak = 0.0f;
  size_t at = 0;
  for (int k = 0; k < kSide; ++k)
    for (int j = 0; j < kSide; ++j)
      for (int i = 0; i < kSide; ++i, ++at) {
        float value = 0.0f;
        if (shape == Shape::Ball) {
          const double x = i + 0.5 - kSide / 2, y = j + 0.5 - kSide / 2, z = k + 0.5 - kSide / 2;
          const double falloff = 1.0 - (x * x + y * y + z * z) / (ballRadius * ballRadius);
          if (falloff > 0.0) value = static_cast<float>(0.01 + falloff);
        } else if (unit(random) < kActiveFraction) {
          value = 0.01f + unit(random);
        }
        frame.values[at] = value;
        peak = std::max(peak, value);
      }
  frame.grid = {frame.values.data(), kSide, kSide, kSide, -kSide / 2, -kSide / 2, -kSide / 2};
  frame.cutoff = peak * 0.0001f;
  return frame;
}

const Frame& FrameOf(Shape shape) {
  static Frame ball, scattered;
  Frame& frame = shape == Shape::Ball ? ball : scattered;
  if (frame.values.empty()) frame = MakeFrame(shape);
  return frame;
}

std::string ScratchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

void WriteVolume(benchmark::State& state, Shape shape) {
  const Frame& frame = FrameOf(shape);
  const std::string path = ScratchFile("bench_density.vdb");
  std::string message;
  size_t leaves = 0;
  for (auto _ : state) {
    if (!formats::WriteDensityVdb(path, "density", frame.grid, 2.0 * kRadius / kSide, frame.cutoff,
                                  message, leaves))
      state.SkipWithError(message.c_str());
  }
  const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["leaves"] = static_cast<double>(leaves);
  std::filesystem::remove(path);
}

// The dense scan and leaf gathering alone, without the file.
void SelectVoxels(benchmark::State& state, Shape shape) {
  const Frame& frame = FrameOf(shape);
  for (auto _ : state) benchmark::DoNotOptimize(formats::vdb::BuildLeafTree(frame.grid, frame.cutoff));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.values.size() * sizeof(float)));
}

// One write call of the volume's byte count: what the disk allows for that file.
void PlainWrite(benchmark::State& state, Shape shape) {
  const Frame& frame = FrameOf(shape);
  const std::string path = ScratchFile("bench_plain.bin");
  std::string message;
  size_t leaves = 0;
  formats::WriteDensityVdb(path, "density", frame.grid, 2.0 * kRadius / kSide, frame.cutoff, message, leaves);
  const std::vector<char> bytes(std::filesystem::file_size(path), 1);
  for (auto _ : state) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) state.SkipWithError("plain write failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
  std::filesystem::remove(path);
}

BENCHMARK_CAPTURE(WriteVolume, Ball, Shape::Ball)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(SelectVoxels, Ball, Shape::Ball)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, Ball, Shape::Ball)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(WriteVolume, Scattered, Shape::Scattered)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(SelectVoxels, Scattered, Shape::Scattered)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(PlainWrite, Scattered, Shape::Scattered)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
