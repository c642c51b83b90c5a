// What the renderer takes from the parameters and the scene's lights: every
// field from its parameter, lights in ink space in their order and scale.
#include <gtest/gtest.h>

#include <cmath>

#include "common/NodeTriMesh.h"
#include "host/runtime/CameraLight.h"
#include "host/runtime/Geometry.h"
#include "host/runtime/Materials.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "formats/image/Exr.h"
#include "ink/HdriCache.h"
#include "ink/InkObject.h"
#include "ink/AssembleGathering.h"
#include "ink/InkParams.h"
#include "ink/LightGathering.h"
#include "ink/MaterialGathering.h"
#include "ink/material/InkMtl.h"
#include "ink/material/InkMtlParams.h"
#include "ink/RenderParamsGathering.h"
#include "ink/render/Projection.h"
#include "ink/render/RenderCamera.h"
#include "ink/render/RenderHost.h"
#include "ink/render/RenderOutput.h"
#include "ink/SceneTriangleGathering.h"
#include "orb/OrbMeshBuffers.h"
#include "orb/OrbObject.h"

namespace {
namespace pid = ink::param;

struct RenderGatheringTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  InkObject* ink = static_cast<InkObject*>(static_cast<Animatable*>(GetInkDesc()->Create(FALSE)));
  INode* inkNode = core.CreateObjectNode(ink, L"Ink");
  IParamBlock2& pb = *ink->GetParamBlock(0);

  void TearDown() override { core.ResetScene(); }
  INode* light(const MCHAR* name, LightType type, Point3 colour, float intensity, Point3 position, bool on = true) {
    auto* l = new GenLight(type);
    l->color.SetConstant(colour);
    l->intensity.SetConstant(intensity);
    l->on = on;
    INode* node = core.CreateObjectNode(l, name);
    node->Transform().position.SetConstant(position);
    return node;
  }
};

TEST_F(RenderGatheringTest, EveryFieldComesFromItsParameter) {
  pb.SetValue(pid::absorbG, 0, 0.25f);
  pb.SetValue(pid::glassIOR, 0, 1.33f);
  pb.SetValue(pid::bubbles, 0, 17);
  pb.SetValue(pid::glassSolid, 0, 1);
  pb.SetValue(pid::falloffEdgeB, 0, 0.75f);
  pb.SetValue(pid::reflMode, 0, 3);
  pb.SetValue(pid::envRotation, 0, 90.f);
  pb.SetValue(pid::seed, 0, 7);
  pb.SetValue(pid::colorMode, 0, 6);
  pb.SetValue(pid::renderPasses, 0, 1);
  ink::RenderSettings s;
  ink::readRenderParams(pb, 9600, s);
  EXPECT_EQ(s.absorbG, 0.25f);
  EXPECT_EQ(s.glassIOR, 1.33f);
  EXPECT_EQ(s.bubbles, 17);
  EXPECT_TRUE(s.glassSolid);
  EXPECT_EQ(s.falloffEdgeB, 0.75f);
  EXPECT_EQ(s.reflMode, 3);
  EXPECT_FLOAT_EQ(s.envRotation, 1.5707964f);
  EXPECT_EQ(s.time, 2.f);
  EXPECT_EQ(s.seedHash, static_cast<std::int32_t>(7u * 747796405u - 1403630843u));
  EXPECT_EQ(s.mapMode, 1);
  EXPECT_EQ(s.mapAxis, (orb::Vec{1, 0, 0}));
  EXPECT_EQ(s.passes, 1);
  // What gathering leaves alone keeps the constructed defaults.
  EXPECT_EQ(s.glassRadiusFactor, 1.015f);
  EXPECT_EQ(s.width, 960);
  EXPECT_EQ(s.lightDirection, (orb::Vec{-0.35f, -0.45f, 0.82f}));

  std::int32_t mode = -1;
  orb::Vec axis{};
  for (auto [colorMode, want, wantAxis] : {std::tuple{0, 0, orb::Vec{0, 0, 1}}, {1, 1, {0, 0, 1}}, {4, 4, {0, 0, 1}},
                                           {7, 1, {0, 1, 0}}}) {
    ink::colourMapMode(colorMode, mode, axis);
    EXPECT_EQ(mode, want) << colorMode;
    EXPECT_EQ(axis, wantAxis) << colorMode;
  }
}

