#pragma once
// Writes evaluated particles as they stream: ".bin" holds float32 x, y, z
// per particle; ".ply" is binary little-endian PLY with float x, y, z, float
// weight (the particle's mass) and uchar group.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace ink {
struct EvaluatedSources;
}

namespace app {

class ParticleDump {
 public:
  // Opens `file` for `count` particles; the extension picks the format.
  // False with "cannot write <file>" or "the particle file must end in .bin or .ply".
  bool open(const std::string& file, std::int64_t count, std::string& error);
  void write(float x, float y, float z, float mass, int group);
  // Flushes and checks that exactly the announced count was written.
  bool close(std::string& error);

 private:
  std::unique_ptr<FILE, int (*)(FILE*)> out_{nullptr, std::fclose};
  std::string file_;
  bool ply_ = false;
  bool ok_ = false;
  std::int64_t announced_ = 0, written_ = 0;
};

// Streams the sources in `viewportOrder` (by group) or in evaluation order
// into `file`, keeping every k-th particle, k = ceil(count / maxCount) when
// maxCount > 0. `kept` receives the number written.
bool writeEvaluatedParticles(const ink::EvaluatedSources& sources, bool viewportOrder, std::int64_t maxCount,
                             const std::string& file, std::int64_t& kept, std::string& error);

}  // namespace app
