#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "TestFiles.h"
#include "host/runtime/BitmapManager.h"
#include "host/runtime/Materials.h"

namespace {

float srgb(int code, float max = 255.f) {
  const double c = code / max;
  return float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
}

class BitmapFiles : public ::testing::Test {
 protected:
  // The loaded image, or null with the status and the error kept.
  std::unique_ptr<Bitmap, void (*)(Bitmap*)> load(const std::string& path) {
    BitmapInfo bi(host::widen(path).c_str());
    status = -1;
    return {TheManager->Load(&bi, &status), [](Bitmap* b) { if (b) b->DeleteThis(); }};
  }
  static BMM_Color_fl pixel(const Bitmap* bm, int x, int y) {
    BMM_Color_fl c{NAN, NAN, NAN, NAN};
    if (!bm) {
      ADD_FAILURE() << "no image: " << TheManager->LastError();
    } else {
      EXPECT_EQ(bm->GetLinearPixels(x, y, 1, &c), 1);
    }
    return c;
  }
  static void expectPixel(const BMM_Color_fl& c, float r, float g, float b, float a) {
    EXPECT_NEAR(c.r, r, 1e-6f);
    EXPECT_NEAR(c.g, g, 1e-6f);
    EXPECT_NEAR(c.b, b, 1e-6f);
    EXPECT_NEAR(c.a, a, 1e-6f);
  }
  void expectUndecodable(const std::string& path) {
    EXPECT_EQ(load(path), nullptr) << path;
    EXPECT_EQ(status, BMMRES_INVALIDFORMAT) << path;
    const std::string prefix = "cannot decode image '" + path + "': ";
    EXPECT_EQ(TheManager->LastError().rfind(prefix, 0), 0u) << TheManager->LastError();
    EXPECT_GT(TheManager->LastError().size(), prefix.size());
    EXPECT_EQ(TheManager->LastError().find('\n'), std::string::npos) << TheManager->LastError();
  }
  testfiles::TempDir dir;
  BMMRES status = -1;
};

}  // namespace

TEST_F(BitmapFiles, EightBitImagesAreLinearisedWithTheExactSrgbCurve) {
  const std::string path = dir.path("Colour \xc3\xbc.PNG");  // upper case and non-ASCII on purpose
  testfiles::writePng(path, 2, 2, 4, {0, 128, 255, 64, 10, 11, 200, 255, 1, 2, 3, 4, 5, 6, 7, 8});
  auto bm = load(path);
  ASSERT_NE(bm, nullptr) << TheManager->LastError();
  EXPECT_EQ(status, BMMRES_SUCCESS);
  ASSERT_EQ(bm->Width(), 2);
  ASSERT_EQ(bm->Height(), 2);
  EXPECT_NEAR(srgb(128), 0.2158605f, 1e-7f);
  expectPixel(pixel(bm.get(), 0, 0), 0.f, srgb(128), 1.f, 64 / 255.f);
  expectPixel(pixel(bm.get(), 1, 0), srgb(10), srgb(11), srgb(200), 1.f);
  expectPixel(pixel(bm.get(), 0, 1), srgb(1), srgb(2), srgb(3), 4 / 255.f);

  const std::string grey = dir.path("grey.png");
  testfiles::writePng(grey, 1, 1, 1, {128});
  expectPixel(pixel(load(grey).get(), 0, 0), srgb(128), srgb(128), srgb(128), 1.f);

  const std::string deep = dir.path("deep.png");
  testfiles::writePng16(deep, 1, 1, {32768, 65535, 0, 16384});
  auto bm16 = load(deep);
  ASSERT_NE(bm16, nullptr) << TheManager->LastError();
  expectPixel(pixel(bm16.get(), 0, 0), srgb(32768, 65535.f), 1.f, 0.f, 16384 / 65535.f);
}

TEST_F(BitmapFiles, HdrAndExrStayLinear) {
  const std::string hdr = dir.path("sky.hdr");
  testfiles::writeHdr(hdr, 2, 1, {0.5f, 0.25f, 2.f, 8.f, 0.f, 1.f});
  auto h = load(hdr);
  ASSERT_NE(h, nullptr) << TheManager->LastError();
  expectPixel(pixel(h.get(), 0, 0), 0.5f, 0.25f, 2.f, 1.f);
  expectPixel(pixel(h.get(), 1, 0), 8.f, 0.f, 1.f, 1.f);

  const std::vector<float> px = {0.5f, 3.f, 1.25f, 0.75f, -1.f, 0.f, 100.f, 0.25f};
  for (const int origin : {0, -7}) {
    const std::string exr = dir.path("map" + std::to_string(origin) + ".exr");
    testfiles::writeExr(exr, 1, 2, px, true, origin);
    auto e = load(exr);
    ASSERT_NE(e, nullptr) << TheManager->LastError();
    ASSERT_EQ(e->Width(), 1);
    ASSERT_EQ(e->Height(), 2);
    expectPixel(pixel(e.get(), 0, 0), 0.5f, 3.f, 1.25f, 0.75f);
    expectPixel(pixel(e.get(), 0, 1), -1.f, 0.f, 100.f, 0.25f);
  }
  const std::string opaque = dir.path("opaque.exr");
  testfiles::writeExr(opaque, 1, 2, px, false);
  expectPixel(pixel(load(opaque).get(), 0, 1), -1.f, 0.f, 100.f, 1.f);
}