TEST_F(RenderGatheringTest, LightsArriveInInkSpaceStrongestFirstAndScaled) {
  inkNode->Transform().position.SetConstant(Point3(0.f, 0.f, 10.f));
  inkNode->Transform().rotation.SetConstant(Point3(0.f, 0.f, 90.f));  // ink x is world y
  pb.SetValue(pid::useSceneLights, 0, 1);
  pb.SetValue(pid::lightScale, 0, 2.f);
  pb.SetValue(pid::lightIntensity, 0, 1.5f);
  light(L"Ambient", AMBIENT_LIGHT, Point3(5, 5, 5), 1.f, Point3(0, 0, 0));
  light(L"Off", OMNI_LIGHT, Point3(9, 9, 9), 1.f, Point3(0, 0, 50), false);
  light(L"Key", OMNI_LIGHT, Point3(1.f, 0.5f, 0.5f), 2.f, Point3(0.f, 100.f, 10.f));  // along world y
  INode* sun = light(L"Sun", DIR_LIGHT, Point3(0.5f, 0.5f, 0.5f), 1.f, Point3(0, 0, 0));
  sun->Transform().rotation.SetConstant(Point3(90.f, 0.f, 0.f));  // local z turned to world −y
  light(L"AtOrigin", OMNI_LIGHT, Point3(1, 1, 1), 1.f, Point3(0, 0, 10));  // no direction: dropped

  std::vector<ink::RenderLight> lights = ink::gatherSceneLights(pb, inkNode, 0);
  ASSERT_EQ(lights.size(), 2u);
  // Key: colour (2, 1, 1), the largest component 2 → scaled by 3 / 2.
  EXPECT_NEAR(lights[0].direction.x, 1.f, 1e-5f);
  EXPECT_NEAR(lights[0].direction.y, 0.f, 1e-5f);
  EXPECT_EQ(lights[0].colour, (orb::Vec{3.f, 1.5f, 1.5f}));
  EXPECT_NEAR(lights[1].direction.x, -1.f, 1e-5f);  // world −y is ink −x
  EXPECT_NEAR(lights[1].direction.z, 0.f, 1e-5f);
  EXPECT_EQ(lights[1].colour, (orb::Vec{0.75f, 0.75f, 0.75f}));

  // A listed light counts even when off; the list filters the others out.
  INode* off = core.GetINodeByName(L"Off");
  pb.Append(pid::lightObjects, 1, &off);
  lights = ink::gatherSceneLights(pb, inkNode, 0);
  ASSERT_EQ(lights.size(), 1u);
  EXPECT_EQ(lights[0].colour, (orb::Vec{3.f, 3.f, 3.f}));

  pb.SetValue(pid::useSceneLights, 0, 0);
  EXPECT_TRUE(ink::gatherSceneLights(pb, inkNode, 0).empty());
}

TEST_F(RenderGatheringTest, OnlyAmbientOrBlackLightsGiveNoneAndNineGiveEight) {
  pb.SetValue(pid::useSceneLights, 0, 1);
  light(L"Ambient", AMBIENT_LIGHT, Point3(1, 1, 1), 1.f, Point3(0, 0, 0));
  light(L"Black", OMNI_LIGHT, Point3(0, 0, 0), 1.f, Point3(0, 0, 50));
  EXPECT_TRUE(ink::gatherSceneLights(pb, inkNode, 0).empty());
  for (int i = 1; i <= 9; ++i)
    light((L"L" + std::to_wstring(i)).c_str(), OMNI_LIGHT, Point3(1, 1, 1), static_cast<float>(i), Point3(0, 0, 50));
  const std::vector<ink::RenderLight> lights = ink::gatherSceneLights(pb, inkNode, 0);
  ASSERT_EQ(lights.size(), 8u);
  EXPECT_FLOAT_EQ(lights[0].colour.x, pb.GetFloat(pid::lightScale, 0) * pb.GetFloat(pid::lightIntensity, 0));
  EXPECT_FLOAT_EQ(lights[7].colour.x, lights[0].colour.x * 2.f / 9.f);  // the weakest (1) and black are cut
}

