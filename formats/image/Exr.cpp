#include "formats/image/Exr.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "formats/image/Half.h"
#include "formats/image/OutputFile.h"

namespace formats {
namespace {

enum PixelType : std::uint32_t { kHalf = 1, kFloat = 2 };

// Without the long-names flag in the version field, readers accept names of
// at most 31 bytes.
constexpr std::size_t kMaxNameBytes = 31;

// Stores a value in little-endian byte order; on little-endian hosts (all
// the ones we ship for) this is one plain store, which the hot loop needs.
template <class T>
void storeLittleEndian(std::uint8_t* at, T value) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(at, &value, sizeof value);
  } else {
    for (std::size_t i = 0; i < sizeof value; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Everything in the file is little-endian.
class LittleEndianBuffer {
 public:
  void bytes(const void* data, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out_.insert(out_.end(), p, p + count);
  }
  void text(const std::string& s) { bytes(s.c_str(), s.size() + 1); }  // with its NUL
  void u8(std::uint8_t v) { out_.push_back(v); }
  void u32(std::uint32_t v) { little(v); }
  void u64(std::uint64_t v) { little(v); }
  void f32(float v) { little(std::bit_cast<std::uint32_t>(v)); }
  void attribute(const char* name, const char* type, std::uint32_t size) {
    text(name);
    text(type);
    u32(size);
  }
  const std::vector<std::uint8_t>& data() const { return out_; }
  std::size_t size() const { return out_.size(); }

 private:
  template <class T>
  void little(T v) {
    out_.resize(out_.size() + sizeof v);
    storeLittleEndian(out_.data() + out_.size() - sizeof v, v);
  }

  std::vector<std::uint8_t> out_;
};

std::size_t bytesPerValue(const ExrChannel& c) { return c.half ? 2 : 4; }

bool hasValidNames(const std::vector<const ExrChannel*>& sorted) {
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const std::string& name = sorted[i]->name;
    if (name.empty() || name.size() > kMaxNameBytes || name.find('\0') != std::string::npos) return false;
    if (i > 0 && name == sorted[i - 1]->name) return false;
  }
  return true;
}

// Magic number, version 2 (single-part scan-line, no flags) and the header
// attributes in their fixed order, ending in a NUL.
LittleEndianBuffer makeHeader(int width, int height, const std::vector<const ExrChannel*>& sorted) {
  LittleEndianBuffer h;
  h.u32(20000630);
  h.u32(2);
  std::uint32_t listBytes = 1;
  for (const ExrChannel* c : sorted) listBytes += static_cast<std::uint32_t>(c->name.size() + 17);
  h.attribute("channels", "chlist", listBytes);
  for (const ExrChannel* c : sorted) {
    h.text(c->name);
    h.u32(c->half ? kHalf : kFloat);
    h.u32(0);  // pLinear and three reserved bytes
    h.u32(1);  // x sampling
    h.u32(1);  // y sampling
  }
  h.u8(0);
  h.attribute("compression", "compression", 1);
  h.u8(0);  // none
  for (const char* window : {"dataWindow", "displayWindow"}) {
    h.attribute(window, "box2i", 16);
    h.u32(0);
    h.u32(0);
    h.u32(static_cast<std::uint32_t>(width - 1));
    h.u32(static_cast<std::uint32_t>(height - 1));
  }
  h.attribute("lineOrder", "lineOrder", 1);
  h.u8(0);  // increasing y
  h.attribute("pixelAspectRatio", "float", 4);
  h.f32(1.f);
  h.attribute("screenWindowWidth", "float", 4);
  h.f32(1.f);
  h.attribute("screenWindowCenter", "v2f", 8);
  h.f32(0.f);
  h.f32(0.f);
  h.u8(0);
  return h;
}

// One scan-line block: y, the data size, then each channel's values of the
// row in the sorted channel order.
void fillBlock(int y, int width, const std::vector<const ExrChannel*>& sorted, std::vector<std::uint8_t>& block) {
  std::uint8_t* at = block.data();
  storeLittleEndian(at, static_cast<std::uint32_t>(y));
  storeLittleEndian(at + 4, static_cast<std::uint32_t>(block.size() - 8));
  at += 8;
  for (const ExrChannel* c : sorted) {
    const float* value = c->data + std::size_t(y) * std::size_t(width) * c->stride;
    if (c->half) {
      for (int x = 0; x < width; ++x, value += c->stride, at += 2) storeLittleEndian(at, halfFromFloat(*value));
    } else {
      for (int x = 0; x < width; ++x, value += c->stride, at += 4)
        storeLittleEndian(at, std::bit_cast<std::uint32_t>(*value));
    }
  }
}

}  // namespace

bool writeExr(const std::string& fileName, int width, int height, std::span<const ExrChannel> channels,
              std::string& status) {
  std::vector<const ExrChannel*> sorted;
  sorted.reserve(channels.size());
  for (const ExrChannel& c : channels) sorted.push_back(&c);
  // std::string orders by unsigned bytes, the order the format requires.
  std::sort(sorted.begin(), sorted.end(), [](const ExrChannel* a, const ExrChannel* b) { return a->name < b->name; });

  std::uint64_t lineBytes = 0;
  for (const ExrChannel* c : sorted) lineBytes += std::uint64_t(width > 0 ? width : 0) * bytesPerValue(*c);
  const bool valid = width > 0 && height > 0 && !sorted.empty() && hasValidNames(sorted) &&
                     std::all_of(sorted.begin(), sorted.end(), [](const ExrChannel* c) { return c->data != nullptr; }) &&
                     lineBytes <= std::uint64_t(std::numeric_limits<std::int32_t>::max());
  std::ofstream file;
  if (valid) file = openForWriting(fileName);
  if (!valid || !file) {
    status = "cannot write " + fileName;
    return false;
  }

  // Header and offset table go out in one write; each block is one line.
  LittleEndianBuffer head = makeHeader(width, height, sorted);
  std::uint64_t offset = head.size() + 8 * std::uint64_t(height);
  for (int y = 0; y < height; ++y, offset += lineBytes + 8) head.u64(offset);
  file.write(reinterpret_cast<const char*>(head.data().data()), static_cast<std::streamsize>(head.size()));

  std::vector<std::uint8_t> block(static_cast<std::size_t>(lineBytes) + 8);
  for (int y = 0; y < height && file; ++y) {
    fillBlock(y, width, sorted, block);
    file.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
  }
  if (!closeWritten(file)) {
    status = "write error " + fileName;
    return false;
  }
  return true;
}

}  // namespace formats
