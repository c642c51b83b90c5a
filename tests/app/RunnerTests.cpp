// The orbink runner's contract as users and scripts see it: output formats,
// exit codes and one-line errors.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "../forces/ForceReference.h"
#include "RunnerSupport.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace {

const std::string kExample = std::string(ORB_SOURCE_DIR) + "/examples/orb_in_studio.json";

}  // namespace

TEST(RunnerTest, InfoPrintsDescriptionDeviceLineAndCapacity) {
  const RunResult r = orbink("info");
  ASSERT_EQ(r.code, 0) << r.err;
  const auto l = lines(r.out);
  ASSERT_GE(l.size(), 3u);
  EXPECT_EQ(l[0], "Tessaron Iridel 0.3 - glass orb with silk veil (Max 2024)");
  EXPECT_TRUE(l[1] == "CUDA unavailable" || std::regex_match(l[1], std::regex(R"(.+, \d+\.\d of \d+\.\d GB free)")))
      << l[1];
  EXPECT_TRUE(std::regex_match(l[2], std::regex(R"(capacity: \d+\.\d million particles)"))) << l[2];
  ASSERT_GE(l.size(), 5u);
  EXPECT_TRUE(std::regex_match(l[4], std::regex(R"(cpu vectors: x86-64(-v[34])? \((SSE2|AVX2|AVX-512)\), 8 lanes)")))
      << l[4];
}

TEST(RunnerTest, ClassesJsonListsTheDirectoryInOrder) {
  const RunResult r = orbink("classes --json");
  ASSERT_EQ(r.code, 0) << r.err;
  const nlohmann::json expected = nlohmann::json::parse(R"([
    {"index": 0, "className": "Tessaron Iridel", "internalName": "TessaronIridel", "category": "TessaronFX",
     "superClassId": 16, "classId": [1534995601, 1068029158]},
    {"index": 1, "className": "Tessaron Orb Vortex Force", "internalName": "TessaronOrbVortexForce",
     "category": "TessaronFX", "superClassId": 2096, "classId": [780886468, 2668078547]},
    {"index": 2, "className": "Tessaron Orb Particle Force", "internalName": "TessaronOrbParticleForce",
     "category": "TessaronFX", "superClassId": 2096, "classId": [2049875780, 3519376265]},
    {"index": 3, "className": "Tessaron Orb Ink", "internalName": "TessaronOrbInk", "category": "TessaronFX",
     "superClassId": 16, "classId": [1103618745, 1832558357]},
    {"index": 4, "className": "Tessaron Ink Material", "internalName": "TessaronInkMaterial",
     "category": "TessaronFX Tools", "superClassId": 3072, "classId": [1514049991, 797788934]}
  ])");
  EXPECT_EQ(nlohmann::json::parse(r.out), expected);
  // Field order is part of the format.
  EXPECT_LT(r.out.find("\"index\""), r.out.find("\"className\""));
  EXPECT_LT(r.out.find("\"superClassId\""), r.out.find("\"classId\""));
}

TEST(RunnerTest, ParamsJsonDescribesEveryParameter) {
  const RunResult r = orbink("params TessaronIridel --json");
  ASSERT_EQ(r.code, 0) << r.err;
  const auto table = nlohmann::json::parse(r.out);
  EXPECT_EQ(table["block"], "OrbParameters");
  EXPECT_EQ(table["blockId"], 0);
  ASSERT_EQ(table["params"].size(), 50u);
  EXPECT_EQ(table["params"][0], nlohmann::json::parse(R"({"id": 0, "name": "radius", "type": "float",
    "default": 50, "min": 0.01, "max": 100000, "label": "Radius", "animatable": true, "rollout": "Shape"})"));
  EXPECT_EQ(table["params"][1]["default"], 0.96);
  EXPECT_EQ(table["params"][23], nlohmann::json::parse(R"({"id": 23, "name": "reverse", "type": "bool",
    "default": false, "min": null, "max": null, "label": "Reverse", "animatable": true, "rollout": "Loop / Motion"})"));
  EXPECT_EQ(table["params"][48]["type"], "nodeList");
  EXPECT_EQ(table["params"][48]["animatable"], false);
  EXPECT_EQ(table["params"][48]["default"], nullptr);
  EXPECT_EQ(table["params"][41]["max"], 256);

  const RunResult mtl = orbink("params TessaronInkMaterial --json");
  ASSERT_EQ(mtl.code, 0);
  const auto m = nlohmann::json::parse(mtl.out);
  EXPECT_EQ(m["params"][0]["type"], "colour");
  EXPECT_EQ(m["params"][0]["default"], nlohmann::json::parse("[1, 0.68, 0.4]"));
  EXPECT_EQ(m["params"][7]["type"], "texmap");
  EXPECT_EQ(nlohmann::json::parse(orbink("params TessaronOrbVortexForce --json").out)["params"].size(), 16u);
}