TEST_F(RenderGatheringTest, TheLightDirectionObjectPointsTheDefaultLight) {
  const orb::Vec fallback{-0.35f, -0.45f, 0.82f};
  EXPECT_EQ(ink::defaultLightDirection(pb, inkNode, 0, fallback), fallback);
  INode* target = core.CreateObjectNode(new GenLight(), L"Dir");
  target->Transform().position.SetConstant(Point3(0.f, 3.f, 4.f));
  pb.SetValue(pid::lightObject, 0, target);
  EXPECT_EQ(ink::defaultLightDirection(pb, inkNode, 0, fallback), (orb::Vec{0.f, 0.6f, 0.8f}));
  target->Transform().position.SetConstant(Point3(0.f, 0.f, 5e-5f));  // at the origin: no direction
  EXPECT_EQ(ink::defaultLightDirection(pb, inkNode, 0, fallback), fallback);
}

TEST_F(RenderGatheringTest, SceneObjectsCatchersMattesAndOccludersBecomeInkSpaceTriangles) {
  inkNode->Transform().position.SetConstant(Point3(100.f, 0.f, 0.f));
  pb.SetValue(pid::viewportCount, 0, 1000);
  auto* multi = new host::MultiMtl();
  auto* red = new host::StdMat();
  red->diffuse = Color(1, 0, 0);
  auto* blue = new host::StdMat();
  blue->diffuse = Color(0, 0, 1);
  multi->SetSubMtl(0, red);
  multi->SetSubMtl(1, blue);
  INode* box = core.CreateObjectNode(new host::BoxObject(Point3(2, 2, 2)), L"Box");  // ids 0-5 on its sides
  box->SetMtl(multi);
  INode* floor = core.CreateObjectNode(new host::PlaneObject(10, 10), L"Floor");
  floor->SetWireColor(0x00FF8000);  // blue 0, green 128, red 0
  INode* hidden = core.CreateObjectNode(new host::PlaneObject(10, 10), L"Hidden");
  hidden->Hide(TRUE);
  auto* orbObject = static_cast<Object*>(static_cast<Animatable*>(GetOrbDesc()->Create(FALSE)));
  INode* orbNode = core.CreateObjectNode(orbObject, L"Orb");
  INode* scene[] = {box, orbNode, hidden};
  pb.Append(pid::sceneObjects, 3, scene);
  pb.Append(pid::shadowCatchers, 1, &floor);

  const std::vector<ink::SceneTriangle> tris = ink::gatherSceneTriangles(pb, inkNode, 0);
  common::NodeTriMesh orbMesh(*orbNode, 0);
  std::size_t veilFaces = 0;
  for (const Face& f : orbMesh.mesh()->faces) veilFaces += f.getMatID() == orb::kVeilFront || f.getMatID() == orb::kVeilBack;
  ASSERT_GT(veilFaces, 0u);
  ASSERT_EQ(tris.size(), 12u + veilFaces + 2u);
  for (std::size_t i = 0; i < 12; ++i) {  // the box: sides alternate between red (even ids) and blue (odd ids)
    const int id = static_cast<int>(i / 2);
    EXPECT_EQ(tris[i].colour, id % 2 ? (orb::Vec{0, 0, 1}) : (orb::Vec{1, 0, 0})) << i;
    EXPECT_EQ(tris[i].kind, 0.f);
    EXPECT_NEAR(tris[i].v0.x, -100.f, 1.01f);  // in ink space, the box sits 100 to the ink's −x
  }
  const ink::SceneTriangle& catcher = tris.back();
  EXPECT_EQ(catcher.kind, 1.f);
  EXPECT_EQ(catcher.colour, (orb::Vec{0.f, 128.f / 255.f, 1.f}));

  INode* matte = core.CreateObjectNode(new host::PlaneObject(4, 4), L"Matte");
  INode* occluder = core.CreateObjectNode(new host::BoxObject(), L"Occluder");
  pb.Append(pid::matteObjects, 1, &matte);
  pb.Append(pid::occluderObjects, 1, &occluder);
  const std::vector<ink::MatteTriangle> mattes = ink::gatherMatteTriangles(pb, inkNode, 0);
  ASSERT_EQ(mattes.size(), 14u);
  EXPECT_EQ(mattes.front().kind, 1.f);
  EXPECT_EQ(mattes.back().kind, 0.f);
}

