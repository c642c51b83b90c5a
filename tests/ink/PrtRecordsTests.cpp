// PRT export records built from hand-made host chunks: every channel's
// bytes against values computed by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "formats/prt/Half.h"
#include "ink/InkEvaluation.h"
#include "ink/drivers/PrtRecords.h"
#include "ink/render/RenderHashes.h"

namespace {

using prt::DataType;

struct Layout {
  std::vector<prt::Channel> channels;
  int size = 0;
  int at(const std::string& name) const {
    for (const prt::Channel& c : channels)
      if (c.name == name) return c.offset;
    return -1;
  }
};

Layout layout(const ink::PrtChannelSwitches& on) {
  Layout l{ink::prtExportChannels(on)};
  for (prt::Channel& c : l.channels) {
    c.offset = l.size;
    l.size += c.arity * prt::dataTypeSize(static_cast<std::int32_t>(c.type));
  }
  return l;
}

template <class T>
T read(const std::vector<std::uint8_t>& records, const Layout& l, int particle, const std::string& name, int c = 0) {
  T v;
  std::memcpy(&v, records.data() + particle * l.size + l.at(name) + c * static_cast<int>(sizeof(T)), sizeof v);
  return v;
}

float half(const std::vector<std::uint8_t>& records, const Layout& l, int particle, const std::string& name, int c) {
  return prt::halfToFloat(read<std::uint16_t>(records, l, particle, name, c));
}

constexpr ink::PrtChannelSwitches kAll{true, true, true, true, true, true, true, true};

TEST(PrtRecords, ChannelTableFollowsTheSwitchesInFileOrder) {
  const Layout all = layout(kAll);
  ASSERT_EQ(all.channels.size(), 11u);
  EXPECT_EQ(all.size, 66);
  EXPECT_EQ(all.channels[3].name, "Color");
  EXPECT_EQ(all.channels[3].type, DataType::Float16);
  EXPECT_EQ(all.channels[6].type, DataType::Int32);
  EXPECT_EQ(all.channels[8].type, DataType::UInt8);
  const Layout some = layout({.velocity = true, .source = true});
  ASSERT_EQ(some.channels.size(), 5u);
  EXPECT_EQ(some.at("Velocity"), 14);
  EXPECT_EQ(some.at("Source"), 26);
  EXPECT_EQ(some.at("Group"), 27);
}

struct PrtRecordsTest : ::testing::Test {
  ink::RenderSettings settings;
  ink::EvaluatedSources sources;
  ink::PrtFrame frame;
  std::vector<orb::Vec> positions{{1, 2, 3}, {-4, 5, 0.5f}}, previous{{0.5f, 2, 3}, {-4, 5, 0.5f}}, rest{{7, 8, 9}, {0.25f, 0.75f, 0}};
  std::vector<float> weights{0.5f, 1e-5f};

