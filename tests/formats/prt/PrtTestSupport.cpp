#include "PrtTestSupport.h"

#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

#include "formats/prt/Inflate.h"

namespace prttest {

TempDir::TempDir() {
  static int counter = 0;
  path_ = std::filesystem::temp_directory_path() /
          ("prt_tests_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes zlibCompress(const Bytes& data, int level, int strategy) {
  z_stream z{};
  if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK) throw std::runtime_error("deflateInit2");
  Bytes out(deflateBound(&z, data.size()) + 16);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  if (deflate(&z, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate");
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

namespace {
bool zlibInflateWith(const Bytes& stream, int windowBits, std::size_t skip, Bytes& out) {
  z_stream z{};
  if (inflateInit2(&z, windowBits) != Z_OK) return false;
  out.clear();
  z.next_in = const_cast<Bytef*>(stream.data() + std::min(skip, stream.size()));
  z.avail_in = static_cast<uInt>(stream.size() - std::min(skip, stream.size()));
  std::uint8_t buffer[65536];
  int status;
  do {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    status = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
  } while (status == Z_OK && (z.avail_in > 0 || z.avail_out == 0));
  inflateEnd(&z);
  return status == Z_STREAM_END;
}
}  // namespace

bool zlibDecompress(const Bytes& stream, Bytes& out) { return zlibInflateWith(stream, 15, 0, out); }
bool zlibInflateRaw(const Bytes& stream, Bytes& out) { return zlibInflateWith(stream, -15, 2, out); }

InflateResult inflateBytes(const Bytes& stream, std::size_t piece) {
  InflateResult result;
  std::size_t at = 0;
  result.ok = prt::Inflate(
      [&](std::uint8_t* buffer, std::size_t capacity) {
        const std::size_t n = std::min({piece, capacity, stream.size() - at});
        if (n > 0) std::memcpy(buffer, stream.data() + at, n);
        at += n;
        return n;
      },
      [&](const std::uint8_t* bytes, std::size_t size) {
        result.out.insert(result.out.end(), bytes, bytes + size);
        result.runs.push_back(size);
        return true;
      },
      result.message);
  return result;
}

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

Bytes repetitiveBytes(std::size_t size, std::uint32_t seed) {
  // Runs and repeated phrases at every distance class, up to the full window.
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size);
  while (out.size() < size) {
    const std::uint32_t pick = rng() % 4;
    const std::size_t length = 1 + rng() % 300;
    if (pick == 0 || out.size() < 2) {
      out.insert(out.end(), length, static_cast<std::uint8_t>(rng()));
    } else {
      const std::size_t back = 1 + rng() % std::min<std::size_t>(out.size(), pick == 1 ? 8 : 40000);
      for (std::size_t i = 0; i < length; ++i) out.push_back(out[out.size() - back]);
    }
  }
  out.resize(size);
  return out;
}

Bytes textBytes(std::size_t size, std::uint32_t seed) {
  static const char* kWords[] = {"ink ", "orb ", "glass ", "swirl ", "density ", "particle ", "the ", "of ",
                                 "silk\n", "veil ", "render, ", "frame ", "0.25 ", "1.5e-3 ", "Position "};
  std::mt19937 rng(seed);
  Bytes out;
  out.reserve(size + 16);
  while (out.size() < size) {
    const char* word = kWords[rng() % std::size(kWords)];
    out.insert(out.end(), word, word + std::strlen(word));
  }
  out.resize(size);
  return out;
}

void putLE(Bytes& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes buildPrt(const PrtFileLayout& layout) {
  static const std::uint8_t kMagic[8] = {0xC0, 'P', 'R', 'T', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes file(kMagic, kMagic + 8);
  putLE(file, static_cast<std::uint32_t>(layout.headerLength), 4);
  const char signature[32] = "Extensible Particle Format";
  file.insert(file.end(), signature, signature + 32);
  putLE(file, 1, 4);
  putLE(file, static_cast<std::uint64_t>(layout.count), 8);
  if (layout.headerLength > 56) file.resize(static_cast<std::size_t>(layout.headerLength), 0);
  putLE(file, 4, 4);
  putLE(file, layout.channels.size(), 4);
  putLE(file, static_cast<std::uint32_t>(layout.channelRecordLength), 4);
  for (const RawChannel& channel : layout.channels) {
    Bytes record(std::max(layout.channelRecordLength, 44), 0);
    std::memcpy(record.data(), channel.name.data(), std::min<std::size_t>(channel.name.size(), 32));
    for (int i = 0; i < 4; ++i) {
      record[32 + i] = static_cast<std::uint8_t>(std::uint32_t(channel.type) >> (8 * i));
      record[36 + i] = static_cast<std::uint8_t>(std::uint32_t(channel.arity) >> (8 * i));
      record[40 + i] = static_cast<std::uint8_t>(std::uint32_t(channel.offset) >> (8 * i));
    }
    record.resize(static_cast<std::size_t>(std::max(layout.channelRecordLength, 0)));
    file.insert(file.end(), record.begin(), record.end());
  }
  const Bytes data = !layout.compress ? layout.records : zlibCompress(layout.records, layout.level);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

}  // namespace prttest
