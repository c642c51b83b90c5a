#pragma once
// The pass record's layout from its one list (RenderPasses.inc): the offset
// of every float for the finishing kernel and the antialias wrapper, and the
// channel table the EXR output and the tests walk.
#include <cstdint>

namespace ink {

enum PassOffset : std::int32_t {
#define RENDER_PASS(offset, id, name, storage) kPass##id = offset,
#include "ink/render/RenderPasses.inc"
#undef RENDER_PASS
};

struct PassChannel {
  const char* name;  // the EXR channel name
  std::int32_t offset;
  bool alwaysFloat;  // 32-bit whatever the half setting
};

inline constexpr PassChannel kPassChannels[] = {
#define RENDER_PASS(offset, id, name, storage) {name, offset, #storage[0] == 'F'},
#include "ink/render/RenderPasses.inc"
#undef RENDER_PASS
};

inline constexpr int kPassRecordFloats = static_cast<int>(sizeof kPassChannels / sizeof kPassChannels[0]);
static_assert(kPassRecordFloats == 24);

// The list is in record order with no gaps.
constexpr bool passListIsDense() {
  for (int i = 0; i < kPassRecordFloats; ++i)
    if (kPassChannels[i].offset != i) return false;
  return true;
}
static_assert(passListIsDense());

}  // namespace ink
