#include "formats/prt/PrtWriter.h"

#include <algorithm>
#include <cstring>

#include "formats/prt/ByteOrder.h"

namespace prt {

namespace {

// The largest stored block DEFLATE allows.
constexpr std::size_t kStoredBlockBytes = 65535;
// zlib header: deflate with a 32 KiB window, fastest-level flag, valid check bits.
constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};

std::vector<std::uint8_t> encodeHeader(std::int64_t particleCount, const std::vector<Channel>& channels) {
  std::vector<std::uint8_t> bytes(68 + channels.size() * kChannelRecordLength + 2, 0);
  std::uint8_t* p = bytes.data();
  std::memcpy(p, kMagic, sizeof kMagic);
  storeLE32(p + 8, kHeaderLength);
  std::memcpy(p + 12, kSignature, sizeof kSignature - 1);
  storeLE32(p + 44, kVersion);
  storeLE64(p + 48, static_cast<std::uint64_t>(particleCount));
  storeLE32(p + 56, kReserved);
  storeLE32(p + 60, static_cast<std::uint32_t>(channels.size()));
  storeLE32(p + 64, kChannelRecordLength);
  p += 68;
  for (const Channel& channel : channels) {
    std::memcpy(p, channel.name.data(), channel.name.size());  // already cut to 31 bytes
    storeLE32(p + 32, static_cast<std::uint32_t>(channel.type));
    storeLE32(p + 36, static_cast<std::uint32_t>(channel.arity));
    storeLE32(p + 40, static_cast<std::uint32_t>(channel.offset));
    p += kChannelRecordLength;
  }
  std::memcpy(p, kZlibHeader, sizeof kZlibHeader);
  return bytes;
}

}  // namespace

Writer::Writer() : block_(kStoredBlockBytes) {}

bool Writer::Open(const std::string& path, std::int64_t particleCount, const std::vector<Channel>& channels,
                  std::string& message) {
  file_.reset();
  particleCount_ = particleCount;
  channels_ = channels;
  recordSize_ = 0;
  for (Channel& channel : channels_) {
    if (channel.name.size() >= kChannelNameBytes) channel.name.resize(kChannelNameBytes - 1);
    channel.offset = recordSize_;
    recordSize_ += dataTypeSize(static_cast<std::int32_t>(channel.type)) * channel.arity;
  }
  adler_ = util::Adler32();
  blockFill_ = 0;
  failed_ = false;

  file_ = openBinaryFile(path, "wb");
  if (file_) {
    // Blocks are written whole from our own buffer or the caller's batch;
    // stdio buffering would only add a copy.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
    const std::vector<std::uint8_t> header = encodeHeader(particleCount, channels_);
    write(header.data(), header.size());
  }
  if (!file_ || failed_) {
    file_.reset();
    failed_ = true;
    message = "cannot write " + path;
    return false;
  }
  return true;
}

void Writer::Append(const void* bytes, std::size_t size) {
  if (!file_) {
    failed_ = true;
    return;
  }
  const auto* p = static_cast<const std::uint8_t*>(bytes);
  adler_.update(p, size);
  while (size > 0) {
    if (blockFill_ == 0 && size >= kStoredBlockBytes) {
      writeStoredBlock(p, kStoredBlockBytes, false);  // straight from the batch, no copy
      p += kStoredBlockBytes;
      size -= kStoredBlockBytes;
      continue;
    }
    const std::size_t take = std::min(size, kStoredBlockBytes - blockFill_);
    std::memcpy(block_.data() + blockFill_, p, take);
    blockFill_ += take;
    p += take;
    size -= take;
    if (blockFill_ == kStoredBlockBytes) {
      writeStoredBlock(block_.data(), kStoredBlockBytes, false);
      blockFill_ = 0;
    }
  }
}

bool Writer::Close(std::int64_t recordsWritten, std::string& message) {
  if (file_) {
    writeStoredBlock(block_.data(), blockFill_, true);
    std::uint8_t trailer[4];
    storeBE32(trailer, adler_.value());
    write(trailer, sizeof trailer);
    if (std::fclose(file_.release()) != 0) failed_ = true;
  } else {
    failed_ = true;
  }
  blockFill_ = 0;
  if (recordsWritten != particleCount_) {
    message = "PRT count mismatch";
    return false;
  }
  if (failed_) {
    message = "PRT write error";
    return false;
  }
  return true;
}

void Writer::writeStoredBlock(const std::uint8_t* data, std::size_t size, bool final) {
  // BFINAL, BTYPE 00 (stored), then LEN and its one's complement NLEN.
  const auto length = static_cast<std::uint16_t>(size);
  const auto complement = static_cast<std::uint16_t>(~length);
  const std::uint8_t header[5] = {std::uint8_t(final ? 0x01 : 0x00), std::uint8_t(length & 0xFF),
                                  std::uint8_t(length >> 8), std::uint8_t(complement & 0xFF),
                                  std::uint8_t(complement >> 8)};
  write(header, sizeof header);
  write(data, size);
}

void Writer::write(const void* data, std::size_t size) {
  if (size > 0 && std::fwrite(data, 1, size, file_.get()) != size) failed_ = true;
}

}  // namespace prt
