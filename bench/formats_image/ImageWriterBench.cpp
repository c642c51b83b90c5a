// Throughput and heap use of the image writers on a 3840 × 2160 frame. Each
// writer is paired with a plain write of the same number of bytes in the same
// folder, so the ratio of the two says how close the writer comes to the
// disk. The folder is ORB_BENCH_DIR, else the system's temporary folder.
//
// The heap counters come from replacing the global operator new: peakHeapBytes
// is the most memory the writer held at once beyond what was live before it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "formats/image/Bmp.h"
#include "formats/image/Exr.h"
#include "formats/image/Png.h"

namespace {

std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};

}  // namespace

// Every allocation carries its size in front of it so that deletes can count.
void* operator new(std::size_t size) {
  auto* block = static_cast<std::size_t*>(std::malloc(size + alignof(std::max_align_t)));
  if (block == nullptr) throw std::bad_alloc();
  *block = size;
  const std::size_t live = liveBytes += size;
  for (std::size_t peak = peakBytes; live > peak && !peakBytes.compare_exchange_weak(peak, live);) {
  }
  return reinterpret_cast<char*>(block) + alignof(std::max_align_t);
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept {
  if (p == nullptr) return;
  auto* block = reinterpret_cast<std::size_t*>(static_cast<char*>(p) - alignof(std::max_align_t));
  liveBytes -= *block;
  std::free(block);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kPassFloats = 24;

std::string outputPath(const char* name) {
  const char* folder = std::getenv("ORB_BENCH_DIR");
  return ((folder ? std::filesystem::path(folder) : std::filesystem::temp_directory_path()) / name).string();
}

// Plausible render values in [0, 1.25), cheap to make.
std::vector<float> frameValues(std::size_t count) {
  std::vector<float> v(count);
  std::uint32_t state = 12345;
  for (auto& x : v) {
    state = state * 1664525u + 1013904223u;
    x = float(state >> 8) * (1.25f / 16777216.f);
  }
  return v;
}

const std::vector<float>& rgbaFrame() {
  static const std::vector<float> frame = frameValues(std::size_t(kWidth) * kHeight * 4);
  return frame;
}

const std::vector<float>& passRecord() {
  static const std::vector<float> passes = frameValues(std::size_t(kWidth) * kHeight * kPassFloats);
  return passes;
}

// The 28 channels of a pass file as the pass writer builds them with
// half output: RGBA and the pass record, depth, motion and density in float.
std::vector<formats::ExrChannel> passFileChannels() {
  const char* passNames[kPassFloats] = {"ink.R",   "ink.G",    "ink.B",    "ink.A",     "glass.R",  "glass.G",
                                        "glass.B", "emission.R", "emission.G", "emission.B", "depth.Z", "motion.u",
                                        "motion.v", "N.X",     "N.Y",      "N.Z",       "group.R",  "group.G",
                                        "group.B", "source.R", "source.G", "matte.A",   "density.Y", "glassMask.Y"};
  std::vector<formats::ExrChannel> channels;
  const char* rgbaNames[4] = {"R", "G", "B", "A"};
  for (int c = 0; c < 4; ++c) channels.push_back({rgbaNames[c], true, rgbaFrame().data() + c, 4});
  for (int c = 0; c < kPassFloats; ++c) {
    const std::string name = passNames[c];
    const bool alwaysFloat = name == "depth.Z" || name == "motion.u" || name == "motion.v" || name == "density.Y";
    channels.push_back({name, !alwaysFloat, passRecord().data() + c, kPassFloats});
  }
  return channels;
}

// Runs one write per iteration into a fresh file and reports its bytes and
// the writer's peak heap.
template <class Write>
void timeWrites(benchmark::State& state, const std::string& path, Write write) {
  std::size_t fileBytes = 0, peakHeap = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(path);
    const std::size_t before = liveBytes;
    peakBytes = before;
    state.ResumeTiming();
    if (!write()) state.SkipWithError("write failed");
    state.PauseTiming();
    peakHeap = std::max(peakHeap, peakBytes - before);
    fileBytes = std::filesystem::file_size(path);
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(std::int64_t(state.iterations() * fileBytes));
  state.counters["fileBytes"] = double(fileBytes);
  state.counters["peakHeapBytes"] = double(peakHeap);
}

bool writeExrPassFile(const std::string& path) {
  static const auto channels = passFileChannels();
  std::string status;
  return formats::writeExr(path, kWidth, kHeight, channels, status);
}
bool writePngFrame(const std::string& path) { return formats::writePng(path, rgbaFrame(), kWidth, kHeight); }
bool writeBmpFrame(const std::string& path) { return formats::writeBmp(path, rgbaFrame(), kWidth, kHeight); }

void BM_Write(benchmark::State& state, bool (*write)(const std::string&), const char* name) {
  const std::string path = outputPath(name);
  write(path);  // builds the frame and channel list outside the timing
  timeWrites(state, path, [&] { return write(path); });
}

// The disk's limit: as many bytes as the writer's file, written in pieces of
// the writer's line size from memory that is already prepared.
void BM_PlainWrite(benchmark::State& state, bool (*write)(const std::string&), std::size_t pieceBytes) {
  const std::string path = outputPath("bench_plain.bin");
  write(path);
  const std::size_t total = std::filesystem::file_size(path);
  const std::vector<char> piece(pieceBytes, 'x');
  timeWrites(state, path, [&] {
    std::ofstream out(path, std::ios::binary);
    for (std::size_t left = total; left > 0;) {
      const std::size_t n = std::min(left, piece.size());
      out.write(piece.data(), std::streamsize(n));
      left -= n;
    }
    out.close();
    return !out.fail();
  });
}

BENCHMARK_CAPTURE(BM_Write, exr_pass_file, writeExrPassFile, "bench_pass.exr")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainWrite, exr_pass_file, writeExrPassFile, 8 + kWidth * (24 * 2 + 4 * 4))
    ->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Write, png, writePngFrame, "bench_frame.png")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainWrite, png, writePngFrame, 1 + 8 * kWidth)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Write, bmp, writeBmpFrame, "bench_frame.bmp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_PlainWrite, bmp, writeBmpFrame, 3 * kWidth)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