TEST(RunnerTest, ParamsJsonListsTheInkTableInIdOrder) {
  const RunResult r = orbink("params TessaronOrbInk --json");
  ASSERT_EQ(r.code, 0) << r.err;
  const auto table = nlohmann::json::parse(r.out);
  EXPECT_EQ(table["block"], "InkParameters");
  ASSERT_EQ(table["params"].size(), 211u);
  for (int i = 0; i < 211; ++i) EXPECT_EQ(table["params"][i]["id"], i);
  EXPECT_EQ(table["params"][11], nlohmann::json::parse(R"({"id": 11, "name": "sheetThickness", "type": "float",
    "default": 0.0015, "min": 0, "max": 0.1, "label": "Sheet thickness", "animatable": true, "rollout": "Ink Particles"})"));
  EXPECT_EQ(table["params"][17], nlohmann::json::parse(R"js({"id": 17, "name": "startFrame", "type": "int",
    "default": 0, "min": -100000, "max": 100000, "label": "Start frame (no loop)", "animatable": false, "rollout": "Flow"})js"));
  EXPECT_EQ(table["params"][116]["type"], "material");
  EXPECT_EQ(table["params"][133]["type"], "filename");
  EXPECT_EQ(table["params"][167]["rollout"], "About / Help");
  EXPECT_EQ(table["params"][210]["label"], "Ink dims the caustic (0 none, 1 full ink shadow)");
}

TEST(RunnerTest, ViewportDrawsTheInkSphereAndItsMark) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_ink_view_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "view.json";
  const auto png = dir / "view.png";
  auto count = [&](bool showMark, int& wire, int& mark) {
    std::ofstream(scene) << R"({"nodes": [
      {"name": "Ink", "class": "TessaronOrbInk", "wireColor": [1, 0, 0],
       "params": {"viewportCount": 1000, "showMark": )" << (showMark ? "true" : "false") << R"(}},
      {"name": "Cam", "class": "camera", "fov": 60, "position": [160, 0, 400], "target": [160, 0, 0]}]})";
    const RunResult r = orbink("viewport " + scene.string() + " --camera Cam --out " + png.string() + " --size 320x160");
    ASSERT_EQ(r.code, 0) << r.err;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
    ASSERT_NE(pixels, nullptr);
    wire = mark = 0;
    for (int i = 0; i < w * h; ++i) {
      const unsigned char* p = pixels + 3 * i;
      if (p[0] == 255 && p[1] == 0 && p[2] == 0) ++wire;
      if (p[0] == 180 && p[1] == 255 && p[2] == 224) ++mark;
    }
    stbi_image_free(pixels);
  };
  int wire = 0, mark = 0;
  count(true, wire, mark);
  EXPECT_GT(wire, 100);  // the sphere's rings and meridians in the wire colour
  EXPECT_GT(mark, 20);   // "TESSARONORBINK" in the mark colour
  count(false, wire, mark);
  EXPECT_GT(wire, 100);
  EXPECT_EQ(mark, 0);
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, MeshWritesTheInkEmitterSphere) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_ink_mesh_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "ink.json", obj = dir / "ink.obj";
  std::ofstream(scene) << R"({"nodes": [{"name": "Ink", "class": "TessaronOrbInk", "params": {"radius": 5, "viewportCount": 1000}},
    {"name": "Bare", "class": "TessaronOrbInk", "params": {"viewportSphere": false, "viewportCount": 1000}}]})";
  RunResult r = orbink("mesh " + scene.string() + " Ink --out " + obj.string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1986 vertices, 3968 faces\n");
  std::ifstream in(obj);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "v 0 0 5");  // the north pole at the radius
  EXPECT_EQ(orbink("mesh " + scene.string() + " Ink --render --out " + obj.string()).out, "0 vertices, 0 faces\n");
  EXPECT_EQ(orbink("mesh " + scene.string() + " Bare --out " + obj.string()).out, "0 vertices, 0 faces\n");
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, FailuresAreOneLineOnStderrWithNonZeroExit) {
  RunResult r = orbink("params Teapot");
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err, "orbink: unknown class \"Teapot\"\n");
  r = orbink("scene /nonexistent/scene.json");
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err, "orbink: cannot open scene file '/nonexistent/scene.json'\n");
}

TEST(RunnerTest, SceneErrorsNameTheFileNodeAndKey) {
  const auto path = std::filesystem::temp_directory_path() / "orbink_bad_scene.json";
  std::ofstream(path) << R"({"nodes": [{"name": "Orb", "class": "TessaronIridel", "params": {"radius": "big"}}]})";
  const RunResult r = orbink("scene " + path.string());
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err, "orbink: " + path.string() + ": node \"Orb\": params.radius: expected a number\n");
  std::filesystem::remove(path);
}

TEST(RunnerTest, ExampleSceneLoads) {
  const RunResult r = orbink("scene " + kExample);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Orb\tTessaron Iridel"), std::string::npos);
  EXPECT_NE(r.out.find("Cam\tCamera\t0 -220 40"), std::string::npos);
}

TEST(RunnerTest, CallPrintsTheResultThenTheInkStatus) {
  const RunResult r = orbink("call " + kExample + " Ink freeGPU");
  ASSERT_EQ(r.code, 0) << r.err;
  const auto l = lines(r.out);
  ASSERT_EQ(l.size(), 2u);
  EXPECT_EQ(l[0], "true");
  EXPECT_EQ(l[1].rfind("status: render buffers released | GPU: ", 0), 0u) << l[1];
  const auto scene = std::filesystem::temp_directory_path() / "orbink_status.json";
  std::ofstream(scene) << R"({"nodes": [{"name": "Orb", "class": "TessaronIridel",
    "params": {"loopSeconds": 0.5, "substeps": 1}}]})";
  const RunResult orb = orbink("call " + scene.string() + " Orb solverStatus");
  ASSERT_EQ(orb.code, 0) << orb.err;
  ASSERT_EQ(lines(orb.out).size(), 1u);  // not an ink node: no status line
  EXPECT_TRUE(std::regex_match(lines(orb.out)[0], std::regex(R"((CUDA: .+ cloth solver|CUDA unavailable) \| 24 frames \| \d+\.\d\d s)")))
      << orb.out;
  std::filesystem::remove(scene);
}

