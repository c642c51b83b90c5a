// The ink material: its parameter block, map slots, host-renderer colour
// and shading, validity, reset and clone, and the grid bake of maps.
#include <gtest/gtest.h>

#include <cmath>

#include "host/runtime/Materials.h"
#include "host/sdk/Interface.h"
#include "ink/material/BakeSC.h"
#include "ink/material/InkLook.h"
#include "ink/material/InkMtl.h"
#include "plugin/ClassDescriptors.h"

namespace {

using namespace inkmtl::param;

struct InkMtlTest : ::testing::Test {
  InkMtl* mtl = static_cast<InkMtl*>(static_cast<Animatable*>(GetInkMtlDesc()->Create(FALSE)));
  IParamBlock2& pb = *mtl->pblock2;
  void TearDown() override { mtl->DeleteThis(); }
};

// A map that is red = u and green = v, so tests can see where it was sampled.
class UVMap : public Texmap {
 public:
  AColor EvalColor(ShadeContext& sc) override {
    const Point3 uvw = sc.UVW();
    return {uvw.x, uvMode ? uvw.y : 0.25f, 0.5f};
  }
  void Update(TimeValue t, Interval& valid) override {
    updatedAt = t;
    valid &= Interval(0, 100);
  }
  int LoadMapFiles(TimeValue t) override {
    loadedAt = t;
    return 1;
  }
  bool uvMode = true;
  TimeValue updatedAt = -1, loadedAt = -1;
};

// A light that reaches the point with a fixed colour and coefficient.
class FixedLight : public LightDesc {
 public:
  FixedLight(Color c, float k, bool reaches) : colour(c), coefficient(k), reaches_(reaches) {}
  BOOL Illuminate(ShadeContext&, Point3&, Color& c, Point3& dir, float& dot, float& k) override {
    c = colour;
    dir = Point3(0, 0, 1);
    dot = coefficient;
    k = coefficient;
    return reaches_;
  }
  Color colour;
  float coefficient;
  bool reaches_;
};

class LitContext : public ShadeContext {
 public:
  LightDesc* Light(int n) override { return n >= 0 && n < static_cast<int>(lights.size()) ? lights[n] : nullptr; }
  std::vector<LightDesc*> lights;
};

void expectColour(const Color& c, float r, float g, float b) {
  EXPECT_NEAR(c.r, r, 1e-5);
  EXPECT_NEAR(c.g, g, 1e-5);
  EXPECT_NEAR(c.b, b, 1e-5);
}

}  // namespace

TEST(InkMaterialBlockTest, FourRolloutsAnd29Parameters) {
  ParamBlockDesc2& b = *GetInkMtlParamBlockDesc();
  EXPECT_EQ(b.int_name, L"InkMaterialParameters");
  EXPECT_EQ(b.ID, 0);
  ASSERT_EQ(b.Count(), 29);
  ASSERT_EQ(b.Rollouts().size(), 4u);
  for (int m = 0; m < 4; ++m) {
    EXPECT_EQ(b.Rollouts()[m].dialogId, 250 + m);
    EXPECT_EQ(b.Rollouts()[m].titleId, 60 + m);
  }
  for (int i = 0; i < b.Count(); ++i) {
    const ParamDef& p = b.GetParamDefByIndex(i);
    EXPECT_EQ(p.id, i);
    const bool animatable = p.type == TYPE_FLOAT || p.type == TYPE_RGBA;
    EXPECT_EQ((p.flags & P_ANIMATABLE) != 0, animatable) << host::narrow(p.internalName);
  }
  EXPECT_EQ(b.GetParamDef(emissionMap)->ui.map, 0);
  EXPECT_TRUE(b.Validate().empty());
}

TEST(InkLookTest, BaseColourIdentities) {
  struct Case {
    Color absorb, scatter;
    float amount;
    Color expected;
  } cases[] = {
      {{0, 0, 0}, {0.3f, 0.6f, 0.9f}, 0.f, {1, 1, 1}},                   // nothing absorbed: white
      {{2, 5, 9}, {0.3f, 0.6f, 0.9f}, 1.f, {0.3f, 0.6f, 0.9f}},          // all scatter
      {{1, 0, 0}, {0, 0, 0}, 0.f, {std::exp(-0.9f), 1, 1}},             // absorption alone
      {{0, 0, 0}, {0, 0, 0}, 0.5f, {0.5f, 0.5f, 0.5f}},                  // halfway to black scatter
  };
  for (const Case& c : cases) {
    const Color base = inklook::baseColor(c.absorb, c.scatter, c.amount);
    expectColour(base, c.expected.r, c.expected.g, c.expected.b);
  }
}