TEST(HdriTest, LargeImagesAreReducedByBlockMeans) {
  EXPECT_EQ(ink::hdriReduction(5000, 3000), 4);  // 5000 / 4 = 1250 ≤ 2048
  EXPECT_EQ(ink::hdriReduction(2048, 100), 1);
  EXPECT_EQ(ink::hdriReduction(1, 2049), 2);

  // 5 × 3 by 2: two blocks across and one down; the last column is cut off.
  std::vector<float> rgb(5 * 3 * 3);
  for (int i = 0; i < 15; ++i) rgb[3 * i] = static_cast<float>(i), rgb[3 * i + 1] = 1.f, rgb[3 * i + 2] = -1.f;
  std::vector<float> out;
  int w = 0, h = 0;
  ink::reduceRgb(rgb.data(), 5, 3, 2, out, w, h);
  ASSERT_EQ(w, 2);
  ASSERT_EQ(h, 1);
  EXPECT_EQ(out[0], (0.f + 1.f + 5.f + 6.f) / 4.f);
  EXPECT_EQ(out[3], (2.f + 3.f + 7.f + 8.f) / 4.f);
  EXPECT_EQ(out[4], 1.f);
  EXPECT_EQ(out[5], -1.f);

  // Through the bitmap manager, cached by path.
  const std::string file = std::string(::testing::TempDir()) + "hdri_4100x8.exr";
  std::vector<float> image(std::size_t{4100} * 8, 0.5f);
  image[0] = 4.f;
  const formats::ExrChannel channels[] = {{"R", false, image.data(), 1}, {"G", false, image.data(), 1},
                                          {"B", false, image.data(), 1}};
  std::string status;
  ASSERT_TRUE(formats::writeExr(file, 4100, 8, channels, status)) << status;
  ink::HdriCache cache;
  cache.update(file);
  ASSERT_TRUE(cache.loaded());
  EXPECT_EQ(cache.width(), 1025);  // reduced by 4
  EXPECT_EQ(cache.height(), 2);
  EXPECT_FLOAT_EQ(cache.pixels()[0], (4.f + 15 * 0.5f) / 16.f);
  EXPECT_FLOAT_EQ(cache.pixels()[3], 0.5f);
  std::remove(file.c_str());
  cache.update(file);  // the same path is not read again
  EXPECT_TRUE(cache.loaded());
  cache.update(file + ".missing");
  EXPECT_FALSE(cache.loaded());
  EXPECT_EQ(cache.pixels(), nullptr);
}

host::GradientMap* blackToWhite() {
  auto* map = new host::GradientMap();
  map->colors = {AColor(0, 0, 0, 1), AColor(1, 1, 1, 1)};
  return map;
}

TEST_F(RenderGatheringTest, AnInkMaterialOverridesTheLookWithItsOwnMaps) {
  auto* mtl = static_cast<Mtl*>(static_cast<Animatable*>(GetInkMtlDesc()->Create(FALSE)));
  IParamBlock2& m = *static_cast<IInkMaterial*>(mtl->GetInterface(INK_MATERIAL_INTERFACE_ID))->GetInkParamBlock();
  namespace mp = inkmtl::param;
  m.SetValue(mp::absorbColor, 0, Color(0.1f, 0.2f, 0.3f));
  m.SetValue(mp::density, 0, 2.f);
  m.SetValue(mp::opacity, 0, 0.5f);
  m.SetValue(mp::emissionColor, 0, Color(1.f, 1.f, 0.f));
  m.SetValue(mp::emissionMap, 0, blackToWhite());  // mean 0.5
  m.SetValue(mp::colorMap, 0, blackToWhite());
  m.SetValue(mp::colorMode, 0, 0);  // the axis mode for an ink material
  m.SetValue(mp::edgeColor, 0, Color(0.f, 1.f, 0.f));
  pb.SetValue(pid::particleMtl, 0, mtl);
  ink::RenderSettings s;
  ink::BakedMap map;
  ink::applyParticleMaterial(pb, 0, s, map);
  EXPECT_EQ(s.absorbG, 0.2f);
  EXPECT_EQ(s.pointBrightness, 1.f);
  EXPECT_NEAR(s.emitR, 0.5f, 0.02f);
  EXPECT_EQ(s.emitB, 0.f);
  EXPECT_EQ(s.falloffEdgeG, 1.f);
  EXPECT_EQ(s.mapMode, 1);
  ASSERT_EQ(map.width, 256);
  ASSERT_EQ(map.rgb.size(), 256u * 256u * 3u);
  EXPECT_LT(map.rgb[0], map.rgb[3 * 256 * 255]);  // black to white from the first row to the last
  ink::useColourMap(map, s);
  EXPECT_EQ(s.colorMap, map.rgb.data());
}