  void SetUp() override {
    settings.absorbR = 0.5f, settings.absorbG = 1.f, settings.absorbB = 2.f;
    settings.emitR = 1.f, settings.emitG = 0.5f, settings.emitB = 0.25f;
    settings.emitAmount = 2.f;
    settings.inkParams.loop = 0;
    settings.inkParams.startTime = 0.25f;
    frame.settings = &settings;
    frame.sources = &sources;
    frame.seconds = 1.f;
    frame.fps = 30.f;
    frame.swirlStart = 2.f;
    frame.colourScale = 2.f;
    frame.velocityScale = 3.f;
    frame.output = RotateZMatrix(static_cast<float>(M_PI / 2));  // x → y, y → −x
    frame.output.SetTrans(Point3(10, 0, 0));
    frame.previous = previous.data();
  }
  std::vector<std::uint8_t> fill(const Layout& l, int group, std::int64_t offset, bool withRest) {
    sources.clear();
    sources.add({}, 1.f, group, 2);
    ink::HostChunk c;
    c.offset = offset;
    c.first = 5;
    c.count = 2;
    c.positions = positions.data();
    c.weights = weights.data();
    c.rest = withRest ? rest.data() : nullptr;
    std::vector<std::uint8_t> records(2 * static_cast<std::size_t>(l.size), 0xEE);
    ink::PrtRecordBuilder(frame, l.channels, l.size).fill(c, records.data());
    return records;
  }
};

TEST_F(PrtRecordsTest, InkRecordsHoldEveryChannelInTheOutputSpace) {
  const Layout l = layout(kAll);
  const auto r = fill(l, ink::kInkGroup, 0, true);
  // Position: rotated by the output matrix, then moved.
  EXPECT_NEAR(read<float>(r, l, 0, "Position", 0), 10.f - 2.f, 1e-5f);
  EXPECT_NEAR(read<float>(r, l, 0, "Position", 1), 1.f, 1e-5f);
  EXPECT_EQ(half(r, l, 0, "Density", 0), 0.5f);
  EXPECT_EQ(half(r, l, 1, "Density", 0), 0.f);  // below the smallest normal half
  // Velocity: 0.5 units in one frame at 30 fps along x, rotated to y, times 3; no translation.
  EXPECT_NEAR(read<float>(r, l, 0, "Velocity", 0), 0.f, 1e-5f);
  EXPECT_NEAR(read<float>(r, l, 0, "Velocity", 1), 45.f, 1e-3f);
  EXPECT_NEAR(half(r, l, 0, "Color", 2), 2.f * std::exp(-2.f), 2e-3f);
  EXPECT_EQ(half(r, l, 0, "Emission", 0), 4.f);  // 1 × 2 × 2
  EXPECT_EQ(half(r, l, 1, "Emission", 2), 1.f);
  EXPECT_EQ(read<std::int32_t>(r, l, 1, "ID"), 1);  // the running index over the frame
  EXPECT_FLOAT_EQ(read<float>(r, l, 0, "Age"), 0.75f);  // loop off: since the start time
  EXPECT_EQ(read<std::uint8_t>(r, l, 0, "Source"), 0);
  EXPECT_EQ(read<std::uint8_t>(r, l, 0, "Group"), 0);
  EXPECT_EQ(read<float>(r, l, 1, "Rest", 1), 0.75f);
}

TEST_F(PrtRecordsTest, AgeVelocityAndSourceFollowEachGroupsRule) {
  const Layout l = layout(kAll);
  // Swirl: seconds since the swirl start, never negative.
  EXPECT_EQ(read<float>(fill(l, ink::kSwirlGroup, 0, true), l, 0, "Age"), 0.f);
  frame.seconds = 3.5f;
  EXPECT_EQ(read<float>(fill(l, ink::kSwirlGroup, 0, true), l, 0, "Age"), 1.5f);
  // Silk: the frame's time; without rest values Rest is the ink-space position.
  auto r = fill(l, ink::kSilkGroup, 0, false);
  EXPECT_EQ(read<float>(r, l, 0, "Age"), 3.5f);
  EXPECT_EQ(read<std::uint8_t>(r, l, 0, "Group"), 1);
  EXPECT_EQ(read<float>(r, l, 1, "Rest", 0), -4.f);

  // An ink particle younger than one frame has no velocity yet.
  frame.seconds = 0.26f;
  EXPECT_EQ(read<float>(fill(l, ink::kInkGroup, 0, true), l, 0, "Velocity", 1), 0.f);
  frame.seconds = 1.f;
  frame.previous = nullptr;  // the previous frame had another count
  r = fill(l, ink::kInkGroup, (std::int64_t{1} << 31) + 3, true);
  EXPECT_EQ(read<float>(r, l, 0, "Velocity", 1), 0.f);
  EXPECT_EQ(read<std::int32_t>(r, l, 1, "ID"), 4);  // masked to 31 bits

  // Assemble: one source gives 1, two sources split by the id hash.
  settings.assemble.on = 1;
  settings.assemble.shapeCount = 1;
  EXPECT_EQ(read<std::uint8_t>(fill(l, ink::kInkGroup, 0, true), l, 1, "Source"), 1);
  settings.assemble.shapeCount = 2;
  settings.assemble.seedMix = 13;
  r = fill(l, ink::kSwirlGroup, 0, true);
  for (int i = 0; i < 2; ++i) {
    const std::uint64_t id = (std::uint64_t{2} << 40) + 5 + static_cast<std::uint64_t>(i);
    EXPECT_EQ(read<std::uint8_t>(r, l, i, "Source"), ink::sourceHash(id, 13) < 0.5f ? 2 : 1);
  }
}

TEST(PrtNormals, NormalsPointDownTheDensityGradientInTheOutputSpace) {
  constexpr int n = 32;
  std::vector<float> ramp(n * n * n), flat(n * n * n, 1.f);
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) ramp[(k * n + j) * n + i] = static_cast<float>(i);
  ink::NormalField field;
  std::string status;
  ASSERT_TRUE(ink::buildNormalField(ramp, n, 16.f, RotateZMatrix(static_cast<float>(M_PI / 2)), field, status));
  // Density grows along +x, so the normal is −x, turned to −y by the output.
  const std::uint16_t* cell = field.halves.data() + 3 * ((5 * n + 7) * n + 9);
  EXPECT_NEAR(prt::halfToFloat(cell[0]), 0.f, 1e-3f);
  EXPECT_EQ(prt::halfToFloat(cell[1]), -1.f);
  ASSERT_TRUE(ink::buildNormalField(flat, n, 16.f, Matrix3(), field, status));
  EXPECT_EQ(prt::halfToFloat(field.halves[3 * 100 + 2]), 1.f);  // no gradient: (0, 0, 1)
}

}  // namespace