TEST(RunnerTest, CallChecksArguments) {
  RunResult r = orbink("call " + kExample + " Ink renderFrame Cam 1");
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(r.err, "orbink: Argument index out of bounds, passed into a MaxSDK::Array::operator[]\n");
  r = orbink("call " + kExample + " Ink renderFrame Nobody 1 out.png 64 64");
  EXPECT_EQ(r.err, "orbink: argument camera: no node named \"Nobody\"\n");
  r = orbink("call " + kExample + " Ink renderFrame Cam one out.png 64 64");
  EXPECT_EQ(r.err, "orbink: argument frame: expected an integer, got \"one\"\n");
  r = orbink("call " + kExample + " Ink freeGPU extra");
  EXPECT_EQ(r.err, "orbink: freeGPU takes 0 arguments, got 1\n");
  r = orbink("call " + kExample + " Floor inkStatus");
  EXPECT_EQ(r.err, "orbink: node \"Floor\" has no published functions\n");
  r = orbink("call " + kExample + " Orb spin");
  EXPECT_EQ(r.err, "orbink: node \"Orb\" has no published function \"spin\"\n");
}

TEST(RunnerTest, MeshWritesTheOrbAsObjGroupedByMaterial) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_mesh_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "orb.json";
  std::ofstream(scene) << R"({"nodes": [{"name": "Orb", "class": "TessaronIridel"}]})";
  const auto obj = dir / "orb.obj";
  const RunResult r = orbink("mesh " + scene.string() + " Orb --frame 0 --out " + obj.string());
  ASSERT_EQ(r.code, 0) << r.err;
  // Shell and haze: 2 + 23 x 48 vertices each; one veil of 145 x 49 front/back pairs.
  const int verts = 2 * 1106 + 2 * 145 * 49;
  const int faces = 2 * 2208 + 4 * 144 * 48 + 4 * 144 + 4 * 48;
  EXPECT_EQ(r.out, std::to_string(verts) + " vertices, " + std::to_string(faces) + " faces\n");
  std::ifstream in(obj);
  int v = 0, vt = 0, f = 0;
  std::vector<std::string> groups, smoothing;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("v ", 0) == 0) ++v;
    if (line.rfind("vt ", 0) == 0) ++vt;
    if (line.rfind("f ", 0) == 0) ++f;
    if (line.rfind("usemtl ", 0) == 0) groups.push_back(line);
    if (line.rfind("s ", 0) == 0) smoothing.push_back(line);
  }
  EXPECT_EQ(v, verts);
  EXPECT_EQ(vt, 3 * faces);
  EXPECT_EQ(f, faces);
  EXPECT_EQ(groups, (std::vector<std::string>{"usemtl mat0", "usemtl mat1", "usemtl mat2", "usemtl mat3"}));
  EXPECT_EQ(smoothing.front(), "s 1");
  EXPECT_NE(std::find(smoothing.begin(), smoothing.end(), "s 12"), smoothing.end());

  const RunResult render = orbink("mesh " + scene.string() + " Orb --frame 0 --render --out " + obj.string());
  ASSERT_EQ(render.code, 0) << render.err;
  const int renderFaces = 2 * 2 * 128 * 63 + 4 * 384 * 128 + 4 * 384 + 4 * 128;
  EXPECT_NE(render.out.find(std::to_string(renderFaces) + " faces"), std::string::npos) << render.out;

  const RunResult bad = orbink("mesh " + scene.string() + " Orb --out /nonexistent/dir/orb.obj");
  EXPECT_NE(bad.code, 0);
  EXPECT_EQ(bad.err, "orbink: cannot write /nonexistent/dir/orb.obj\n");
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, BakeDumpsTheLoopAndPrintsTheSolverStatus) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_bake_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "orb.json";
  std::ofstream(scene) << R"({"nodes": [{"name": "Orb", "class": "TessaronIridel", "params":
    {"simLength": 16, "simWidth": 8, "veilCount": 2, "loopSeconds": 0.5, "substeps": 1, "useCUDA": false}}]})";
  const auto dump = dir / "orb.veil";
  const RunResult r = orbink("bake " + scene.string() + " Orb --out " + dump.string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("CPU solver | 24 frames | ", 0), 0u) << r.out;
  std::ifstream in(dump, std::ios::binary);
  char magic[4];
  std::int32_t header[4];
  in.read(magic, 4);
  in.read(reinterpret_cast<char*>(header), sizeof header);
  EXPECT_EQ(std::string(magic, 4), "VEIL");
  EXPECT_EQ(header[0], 16);
  EXPECT_EQ(header[1], 8);
  EXPECT_EQ(header[2], 2);
  EXPECT_EQ(header[3], 24);
  const std::size_t P = 2 * 17 * 9;
  EXPECT_EQ(std::filesystem::file_size(dump), 20 + (24 * P + P) * 12);

  const RunResult notOrb = orbink("bake " + kExample + " Floor --out " + dump.string());
  EXPECT_EQ(notOrb.err, "orbink: node \"Floor\" is not an orb\n");
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, VerboseCountsEachKernelsLaunches) {
  const RunResult info = orbink("info -v");
  ASSERT_EQ(info.code, 0) << info.err;
  EXPECT_TRUE(std::regex_search(info.out, std::regex("\nhost threads: [1-9][0-9]*\n$"))) << info.out;

  // The device bake of 24 frames with one substep is 4 x 24 launches of the
  // cloth kernel on either backend; without a device the CPU solver bakes
  // and nothing is launched.
  const auto dir = std::filesystem::temp_directory_path() / "orbink_verbose_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "orb.json";
  std::ofstream(scene) << R"({"nodes": [{"name": "Orb", "class": "TessaronIridel", "params":
    {"simLength": 16, "simWidth": 8, "loopSeconds": 0.5, "substeps": 1, "useCUDA": true}}]})";
  const RunResult r = orbink("bake " + scene.string() + " Orb --out " + (dir / "orb.veil").string() + " --verbose");
  std::filesystem::remove_all(dir);
  ASSERT_EQ(r.code, 0) << r.err;
  if (r.out.rfind("CUDA: ", 0) != 0) {
    EXPECT_EQ(r.err, "");
    GTEST_SKIP() << "no device: " << r.out;
  }
  EXPECT_TRUE(std::regex_search(r.err, std::regex("^kernel orb::stepKernel: 96 launches, [0-9.]+ s\n$"))) << r.err;
}

