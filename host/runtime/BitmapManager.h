#pragma once
// The bitmap manager: loads image files (.hdr, .exr, .png, .jpg, .bmp, .tga)
// and hands them out as linear floating-point RGBA rows. 8-bit images are
// taken as sRGB and linearised; HDR and EXR are already linear.
#include <string>
#include <vector>

#include "host/sdk/Point3.h"
#include "host/sdk/Types.h"

class BitmapInfo {
 public:
  BitmapInfo() = default;
  explicit BitmapInfo(const MCHAR* name) : name_(name ? name : _M("")) {}
  void SetName(const MCHAR* name) { name_ = name ? name : _M(""); }
  const MCHAR* Name() const { return name_.c_str(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int w, int h) { width_ = w; height_ = h; }

 private:
  MSTR name_;
  int width_ = 0, height_ = 0;
};

class Bitmap {
 public:
  Bitmap(int width, int height, std::vector<BMM_Color_fl> pixels);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Copies `pixels` pixels of row y starting at x (row 0 at the top);
  // returns 0 when the span leaves the image.
  int GetLinearPixels(int x, int y, int pixels, BMM_Color_fl* out) const;
  void DeleteThis() { delete this; }

 private:
  int width_, height_;
  std::vector<BMM_Color_fl> pixels_;
};

using BMMRES = int;
constexpr BMMRES BMMRES_SUCCESS = 0;
constexpr BMMRES BMMRES_FILENOTFOUND = 1;
constexpr BMMRES BMMRES_INVALIDFORMAT = 2;

class BitmapManager {
 public:
  // The image, which the caller releases with DeleteThis, or null with the
  // status set and a one-line reason in LastError().
  Bitmap* Load(BitmapInfo* bi, BMMRES* status = nullptr);
  const std::string& LastError() const { return lastError_; }

 private:
  std::string lastError_;
};

extern BitmapManager* TheManager;
