// The "orbInk" batch drivers end to end on a small ink object: frame names,
// status lines, cancellation and failures, with every written file read
// back by an independent reader (libpng, OpenEXR, OpenVDB, zlib).
#include <gtest/gtest.h>
#include <png.h>

#include <ImfChannelList.h>
#include <ImfFrameBuffer.h>
#include <ImfHeader.h>
#include <ImfInputFile.h>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>

#include "InkEvaluationFixture.h"
#include "formats/prt/Half.h"
#include "formats/prt/PrtFormat.h"
#include "formats/prt/PrtReader.h"
#include "host/runtime/CameraLight.h"
#include "host/runtime/Geometry.h"
#include "ink/render/RenderOutput.h"
#include "ink/render/RenderUpload.h"
#include "tests/formats/prt/PrtTestSupport.h"
#ifdef ORB_HAVE_OPENVDB
#include <openvdb/openvdb.h>
#endif

namespace {

namespace fs = std::filesystem;

struct PngImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};

PngImage readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  PngImage out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  image.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) return {};
  out.width = static_cast<int>(image.width);
  out.height = static_cast<int>(image.height);
  return out;
}

// Test progress listener: raises the cancel flag when a given frame starts.
struct CancelAtFrame : ProgressListener {
  Interface& core;
  std::string label;
  std::vector<std::string> texts;
  CancelAtFrame(Interface& c, int frame) : core(c), label("  frame " + std::to_string(frame) + "  ") {
    core.SetProgressListener(this);
  }
  ~CancelAtFrame() override { core.SetProgressListener(nullptr); }
  void started(const MSTR&) override {}
  void ended() override {}
  void updated(int, const MSTR& title) override {
    texts.push_back(host::narrow(title));
    if (texts.back().find(label) != std::string::npos) core.SetCancel(TRUE);
  }
};

struct BatchDriverTest : InkEvaluationTest {
  prttest::TempDir dir;
  INode* camera = nullptr;

  void SetUp() override {
    InkEvaluationTest::SetUp();
    pb.SetValue(pid::gridRes, 0, 32);
    pb.SetValue(pid::antialias, 0, 1);
    pb.SetValue(pid::caustics, 0, 0);
    pb.SetValue(pid::bubbles, 0, 0);
    camera = core.CreateObjectNode(new GenCamera(), L"Cam");
    camera->Transform().position.SetConstant(Point3(0, -160, 0));
    camera->Transform().targetPoint = Track<Point3>(Point3(0, 0, 0));
  }
  void TearDown() override {
    core.SetEscapePressed(false);
    ink::renderFaults::failHostAllocation(0);
    InkEvaluationTest::TearDown();
  }
  MSTR path(const std::string& name) const { return host::widen(dir.file(name)); }
  const std::string& status() const { return ink->StatusText(); }
};

TEST_F(BatchDriverTest, RenderFrameWritesTheNamedFileAtLeastSixteenPixelsWide) {
  ASSERT_TRUE(ink->RenderFrame(camera, 3, path("still.png"), 8, 40)) << status();
  EXPECT_TRUE(std::regex_match(status(), std::regex("frame 3: ink 3000 = 3000 particles, simulate \\d+\\.\\d{3} s, "
                                                    "render \\d+\\.\\d{3} s, write \\d+\\.\\d{3} s -> .*/still\\.png")))
      << status();
  const PngImage png = readPng(dir.file("still.png"));
  ASSERT_EQ(png.width, 16);
  ASSERT_EQ(png.height, 40);
  // The ink shows: the picture is not one flat colour.
  EXPECT_NE(std::count(png.rgba.begin(), png.rgba.end(), png.rgba[0]), static_cast<long>(png.rgba.size()));

  // "####" is replaced even for one frame; an empty range writes nothing.
  ASSERT_TRUE(ink->RenderFrame(camera, 3, path("still.####.png"), 16, 16)) << status();
  EXPECT_TRUE(fs::exists(dir.file("still.0003.png")));
  const std::string before = status();
  EXPECT_EQ(ink->RenderSequence(camera, 5, 4, path("never.png"), 16, 16), 0);
  EXPECT_EQ(status(), before);
  EXPECT_FALSE(fs::exists(dir.file("never_0005.png")));
}