TEST(RunnerTest, ViewportDrawsTheOrbAndItsMark) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_view_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "view.json";
  std::ofstream(scene) << R"({"nodes": [
    {"name": "Orb", "class": "TessaronIridel", "wireColor": [0, 0, 1],
     "params": {"loopSeconds": 0.5, "substeps": 1, "useCUDA": false}},
    {"name": "Cam", "class": "camera", "fov": 60, "position": [160, 0, 400], "target": [160, 0, 0]}]})";
  const auto png = dir / "view.png";
  const RunResult r = orbink("viewport " + scene.string() + " --camera Cam --out " + png.string() + " --size 320x160");
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_TRUE(std::filesystem::exists(png));
  int w = 0, h = 0, channels = 0;
  unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 160);
  int blue = 0, mark = 0;
  for (int i = 0; i < w * h; ++i) {
    const unsigned char* p = pixels + 3 * i;
    if (p[0] == 0 && p[1] == 0 && p[2] == 255) ++blue;
    if (p[0] == 180 && p[1] == 255 && p[2] == 224) ++mark;
  }
  stbi_image_free(pixels);
  EXPECT_GT(blue, 100);  // the orb's wireframe in its wire colour
  EXPECT_GT(mark, 20);   // the logo mark in its own colour

  EXPECT_EQ(orbink("viewport " + scene.string() + " --camera Orb --out " + png.string()).err,
            "orbink: node \"Orb\" is not a camera\n");
  EXPECT_EQ(orbink("viewport " + scene.string() + " --camera Cam --size 0x5 --out " + png.string()).err,
            "orbink: the size must be between 1x1 and 16384x16384\n");
  std::filesystem::remove_all(dir);
}

namespace {
// Runs `orbink force` on the query lines and reads back one force per line.
std::vector<ref::V> forcesFromRunner(const std::string& scene, const std::string& node, double frame,
                                     const std::vector<std::array<double, 7>>& queries, RunResult& r) {
  const auto input = std::filesystem::temp_directory_path() / ("orbink_force_in_" + std::to_string(getpid()));
  {
    std::ofstream in(input);
    in.precision(9);
    for (const auto& q : queries) in << q[0] << ' ' << q[1] << ' ' << q[2] << ' ' << q[3] << ' ' << q[4] << ' ' << q[5] << ' ' << q[6] << '\n';
  }
  r = orbink("force " + scene + " " + node + " --frame " + std::to_string(frame) + " < " + input.string());
  std::filesystem::remove(input);
  std::vector<ref::V> out;
  for (const std::string& l : lines(r.out)) {
    ref::V f;
    std::istringstream(l) >> f.x >> f.y >> f.z;
    out.push_back(f);
  }
  return out;
}

std::vector<std::array<double, 7>> forceQueries(ref::V centre, double radius) {
  std::vector<std::array<double, 7>> q;
  for (int k = 0; k < 40; ++k) {
    const double a = 0.7 * k, b = 0.31 * k, r = radius * (0.2 + 0.03 * k);
    q.push_back({centre.x + r * std::cos(a) * std::sin(b + 0.2), centre.y + r * std::sin(a) * std::sin(b + 0.2),
                 centre.z + r * std::cos(b + 0.2), std::sin(k * 1.0), std::cos(k * 2.0), 0.5 * k, double(k * 37)});
  }
  return q;
}

float asFloat(double v) { return static_cast<float>(v); }
}  // namespace