TEST_F(InkMtlTest, HostQueriesFollowTheLook) {
  pb.SetValue(absorbColor, 0, Color(0, 0, 0));
  pb.SetValue(scatterAmount, 0, 0.f);
  mtl->Validity(0);
  expectColour(mtl->GetDiffuse(), 1, 1, 1);
  expectColour(mtl->GetAmbient(), 0.2f, 0.2f, 0.2f);
  pb.SetValue(emissionColor, 0, Color(0.5f, 1, 0));
  pb.SetValue(emissionAmount, 0, 2.f);
  pb.SetValue(opacity, 0, 0.25f);
  expectColour(mtl->GetSelfIllumColor(), 1, 2, 0);
  EXPECT_FLOAT_EQ(mtl->GetXParency(), 0.75f);
}

TEST_F(InkMtlTest, ShadesLitBaseColourPlusEmissionWithTransparency) {
  pb.SetValue(absorbColor, 0, Color(0, 0, 0));
  pb.SetValue(scatterAmount, 0, 0.f);  // base = white
  pb.SetValue(ambient, 0, 0.5f);
  pb.SetValue(opacity, 0, 0.f);
  LitContext sc;
  sc.ambientLight = Color(0.2f, 0.2f, 0.2f);
  mtl->Shade(sc);  // no lights: full light
  expectColour(sc.out.c, 1.1f, 1.1f, 1.1f);
  expectColour(sc.out.t, 1, 1, 1);  // opacity 0: fully transparent

  FixedLight key({0.5f, 0.5f, 0.5f}, 0.8f, true), back({1, 1, 1}, -1.f, true), off({9, 9, 9}, 1.f, false);
  sc.lights = {&key, &back, &off};
  sc.nLights = 3;
  pb.SetValue(emissionColor, 0, Color(1, 0, 0));
  pb.SetValue(emissionAmount, 0, 0.5f);
  mtl->Shade(sc);  // L = 0.4 from the key only; plus ambient 0.1 and emission
  expectColour(sc.out.c, 1.0f, 0.5f, 0.5f);
}

TEST_F(InkMtlTest, ColourMapMixesByStrength) {
  auto* map = new UVMap();
  map->uvMode = false;
  pb.SetValue(absorbColor, 0, Color(0, 0, 0));
  pb.SetValue(scatterAmount, 0, 0.f);
  pb.SetValue(colorMap, 0, static_cast<Texmap*>(map));
  pb.SetValue(colorStrength, 0, 0.5f);
  pb.SetValue(ambient, 0, 0.f);
  ShadeContext sc;
  sc.uvw = Point3(0.6f, 0.f, 0.f);
  mtl->Shade(sc);
  expectColour(sc.out.c, 0.8f, 0.625f, 0.75f);
}

TEST_F(InkMtlTest, TwoMapSlotsStoreIntoTheirParameters) {
  ASSERT_EQ(mtl->NumSubTexmaps(), 2);
  EXPECT_EQ(mtl->GetSubTexmapSlotName(0), L"Colour map");
  EXPECT_EQ(mtl->GetSubTexmapSlotName(1), L"Emission map");
  EXPECT_EQ(mtl->GetSubTexmapSlotName(2), L"");
  auto* a = new UVMap();
  auto* b = new UVMap();
  const int before = GetInkMtlParamBlockDesc()->UIInvalidations();
  mtl->SetSubTexmap(0, a);
  mtl->SetSubTexmap(1, b);
  mtl->SetSubTexmap(5, a);  // no such slot: ignored
  EXPECT_EQ(pb.GetTexmap(colorMap), a);
  EXPECT_EQ(pb.GetTexmap(emissionMap), b);
  EXPECT_EQ(mtl->GetSubTexmap(1), b);
  EXPECT_EQ(mtl->GetSubTexmap(-1), nullptr);
  EXPECT_GT(GetInkMtlParamBlockDesc()->UIInvalidations(), before);
}

TEST_F(InkMtlTest, ValidityIsTheBlocksAndTheMapsAndEmptiesOnChange) {
  EXPECT_EQ(mtl->Validity(10), FOREVER);
  auto* map = new UVMap();  // valid over 0..100
  mtl->SetSubTexmap(1, map);
  EXPECT_EQ(mtl->Validity(10), Interval(0, 100));
  EXPECT_EQ(map->updatedAt, 10);
  AnimateOn();
  pb.SetValue(density, 0, 2.f);
  pb.SetValue(density, 4800, 3.f);
  AnimateOff();
  EXPECT_EQ(mtl->Validity(2400), Interval(2400, 2400));  // between keys: an instant
}

