#pragma once
// The dump of an orb's baked veil loop: "VEIL", int32 along, across, veils,
// frames (little-endian), the frames' positions (frame-major, three float32
// each), then the rest positions.
#include <string>

namespace orb {
struct VeilCache;
}

namespace app {

// False with "cannot write <file>" when the file cannot be written.
bool writeVeilDump(const orb::VeilCache& cache, const std::string& file, std::string& error);

}  // namespace app
