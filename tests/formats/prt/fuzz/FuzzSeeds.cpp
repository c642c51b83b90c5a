// Writes the seed corpora of the PRT fuzz targets: zlib streams of every block
// kind, and PRT files from our writer and from real zlib.
//   prt_fuzz_seeds <inflate-dir> <read-dir>
#include <cstdio>
#include <filesystem>
#include <string>

#include "../PrtTestSupport.h"
#include "formats/prt/PrtWriter.h"

using namespace prttest;

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: prt_fuzz_seeds <inflate-dir> <read-dir>\n");
    return 2;
  }
  const std::filesystem::path inflateDir = argv[1], readDir = argv[2];
  std::filesystem::create_directories(inflateDir);
  std::filesystem::create_directories(readDir);

  int n = 0;
  for (int level : {0, 1, 6, 9}) {
    for (int strategy : {0, 1, 2, 3, 4}) {
      const Bytes data = n % 3 == 0 ? textBytes(3000, n) : n % 3 == 1 ? repetitiveBytes(5000, n) : randomBytes(700, n);
      Bytes seed = {0};  // first byte: the input piece size
      const Bytes stream = zlibCompress(data, level, strategy);
      seed.insert(seed.end(), stream.begin(), stream.end());
      writeFile((inflateDir / ("stream" + std::to_string(n++))).string(), seed);
    }
  }

  PrtFileLayout layout;
  layout.count = 20;
  layout.channels = {{"Position", 4, 3, 0}, {"Density", 3, 1, 12}, {"Color", 10, 3, 14}, {"Emission", 5, 3, 17}};
  layout.records = randomBytes(20 * 41, 1);
  for (int level : {0, 1, 9}) {
    layout.level = level;
    writeFile((readDir / ("zlib" + std::to_string(level) + ".prt")).string(), buildPrt(layout));
  }
  prt::Writer writer;
  std::string message;
  const std::string ours = (readDir / "ours.prt").string();
  if (!writer.Open(ours, 16, {{"Position", prt::DataType::Float32, 3}, {"Density", prt::DataType::Float16, 1}},
                   message))
    return 1;
  const Bytes records = textBytes(16 * 14, 2);
  writer.Append(records.data(), records.size());
  return writer.Close(16, message) ? 0 : 1;
}