TEST_F(BatchDriverTest, ExrSequenceCarriesPassesWithMotionFromThePreviousFrame) {
  ASSERT_EQ(ink->RenderSequence(camera, 4, 5, path("seq.exr"), 24, 16), 2) << status();
  for (const char* name : {"seq_0004.exr", "seq_0005.exr"}) {
    Imf::InputFile file(dir.file(name).c_str());
    int channels = 0;
    for (auto c = file.header().channels().begin(); c != file.header().channels().end(); ++c) ++channels;
    EXPECT_EQ(channels, 4 + 24);
    const Imath::Box2i window = file.header().dataWindow();
    ASSERT_EQ(window.max.x - window.min.x + 1, 24);
    std::vector<float> motion(24 * 16);
    Imf::FrameBuffer fb;
    fb.insert("motion.u", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(motion.data()), sizeof(float), 24 * sizeof(float)));
    file.setFrameBuffer(fb);
    file.readPixels(window.min.y, window.max.y);
    // The ink moves between frames, so some pixel has motion.
    EXPECT_TRUE(std::any_of(motion.begin(), motion.end(), [](float u) { return u != 0.f; })) << name;
  }
}

// A farm renders any frame on any node in any order: a frame in the middle
// of a sequence, alone, after other frames and after freeGPU gives the same
// bytes, motion passes and PRT velocities included; no partial file is left.
TEST_F(BatchDriverTest, AFrameIsThePureFunctionOfItsNumber) {
  auto bytes = [&](const std::string& name) {
    std::ifstream in(dir.file(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  pb.SetValue(pid::prtNormal, 0, 0);
  auto frameFour = [&](const std::string& tag) {
    ASSERT_TRUE(ink->RenderFrame(camera, 4, path(tag + ".exr"), 24, 16)) << status();
    ASSERT_EQ(ink->ExportPRT(4, 4, path(tag + ".prt")), 1) << status();
    ASSERT_EQ(ink->ExportVDB(4, 4, path(tag + ".vdb"), 32), 1) << status();
  };
  frameFour("alone");
  ASSERT_EQ(ink->RenderSequence(camera, 2, 5, path("seq.exr"), 24, 16), 4) << status();
  ASSERT_EQ(ink->ExportPRT(2, 5, path("seq.prt")), 4) << status();
  ASSERT_EQ(ink->ExportVDB(2, 5, path("seq.vdb"), 32), 4) << status();
  frameFour("after");
  ASSERT_TRUE(ink->FreeGPU());
  frameFour("freed");
  for (const std::string tag : {"alone", "after", "freed"}) {
    EXPECT_EQ(bytes(tag + ".exr"), bytes("seq_0004.exr")) << tag;
    EXPECT_EQ(bytes(tag + "_0004.prt"), bytes("seq_0004.prt")) << tag;
    EXPECT_EQ(bytes(tag + "_0004.vdb"), bytes("seq_0004.vdb")) << tag;
  }
  for (const auto& entry : fs::directory_iterator(dir.file("")))
    EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
}

TEST_F(BatchDriverTest, FailuresEndTheLoopWithOneLine) {
  EXPECT_FALSE(ink->RenderFrame(nullptr, 1, path("x.png"), 16, 16));
  EXPECT_EQ(status(), "renderFrame needs a camera node");

  // The writer's own line already names the write, so it stands.
  EXPECT_FALSE(ink->RenderFrame(camera, 1, path("missing/x.png"), 16, 16));
  EXPECT_EQ(status(), "cannot write " + dir.file("missing/x.png"));

  // A frame is written under a partial name and renamed when complete: when
  // the rename fails, the partial file goes and the line names the frame.
  fs::create_directories(dir.file("taken_0001.vdb/inside"));
  fs::create_directories(dir.file("taken.0001.png/inside"));
  EXPECT_EQ(ink->RenderSequence(camera, 1, 1, path("taken.####.png"), 16, 16), 0);
  EXPECT_EQ(status(), "cannot write " + dir.file("taken.0001.png"));
  EXPECT_FALSE(fs::exists(dir.file(".taken.0001.partial.png")));
  EXPECT_EQ(ink->ExportVDB(1, 1, path("taken.vdb"), 32), 0);
  EXPECT_EQ(status(), "cannot write " + dir.file("taken_0001.vdb"));

  // Frames whose time wraps a 32-bit tick count are refused before any work.
  EXPECT_EQ(ink->RenderSequence(camera, 0, 20000000, path("far.png"), 16, 16), 0);
  EXPECT_EQ(status(), "frame 20000000 is outside the time range");

  // The previous frame's copy that does not fit is a status line, not a crash.
  ink::renderFaults::failHostAllocation(1);
  EXPECT_EQ(ink->RenderSequence(camera, 1, 2, path("passes.exr"), 16, 16), 0);
  EXPECT_EQ(status(), "not enough system memory for the previous frame's 3000 positions");

  core.SetEscapePressed(true);
  EXPECT_EQ(ink->RenderSequence(camera, 1, 3, path("esc.png"), 16, 16), 0);
  EXPECT_EQ(status(), "cancelled at frame 1");
}

TEST_F(BatchDriverTest, RenderOverTakesTheBackgroundsSize) {
  const std::vector<float> grey(20 * 12 * 4, 0.5f);
  std::string error;
  ASSERT_TRUE(ink::writeFrame(dir.file("bg.exr"), grey, {}, 20, 12, {.exrFloat = true}, error)) << error;
  pb.SetValue(pid::renderPasses, 0, 0);
  ASSERT_TRUE(ink->RenderOver(camera, 2, path("bg.exr"), path("over.png"))) << status();
  EXPECT_TRUE(std::regex_match(status(), std::regex("over 20x12: 3000 particles, 0 lights, render \\d+\\.\\d{3} s -> "
                                                    ".*/over\\.png")))
      << status();
  const PngImage png = readPng(dir.file("over.png"));
  ASSERT_EQ(png.width, 20);
  ASSERT_EQ(png.height, 12);
  EXPECT_NEAR(png.rgba[0], 188, 2);  // the corner shows the background: 0.5 in sRGB

  EXPECT_FALSE(ink->RenderOver(camera, 2, path("nothing.exr"), path("over.png")));
  EXPECT_EQ(status(), "renderOver: cannot read the background image");
  EXPECT_FALSE(ink->RenderOver(nullptr, 2, path("bg.exr"), path("over.png")));
  EXPECT_EQ(status(), "renderOver needs a camera node");
}

// The records as zlib inflates them, for a file of our writer.
struct PrtFile {
  std::vector<std::string> names;
  std::vector<std::int32_t> offsets;
  std::int32_t recordSize = 0;
  std::int64_t count = 0;
  prttest::Bytes records;
  int offset(const std::string& name) const {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1 : offsets[static_cast<std::size_t>(it - names.begin())];
  }
};

PrtFile readPrt(const std::string& path) {
  const prttest::Bytes bytes = prttest::readFile(path);
  PrtFile f;
  std::memcpy(&f.count, bytes.data() + 48, 8);
  std::int32_t channels = 0;
  std::memcpy(&channels, bytes.data() + 60, 4);
  for (int c = 0; c < channels; ++c) {
    const std::uint8_t* record = bytes.data() + 68 + 44 * c;
    std::int32_t type, arity, offset;
    std::memcpy(&type, record + 32, 4);
    std::memcpy(&arity, record + 36, 4);
    std::memcpy(&offset, record + 40, 4);
    f.names.emplace_back(reinterpret_cast<const char*>(record));
    f.offsets.push_back(offset);
    f.recordSize = std::max(f.recordSize, offset + arity * prt::dataTypeSize(type));
  }
  const prttest::Bytes stream(bytes.begin() + 68 + 44 * channels, bytes.end());
  EXPECT_TRUE(prttest::zlibDecompress(stream, f.records)) << path;  // Adler-32 checked
  return f;
}

template <class T>
T field(const PrtFile& f, std::int64_t particle, const std::string& name, int component = 0) {
  T v;
  std::memcpy(&v, f.records.data() + particle * f.recordSize + f.offset(name) + component * sizeof(T), sizeof v);
  return v;
}

TEST_F(BatchDriverTest, PrtCarriesTheSwitchedChannelsInOrder) {
  ASSERT_EQ(ink->ExportPRT(2, 2, path("all.prt")), 1) << status();
  EXPECT_EQ(status(), "PRT frame 2: 3000 particles, 11 channels, 66 bytes each -> " + dir.file("all_0002.prt"));
  const PrtFile all = readPrt(dir.file("all_0002.prt"));
  EXPECT_EQ(all.names, (std::vector<std::string>{"Position", "Density", "Velocity", "Color", "Emission", "Normal", "ID",
                                                 "Age", "Source", "Group", "Rest"}));
  ASSERT_EQ(all.count, 3000);
  ASSERT_EQ(all.records.size(), 3000u * 66u);
  prt::Particles read;
  std::string message;
  ASSERT_TRUE(prt::Read(dir.file("all_0002.prt"), 1, read, message)) << message;
  int moving = 0;
  for (std::int64_t i = 0; i < 3000; ++i) {
    EXPECT_EQ(field<float>(all, i, "Position", 1), read.positions[3 * i + 1]);
    EXPECT_EQ(field<std::int32_t>(all, i, "ID"), i);
    EXPECT_EQ(field<std::uint8_t>(all, i, "Group"), 0);
    EXPECT_EQ(field<std::uint8_t>(all, i, "Source"), 0);  // no assemble
    EXPECT_GE(field<float>(all, i, "Age"), 0.f);
    float n2 = 0;
    for (int c = 0; c < 3; ++c) n2 += std::pow(prt::halfToFloat(field<std::uint16_t>(all, i, "Normal", c)), 2.f);
    EXPECT_NEAR(n2, 1.f, 0.01f);
    moving += field<float>(all, i, "Velocity") != 0.f;
  }
  EXPECT_GT(moving, 2000);  // seeded from frame 1

  // Every switch off: Position and Density only.
  for (ParamID id : {pid::prtVelocity, pid::prtColor, pid::prtEmission, pid::prtNormal, pid::prtID, pid::prtAge,
                     pid::prtSource, pid::prtRest})
    pb.SetValue(id, 0, 0);
  pb.SetValue(pid::prtWorldSpace, 0, 1);
  inkNode->Transform().position.SetConstant(Point3(10, 0, 0));
  ASSERT_EQ(ink->ExportPRT(2, 2, path("bare.####.prt")), 1) << status();
  EXPECT_EQ(status(), "PRT frame 2: 3000 particles, 2 channels, 14 bytes each -> " + dir.file("bare.0002.prt"));
  const PrtFile bare = readPrt(dir.file("bare.0002.prt"));
  EXPECT_EQ(bare.names, (std::vector<std::string>{"Position", "Density"}));
  // World space: the node's move shows in every position.
  EXPECT_NEAR(field<float>(bare, 7, "Position"), field<float>(all, 7, "Position") + 10.f, 1e-3f);
}

// At progress 0 every particle sits in its assemble source: the PRT
// "Source" channel and the render's source shares name the same one.
TEST_F(BatchDriverTest, AssembleSourcesAgreeInThePrtSourceChannelAndTheSourcePasses) {
  INode* ball = meshNode(new host::SphereObject(15.f, 16), L"Ball", Point3(100, 0, 0));
  INode* crate = meshNode(new host::BoxObject(Point3(20, 30, 10)), L"Crate", Point3(-100, 0, 0));
  pb.SetValue(pid::assembleSource1, 0, ball);
  pb.SetValue(pid::assembleSource2, 0, crate);
  pb.SetValue(pid::assembleOn, 0, 1);
  pb.SetValue(pid::assembleProgress, 0, 0.f);
  pb.SetValue(pid::assembleSpread, 0, 0.f);
  pb.SetValue(pid::prtNormal, 0, 0);
  ASSERT_EQ(ink->ExportPRT(2, 2, path("gather.prt")), 1) << status();
  const PrtFile prt = readPrt(dir.file("gather_0002.prt"));
  ASSERT_EQ(prt.count, 3000);
  int fromCrate = 0;
  for (std::int64_t i = 0; i < prt.count; ++i) {
    const std::uint8_t source = field<std::uint8_t>(prt, i, "Source");
    const float x = field<float>(prt, i, "Position"), y = field<float>(prt, i, "Position", 1);
    ASSERT_TRUE(source == 1 || source == 2) << i;
    fromCrate += source == 2;
    if (source == 1) {
      ASSERT_LE(std::hypot(x - 100.f, y), 15.01f) << i;
    } else {
      ASSERT_LE(std::fabs(x + 100.f), 10.01f) << i;
    }
  }
  EXPECT_NEAR(fromCrate, 1500, 120);

  // Seen from the front the ball is on the right, the crate on the left.
  camera->Transform().position.SetConstant(Point3(0, -400, 0));
  constexpr int W = 48, H = 16;
  ASSERT_TRUE(ink->RenderFrame(camera, 2, path("gather.exr"), W, H)) << status();
  EXPECT_NE(status().find("ink 3000, assemble 0.00"), std::string::npos) << status();
  Imf::InputFile file(dir.file("gather.exr").c_str());
  std::vector<float> ball1(W * H), crate2(W * H);
  Imf::FrameBuffer fb;
  fb.insert("source.R", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(ball1.data()), sizeof(float), W * sizeof(float)));
  fb.insert("source.G", Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(crate2.data()), sizeof(float), W * sizeof(float)));
  file.setFrameBuffer(fb);
  file.readPixels(file.header().dataWindow().min.y, file.header().dataWindow().max.y);
  double share[2][2] = {};  // [source][left or right half]
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      share[0][x >= W / 2] += ball1[y * W + x];
      share[1][x >= W / 2] += crate2[y * W + x];
    }
  EXPECT_GT(share[0][1], 0.1);
  EXPECT_GT(share[1][0], 0.1);
  EXPECT_EQ(share[0][0], 0.0);
  EXPECT_EQ(share[1][1], 0.0);
}