TEST_F(BitmapFiles, MissingAndUnsupportedFilesAreReported) {
  const std::string missing = dir.path("missing.png");
  EXPECT_EQ(load(missing), nullptr);
  EXPECT_EQ(status, BMMRES_FILENOTFOUND);
  EXPECT_EQ(TheManager->LastError(), "cannot open image '" + missing + "'");
  EXPECT_EQ(load(dir.path("")), nullptr);
  EXPECT_EQ(status, BMMRES_FILENOTFOUND);
  EXPECT_EQ(TheManager->Load(nullptr), nullptr);
  EXPECT_EQ(TheManager->LastError(), "cannot open image ''");

  const std::string gif = dir.path("anim.gif");
  testfiles::writeBytes(gif, "GIF89a");
  expectUndecodable(gif);
  EXPECT_EQ(TheManager->LastError(), "cannot decode image '" + gif + "': unsupported file type '.gif'");
}

TEST_F(BitmapFiles, CorruptFilesFailCleanly) {
  std::mt19937 rng(7);
  std::string noise(4096, '\0');
  for (char& c : noise) c = char(rng());
  const std::string png = dir.path("good.png"), exr = dir.path("good.exr");
  testfiles::writePng(png, 8, 8, 3, std::vector<std::uint8_t>(192, 90));
  testfiles::writeExr(exr, 8, 8, std::vector<float>(256, 0.5f));
  const std::string pngBytes = testfiles::readBytes(png), exrBytes = testfiles::readBytes(exr);
  const std::pair<std::string, std::string> cases[] = {
      {"noise.png", noise},          {"noise.exr", noise},
      {"noise.hdr", noise},          {"noise.jpg", noise},
      {"empty.exr", ""},             {"empty.png", ""},
      {"png-as.hdr", pngBytes},      {"cut.png", pngBytes.substr(0, pngBytes.size() / 2)},
      {"cut.exr", exrBytes.substr(0, exrBytes.size() / 2)},
      {"header.exr", exrBytes.substr(0, 40)},  {"tail.exr", exrBytes.substr(0, exrBytes.size() - 8)},
      {"tail.png", pngBytes.substr(0, pngBytes.size() - 20)},
  };
  for (const auto& [name, bytes] : cases) {
    testfiles::writeBytes(dir.path(name), bytes);
    expectUndecodable(dir.path(name));
  }
}

TEST(Bitmap, GetLinearPixelsCopiesOnlySpansInsideTheImage) {
  std::vector<BMM_Color_fl> px(6);
  for (int i = 0; i < 6; ++i) px[i].r = float(i);
  const Bitmap bm(3, 2, px);
  BMM_Color_fl out[4] = {};
  ASSERT_EQ(bm.GetLinearPixels(1, 1, 2, out), 2);
  EXPECT_EQ(out[0].r, 4.f);
  EXPECT_EQ(out[1].r, 5.f);
  const BMM_Color_fl sentinel{-9, -9, -9, -9};
  for (auto [x, y, n] : {std::tuple(1, 1, 3), std::tuple(-1, 0, 1), std::tuple(0, -1, 1), std::tuple(0, 2, 1),
                         std::tuple(3, 0, 1), std::tuple(0, 0, -1), std::tuple(0, 0, 0)}) {
    out[0] = sentinel;
    EXPECT_EQ(bm.GetLinearPixels(x, y, n, out), 0) << x << "," << y << "," << n;
    EXPECT_EQ(out[0].r, -9.f);
  }
  EXPECT_EQ(bm.GetLinearPixels(0, 0, 1, nullptr), 0);
  const Bitmap mismatched(3, 3, px);  // too few pixels for its size
  EXPECT_EQ(mismatched.Width(), 0);
  EXPECT_EQ(mismatched.GetLinearPixels(0, 0, 1, out), 0);
}

TEST_F(BitmapFiles, BitmapTexSamplesBilinearlyAndRepeats) {
  // Top row black and red, bottom row green and blue.
  const std::string path = dir.path("quad.exr");
  testfiles::writeExr(path, 2, 2, {0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1});
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
  EXPECT_EQ(at(0.f, 0.25f), AColor(0, 0.5f, 0.5f, 1));   // across the left edge to the right column
  EXPECT_EQ(at(-1.75f, 3.25f), AColor(0, 1, 0, 1));
  EXPECT_EQ(at(0.5f, 0.5f), AColor(0.25f, 0.25f, 0.25f, 1));

  Bitmap* image = tex.GetBitmap();
  EXPECT_FALSE(tex.SetMapName(L"/nonexistent/x.png", error));
  EXPECT_EQ(error, "cannot open image '/nonexistent/x.png'");
  EXPECT_EQ(tex.GetBitmap(), image);
  EXPECT_EQ(tex.GetMapName(), host::widen(path));
}
