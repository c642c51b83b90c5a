// Streaming PRT writer: records are appended in batches and stored in a
// zlib stream of uncompressed DEFLATE blocks, so a frame's file is never held
// in memory and exporting costs no compression time.
//
//   prt::Writer writer;
//   if (!writer.Open(path, count, channels, message)) return false;
//   for each batch: writer.Append(records, bytes);   // recordSize() bytes each
//   return writer.Close(recordsWritten, message);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/prt/BinaryFile.h"
#include "formats/prt/PrtFormat.h"
#include "util/Adler32.h"

namespace prt {

class Writer {
 public:
  Writer();
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  // A file still open is closed as it stands, unfinished.
  ~Writer() = default;

  // Creates the file and writes the header (declaring `particleCount`
  // records), the channel table with offsets laid out consecutively in the
  // given order, and the zlib stream header. The channels' offsets are
  // ignored; channels() reports the assigned ones. Names longer than 31
  // characters are cut to 31. Failure: "cannot write " + path.
  bool Open(const std::string& path, std::int64_t particleCount, const std::vector<Channel>& channels,
            std::string& message);

  // Streams `size` bytes of finished records. Write errors are reported by Close.
  void Append(const void* bytes, std::size_t size);

  // Ends the stream and closes the file. True only when no write failed and
  // `recordsWritten` equals the declared count; otherwise "PRT count
  // mismatch" (counts differ) or "PRT write error". The file stays on disk
  // either way.
  bool Close(std::int64_t recordsWritten, std::string& message);

  const std::vector<Channel>& channels() const { return channels_; }
  // Bytes of one record: the sum of type size × arity over the channels.
  std::int32_t recordSize() const { return recordSize_; }

 private:
  void writeStoredBlock(const std::uint8_t* data, std::size_t size, bool final);
  void write(const void* data, std::size_t size);

  FilePtr file_;
  std::int64_t particleCount_ = 0;
  std::vector<Channel> channels_;
  std::int32_t recordSize_ = 0;
  util::Adler32 adler_;
  std::vector<std::uint8_t> block_;  // records waiting for a full stored block
  std::size_t blockFill_ = 0;
  bool failed_ = false;
};

}  // namespace prt