TEST(RunnerTest, ForceAgreesWithTheReferenceForBothWarps) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_force_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "force.json";
  std::ofstream(scene) << R"({"fps": 30, "nodes": [
    {"name": "Swirl", "class": "TessaronOrbVortexForce", "position": [5, -8, 12], "rotation": [25, -40, 70],
     "params": {"radius": 40, "partition": 3, "wander": 1.2, "seedObjects": ["S1", "S2", "S3"]}},
    {"name": "S1", "class": "point", "position": [60, -8, 12],
     "userProps": {"swirl": -1.5, "attract": 2, "spread": 14, "eye": 0.6}},
    {"name": "S2", "class": "point", "position": [5, 50, 20], "userProps": {"on": 0}},
    {"name": "S3", "class": "box", "position": [5, -8, -70], "userProps": {"swirl": 3}},
    {"name": "F0", "class": "TessaronOrbParticleForce", "position": [-3, 4, 9], "rotation": [15, 30, -60],
     "params": {"mode": 0, "shellBand": 5, "axialFlow": 2}},
    {"name": "F1", "class": "TessaronOrbParticleForce", "position": [-3, 4, 9], "rotation": [15, 30, -60],
     "params": {"mode": 1, "falloff": 0.7, "timeScale": -1.5}},
    {"name": "F2", "class": "TessaronOrbParticleForce", "rotation": [90, 0, 0], "params": {"mode": 2, "seed": 5}},
    {"name": "F3", "class": "TessaronOrbParticleForce", "position": [10, 0, 0],
     "params": {"mode": 3, "turbulenceScale": 0.2, "strength": -7}}]})";

  // The reference reads the same float inputs the runner parses.
  ref::Vortex vortex;
  vortex.radius = 40;
  vortex.partition = 3;
  vortex.wander = asFloat(1.2);
  vortex.node = ref::eulerXYZ({25, -40, 70}, {5, -8, 12});
  vortex.seeds = {{{60, -8, 12}, -1.5, 2, 14, asFloat(0.6), 1}, {{5, 50, 20}, 1, 1, 0, 0, 0}, {{5, -8, -70}, 3, 1, 0, 0, 1}};
  RunResult r;
  const double frame = 37.5;
  const auto queries = forceQueries({5, -8, 12}, 40);
  auto got = forcesFromRunner(scene.string(), "Swirl", frame, queries, r);
  ASSERT_EQ(r.code, 0) << r.err;
  ASSERT_EQ(got.size(), queries.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    const auto& q = queries[i];
    const ref::V want = vortex.force({asFloat(q[0]), asFloat(q[1]), asFloat(q[2])},
                                     {asFloat(q[3]), asFloat(q[4]), asFloat(q[5])}, int(q[6]), frame / 30);
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR((&got[i].x)[c], (&want.x)[c], 2e-5 * (0.01 * (40 * 4 + 24 * 3 + 16) + 2)) << "vortex " << i << " " << c;
  }

  struct Case {
    const char* node;
    ref::Particle p;
  };
  std::vector<Case> cases(4);
  for (int m = 0; m < 4; ++m) cases[m].node = m == 0 ? "F0" : m == 1 ? "F1" : m == 2 ? "F2" : "F3";
  cases[0].p.mode = 0, cases[0].p.shellBand = 5, cases[0].p.axialFlow = 2;
  cases[0].p.node = ref::eulerXYZ({15, 30, -60}, {-3, 4, 9});
  cases[1].p.mode = 1, cases[1].p.falloff = asFloat(0.7), cases[1].p.timeScale = -1.5;
  cases[1].p.node = cases[0].p.node;
  cases[2].p.mode = 2, cases[2].p.seed = 5;
  cases[2].p.node = ref::eulerXYZ({90, 0, 0}, {0, 0, 0});
  cases[3].p.mode = 3, cases[3].p.turbulenceScale = asFloat(0.2), cases[3].p.strength = -7;
  cases[3].p.node = ref::eulerXYZ({}, {10, 0, 0});
  for (const Case& c : cases) {
    const auto qs = forceQueries(c.p.node.r[3], 50);
    got = forcesFromRunner(scene.string(), c.node, frame, qs, r);
    ASSERT_EQ(r.code, 0) << r.err;
    ASSERT_EQ(got.size(), qs.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      const auto& q = qs[i];
      const ref::V want = c.p.force({asFloat(q[0]), asFloat(q[1]), asFloat(q[2])},
                                    {asFloat(q[3]), asFloat(q[4]), asFloat(q[5])}, int(q[6]), frame / 30);
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR((&got[i].x)[k], (&want.x)[k], 2e-5 * (0.01 * (12 * 50 + 18 + 2 + 8) + 1)) << c.node << " " << i;
    }
  }
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, ForceRefusesBadInputAndNodesWithoutAField) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_force_bad";
  std::filesystem::create_directories(dir);
  const auto scene = (dir / "s.json").string();
  std::ofstream(scene) << R"({"nodes": [{"name": "W", "class": "TessaronOrbParticleForce"}, {"name": "B", "class": "box"}]})";
  std::ofstream(dir / "bad.txt") << "1 2 3 0 0 0 4\n\n1 2 3 0 0 zero 4\n";
  std::ofstream(dir / "extra.txt") << "1 2 3 0 0 0 4 5\n";
  RunResult r = orbink("force " + scene + " W < " + (dir / "bad.txt").string());
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(lines(r.out).size(), 1u);  // the good line before the fault
  EXPECT_EQ(r.err, "orbink: line 3: expected \"x y z vx vy vz index\"\n");
  r = orbink("force " + scene + " W < " + (dir / "extra.txt").string());
  EXPECT_EQ(r.err, "orbink: line 1: expected \"x y z vx vy vz index\"\n");
  r = orbink("force " + scene + " B < /dev/null");
  EXPECT_EQ(r.err, "orbink: node \"B\" is not a space warp with a force field\n");
  r = orbink("force " + scene + " Nobody < /dev/null");
  EXPECT_EQ(r.err, "orbink: no node named \"Nobody\"\n");
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, MeshWritesTheWarpIcons) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_icon_test";
  std::filesystem::create_directories(dir);
  const auto scene = (dir / "s.json").string();
  std::ofstream(scene) << R"({"nodes": [{"name": "V", "class": "TessaronOrbVortexForce", "params": {"vortexCount": 5}},
    {"name": "P", "class": "TessaronOrbParticleForce", "params": {"iconSize": 3}}]})";
  RunResult r = orbink("mesh " + scene + " V --out " + (dir / "v.obj").string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "26 vertices, 28 faces\n");
  r = orbink("mesh " + scene + " P --out " + (dir / "p.obj").string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "6 vertices, 8 faces\n");
  std::ifstream obj(dir / "p.obj");
  std::string text((std::istreambuf_iterator<char>(obj)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("v 0 0 3"), std::string::npos) << text;
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, ViewportShowsParticlesMovedByTheirSpaceWarps) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_particles_test";
  std::filesystem::create_directories(dir);
  const auto scene = (dir / "p.json").string();
  std::ofstream(scene) << R"({"fps": 30, "range": [0, 60], "nodes": [
    {"name": "Swirl", "class": "TessaronOrbVortexForce", "params": {"radius": 40, "iconSize": 10}},
    {"name": "Push", "class": "TessaronOrbParticleForce", "params": {"iconSize": 5, "strength": 0}},
    {"name": "Dust", "class": "particles", "count": 300, "seed": 3, "spawnSphere": 60, "stepsPerFrame": 2,
     "spaceWarps": ["Swirl", "Push"], "wireColor": [1, 1, 0]},
    {"name": "Cam", "class": "camera", "fov": 60, "position": [0, -200, 60], "target": [0, 0, 0]}]})";
  auto yellowAt = [&](int frame) {
    const auto png = dir / ("f" + std::to_string(frame) + ".png");
    const RunResult r = orbink("viewport " + scene + " --camera Cam --frame " + std::to_string(frame) + " --out " +
                               png.string() + " --size 240x160");
    EXPECT_EQ(r.code, 0) << r.err;
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(png.string().c_str(), &w, &h, &channels, 3);
    std::vector<int> hits;
    for (int i = 0; pixels && i < w * h; ++i)
      if (pixels[3 * i] == 255 && pixels[3 * i + 1] == 255 && pixels[3 * i + 2] == 0) hits.push_back(i);
    stbi_image_free(pixels);
    return hits;
  };
  const auto start = yellowAt(0), later = yellowAt(60);
  EXPECT_GT(start.size(), 300u);  // crosses of five pixels, some overlapping
  EXPECT_GT(later.size(), 300u);
  EXPECT_NE(start, later);  // the warps moved them

  std::ofstream(dir / "bad.json") << R"({"nodes": [{"name": "B", "class": "box"},
    {"name": "D", "class": "particles", "spaceWarps": ["B"]}]})";
  EXPECT_EQ(orbink("scene " + (dir / "bad.json").string()).err,
            "orbink: " + (dir / "bad.json").string() + ": node \"D\": spaceWarps[0]: node \"B\" is not a space warp\n");
  std::ofstream(dir / "bad2.json") << R"({"nodes": [{"name": "B", "class": "box", "spaceWarps": []}]})";
  EXPECT_EQ(orbink("scene " + (dir / "bad2.json").string()).err,
            "orbink: " + (dir / "bad2.json").string() + ": node \"B\": unknown key \"spaceWarps\"\n");
  std::ofstream(dir / "bad3.json") << R"({"nodes": [{"name": "D", "class": "particles", "count": -1}]})";
  EXPECT_EQ(orbink("scene " + (dir / "bad3.json").string()).err,
            "orbink: " + (dir / "bad3.json").string() + ": node \"D\": count: expected an integer from 0 to 1000000\n");
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, ParticlesWritesExactlyTheEvaluatedParticles) {
  const auto dir = std::filesystem::temp_directory_path() / "orbink_ink_particles_test";
  std::filesystem::create_directories(dir);
  const auto scene = dir / "ink.json", bin = dir / "ink.bin", ply = dir / "ink.ply";
  std::ofstream(scene) << R"({"nodes": [
    {"name": "Ink", "class": "TessaronOrbInk", "position": [100, 0, 0],
     "params": {"renderCount": 3000, "viewportCount": 2000, "containerObject": "Tank", "containerRes": 16}},
    {"name": "Tank", "class": "box", "size": [40, 40, 40], "position": [100, 0, 0]}]})";
  RunResult r = orbink("particles " + scene.string() + " Ink --frame 6 --out " + bin.string());
  if (r.err == "orbink: CUDA unavailable\n") GTEST_SKIP() << "no device";
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "3000 of 3000 particles written to " + bin.string() + "\nstatus: ink 3000\n");
  ASSERT_EQ(std::filesystem::file_size(bin), 3000u * 12u);
  std::vector<float> xyz(9000);
  std::ifstream(bin, std::ios::binary).read(reinterpret_cast<char*>(xyz.data()), 36000);
  // Ink space: the container box around the ink node's origin.
  EXPECT_LE(*std::max_element(xyz.begin(), xyz.end()), 20.f);
  EXPECT_GE(*std::min_element(xyz.begin(), xyz.end()), -20.f);

  // Viewport mode, every k-th particle as PLY with mass and group.
  r = orbink("particles " + scene.string() + " Ink --frame 6 --mode viewport --max 700 --out " + ply.string());
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(lines(r.out)[0], "667 of 2000 particles written to " + ply.string());
  std::ifstream in(ply, std::ios::binary);
  std::string header, line;
  while (std::getline(in, line) && line != "end_header") header += line + "\n";
  EXPECT_NE(header.find("element vertex 667\n"), std::string::npos);
  EXPECT_NE(header.find("property float weight\nproperty uchar group\n"), std::string::npos);
  std::vector<char> body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(body.size(), 667u * 17u);
  float mass = 0.f;
  std::memcpy(&mass, body.data() + 12, 4);
  EXPECT_GT(mass, 0.f);
  EXPECT_EQ(body[16], 0);  // the ink group

  r = orbink("particles " + scene.string() + " Ink --mode preview --out " + bin.string());
  EXPECT_EQ(r.err, "orbink: --mode expects viewport or render\n");
  r = orbink("particles " + scene.string() + " Tank --out " + bin.string());
  EXPECT_EQ(r.err, "orbink: node \"Tank\" is not an ink object\n");
  r = orbink("particles " + scene.string() + " Ink --out " + (dir / "ink.txt").string());
  EXPECT_EQ(r.err, "orbink: the particle file must end in .bin or .ply\n");
  r = orbink("call " + scene.string() + " Ink inkStatus");
  EXPECT_EQ(lines(r.out)[0].rfind("ink 2000 | GPU: ", 0), 0u) << r.out;
  std::filesystem::remove_all(dir);
}

