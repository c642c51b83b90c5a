// Seeded random corpus for the scene loader: mutated and truncated scene
// texts and scenes with values of the wrong JSON type must load or fail with
// a one-line error, never crash, and never leave a half-read scene.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "TestClasses.h"
#include "host/loader/ClassDirectory.h"
#include "host/loader/SceneLoader.h"
#include "host/sdk/Interface.h"

using namespace hosttest;

namespace {

const char* kSeedScene = R"({"fps": 30, "range": [0, 20],
  "nodes": [
    {"name": "W", "class": "TestWidget", "position": {"keys": [[0, [0, 0, 0]], [10, [1, 2, 3]]]},
     "params": {"size": {"keys": [[0, 5], [10, 15]]}, "count": 2, "tint": [0, 1, 0], "target": "P",
                "sources": ["P"], "look": "M", "pattern": "R", "note": "x"}},
    {"name": "P", "class": "point", "parent": "W", "userProps": {"a": 1}},
    {"name": "C", "class": "camera", "fov": 40, "target": "P"},
    {"name": "L", "class": "light", "type": "spot", "intensity": {"keys": [[0, 1], [5, 2]]}},
    {"name": "T", "class": "mesh", "vertices": [[0,0,0],[1,0,0],[0,1,0]], "faces": [[0,1,2]]},
    {"name": "S", "class": "sphere", "radius": 2, "segments": 8}
  ],
  "materials": {"M": {"class": "standard", "diffuse": [1, 1, 1], "diffuseMap": "R"},
                "N": {"class": "multi", "materials": ["M"]},
                "K": {"class": "TestSwatch", "params": {"colour": [1, 0, 0]}}},
  "maps": {"R": {"class": "checker", "tiles": 4}, "G": {"class": "gradient", "colors": [[0,0,0],[1,1,1]]}}
})";

struct LoaderFuzzTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  host::ClassDirectory classes;
  void SetUp() override {
    classes.add(widgetDesc());
    classes.add(swatchDesc());
  }
  void TearDown() override { core.ResetScene(); }

  void check(const std::string& text) {
    std::string error;
    const bool ok = host::loadSceneText(text, "/scenes", core, classes, error);
    if (!ok) {
      EXPECT_FALSE(error.empty());
      EXPECT_EQ(error.find('\n'), std::string::npos) << error;
      EXPECT_TRUE(core.AllNodes().empty());
    }
  }
};

// Every value in the tree, so one can be swapped for a value of another type.
void collect(nlohmann::ordered_json& j, std::vector<nlohmann::ordered_json*>& out) {
  out.push_back(&j);
  if (j.is_structured())
    for (auto& child : j) collect(child, out);
}

}  // namespace

TEST_F(LoaderFuzzTest, TheSeedSceneLoads) {
  std::string error;
  ASSERT_TRUE(host::loadSceneText(kSeedScene, "/scenes", core, classes, error)) << error;
}

TEST_F(LoaderFuzzTest, MutatedTextNeverCrashes) {
  std::mt19937 rng(20261208);
  const std::string seed = kSeedScene;
  const char alphabet[] = "{}[],:\"0123456789.-eE truefalsn\\";
  for (int round = 0; round < 3000; ++round) {
    std::string text = seed;
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits; ++e) {
      const std::size_t at = rng() % text.size();
      switch (rng() % 4) {
        case 0: text[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
        case 1: text.erase(at, 1 + rng() % 8); break;
        case 2: text.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]); break;
        default: text.resize(at); break;
      }
      if (text.empty()) text = "{";
    }
    check(text);
  }
}

TEST_F(LoaderFuzzTest, ValuesOfTheWrongTypeNeverCrash) {
  std::mt19937 rng(42);
  const nlohmann::ordered_json replacements[] = {
      nullptr, true, -1, 0, 1.5, 1e300, "W", "", nlohmann::ordered_json::array(),
      nlohmann::ordered_json::array({1, 2}), nlohmann::ordered_json::object(),
      nlohmann::ordered_json::parse(R"({"keys": [[0, 1]]})"), nlohmann::ordered_json::parse("[[0,0,0],[0,0,0]]")};
  const auto seed = nlohmann::ordered_json::parse(kSeedScene);
  for (int round = 0; round < 3000; ++round) {
    auto scene = seed;
    std::vector<nlohmann::ordered_json*> values;
    collect(scene, values);
    *values[rng() % values.size()] = replacements[rng() % std::size(replacements)];
    check(scene.dump());
  }
}
