// The JSON scene loader: a complete scene, and faults that must name the
// node and key and leave the scene empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TestClasses.h"
#include "host/loader/ClassDirectory.h"
#include "host/loader/SceneLoader.h"
#include "host/runtime/CameraLight.h"
#include "host/runtime/Geometry.h"
#include "host/runtime/Materials.h"
#include "host/sdk/Interface.h"
#include "host/sdk/ParamBlock2.h"

using namespace hosttest;

namespace {

struct SceneLoaderTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  host::ClassDirectory classes;
  std::string error;

  void SetUp() override {
    classes.add(widgetDesc());
    classes.add(swatchDesc());
  }
  void TearDown() override { core.ResetScene(); }

  bool load(const std::string& text) { return host::loadSceneText(text, "/scenes", core, classes, error); }
  Widget* widget(const wchar_t* name) { return dynamic_cast<Widget*>(core.GetINodeByName(name)->GetObjectRef()); }

  // Loads a one-node scene whose node has the given extra JSON members.
  bool loadWidget(const std::string& members) {
    return load(R"({"nodes": [{"name": "W", "class": "TestWidget")" + members +
                R"(}, {"name": "P", "class": "point"}], "materials": {"M": {"class": "standard"}},
                   "maps": {"R": {"class": "constant", "color": [1, 0, 0]}}})");
  }
  void expectFault(const std::string& members, const std::string& message) {
    EXPECT_FALSE(loadWidget(members)) << members;
    EXPECT_EQ(error, message);
    EXPECT_TRUE(core.AllNodes().empty()) << "a failed load leaves no scene behind";
  }
};

const char* kGoodScene = R"({
  "fps": 24,
  "range": [10, 50],
  "nodes": [
    {"name": "Widget", "class": "TestWidget", "position": {"keys": [[0, [0, 0, 0]], [10, [10, 0, 0]]]},
     "material": "Look", "wireColor": [1, 0, 0], "hidden": true,
     "params": {"size": {"keys": [[0, 5], [10, 15]]}, "count": 5, "enabled": false, "tint": [0.1, 0.2, 0.3],
                "target": "Pivot", "sources": ["Pivot", "Cam"], "look": "Look", "pattern": "Ramp",
                "cacheFile": "cache/widget.bin", "note": "hello"}},
    {"name": "Pivot", "class": "point", "parent": "Widget", "position": [0, 0, 5],
     "userProps": {"strength": 20, "label": "spin", "on": true}},
    {"name": "Cam", "class": "camera", "fov": 60, "position": [0, -100, 0], "target": "Pivot"},
    {"name": "Sun", "class": "light", "type": "directional", "color": [1, 0.9, 0.8], "intensity": 2,
     "target": [0, 0, 0], "position": [0, 0, 100]},
    {"name": "Box", "class": "box", "size": [2, 4, 6], "rotation": [0, 0, 90], "scale": [2, 2, 2]},
    {"name": "Ball", "class": "sphere", "radius": 3, "segments": 16},
    {"name": "Floor", "class": "plane", "size": [10, 20], "matrix": [[1,0,0],[0,1,0],[0,0,1],[0,0,-5]]},
    {"name": "Tri", "class": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]], "uvs": [[0,0],[1,0],[0,1]]}
  ],
  "materials": {
    "Look": {"class": "TestSwatch", "params": {"colour": [0, 1, 0], "map": "Ramp"}},
    "Grey": {"class": "standard", "diffuse": [0.5, 0.5, 0.5], "diffuseMap": "Ramp"},
    "Both": {"class": "multi", "materials": ["Grey", "Look"]}
  },
  "maps": {"Ramp": {"class": "gradient", "colors": [[0, 0, 0], [1, 1, 1]]}}
})";

}  // namespace

