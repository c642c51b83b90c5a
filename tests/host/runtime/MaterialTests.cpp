#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "host/runtime/Materials.h"

using namespace host;

namespace {

AColor at(Texmap& map, float u, float v) {
  ShadeContext sc;
  sc.uvw = Point3(u, v, 0.f);
  return map.EvalColor(sc);
}

void expectColor(const AColor& got, const AColor& want) {
  EXPECT_NEAR(got.r, want.r, 1e-6f);
  EXPECT_NEAR(got.g, want.g, 1e-6f);
  EXPECT_NEAR(got.b, want.b, 1e-6f);
  EXPECT_NEAR(got.a, want.a, 1e-6f);
}

}  // namespace

TEST(StdMat, ReferencesDiffuseMapWithoutOwningReplacedOnes) {
  StdMat mtl;
  auto* first = new ConstantMap();
  auto second = std::make_unique<ConstantMap>();  // destroyed before mtl: the slot must clear
  mtl.SetDiffuseMap(first);
  EXPECT_EQ(mtl.GetSubTexmap(0), first);
  EXPECT_EQ(first->DependentCount(), 1);
  mtl.SetDiffuseMap(second.get());
  EXPECT_EQ(first->DependentCount(), 0);  // still alive: the scene library deletes maps
  delete first;
  EXPECT_EQ(mtl.diffuseMap, second.get());
  second.reset();
  EXPECT_EQ(mtl.diffuseMap, nullptr);
}

TEST(MultiMtl, ChoosesSubMaterialByIdModuloCount) {
  MultiMtl multi;
  EXPECT_EQ(multi.ForMaterialId(3), nullptr);
  EXPECT_EQ(multi.GetDiffuse(3), Color(0.5f, 0.5f, 0.5f));
  StdMat red, green, blue;  // declared after multi: they go first and clear its slots
  red.diffuse = {1, 0, 0};
  green.diffuse = {0, 1, 0};
  blue.diffuse = {0, 0, 1};
  multi.SetSubMtl(2, &blue);  // grows the list, leaving the slots before it empty
  ASSERT_EQ(multi.NumSubMtls(), 3);
  EXPECT_EQ(multi.ForMaterialId(0), nullptr);
  multi.SetSubMtl(0, &red);
  multi.SetSubMtl(1, &blue);
  multi.SetSubMtl(1, &green);
  multi.SetSubMtl(-1, &green);
  EXPECT_EQ(multi.NumSubMtls(), 3);
  EXPECT_EQ(blue.DependentCount(), 1);
  EXPECT_EQ(multi.ForMaterialId(4), &green);
  EXPECT_EQ(multi.ForMaterialId(-1), &blue);
  EXPECT_EQ(multi.GetDiffuse(5), Color(0, 0, 1));
  EXPECT_EQ(multi.GetDiffuse(6), Color(1, 0, 0));
}

TEST(CheckerMap, ParityOfTileIndices) {
  CheckerMap checker;
  checker.color1 = {1, 0, 0, 1};
  checker.color2 = {0, 0, 1, 0.5f};
  checker.tiles = 3;
  expectColor(at(checker, 0.1f, 0.1f), checker.color1);
  expectColor(at(checker, 0.4f, 0.1f), checker.color2);
  expectColor(at(checker, 0.4f, 0.5f), checker.color1);
  expectColor(at(checker, -0.1f, 0.1f), checker.color2);  // floor(-0.3) = -1: odd
  expectColor(at(checker, 1.05f, 0.4f), checker.color1);  // tiles 3 and 1
}

TEST(GradientMap, PiecewiseLinearAlongClampedV) {
  GradientMap g;
  expectColor(at(g, 0.f, 0.5f), {0, 0, 0, 1});
  g.colors = {{0.2f, 0.4f, 0.6f, 1}};
  expectColor(at(g, 0.f, 0.9f), g.colors[0]);
  g.colors = {{0, 0, 0, 0}, {1, 0, 0, 1}, {1, 1, 1, 1}};
  expectColor(at(g, 0.f, 0.25f), {0.5f, 0, 0, 0.5f});
  expectColor(at(g, 0.f, 0.75f), {1, 0.5f, 0.5f, 1});
  expectColor(at(g, 0.f, -2.f), g.colors[0]);
  expectColor(at(g, 0.f, 7.f), g.colors[2]);
  expectColor(at(g, 0.f, NAN), g.colors[0]);
  g.positions = {0.2f, 0.4f, 0.4f};  // a hard edge at 0.4
  expectColor(at(g, 0.f, 0.1f), g.colors[0]);
  expectColor(at(g, 0.f, 0.25f), {0.25f, 0, 0, 0.25f});
  expectColor(at(g, 0.f, 0.4f), {1, 0, 0, 1});
  expectColor(at(g, 0.f, 0.41f), g.colors[2]);
  g.positions = {0.5f};  // not one per colour: evenly spaced
  expectColor(at(g, 0.f, 0.25f), {0.5f, 0, 0, 0.5f});
}