TEST_F(BatchDriverTest, EscDuringAPrtExportCountsTheFilesWritten) {
  pb.SetValue(pid::prtNormal, 0, 0);
  CancelAtFrame cancel(core, 12);
  EXPECT_EQ(ink->ExportPRT(9, 14, path("ink.prt")), 3);
  EXPECT_EQ(status(), "PRT cancelled at frame 12 (3 written)");
  EXPECT_TRUE(fs::exists(dir.file("ink_0011.prt")));
  EXPECT_FALSE(fs::exists(dir.file("ink_0012.prt")));
  EXPECT_EQ(cancel.texts.front(), "Tessaron Orb Ink: PRT export  0 / 6  (0%)  frame 9  -  ESC cancels");
}

TEST_F(BatchDriverTest, ExportPatternsLongerThanTheLimitAreRefusedNotCut) {
  const std::string longName = dir.file(std::string(1100, 'v') + ".vdb");
  EXPECT_EQ(ink->ExportVDB(1, 1, host::widen(longName), 64), 0);
  EXPECT_EQ(status(), "the VDB file pattern is longer than 1023 bytes");
  EXPECT_EQ(ink->ExportPRT(1, 1, host::widen(longName)), 0);
  EXPECT_EQ(status(), "the PRT file pattern is longer than 1023 bytes");
}