TEST_F(SceneLoaderTest, ReadsACompleteScene) {
  ASSERT_TRUE(load(kGoodScene)) << error;
  EXPECT_EQ(core.GetFrameRate(), 24);
  EXPECT_EQ(core.GetAnimRange(), Interval(10 * 200, 50 * 200));
  EXPECT_EQ(core.AllNodes().size(), 8u);

  Widget* w = widget(L"Widget");
  IParamBlock2& pb = *w->pblock2;
  EXPECT_FLOAT_EQ(pb.GetFloat(kSize, 5 * 200), 10.f);
  EXPECT_EQ(pb.KeyCount(kSize), 2);
  EXPECT_EQ(pb.GetInt(kCount), 5);
  EXPECT_EQ(pb.GetInt(kEnabled), 0);
  EXPECT_EQ(pb.GetColor(kTint), Color(0.1f, 0.2f, 0.3f));
  INode* pivot = core.GetINodeByName(L"Pivot");
  EXPECT_EQ(pb.GetINode(kTarget), pivot);
  ASSERT_EQ(pb.Count(kSources), 2);
  EXPECT_EQ(pb.GetINode(kSources, 0, 1), core.GetINodeByName(L"Cam"));
  EXPECT_EQ(pb.GetMtl(kLook), core.GetINodeByName(L"Widget")->GetMtl());
  EXPECT_NE(dynamic_cast<host::GradientMap*>(pb.GetTexmap(kPattern)), nullptr);
  EXPECT_STREQ(pb.GetStr(kCache), L"/scenes/cache/widget.bin");
  EXPECT_STREQ(pb.GetStr(kNote), L"hello");

  INode* node = core.GetINodeByName(L"Widget");
  EXPECT_TRUE(node->IsHidden());
  EXPECT_EQ(node->GetWireColor(), 0x000000FFu);
  EXPECT_FLOAT_EQ(node->GetNodeTM(5 * 200).GetTrans().x, 5.f);
  EXPECT_EQ(pivot->GetParentNode(), node);
  EXPECT_FLOAT_EQ(pivot->GetNodeTM(10 * 200).GetTrans().x, 10.f);
  float strength = 0;
  EXPECT_TRUE(pivot->GetUserPropFloat(L"strength", strength));
  EXPECT_FLOAT_EQ(strength, 20.f);

  auto* cam = dynamic_cast<GenCamera*>(core.GetINodeByName(L"Cam")->GetObjectRef());
  ASSERT_NE(cam, nullptr);
  EXPECT_NEAR(cam->GetFOV(0), 60.f * 3.14159265f / 180.f, 1e-5f);
  auto* sun = dynamic_cast<GenLight*>(core.GetINodeByName(L"Sun")->GetObjectRef());
  ASSERT_NE(sun, nullptr);
  EXPECT_EQ(sun->type, DIR_LIGHT);
  auto* floor = dynamic_cast<host::PlaneObject*>(core.GetINodeByName(L"Floor")->GetObjectRef());
  ASSERT_NE(floor, nullptr);
  EXPECT_FLOAT_EQ(floor->height, 20.f);
  EXPECT_FLOAT_EQ(core.GetINodeByName(L"Floor")->GetNodeTM(0).GetTrans().z, -5.f);
  auto* tri = dynamic_cast<host::MeshObject*>(core.GetINodeByName(L"Tri")->GetObjectRef());
  ASSERT_NE(tri, nullptr);
  EXPECT_EQ(tri->source.getNumFaces(), 1);
  EXPECT_EQ(tri->source.getNumTVerts(), 3);
  auto* multi = dynamic_cast<host::MultiMtl*>(core.FindInLibrary(L"Both"));
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->NumSubMtls(), 2);
}

TEST_F(SceneLoaderTest, ReadsSceneFilesAndResolvesNamesAgainstTheirFolder) {
  const auto dir = std::filesystem::temp_directory_path() / "orb_loader_test";
  std::filesystem::create_directories(dir);
  const auto path = dir / "scene.json";
  std::ofstream(path) << R"({"nodes": [{"name": "W", "class": "TestWidget", "params": {"cacheFile": "a.bin"}}]})";
  ASSERT_TRUE(host::loadSceneFile(path.string(), core, classes, error)) << error;
  EXPECT_EQ(host::narrow(widget(L"W")->pblock2->GetStr(kCache)), (dir / "a.bin").string());
  EXPECT_FALSE(host::loadSceneFile((dir / "missing.json").string(), core, classes, error));
  EXPECT_EQ(error, "cannot open scene file '" + (dir / "missing.json").string() + "'");
  std::filesystem::remove_all(dir);
}

TEST_F(SceneLoaderTest, FaultsNameTheNodeAndTheKey) {
  expectFault(R"(, "params": {"colour": 1})", R"(node "W": params.colour: unknown parameter of TestWidget)");
  expectFault(R"(, "params": {"count": 2.5})", R"(node "W": params.count: expected an integer)");
  expectFault(R"(, "params": {"size": "big"})", R"(node "W": params.size: expected a number)");
  expectFault(R"(, "params": {"enabled": "yes"})", R"(node "W": params.enabled: expected true or false)");
  expectFault(R"(, "params": {"tint": [1, 2]})", R"(node "W": params.tint: expected [x, y, z])");
  expectFault(R"(, "params": {"target": "Nobody"})", R"(node "W": params.target: no node named "Nobody")");
  expectFault(R"(, "params": {"sources": ["P", "Q"]})", R"(node "W": params.sources[1]: no node named "Q")");
  expectFault(R"(, "params": {"look": "Shiny"})", R"(node "W": params.look: no material named "Shiny")");
  expectFault(R"(, "params": {"pattern": "M"})", R"(node "W": params.pattern: no map named "M")");
  expectFault(R"(, "params": {"count": {"keys": [[0, 1]]}})", R"(node "W": params.count: parameter is not animatable)");
  expectFault(R"(, "params": {"size": {"keys": [[0]]}})", R"(node "W": params.size.keys[0]: expected [frame, value])");
  expectFault(R"(, "params": {"size": {"keys": [[0, "x"]]}})", R"(node "W": params.size.keys[0][1]: expected a number)");
  expectFault(R"(, "colour": [1, 1, 1])", R"(node "W": unknown key "colour")");
  expectFault(R"(, "parent": "Ghost")", R"(node "W": parent: no node named "Ghost")");
  expectFault(R"(, "material": "R")", R"(node "W": material: no material named "R")");
  expectFault(R"(, "target": "W")", R"(node "W": target: a node cannot aim at itself)");
  expectFault(R"(, "matrix": [[1,0,0],[0,1,0],[0,0,1],[0,0,0]], "position": [1, 2, 3])",
              R"(node "W": matrix: cannot be combined with position)");
  expectFault(R"(, "userProps": {"a": [1]})", R"(node "W": userProps.a: expected a number, string or boolean)");
}