// The drivers' friendly forms: the status line on stdout, each finished
// frame's line on stderr when it is a log, and non-zero exits for short runs.
TEST(RunnerTest, RenderCommandsWriteFramesAndExitNonZeroWhenShort) {
  const auto dir = std::filesystem::temp_directory_path() / ("orbink_render_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string scene = (dir / "ink.json").string(), d = dir.string() + "/";
  std::ofstream(scene) << R"({"fps": 30, "nodes": [
    {"name": "Ink", "class": "TessaronOrbInk",
     "params": {"renderCount": 2000, "viewportCount": 500, "gridRes": 32, "antialias": 1, "caustics": false,
                "bubbles": 0, "renderPasses": false}},
    {"name": "Cam", "class": "camera", "position": [0, -160, 0], "target": [0, 0, 0]}]})";
  RunResult r = orbink("render " + scene + " Ink --camera Cam --frame 2 --out " + d + "still.png --size 32x24");
  if (r.err == "orbink: CUDA unavailable\n") GTEST_SKIP() << "no device";
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(std::regex_match(r.out, std::regex("frame 2: ink 2000 = 2000 particles, simulate [0-9.]+ s, render "
                                                 "[0-9.]+ s, write [0-9.]+ s -> .*/still\\.png\n")))
      << r.out;
  int w = 0, h = 0, channels = 0;
  stbi_uc* pixels = stbi_load((d + "still.png").c_str(), &w, &h, &channels, 4);
  ASSERT_NE(pixels, nullptr);
  stbi_image_free(pixels);
  EXPECT_EQ(w, 32);
  EXPECT_EQ(h, 24);

  // A sequence into a log: frames 1 and 2 on stderr as they finish, frame 3 as the result.
  r = orbink("--threads 1 sequence " + scene + " Ink --camera Cam --start 1 --end 3 --out " + d + "seq.####.png --size 16x16");
  ASSERT_EQ(r.code, 0) << r.err;
  const auto log = lines(r.err);
  ASSERT_EQ(log.size(), 2u) << r.err;
  EXPECT_EQ(log[0].rfind("frame 1: ink 2000 = 2000 particles", 0), 0u);
  EXPECT_EQ(log[1].rfind("frame 2: ", 0), 0u);
  EXPECT_EQ(r.out.rfind("frame 3: ", 0), 0u);
  EXPECT_TRUE(std::filesystem::exists(d + "seq.0003.png"));

  // Overrides from the command line; the PRT and VDB exports.
  r = orbink("--set Ink.renderCount=1500 --set Ink.prtNormal=false prt " + scene + " Ink --start 1 --end 2 --out " + d + "p.prt");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "PRT frame 2: 1500 particles, 10 channels, 60 bytes each -> " + d + "p_0002.prt\n");
  r = orbink("vdb " + scene + " Ink --start 4 --end 4 --resolution 40 --out " + d + "v.vdb");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("VDB frame 4: 2000 particles, 40^3, ", 0), 0u) << r.out;
  r = orbink("over " + scene + " Ink --camera Cam --frame 2 --background " + d + "still.png --out " + d + "over.png");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("over 32x24: 2000 particles, 0 lights, render ", 0), 0u) << r.out;

  // Short runs and refusals exit non-zero with the status line.
  r = orbink("vdb " + scene + " Ink --start 1 --end 2 --out " + d + "missing/v.vdb");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "orbink: cannot write " + d + "missing/v_0001.vdb\n");
  r = orbink("--set Nobody.radius=3 render " + scene + " Ink --camera Cam --out " + d + "x.png");
  EXPECT_EQ(r.err, "orbink: --set: no node named \"Nobody\"\n");
  r = orbink("--set Ink.radiusx=3 render " + scene + " Ink --camera Cam --out " + d + "x.png");
  EXPECT_NE(r.err.find("radiusx"), std::string::npos) << r.err;
  r = orbink("render " + scene + " Ink --camera Cam --out " + d + "x.png --size 0x10");
  EXPECT_EQ(r.err, "orbink: the size must be between 1x1 and 16384x16384\n");
  r = orbink("over " + scene + " Ink --camera Cam --background " + d + "none.png --out " + d + "x.png");
  EXPECT_EQ(r.err, "orbink: renderOver: cannot read the background image\n");

  // A script's null node reaches the driver, which says what it needs.
  r = orbink("call " + scene + " Ink renderFrame undefined 1 " + d + "x.png 16 16");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(lines(r.out)[0], "false");
  EXPECT_EQ(lines(r.out)[1].rfind("status: renderFrame needs a camera node | GPU: ", 0), 0u) << r.out;
  std::filesystem::remove_all(dir);
}

