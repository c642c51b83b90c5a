// Seeded random corpus: mutated PRT files and zlib streams must be read or
// refused with one line of text, never crash (the sanitizer build checks
// every access). Deterministic seeds, so any failure reproduces.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

#include "PrtTestSupport.h"
#include "formats/prt/PrtReader.h"
#include "formats/prt/PrtWriter.h"

using namespace prttest;

namespace {

// Values that sit on the edges of the header's checks.
const std::uint32_t kInteresting[] = {0, 1, 3, 4, 7, 12, 44, 56, 255, 256, 257, 65535, 65536, 0x7FFFFFFF,
                                      0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFEu};

Bytes mutate(const Bytes& seed, std::mt19937& rng) {
  Bytes out = seed;
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int e = 0; e < edits; ++e) {
    if (out.empty()) out.push_back(0);
    const std::size_t at = rng() % out.size();
    switch (rng() % 6) {
      case 0: out[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
      case 1: out[at] = static_cast<std::uint8_t>(rng()); break;
      case 2: out.resize(at); break;
      case 3: out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), rng() % 16, static_cast<std::uint8_t>(rng())); break;
      case 4:
        if (at + 4 <= out.size()) {
          const std::uint32_t value = kInteresting[rng() % std::size(kInteresting)];
          std::memcpy(&out[at & ~std::size_t(3)], &value, 4);  // header fields are 4-byte aligned
        }
        break;
      default: out.erase(out.begin() + static_cast<std::ptrdiff_t>(at), out.begin() + static_cast<std::ptrdiff_t>(std::min(out.size(), at + 1 + rng() % 8))); break;
    }
  }
  return out;
}

std::vector<Bytes> prtSeeds(const TempDir& dir) {
  std::vector<Bytes> seeds;
  PrtFileLayout layout;
  layout.count = 40;
  layout.channels = {{"Position", 4, 3, 0}, {"Density", 3, 1, 12}, {"Color", 10, 3, 14}, {"Emission", 5, 3, 17}};
  layout.records = randomBytes(40 * 41, 1);
  for (int level : {0, 1, 9}) {
    layout.level = level;
    seeds.push_back(buildPrt(layout));
  }
  // One from our writer.
  prt::Writer writer;
  std::string message;
  writer.Open(dir.file("seed.prt"), 30, {{"Position", prt::DataType::Float32, 3}, {"ID", prt::DataType::Int32, 1}},
              message);
  const Bytes records = textBytes(30 * 16, 2);
  writer.Append(records.data(), records.size());
  writer.Close(30, message);
  seeds.push_back(readFile(dir.file("seed.prt")));
  return seeds;
}

void expectOneLine(bool ok, const std::string& message) {
  if (!ok) {
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

}  // namespace

TEST(GarbageCorpus, ReaderRefusesOrReadsMutatedFiles) {
  TempDir dir;
  const std::vector<Bytes> seeds = prtSeeds(dir);
  const std::string path = dir.file("mutant.prt");
  std::mt19937 rng(7);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int reads = 0;
  for (; reads < 3000 && std::chrono::steady_clock::now() < deadline; ++reads) {
    const Bytes file = mutate(seeds[reads % seeds.size()], rng);
    writeFile(path, file);
    prt::Particles particles;
    std::string message;
    const bool ok = prt::Read(path, 1 + reads % 3, particles, message);
    expectOneLine(ok, message);
    if (ok) {
      EXPECT_EQ(particles.positions.size() % 3, 0u);
    }
  }
  EXPECT_GT(reads, 100);
}

TEST(GarbageCorpus, InflaterRefusesOrDecodesMutatedStreams) {
  std::vector<Bytes> seeds;
  for (int level : {0, 1, 6, 9})
    for (int kind = 0; kind < 3; ++kind) {
      const Bytes data = kind == 0 ? randomBytes(3000, 3) : kind == 1 ? repetitiveBytes(70000, 4) : textBytes(9000, 5);
      seeds.push_back(zlibCompress(data, level, kind == 2 ? 4 : 0));
    }
  std::mt19937 rng(11);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int runs = 0;
  for (; runs < 6000 && std::chrono::steady_clock::now() < deadline; ++runs) {
    const Bytes stream = mutate(seeds[runs % seeds.size()], rng);
    const InflateResult result = inflateBytes(stream, 1 + rng() % 70000);
    expectOneLine(result.ok, result.message);
  }
  EXPECT_GT(runs, 100);
}

// Random bytes behind a valid header and channel table.
TEST(GarbageCorpus, ReaderOnRandomStreams) {
  TempDir dir;
  const std::string path = dir.file("random.prt");
  std::mt19937 rng(13);
  for (int i = 0; i < 500; ++i) {
    PrtFileLayout layout;
    layout.count = rng() % 100;
    layout.channels = {{"Position", static_cast<std::int32_t>(rng() % 12), 3, static_cast<std::int32_t>(rng() % 5)}};
    layout.compress = false;
    layout.records = randomBytes(rng() % 400, static_cast<std::uint32_t>(i));
    if (layout.records.size() >= 2) layout.records[0] = 0x78, layout.records[1] = 0x01;
    writeFile(path, buildPrt(layout));
    prt::Particles particles;
    std::string message;
    expectOneLine(prt::Read(path, 1, particles, message), message);
  }
}
