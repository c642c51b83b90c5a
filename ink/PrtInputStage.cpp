#include "ink/PrtInputStage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "formats/prt/PrtReader.h"
#include "ink/PrtSequence.h"
#include "util/Utf8Path.h"

namespace ink {

namespace {
constexpr std::size_t kProbeBytes = 56;

// p × M with M as four rows of three, in place over x, y, z triples.
void transformPositions(std::vector<float>& xyz, const float (&m)[12]) {
  for (std::size_t i = 0; i + 2 < xyz.size(); i += 3) {
    const float x = xyz[i], y = xyz[i + 1], z = xyz[i + 2];
    for (int c = 0; c < 3; ++c) xyz[i + c] = x * m[c] + y * m[3 + c] + z * m[6 + c] + m[9 + c];
  }
}

float largestAbsolute(const std::vector<float>& values) {
  float largest = 0.f;
  for (float v : values) largest = std::max(largest, std::fabs(v));
  return largest;
}
}  // namespace

bool probePrtCount(const std::string& file, std::int64_t& count, std::string& error) {
  unsigned char header[kProbeBytes] = {};
  std::ifstream in(util::utf8Path(file), std::ios::binary);
  const bool read = in && in.read(reinterpret_cast<char*>(header), kProbeBytes) && in.gcount() == kProbeBytes;
  std::uint64_t bits = 0;
  for (int b = 7; b >= 0; --b) bits = bits << 8 | header[48 + b];
  count = static_cast<std::int64_t>(bits);
  if (!read || header[0] != 0xC0 || header[1] != 'P' || count < 0) {
    error = "PRT input: cannot read " + file;
    return false;
  }
  return true;
}

bool PrtInputStage::update(const PrtInputRequest& request, std::string& error) {
  // A longer name is refused rather than cut: a cut name would read another file.
  if (request.pattern.size() > kPrtInputMaxPath) {
    error = "PRT input: the file name is longer than " + std::to_string(kPrtInputMaxPath) + " bytes";
    return false;
  }
  const std::string file = prtFrameFileName(request.pattern, request.frame);
  std::int64_t fileCount = 0;
  if (!probePrtCount(file, fileCount, error)) return false;
  const std::int64_t stride = prtStride(fileCount, request.limit);
  const std::string key = prtInputKey(file, stride, request.useColor, request.world, request.matrix);
  if (key == key_) return true;

  prt::Particles particles;
  std::string message;
  ++fileReads_;
  if (!prt::Read(file, stride, particles, message)) {
    error = "PRT input: " + message;
    key_.clear();
    return false;
  }
  transformPositions(particles.positions, request.matrix);
  extent_ = largestAbsolute(particles.positions);
  if (!request.useColor) {
    particles.colors = {};
    particles.emissions = {};
  }
  input_.load(std::move(particles.positions), std::move(particles.densities), std::move(particles.colors),
              std::move(particles.emissions));
  key_ = key;
  return true;
}

void PrtInputStage::clear() {
  input_.clear();
  key_.clear();
  extent_ = 0.f;
}

}  // namespace ink
