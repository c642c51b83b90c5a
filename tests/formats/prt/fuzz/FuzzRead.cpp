// libFuzzer target: any byte string as a PRT file, read with strides 1 and 3.
// The reader takes a path, so each input goes through a temporary file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "formats/prt/PrtReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/prt_fuzz_read_" + std::to_string(getpid()) + ".prt";
  }();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  for (std::int64_t stride : {1, 3}) {
    prt::Particles particles;
    std::string message;
    if (!prt::Read(path, stride, particles, message) && (message.empty() || message.find('\n') != std::string::npos))
      __builtin_trap();  // every failure has one line of text
  }
  return 0;
}
