#include "app/VeilDump.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "orb/VeilCache.h"

namespace app {

namespace {
static_assert(std::endian::native == std::endian::little, "the dump is written in native little-endian order");
static_assert(sizeof(orb::Vec) == 12, "positions are three packed float32");
}  // namespace

bool writeVeilDump(const orb::VeilCache& cache, const std::string& file, std::string& error) {
  std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(file.c_str(), "wb"), std::fclose);
  bool ok = out != nullptr;
  if (ok) {
    const std::int32_t header[4] = {cache.along, cache.across, cache.veils, cache.frames};
    ok = std::fwrite("VEIL", 1, 4, out.get()) == 4 && std::fwrite(header, sizeof header, 1, out.get()) == 1;
    ok = ok && std::fwrite(cache.frameData.data(), sizeof(orb::Vec), cache.frameData.size(), out.get()) ==
                   cache.frameData.size();
    ok = ok && std::fwrite(cache.rest.data(), sizeof(orb::Vec), cache.rest.size(), out.get()) == cache.rest.size();
    ok = ok && std::fflush(out.get()) == 0;
  }
  if (!ok) error = "cannot write " + file;
  return ok;
}

}  // namespace app