// Ctrl-C: the first cancels after the frame in hand (exit 1 with the
// cancel line), a second ends the process at once with status 130.
TEST(RunnerTest, InterruptsCancelThenEndTheRun) {
  const auto dir = std::filesystem::temp_directory_path() / ("orbink_interrupt_test_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string scene = (dir / "ink.json").string(), errFile = (dir / "err.txt").string();
  std::ofstream(scene) << R"({"fps": 30, "nodes": [
    {"name": "Ink", "class": "TessaronOrbInk",
     "params": {"renderCount": 1000, "gridRes": 32, "antialias": 4, "caustics": false, "glass": false}},
    {"name": "Cam", "class": "camera", "position": [0, -160, 0], "target": [0, 0, 0]}]})";
  auto run = [&](int interrupts) {
    // Frames of about a second, so that both interrupts land within one.
    const std::string cmd = std::string("exec ") + ORBINK_PATH + " sequence " + scene +
                            " Ink --camera Cam --start 1 --end 5000 --out " + (dir / "f.png").string() + " --size 640x640 >/dev/null 2>" + errFile;
    std::filesystem::remove(errFile);
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    // Wait until a frame has finished (its line is in the log), then interrupt.
    for (int waited = 0; waited < 600; ++waited) {
      std::ifstream in(errFile);
      std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (text.find("frame 1: ") != std::string::npos || text.find("CUDA unavailable") != std::string::npos) break;
      usleep(100000);
    }
    for (int i = 0; i < interrupts; ++i) {
      kill(pid, SIGINT);
      usleep(100000);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(errFile);
    return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                          std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  };
  auto [code, err] = run(1);
  if (err.find("CUDA unavailable") != std::string::npos) GTEST_SKIP() << "no device";
  EXPECT_EQ(code, 1) << err;
  EXPECT_TRUE(std::regex_search(err, std::regex("orbink: cancelled at frame \\d+\n$"))) << err;
  std::tie(code, err) = run(2);
  EXPECT_EQ(code, 130) << err;
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, EveryVectorLevelGivesTheSameParticleAndVeilBits) {
  // The example's ink and silk and its veil loop (packed on the cpu backend;
  // the veils by the emulated device and by the CPU solver) at each level
  // the machine may be capped to: the same bytes, so a frame does not depend
  // on the node that renders it.
  const auto dir = std::filesystem::temp_directory_path() / "orbink_vector_levels_test";
  std::filesystem::create_directories(dir);
  auto bytesOf = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::vector<std::string> particles, veils, solverVeils;
  for (const std::string level : {"", "x86-64-v3", "x86-64"}) {
    const std::string runner = (level.empty() ? "" : "ORB_CPU_VECTOR_LEVEL=" + level + " ") + std::string(ORBINK_PATH);
    const std::string out = (dir / ("p" + level + ".bin")).string(), veil = (dir / ("v" + level)).string();
    RunResult r = run(runner + " --set Ink.renderCount=2000 --set Ink.silkCount=30000 particles " + kExample +
                      " Ink --frame 4 --out " + out);
    if (r.err == "orbink: CUDA unavailable\n") GTEST_SKIP() << "no device";
    ASSERT_EQ(r.code, 0) << r.err;
    particles.push_back(bytesOf(out));
    ASSERT_EQ(run(runner + " bake " + kExample + " Orb --out " + veil + "a").code, 0);
    veils.push_back(bytesOf(veil + "a"));
    ASSERT_EQ(run(runner + " --set Orb.useCUDA=false bake " + kExample + " Orb --out " + veil + "b").code, 0);
    solverVeils.push_back(bytesOf(veil + "b"));
  }
  EXPECT_EQ(particles[0].size(), 32000u * 12u);
  EXPECT_FALSE(veils[0].empty());
  for (std::size_t k = 1; k < particles.size(); ++k) {
    EXPECT_TRUE(particles[k] == particles[0]) << k;
    EXPECT_TRUE(veils[k] == veils[0]) << k;
    EXPECT_TRUE(solverVeils[k] == veils[0]) << k;
  }
  EXPECT_TRUE(solverVeils[0] == veils[0]);
  std::filesystem::remove_all(dir);
}