TEST_F(RenderGatheringTest, OtherMaterialsGiveTheirDiffuseGlowAndTransparency) {
  auto* standard = new host::StdMat();
  standard->diffuse = Color(0.2f, 0.4f, 0.6f);
  standard->opacity = 0.25f;
  standard->selfIllum = 0.5f;
  pb.SetValue(pid::particleMtl, 0, standard);
  ink::RenderSettings s;
  s.pointBrightness = 2.f;
  ink::BakedMap map;
  ink::applyParticleMaterial(pb, 0, s, map);
  EXPECT_EQ(map.rgb, (std::vector<float>{0.2f, 0.4f, 0.6f}));  // no diffuse map: the colour as 1 × 1
  EXPECT_EQ(s.mapMode, 3);                                      // the sphere mode when colorMode is 0
  EXPECT_EQ(s.colorStrength, 1.f);
  EXPECT_EQ((orb::Vec{s.emitR, s.emitG, s.emitB}), (orb::Vec{0.1f, 0.2f, 0.3f}));
  EXPECT_EQ(s.emitAmount, 1.f);
  EXPECT_EQ(s.pointBrightness, 0.5f);  // 2 × (1 − transparency 0.75)

  standard->SetDiffuseMap(blackToWhite());
  standard->selfIllum = 0.f;
  ink::RenderSettings plain;
  ink::applyParticleMaterial(pb, 0, plain, map);
  EXPECT_EQ(map.width, 256);  // the map in the "Diffuse Color" slot
  EXPECT_EQ(plain.emitAmount, 0.f);
}