TEST_F(BatchDriverTest, VdbClampsTheResolutionAndWritesAFogVolume) {
  pb.SetValue(pid::radius, 0, 40.f);
  ASSERT_EQ(ink->ExportVDB(2, 2, path("ink.vdb"), 10), 1) << status();
  EXPECT_TRUE(std::regex_match(status(), std::regex("VDB frame 2: 3000 particles, 32\\^3, \\d+ leaves, peak [0-9.e+-]+ "
                                                    "-> .*/ink_0002\\.vdb")))
      << status();
#ifdef ORB_HAVE_OPENVDB
  openvdb::initialize();
  openvdb::io::File file(dir.file("ink_0002.vdb"));
  file.open();
  const auto grid = openvdb::gridPtrCast<openvdb::FloatGrid>(file.readGrid("density"));
  ASSERT_TRUE(grid);
  EXPECT_EQ(grid->voxelSize(), openvdb::Vec3d(80.0 / 32));
  EXPECT_GT(grid->activeVoxelCount(), 100u);
  const openvdb::CoordBBox box = grid->evalActiveVoxelBoundingBox();
  EXPECT_GE(box.min().x(), -16);
  EXPECT_LE(box.max().x(), 15);
#endif
  if (std::string(gpu::backendName()) == "cpu") {  // the emulated device holds 1 GiB here
    EXPECT_EQ(ink->ExportVDB(2, 2, path("big.vdb"), 5000), 0);
    EXPECT_EQ(status(), "GPU out of memory for a 1536^3 grid");
  }
}

}  // namespace