TEST(RunnerTest, EveryVectorLevelRendersTheSameImageBits) {
  // The example's frame as 32-bit EXR channels, with and without its passes
  // (their deposits take different paths), at each level the machine may be
  // capped to: the splat shades packs of particles at the process's level,
  // and the picture must not depend on the node. One thread, since two add
  // into the density grid atomically, in an order that varies between runs.
  const auto dir = std::filesystem::temp_directory_path() / ("orbink_render_levels_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto bytesOf = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  std::vector<std::string> images;
  for (const std::string level : {"", "x86-64-v3", "x86-64"})
    for (const std::string passes : {"false", "true"}) {
      const std::string runner = (level.empty() ? "" : "ORB_CPU_VECTOR_LEVEL=" + level + " ") + std::string(ORBINK_PATH);
      const std::string out = (dir / ("frame" + level + passes + ".exr")).string();
      RunResult r = run(runner + " --threads 1 --set Ink.renderCount=20000 --set Ink.silkCount=5000" +
                        " --set Ink.pointSize=1 --set Ink.gridRes=32 --set Ink.exrFloat=true --set Ink.renderPasses=" +
                        passes + " render " + kExample + " Ink --camera Cam --frame 3 --size 96x72 --out " + out);
      if (r.err == "orbink: CUDA unavailable\n") GTEST_SKIP() << "no device";
      ASSERT_EQ(r.code, 0) << r.err;
      images.push_back(bytesOf(out));
    }
  EXPECT_GT(images[0].size(), 96u * 72u * 4u * 4u);  // float RGBA
  EXPECT_GT(images[1].size(), images[0].size());     // and the passes
  for (std::size_t k = 2; k < images.size(); ++k) EXPECT_TRUE(images[k] == images[k % 2]) << k;
  std::filesystem::remove_all(dir);
}