TEST_F(InkMtlTest, ResetRestoresDefaultsAndCloneCopiesTheBlock) {
  pb.SetValue(opacity, 0, 0.5f);
  mtl->SetName(L"Ink blue");
  RemapDir remap;
  auto* copy = static_cast<InkMtl*>(mtl->Clone(remap));
  EXPECT_FLOAT_EQ(copy->pblock2->GetFloat(opacity), 0.5f);
  EXPECT_EQ(copy->GetName(), L"Ink blue");
  EXPECT_NE(copy->pblock2, mtl->pblock2);
  copy->DeleteThis();
  mtl->Reset();
  EXPECT_FLOAT_EQ(mtl->pblock2->GetFloat(opacity), 1.f);
  EXPECT_EQ(mtl->pblock2->GetInt(colorMode), 3);
}

TEST_F(InkMtlTest, OnlyInkMaterialsAnswerTheInkInterface) {
  auto* ink = static_cast<IInkMaterial*>(mtl->GetInterface(INK_MATERIAL_INTERFACE_ID));
  ASSERT_NE(ink, nullptr);
  EXPECT_EQ(ink->GetInkParamBlock(), mtl->pblock2);
  host::StdMat standard;
  EXPECT_EQ(standard.GetInterface(INK_MATERIAL_INTERFACE_ID), nullptr);
}

TEST(BakeSCTest, SamplesCellCentresRowByRow) {
  UVMap map;
  std::vector<float> rgb;
  ASSERT_TRUE(inklook::BakeSC::Bake(&map, 480, 4, 2, rgb));
  ASSERT_EQ(rgb.size(), 4u * 2u * 3u);
  EXPECT_FLOAT_EQ(rgb[0], 0.125f);  // row 0, column 0
  EXPECT_FLOAT_EQ(rgb[1], 0.25f);
  EXPECT_FLOAT_EQ(rgb[3 * 3], 0.875f);     // row 0, column 3
  EXPECT_FLOAT_EQ(rgb[3 * 4 + 1], 0.75f);  // row 1
  EXPECT_EQ(map.updatedAt, 480);
  EXPECT_EQ(map.loadedAt, 480);
}

TEST(BakeSCTest, AMapThatVariesOnlyInUGivesIdenticalRows) {
  UVMap map;
  map.uvMode = false;
  std::vector<float> rgb;
  ASSERT_TRUE(inklook::BakeSC::Bake(&map, 0, 32, 32, rgb));
  const std::vector<float> first(rgb.begin(), rgb.begin() + 32 * 3);
  for (int row = 1; row < 32; ++row)
    EXPECT_TRUE(std::equal(first.begin(), first.end(), rgb.begin() + row * 32 * 3)) << row;
  expectColour(inklook::meanColor(rgb), 0.5f, 0.25f, 0.5f);
}

TEST(BakeSCTest, ReportsAFixedContextAndRefusesBadGrids) {
  inklook::BakeSC sc(96);
  EXPECT_EQ(sc.CurTime(), 96);
  EXPECT_EQ(sc.Normal(), Point3(0, 0, 1));
  EXPECT_EQ(sc.V(), Point3(0, 0, -1));
  sc.SetView(Point3(1, 0, 0));
  EXPECT_EQ(sc.V(), Point3(1, 0, 0));
  EXPECT_EQ(sc.ObjectBox().pmin, Point3(-1, -1, -1));
  EXPECT_EQ(sc.ObjectBox().pmax, Point3(1, 1, 1));
  EXPECT_EQ(sc.nLights, 0);
  EXPECT_EQ(sc.P(), Point3());
  EXPECT_EQ(sc.DP(), Point3());
  UVMap map;
  std::vector<float> rgb{1, 2, 3};
  EXPECT_FALSE(inklook::BakeSC::Bake(nullptr, 0, 4, 4, rgb));
  EXPECT_TRUE(rgb.empty());
  EXPECT_FALSE(inklook::BakeSC::Bake(&map, 0, 0, 4, rgb));
  EXPECT_FALSE(inklook::BakeSC::Bake(&map, 0, 4, -3, rgb));
  EXPECT_FALSE(inklook::BakeSC::Bake(&map, 0, 100000, 100000, rgb));
  EXPECT_TRUE(inklook::meanColor({}) == Color());
}