// A scene with everything the renderer gathers: the records the rules imply.
TEST_F(RenderGatheringTest, ARichSceneGathersIntoOneFreshRecord) {
  pb.SetValue(pid::viewportCount, 0, 1000);
  pb.SetValue(pid::renderCount, 0, 2000);
  pb.SetValue(pid::useSceneLights, 0, 1);
  light(L"Ambient", AMBIENT_LIGHT, Point3(1, 1, 1), 1.f, Point3(0, 0, 0));
  light(L"Off", OMNI_LIGHT, Point3(1, 1, 1), 1.f, Point3(0, 0, 80), false);
  light(L"Key", OMNI_LIGHT, Point3(1.f, 0.9f, 0.8f), 1.f, Point3(-50, -60, 100));
  INode* floor = core.CreateObjectNode(new host::PlaneObject(400, 400), L"Floor");
  floor->Transform().position.SetConstant(Point3(0, 0, -60));
  INode* box = core.CreateObjectNode(new host::BoxObject(Point3(20, 20, 20)), L"Box");
  INode* matte = core.CreateObjectNode(new host::PlaneObject(30, 30), L"Matte");
  pb.Append(pid::shadowCatchers, 1, &floor);
  pb.Append(pid::sceneObjects, 1, &box);
  pb.Append(pid::matteObjects, 1, &matte);
  auto* mtl = static_cast<Mtl*>(static_cast<Animatable*>(GetInkMtlDesc()->Create(FALSE)));
  static_cast<IInkMaterial*>(mtl->GetInterface(INK_MATERIAL_INTERFACE_ID))
      ->GetInkParamBlock()
      ->SetValue(inkmtl::param::colorMap, 0, blackToWhite());
  pb.SetValue(pid::particleMtl, 0, mtl);
  const std::string hdr = std::string(::testing::TempDir()) + "gather_env.exr";
  std::vector<float> sky(64 * 32, 0.25f);
  const formats::ExrChannel channels[] = {{"R", false, sky.data(), 1}, {"G", false, sky.data(), 1},
                                          {"B", false, sky.data(), 1}};
  std::string status;
  ASSERT_TRUE(formats::writeExr(hdr, 64, 32, channels, status));
  pb.SetValue(pid::envFile, 0, host::widen(hdr).c_str());

  ink::EvaluatedSources sources;
  ASSERT_TRUE(ink->Evaluate(0, ink::EvalMode::Render, sources)) << ink->StatusText();
  ink::RenderSettings s;
  s.lightCount = 99;  // gathering starts from a fresh record
  ASSERT_TRUE(ink->GatherRender(0, 320, 240, &sources, s)) << ink->StatusText();
  EXPECT_EQ(s.width, 320);
  EXPECT_EQ(s.height, 240);
  ASSERT_EQ(s.lightCount, 1);  // the ambient and the off light are left out
  EXPECT_FLOAT_EQ(s.lights[0].colour.x, pb.GetFloat(pid::lightScale, 0) * pb.GetFloat(pid::lightIntensity, 0));
  ASSERT_EQ(s.sceneTriangleCount, 14);  // the box's 12 and the floor's 2
  EXPECT_EQ(s.sceneTriangles[12].kind, 1.f);
  EXPECT_EQ(s.matteTriangleCount, 2);
  EXPECT_EQ(s.colorMapWidth, 256);
  ASSERT_NE(s.hdri, nullptr);
  EXPECT_EQ(s.hdriWidth, 64);
  EXPECT_EQ(s.hdri[0], 0.25f);
  EXPECT_EQ(s.sourceCount, 1);
  EXPECT_EQ(s.sourceGroups[0], 0);
  EXPECT_EQ(s.frameRate, 30.f);
  EXPECT_EQ(s.inkParams.loopSeconds, pb.GetFloat(pid::loopSeconds, 0));
  EXPECT_EQ(s.sceneExtent, 0.f);  // nothing reaches beyond the orb
  EXPECT_EQ(s.glass, pb.GetInt(pid::glass, 0) != 0);
  std::remove(hdr.c_str());
}

TEST_F(RenderGatheringTest, AssemblySourcesAndContainersWidenTheScene) {
  pb.SetValue(pid::viewportCount, 0, 1000);
  pb.SetValue(pid::renderCount, 0, 2000);
  pb.SetValue(pid::glass, 0, 1);
  INode* ball = core.CreateObjectNode(new host::SphereObject(10.f, 8), L"Ball");
  ball->Transform().position.SetConstant(Point3(100, 0, 0));
  INode* crate = core.CreateObjectNode(new host::BoxObject(Point3(4, 6, 8)), L"Crate");
  crate->Transform().position.SetConstant(Point3(0, -30, 0));
  pb.SetValue(pid::assembleSource1, 0, ball);
  pb.SetValue(pid::assembleSource2, 0, crate);
  pb.SetValue(pid::assembleOn, 0, 1);
  pb.SetValue(pid::assembleProgress, 0, 0.5f);
  pb.SetValue(pid::assembleArc, 0, -0.2f);
  pb.SetValue(pid::assembleNoise, 0, 0.1f);
  const ink::AssembleParams a = ink::assembleRecord(pb, inkNode, 0);
  ASSERT_EQ(a.shapeCount, 2);
  EXPECT_EQ(a.shape[0].ellipsoid, 1);  // the sphere fills as an ellipsoid
  EXPECT_EQ(a.shape[1].ellipsoid, 0);
  EXPECT_NEAR(a.shape[0].centre.x, 100.f, 1e-3f);
  EXPECT_NEAR(a.shape[1].axis[2].z, 4.f, 1e-4f);
  EXPECT_NEAR(ink::assembleShapesReach(a), 110.f, 1e-3f);

  ink::EvaluatedSources sources;
  ASSERT_TRUE(ink->Evaluate(0, ink::EvalMode::Render, sources));
  ink::RenderSettings s;
  ASSERT_TRUE(ink->GatherRender(0, 64, 64, nullptr, s));
  const float radius = pb.GetFloat(pid::radius, 0);
  EXPECT_NEAR(s.sceneExtent, (0.2f + 2.f * 0.1f) * radius + 110.f + 1.f, 1e-3f);
  EXPECT_TRUE(s.glass);

  // A container reaching farther than the orb widens it and turns the glass off.
  pb.SetValue(pid::assembleOn, 0, 0);
  INode* tank = core.CreateObjectNode(new host::BoxObject(Point3(160, 160, 160)), L"Tank");
  pb.SetValue(pid::containerObject, 0, tank);
  pb.SetValue(pid::containerRes, 0, 16);
  ASSERT_TRUE(ink->Evaluate(0, ink::EvalMode::Render, sources)) << ink->StatusText();
  ASSERT_TRUE(ink->GatherRender(0, 64, 64, nullptr, s));
  EXPECT_FALSE(s.glass);
  EXPECT_NEAR(s.sceneExtent, 1.02f * ink->Evaluation().container().grid.largestCoordinate(), 1e-3f);
  EXPECT_GE(s.sceneExtent, 80.f);
}

