#pragma once
// A zlib stream without compression: header 78 01, the data in deflate
// stored blocks of at most 65535 bytes, the Adler-32 trailer. The data size is
// fixed up front, so the stream's size is known before its first byte (the
// PNG writer needs it for its chunk lengths) and the data can be streamed in
// pieces of any size.
#include <cstddef>
#include <cstdint>
#include <functional>

#include "formats/image/Checksums.h"

namespace formats {

using ByteSink = std::function<void(const std::uint8_t* bytes, std::size_t count)>;

class StoredZlibWriter {
 public:
  static constexpr std::size_t kMaxBlockBytes = 65535;

  // Bytes of the whole stream for a given data size (header, block headers,
  // data, trailer).
  static std::uint64_t streamBytes(std::uint64_t dataBytes);

  // Emits the stream header at once.
  StoredZlibWriter(std::uint64_t dataBytes, ByteSink sink);

  // Adds data; the pieces together must be exactly dataBytes long.
  void write(const std::uint8_t* bytes, std::size_t count);

  // Emits the trailer after the last data byte (and the one empty final block
  // an empty stream needs).
  void finish();

 private:
  void beginBlock();

  ByteSink sink_;
  std::uint64_t dataLeft_;
  std::size_t blockLeft_ = 0;
  bool anyBlock_ = false;
  util::Adler32 adler_;
};

}  // namespace formats
