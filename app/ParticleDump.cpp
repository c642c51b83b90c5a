#include "app/ParticleDump.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <vector>

#include "gpu/Device.h"
#include "ink/InkEvaluation.h"

namespace app {

namespace {
static_assert(std::endian::native == std::endian::little, "particle files are written in native little-endian order");

bool endsWith(const std::string& s, const char* suffix) {
  const std::size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}
}  // namespace

bool ParticleDump::open(const std::string& file, std::int64_t count, std::string& error) {
  ply_ = endsWith(file, ".ply");
  if (!ply_ && !endsWith(file, ".bin")) {
    error = "the particle file must end in .bin or .ply";
    return false;
  }
  file_ = file;
  announced_ = count;
  written_ = 0;
  out_.reset(std::fopen(file.c_str(), "wb"));
  ok_ = out_ != nullptr;
  if (ok_ && ply_)
    ok_ = std::fprintf(out_.get(),
                       "ply\nformat binary_little_endian 1.0\nelement vertex %lld\nproperty float x\n"
                       "property float y\nproperty float z\nproperty float weight\nproperty uchar group\n"
                       "end_header\n",
                       static_cast<long long>(count)) > 0;
  if (!ok_) error = "cannot write " + file;
  return ok_;
}

void ParticleDump::write(float x, float y, float z, float mass, int group) {
  ++written_;
  if (!ok_) return;
  unsigned char record[17];
  const float xyz[3] = {x, y, z};
  std::memcpy(record, xyz, sizeof xyz);
  std::memcpy(record + 12, &mass, 4);
  record[16] = static_cast<unsigned char>(group);
  const std::size_t bytes = ply_ ? sizeof record : sizeof xyz;
  ok_ = std::fwrite(record, 1, bytes, out_.get()) == bytes;
}

bool ParticleDump::close(std::string& error) {
  if (ok_) ok_ = std::fflush(out_.get()) == 0;
  out_.reset();
  if (!ok_) {
    error = "cannot write " + file_;
    return false;
  }
  if (written_ != announced_) {
    error = "the sources streamed " + std::to_string(written_) + " particles to keep, the evaluation announced " +
            std::to_string(announced_);
    return false;
  }
  return true;
}

namespace {
template <class T>
bool toHost(std::vector<T>& host, const T* device, std::int64_t count) {
  host.resize(static_cast<std::size_t>(count));
  return count == 0 || gpu::memcpy(host.data(), device, sizeof(T) * host.size(), gpu::CopyKind::DeviceToHost) ==
                           gpu::Success;
}
}  // namespace

bool writeEvaluatedParticles(const ink::EvaluatedSources& sources, bool viewportOrder, std::int64_t maxCount,
                             const std::string& file, std::int64_t& kept, std::string& error) {
  const std::int64_t count = sources.count;
  const std::int64_t k = maxCount > 0 && count > maxCount ? (count + maxCount - 1) / maxCount : 1;
  kept = (count + k - 1) / k;
  std::vector<std::size_t> order(sources.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (viewportOrder)
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return sources.group(a) < sources.group(b); });

  ParticleDump dump;
  if (!dump.open(file, kept, error)) return false;
  std::vector<orb::Vec> positions;
  std::vector<float> weights;
  std::int64_t g = 0;  // running index over every streamed particle
  for (std::size_t i : order) {
    const int group = sources.group(i);
    const float sourceWeight = sources.weights[i];
    std::string streamError;
    const bool streamed = sources.sources[i](
        [&](const ink::Chunk& chunk) {
          if (!toHost(positions, chunk.positions, chunk.count) || !toHost(weights, chunk.weights, chunk.count)) {
            streamError = "download failed";
            return false;
          }
          for (std::int64_t p = 0; p < chunk.count; ++p, ++g)
            if (g % k == 0) dump.write(positions[p].x, positions[p].y, positions[p].z, weights[p] * sourceWeight, group);
          return true;
        },
        streamError);
    if (!streamed) {
      error = streamError;
      return false;
    }
  }
  return dump.close(error);
}

}  // namespace app
