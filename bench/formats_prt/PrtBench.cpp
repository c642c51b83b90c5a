// Inflate: our decoder and zlib's inflate on the same zlib streams, in the
// same run, output discarded in 64 KiB runs. Write: 10 million particles with
// every exporter channel through prt::Writer, against plain 64 KiB writes of
// the same number of bytes to the same directory (the disk's limit). Read:
// the same file back through prt::Read.
//   ./build/cpu/bin/bench_formats_prt            (files go to $TMPDIR or /tmp)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "formats/prt/Half.h"
#include "formats/prt/Inflate.h"
#include "formats/prt/PrtReader.h"
#include "formats/prt/PrtWriter.h"
#include "util/Adler32.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kDataBytes = 16u << 20;

Bytes compress(const Bytes& data, int level) {
  uLongf size = compressBound(data.size());
  Bytes out(size);
  if (compress2(out.data(), &size, data.data(), data.size(), level) != Z_OK) throw std::runtime_error("compress2");
  out.resize(size);
  return out;
}

// Particle records as another tool would store them: smooth positions,
// small velocities, half colours, running ids.
Bytes particleRecords(std::size_t bytes) {
  std::mt19937 rng(1);
  std::normal_distribution<float> jitter(0.0f, 0.01f);
  Bytes out;
  out.reserve(bytes + 66);
  for (std::uint32_t i = 0; out.size() < bytes; ++i) {
    std::uint8_t record[66] = {};
    const float t = float(i) * 1e-4f;
    const float values[7] = {std::sin(t) * 40, std::cos(t * 1.3f) * 40, t, jitter(rng), jitter(rng), jitter(rng), t};
    std::memcpy(record, values, 12);
    std::memcpy(record + 14, values + 3, 12);
    const std::uint16_t half = prt::floatToHalf(0.5f + values[3]);
    for (int c = 0; c < 7; ++c) std::memcpy(record + 12 + (c ? 12 + 2 * c : 0), &half, 2);
    std::memcpy(record + 44, &i, 4);
    std::memcpy(record + 48, values + 6, 4);
    record[53] = static_cast<std::uint8_t>(i % 5);
    out.insert(out.end(), record, record + 66);
  }
  out.resize(bytes);
  return out;
}

Bytes sampleData(int kind) {
  std::mt19937 rng(static_cast<std::uint32_t>(kind));
  Bytes data(kDataBytes);
  switch (kind) {
    case 0: {  // text
      static const char* kWords[] = {"ink ", "orb ", "glass ", "swirl ", "density ", "the ", "of ", "silk\n", "0.25 "};
      for (std::size_t i = 0; i < data.size();) {
        const char* w = kWords[rng() % std::size(kWords)];
        for (; *w && i < data.size(); ++w) data[i++] = static_cast<std::uint8_t>(*w);
      }
      return data;
    }
    case 1: return particleRecords(kDataBytes);
    default:
      for (auto& b : data) b = static_cast<std::uint8_t>(rng());
      return data;
  }
}

struct Sample {
  Bytes stream;
  std::size_t outputBytes;
};

const Sample& sample(int kind, int level) {
  static std::map<std::pair<int, int>, Sample> cache;
  auto [it, fresh] = cache.try_emplace({kind, level});
  if (fresh) {
    const Bytes data = sampleData(kind);
    it->second = {compress(data, level), data.size()};
  }
  return it->second;
}