namespace {
// A streamed engine hands its particles over from its host copy; the records
// must not depend on where they come from.
TEST_F(BatchDriverTest, StreamedInkExportsTheSameRecordsAsResidentInk) {
  pb.SetValue(pid::prtNormal, 0, 0);  // the grid's splat order may round differently
  ASSERT_EQ(ink->ExportPRT(3, 4, path("resident.prt")), 2) << status();
  setenv("ORB_INK_MAX_RESIDENT", "700", 1);
  ink->FreeGPU();  // the next evaluation sizes the engine again, now streamed
  ASSERT_EQ(ink->ExportPRT(3, 4, path("streamed.prt")), 2) << status();
  ASSERT_TRUE(ink->Evaluation().inkEngine(EvalMode::Render)->streamed());
  for (const char* frame : {"_0003.prt", "_0004.prt"})
    EXPECT_EQ(prttest::readFile(dir.file(std::string("resident") + frame)),
              prttest::readFile(dir.file(std::string("streamed") + frame)))
        << frame;
}

// A second source continues the running index: its IDs follow the ink's and
// its records carry its own group.
TEST_F(BatchDriverTest, RecordsOfTheNextSourceContinueTheRunningIndex) {
  pb.SetValue(pid::prtNormal, 0, 0);
  ASSERT_EQ(ink->ExportPRT(2, 2, path("first.prt")), 1) << status();
  pb.SetValue(pid::prtInFile, 0, path("first_0002.prt").c_str());
  pb.SetValue(pid::prtInOn, 0, 1);
  pb.SetValue(pid::prtInWorld, 0, 0);
  ASSERT_EQ(ink->ExportPRT(2, 2, path("both.prt")), 1) << status();
  const PrtFile both = readPrt(dir.file("both_0002.prt"));
  ASSERT_EQ(both.count, 6000);
  EXPECT_EQ(field<std::int32_t>(both, 3000, "ID"), 3000);
  EXPECT_EQ(field<std::uint8_t>(both, 2999, "Group"), 0);
  EXPECT_EQ(field<std::uint8_t>(both, 3000, "Group"), 3);
  // The PRT input's particles are the first file's, in object space.
  const PrtFile first = readPrt(dir.file("first_0002.prt"));
  EXPECT_EQ(field<float>(both, 3000 + 17, "Position", 2), field<float>(first, 17, "Position", 2));
}

}  // namespace