// The gathered scene through the renderer: the ink, lit from above, darkens
// the floor catcher below it.
TEST_F(RenderGatheringTest, TheGatheredFloorCatchesTheInksShadow) {
  pb.SetValue(pid::renderCount, 0, 20000);
  pb.SetValue(pid::useSceneLights, 0, 1);
  pb.SetValue(pid::glass, 0, 0);
  pb.SetValue(pid::caustics, 0, 0);
  pb.SetValue(pid::gridRes, 0, 64);
  light(L"Sun", DIR_LIGHT, Point3(1, 1, 1), 1.f, Point3(0, 0, 0));  // shining straight down
  INode* floor = core.CreateObjectNode(new host::PlaneObject(400, 400), L"Floor");
  floor->Transform().position.SetConstant(Point3(0, 0, -60));
  pb.Append(pid::shadowCatchers, 1, &floor);
  auto* cameraObject = new GenCamera();
  INode* camera = core.CreateObjectNode(cameraObject, L"Cam");
  camera->Transform().position.SetConstant(Point3(0, -260, 120));
  camera->Transform().targetPoint = Track<Point3>(Point3(0, 0, -30));

  ink::EvaluatedSources sources;
  ASSERT_TRUE(ink->Evaluate(0, ink::EvalMode::Render, sources)) << ink->StatusText();
  ink::RenderSettings s;
  constexpr int W = 240, H = 180;
  ASSERT_TRUE(ink->GatherRender(0, W, H, &sources, s));
  const Matrix3 cameraTM = camera->GetNodeTM(0), inkTM = inkNode->GetNodeTM(0);
  const std::optional<ink::Camera> view = ink::buildCamera(&cameraTM, &inkTM, ink::cameraFieldOfView(camera, 0));
  ASSERT_TRUE(view.has_value());
  s.camera = *view;
  ink::RenderHost host;
  std::vector<float> image;
  std::string status;
  ASSERT_TRUE(host.render(s, {}, sources.sources, sources.weights, image, nullptr, status)) << status;
  ASSERT_TRUE(ink::writeFrame(std::string(::testing::TempDir()) + "gathered_catcher.png", image, {}, W, H, {}, status));

  const float tanY = static_cast<float>(H) * s.camera.tanHalfFov / static_cast<float>(W);
  auto luminance = [&](orb::Vec p) {
    const ink::ScreenPoint q = ink::project(s.camera, tanY, W, H, p);
    const std::size_t pixel = static_cast<std::size_t>(std::lround(q.y)) * W + static_cast<std::size_t>(std::lround(q.x));
    return image[4 * pixel] + image[4 * pixel + 1] + image[4 * pixel + 2];
  };
  // Under the orb's edge (seen past the ink) against the open floor beside it.
  const float shadowed = luminance({0.f, 45.f, -60.f}), open = luminance({150.f, 45.f, -60.f});
  EXPECT_GT(open, 0.f);
  EXPECT_LT(shadowed, 0.8f * open) << shadowed << " vs " << open;
}

}  // namespace