void oursInflate(benchmark::State& state) {
  const Sample& s = sample(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    std::size_t at = 0, produced = 0;
    std::string message;
    const bool ok = prt::Inflate(
        [&](std::uint8_t* buffer, std::size_t capacity) {
          const std::size_t n = std::min(capacity, s.stream.size() - at);
          std::memcpy(buffer, s.stream.data() + at, n);
          at += n;
          return n;
        },
        [&](const std::uint8_t* bytes, std::size_t size) {
          benchmark::DoNotOptimize(bytes);
          produced += size;
          return true;
        },
        message);
    if (!ok || produced != s.outputBytes) state.SkipWithError("inflate failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.outputBytes));
  state.counters["ratio"] = double(s.outputBytes) / double(s.stream.size());
}

void zlibInflate(benchmark::State& state) {
  const Sample& s = sample(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::uint8_t> out(65536);
  for (auto _ : state) {
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(s.stream.data());
    z.avail_in = static_cast<uInt>(s.stream.size());
    std::size_t produced = 0;
    int status;
    do {
      z.next_out = out.data();
      z.avail_out = static_cast<uInt>(out.size());
      status = inflate(&z, Z_NO_FLUSH);
      benchmark::DoNotOptimize(out.data());
      produced += out.size() - z.avail_out;
    } while (status == Z_OK);
    inflateEnd(&z);
    if (status != Z_STREAM_END || produced != s.outputBytes) state.SkipWithError("zlib inflate failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.outputBytes));
}

// kind: 0 text, 1 particle records, 2 random; level: zlib's compression level.
void inflateArgs(benchmark::internal::Benchmark* b) {
  b->ArgNames({"kind", "level"});
  for (auto [kind, level] : {std::pair{0, 1}, {0, 6}, {0, 9}, {1, 6}, {1, 9}, {2, 6}, {1, 0}}) b->Args({kind, level});
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(oursInflate)->Apply(inflateArgs);
BENCHMARK(zlibInflate)->Apply(inflateArgs);

// The writer's only per-byte work besides copying.
void oursAdler32(benchmark::State& state) {
  const Bytes data = particleRecords(kDataBytes);
  for (auto _ : state) {
    util::Adler32 sum;
    sum.update(data.data(), data.size());
    benchmark::DoNotOptimize(sum.value());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

void zlibAdler32(benchmark::State& state) {
  const Bytes data = particleRecords(kDataBytes);
  for (auto _ : state) benchmark::DoNotOptimize(adler32(1, data.data(), static_cast<uInt>(data.size())));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}
BENCHMARK(oursAdler32)->Unit(benchmark::kMillisecond);
BENCHMARK(zlibAdler32)->Unit(benchmark::kMillisecond);

constexpr std::int64_t kParticles = 10'000'000;
constexpr std::size_t kBatch = 65536;  // particles per appended batch, like a simulation chunk

std::string benchFile(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

const std::vector<prt::Channel>& exporterChannels() {
  using prt::DataType;
  static const std::vector<prt::Channel> channels = {
      {"Position", DataType::Float32, 3}, {"Density", DataType::Float16, 1}, {"Velocity", DataType::Float32, 3},
      {"Color", DataType::Float16, 3},    {"Emission", DataType::Float16, 3}, {"Normal", DataType::Float16, 3},
      {"ID", DataType::Int32, 1},         {"Age", DataType::Float32, 1},      {"Source", DataType::UInt8, 1},
      {"Group", DataType::UInt8, 1},      {"Rest", DataType::Float32, 3}};
  return channels;
}

void syncFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// range(0): 1 to include flushing the file to the disk, 0 to stop at the page cache.
void writePrt10M(benchmark::State& state) {
  const Bytes batch = particleRecords(kBatch * 66);
  const std::string path = benchFile("bench_prt_writer.prt");
  for (auto _ : state) {
    prt::Writer writer;
    std::string message;
    if (!writer.Open(path, kParticles, exporterChannels(), message)) state.SkipWithError(message.c_str());
    for (std::int64_t done = 0; done < kParticles; done += kBatch)
      writer.Append(batch.data(), static_cast<std::size_t>(std::min<std::int64_t>(kBatch, kParticles - done)) * 66);
    if (!writer.Close(kParticles, message)) state.SkipWithError(message.c_str());
    if (state.range(0)) syncFile(path);
  }
  state.SetBytesProcessed(state.iterations() * kParticles * 66);
  std::filesystem::remove(path);
}

void rawWrite10M(benchmark::State& state) {
  const Bytes batch = particleRecords(kBatch * 66);
  const std::string path = benchFile("bench_prt_raw.bin");
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::setvbuf(file, nullptr, _IONBF, 0);
    std::size_t left = kParticles * 66;
    while (left > 0) {
      for (std::size_t at = 0; at < batch.size() && left > 0; at += 65536) {
        const std::size_t n = std::min({std::size_t(65536), batch.size() - at, left});
        std::fwrite(batch.data() + at, 1, n, file);
        left -= n;
      }
    }
    std::fclose(file);
    if (state.range(0)) syncFile(path);
  }
  state.SetBytesProcessed(state.iterations() * kParticles * 66);
  std::filesystem::remove(path);
}

// Reading back what the writer wrote: every record inflated, positions,
// densities, colours and emissions decoded for every k-th (range(0)).
void readPrt10M(benchmark::State& state) {
  const std::string path = benchFile("bench_prt_read.prt");
  {
    const Bytes batch = particleRecords(kBatch * 66);
    prt::Writer writer;
    std::string message;
    writer.Open(path, kParticles, exporterChannels(), message);
    for (std::int64_t done = 0; done < kParticles; done += kBatch)
      writer.Append(batch.data(), static_cast<std::size_t>(std::min<std::int64_t>(kBatch, kParticles - done)) * 66);
    if (!writer.Close(kParticles, message)) state.SkipWithError(message.c_str());
  }
  for (auto _ : state) {
    prt::Particles particles;
    std::string message;
    if (!prt::Read(path, state.range(0), particles, message)) state.SkipWithError(message.c_str());
    benchmark::DoNotOptimize(particles.positions.data());
  }
  state.SetItemsProcessed(state.iterations() * kParticles);
  state.SetBytesProcessed(state.iterations() * kParticles * 66);
  std::filesystem::remove(path);
}

BENCHMARK(readPrt10M)->ArgName("stride")->Arg(1)->Arg(34)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(writePrt10M)->ArgName("fsync")->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(rawWrite10M)->ArgName("fsync")->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
