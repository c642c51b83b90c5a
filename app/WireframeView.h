#pragma once
// A wireframe preview of what the host's viewports show, seen from a camera
// node: every node's visible mesh edges in its wire colour, the lines of
// its custom render items (or of its legacy display) in theirs, and
// particles as small crosses.
#include <cstdint>
#include <string>
#include <vector>

#include "host/sdk/Matrix3.h"
#include "host/sdk/Time.h"

class Interface;
class INode;

namespace app {

class WireframeImage {
 public:
  WireframeImage(int width, int height);
  // Projects with a camera at `cameraTM` looking down its local -Z with the
  // horizontal field of view `fov` (radians); clips at the near plane.
  void setCamera(const Matrix3& cameraTM, float fov);
  void line(const Point3& a, const Point3& b, const Color& colour);
  // A particle: a small cross of fixed pixel size, skipped behind the camera.
  void cross(const Point3& p, const Color& colour);
  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<std::uint8_t>& rgb() const { return rgb_; }
  // False with "cannot write <file>" when the PNG cannot be written.
  bool writePng(const std::string& file, std::string& error) const;

 private:
  void plot(int x, int y, const Color& c);
  int width_, height_;
  std::vector<std::uint8_t> rgb_;
  Matrix3 worldToCamera_;
  float scale_ = 1;  // pixels per unit of x / -z
};

// Draws the scene at t from `camera` (which must be a camera node).
// False with a one-line error when the camera has no camera object.
bool drawScene(Interface& core, INode& camera, TimeValue t, WireframeImage& image, std::string& error);

}  // namespace app
