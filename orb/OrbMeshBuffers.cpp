#include "orb/OrbMeshBuffers.h"

namespace orb {

bool OrbMeshBuffers::begin(std::uint64_t layout) {
  keep_ = layout == layout_ && !positions.empty();
  if (!keep_) {
    clear();
    layout_ = layout;
  }
  cursor_ = 0;
  return keep_;
}

void OrbMeshBuffers::clear() {
  positions.clear();
  triangles.clear();
  uvs.clear();
  shades.clear();
  layout_ = 0;
  keep_ = false;
  cursor_ = 0;
}

std::int32_t OrbMeshBuffers::claimVertices(std::int32_t n) {
  const std::int32_t first = cursor_;
  cursor_ += n;
  if (!keep_) {
    positions.resize(static_cast<std::size_t>(cursor_));
    uvs.resize(static_cast<std::size_t>(cursor_));
    shades.resize(static_cast<std::size_t>(cursor_));
  }
  return first;
}

}  // namespace orb