TEST_F(SceneLoaderTest, RejectsBrokenScenes) {
  EXPECT_FALSE(load(R"({"nodes": [{"name": "X", "class": "Teapot"}]})"));
  EXPECT_EQ(error, R"(node "X": class: unknown class "Teapot")");
  EXPECT_FALSE(load(R"({"nodes": [{"name": "X", "class": "TestSwatch"}]})"));
  EXPECT_EQ(error, R"(node "X": class: TestSwatch is not a scene object)");
  EXPECT_FALSE(load(R"({"nodes": [{"name": "X", "class": "point"}, {"name": "X", "class": "point"}]})"));
  EXPECT_EQ(error, R"(node "X": the name is used twice)");
  EXPECT_FALSE(load(R"({"nodes": [{"class": "point"}]})"));
  EXPECT_EQ(error, R"(nodes[0]: a node needs a "name")");
  EXPECT_FALSE(load(R"({"nodes": [{"name": "A", "class": "point", "parent": "B"},
                                  {"name": "B", "class": "point", "parent": "A"}]})"));
  EXPECT_EQ(error, R"(node "B": parent: the parent chain would form a loop)");
  EXPECT_FALSE(load(R"({"fps": 7})"));
  EXPECT_EQ(error, "fps: expected a frame rate that divides 4800");
  EXPECT_FALSE(load(R"({"range": [10, 5]})"));
  EXPECT_EQ(error, "range: the end frame comes before the start frame");
  EXPECT_FALSE(load(R"({"node": []})"));
  EXPECT_EQ(error, R"(scene: unknown key "node")");
  EXPECT_FALSE(load(R"({"nodes": [)"));
  EXPECT_EQ(error.rfind("invalid JSON: ", 0), 0u);
  EXPECT_FALSE(load(R"({"materials": {"M": {"class": "multi", "materials": ["N"]}}})"));
  EXPECT_EQ(error, R"(material "M": materials[0]: no material named "N")");
  EXPECT_FALSE(load(R"({"materials": {"M": {"class": "TestSwatch", "params": {"map": "Q"}}}})"));
  EXPECT_EQ(error, R"(material "M": params.map: no map named "Q")");
  EXPECT_FALSE(load(R"({"maps": {"B": {"class": "bitmap", "file": "none.png"}}})"));
  EXPECT_EQ(error.rfind(R"(map "B": file: )", 0), 0u);
  EXPECT_FALSE(load(R"({"nodes": [{"name": "T", "class": "mesh", "vertices": [[0,0,0]], "faces": [[0, 1, 2]]}]})"));
  EXPECT_EQ(error, R"(node "T": faces[0]: vertex index out of range)");
  EXPECT_FALSE(load(R"({"nodes": [{"name": "T", "class": "mesh", "obj": "missing.obj"}]})"));
  EXPECT_EQ(error.rfind(R"(node "T": obj: )", 0), 0u);
  EXPECT_FALSE(load(R"({"nodes": [{"name": "S", "class": "sphere", "radius": -1}]})"));
  EXPECT_EQ(error, R"(node "S": radius: expected a positive number)");
  EXPECT_FALSE(load(R"({"nodes": [{"name": "S", "class": "box", "params": {}}]})"));
  EXPECT_EQ(error, R"(node "S": params: built-in classes have no parameter block)");
  EXPECT_TRUE(core.AllNodes().empty());
}

TEST_F(SceneLoaderTest, AFailedLoadReplacesTheOldSceneWithNothing) {
  ASSERT_TRUE(load(kGoodScene)) << error;
  EXPECT_FALSE(load(R"({"nodes": [{"name": "X", "class": "Teapot"}]})"));
  EXPECT_TRUE(core.AllNodes().empty());
  EXPECT_EQ(core.FindInLibrary(L"Look"), nullptr);
  EXPECT_EQ(core.GetFrameRate(), 30);
}
