#include <ImfRgbaFile.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include "TestFiles.h"
#include "host/runtime/BitmapManager.h"
#include "host/runtime/Materials.h"

namespace {

float srgb(int code) {
  const double c = code / 255.0;
  return float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

// RGBA halves from the top row down; the data window starts at `origin`
// to cover images not anchored at (0, 0).
void writeExr(const std::string& path, int w, int h, const std::vector<float>& rgba, bool alpha = true, int origin = 0) {
  const Imath::Box2i window({origin, origin}, {origin + w - 1, origin + h - 1});
  std::vector<Imf::Rgba> px;
  for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) px.emplace_back(rgba[i], rgba[i + 1], rgba[i + 2], rgba[i + 3]);
  Imf::RgbaOutputFile file(path.c_str(), window, window, alpha ? Imf::WRITE_RGBA : Imf::WRITE_RGB);
  file.setFrameBuffer(Imf::ComputeBasePointer(px.data(), window), 1, std::size_t(w));
  file.writePixels(h);
}

class BitmapFiles : public ::testing::Test {
 protected:
  std::unique_ptr<Bitmap, void (*)(Bitmap*)> load(const std::string& path) {
    BitmapInfo bi(host::widen(path).c_str());
    status = -1;
    return {TheManager->Load(&bi, &status), [](Bitmap* b) { if (b) b->DeleteThis(); }};
  }
  static void expectPixel(const Bitmap* bm, int x, int y, BMM_Color_fl want) {
    BMM_Color_fl c{NAN, NAN, NAN, NAN};
    ASSERT_NE(bm, nullptr) << TheManager->LastError();
    ASSERT_EQ(bm->GetLinearPixels(x, y, 1, &c), 1);
    EXPECT_NEAR(c.r, want.r, 1e-6f);
    EXPECT_NEAR(c.g, want.g, 1e-6f);
    EXPECT_NEAR(c.b, want.b, 1e-6f);
    EXPECT_NEAR(c.a, want.a, 1e-6f);
  }
  void expectUndecodable(const std::string& path) {
    EXPECT_EQ(load(path), nullptr) << path;
    EXPECT_EQ(status, BMMRES_INVALIDFORMAT) << path;
    const std::string& error = TheManager->LastError();
    const std::string prefix = "cannot decode image '" + path + "': ";
    EXPECT_TRUE(error.rfind(prefix, 0) == 0 && error.size() > prefix.size()) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
  testfiles::TempDir dir;
  BMMRES status = -1;
};

}  // namespace

TEST_F(BitmapFiles, EightBitImagesAreLinearisedWithTheExactSrgbCurve) {
  const std::string path = dir.path("Colour \xc3\xbc.PNG");  // upper case and non-ASCII on purpose
  const unsigned char px[] = {0, 128, 255, 64, 10, 11, 200, 255, 1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(stbi_write_png(path.c_str(), 2, 2, 4, px, 8));
  auto bm = load(path);
  EXPECT_EQ(status, BMMRES_SUCCESS);
  EXPECT_NEAR(srgb(128), 0.2158605f, 1e-7f);
  expectPixel(bm.get(), 0, 0, {0.f, srgb(128), 1.f, 64 / 255.f});
  expectPixel(bm.get(), 1, 0, {srgb(10), srgb(11), srgb(200), 1.f});
  expectPixel(bm.get(), 0, 1, {srgb(1), srgb(2), srgb(3), 4 / 255.f});
  const std::string grey = dir.path("grey.png");
  ASSERT_TRUE(stbi_write_png(grey.c_str(), 1, 1, 1, px + 1, 1));
  expectPixel(load(grey).get(), 0, 0, {srgb(128), srgb(128), srgb(128), 1.f});
}

TEST_F(BitmapFiles, HdrAndExrStayLinear) {
  const std::string hdr = dir.path("sky.hdr");
  const float rgb[] = {0.5f, 0.25f, 2.f, 8.f, 0.f, 1.f};
  ASSERT_TRUE(stbi_write_hdr(hdr.c_str(), 2, 1, 3, rgb));
  expectPixel(load(hdr).get(), 1, 0, {8.f, 0.f, 1.f, 1.f});

  const std::vector<float> px = {0.5f, 3.f, 1.25f, 0.75f, -1.f, 0.f, 100.f, 0.25f};
  for (const int origin : {0, -7}) {
    const std::string exr = dir.path("map" + std::to_string(origin) + ".exr");
    writeExr(exr, 1, 2, px, true, origin);
    auto e = load(exr);
    expectPixel(e.get(), 0, 0, {0.5f, 3.f, 1.25f, 0.75f});
    expectPixel(e.get(), 0, 1, {-1.f, 0.f, 100.f, 0.25f});
  }
  writeExr(dir.path("opaque.exr"), 1, 2, px, false);
  expectPixel(load(dir.path("opaque.exr")).get(), 0, 1, {-1.f, 0.f, 100.f, 1.f});
}

TEST_F(BitmapFiles, MissingUnsupportedAndCorruptFilesFailCleanly) {
  for (const std::string& missing : {dir.path("missing.png"), dir.path("")}) {
    EXPECT_EQ(load(missing), nullptr);
    EXPECT_EQ(status, BMMRES_FILENOTFOUND);
    EXPECT_EQ(TheManager->LastError(), "cannot open image '" + missing + "'");
  }
  EXPECT_EQ(TheManager->Load(nullptr), nullptr);

  const std::string gif = dir.path("anim.gif");
  testfiles::writeBytes(gif, "GIF89a");
  expectUndecodable(gif);
  EXPECT_EQ(TheManager->LastError(), "cannot decode image '" + gif + "': unsupported file type '.gif'");

  std::mt19937 rng(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = char(rng());
  const std::string png = dir.path("good.png"), exr = dir.path("good.exr");
  const std::vector<unsigned char> grey(192, 90);
  ASSERT_TRUE(stbi_write_png(png.c_str(), 8, 8, 3, grey.data(), 24));
  writeExr(exr, 8, 8, std::vector<float>(256, 0.5f));
  const std::string p = testfiles::readBytes(png), e = testfiles::readBytes(exr);
  const std::pair<const char*, std::string> cases[] = {
      {"noise.png", noise}, {"noise.exr", noise},  {"noise.hdr", noise},           {"noise.jpg", noise},
      {"empty.exr", ""},    {"empty.png", ""},     {"png-as.hdr", p},              {"cut.png", p.substr(0, p.size() / 2)},
      {"cut.exr", e.substr(0, e.size() / 2)},      {"tail.exr", e.substr(0, e.size() - 8)},
      {"tail.png", p.substr(0, p.size() - 20)}};
  for (const auto& [name, bytes] : cases) {
    testfiles::writeBytes(dir.path(name), bytes);
    expectUndecodable(dir.path(name));
  }
}

TEST(Bitmap, GetLinearPixelsCopiesOnlySpansInsideTheImage) {
  std::vector<BMM_Color_fl> px(6);
  for (int i = 0; i < 6; ++i) px[i].r = float(i);
  const Bitmap bm(3, 2, px);
  BMM_Color_fl out[3] = {};
  ASSERT_EQ(bm.GetLinearPixels(1, 1, 2, out), 2);
  EXPECT_EQ(out[1].r, 5.f);
  for (auto [x, y, n] : {std::tuple(1, 1, 3), std::tuple(-1, 0, 1), std::tuple(0, -1, 1), std::tuple(0, 2, 1),
                         std::tuple(3, 0, 1), std::tuple(0, 0, -1), std::tuple(0, 0, 0)}) {
    out[0].r = -9;
    EXPECT_EQ(bm.GetLinearPixels(x, y, n, out), 0) << x << "," << y << "," << n;
    EXPECT_EQ(out[0].r, -9.f);
  }
  EXPECT_EQ(bm.GetLinearPixels(0, 0, 1, nullptr), 0);
  EXPECT_EQ(Bitmap(3, 3, px).GetLinearPixels(0, 0, 1, out), 0);  // too few pixels for its size: empty
}

TEST_F(BitmapFiles, BitmapTexSamplesBilinearlyAndRepeats) {
  const std::string path = dir.path("quad.exr");  // top row black, red; bottom row green, blue
  writeExr(path, 2, 2, {0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1});
  host::BitmapTex tex;
  std::string error;
  ASSERT_TRUE(tex.SetMapName(host::widen(path), error)) << error;
  const auto at = [&](float u, float v) {
    ShadeContext sc;
    sc.uvw = Point3(u, v, 0.f);
    return tex.EvalColor(sc);
  };
  EXPECT_EQ(at(0.25f, 0.25f), AColor(0, 1, 0, 1));  // texel centre, bottom left
  EXPECT_EQ(at(0.75f, 0.75f), AColor(1, 0, 0, 1));
  EXPECT_EQ(at(0.5f, 0.25f), AColor(0, 0.5f, 0.5f, 1));
  EXPECT_EQ(at(0.f, 0.25f), AColor(0, 0.5f, 0.5f, 1));  // across the left edge to the right column
  EXPECT_EQ(at(-1.75f, 3.25f), AColor(0, 1, 0, 1));
  EXPECT_EQ(at(0.5f, 0.5f), AColor(0.25f, 0.25f, 0.25f, 1));

  Bitmap* image = tex.GetBitmap();
  EXPECT_FALSE(tex.SetMapName(L"/nonexistent/x.png", error));
  EXPECT_EQ(error, "cannot open image '/nonexistent/x.png'");
  EXPECT_EQ(tex.GetBitmap(), image);
  EXPECT_EQ(tex.GetMapName(), host::widen(path));
}
