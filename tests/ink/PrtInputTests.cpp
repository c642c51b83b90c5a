// The PRT input source on its own: which channels stream, densities where
// the file has none, and its failure texts.
#include <gtest/gtest.h>

#include "gpu/Device.h"
#include "ink/sim/PrtInput.h"

namespace {

struct Streamed {
  int batches = 0;
  bool colours = false, emission = false;
  std::vector<float> densities;
};

Streamed streamAll(ink::PrtInput& input, std::string& error, bool& ok) {
  Streamed s;
  ok = input.stream(
      [&](const ink::Chunk& c) {
        ++s.batches;
        s.colours = c.colours != nullptr;
        s.emission = c.emission != nullptr;
        s.densities.resize(static_cast<std::size_t>(c.count));
        gpu::memcpy(s.densities.data(), c.weights, 4 * c.count, gpu::CopyKind::DeviceToHost);
        return true;
      },
      error);
  return s;
}

TEST(PrtInputSourceTest, ChannelsStreamOnlyWithOneEntryPerParticle) {
  ink::PrtInput input;
  std::string error;
  bool ok = false;
  // Two particles, densities of the wrong length, three colours, two emissions.
  input.load({0, 0, 0, 1, 1, 1}, {0.5f}, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 1, 1, 2, 2, 2});
  Streamed s = streamAll(input, error, ok);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(s.batches, 1);
  EXPECT_FALSE(s.colours);
  EXPECT_TRUE(s.emission);
  EXPECT_EQ(s.densities, (std::vector<float>{1.f, 1.f}));
  EXPECT_EQ(input.batchCapacity(), 2);

  input.load({0, 0, 0, 1, 1, 1}, {0.25f, 0.75f}, {1, 0, 0, 0, 1, 0}, {});
  s = streamAll(input, error, ok);
  ASSERT_TRUE(ok);
  EXPECT_TRUE(s.colours);
  EXPECT_FALSE(s.emission);
  EXPECT_EQ(s.densities, (std::vector<float>{0.25f, 0.75f}));
}

TEST(PrtInputSourceTest, FailuresSayWhyAndLeaveNoHalfGrownBuffers) {
  ink::PrtInput input;
  std::string error;
  bool ok = true;
  streamAll(input, error, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, "no PRT particles loaded");

  input.load({1, 2, 3}, {}, {}, {});
  gpu::faults::failAllocation(3);  // the colour buffer, after positions and densities
  streamAll(input, error, ok);
  gpu::faults::reset();
  EXPECT_FALSE(ok);
  EXPECT_EQ(error, "GPU out of memory (PRT input)");
  EXPECT_EQ(input.batchCapacity(), 0);
  streamAll(input, error, ok);
  EXPECT_TRUE(ok);

  error.clear();
  EXPECT_FALSE(input.stream([](const ink::Chunk&) { return false; }, error));
  EXPECT_EQ(error, "streaming stopped by the consumer");
}

}  // namespace
