#include "ink/render/RenderCamera.h"

#include <cmath>

#include "util/Vec.h"

namespace ink {
namespace {
orb::Vec vec(const Point3& p) { return {p.x, p.y, p.z}; }
orb::Vec unit(orb::Vec v) { return normalizedOr(v, v); }
}  // namespace

std::optional<Camera> buildCamera(const Matrix3* cameraTransform, const Matrix3* inkTransform,
                                  std::optional<float> fov) {
  if (!cameraTransform) return std::nullopt;
  const Matrix3 m = inkTransform ? *cameraTransform * Inverse(*inkTransform) : *cameraTransform;
  Camera camera;
  camera.eye = vec(m.GetTrans());
  camera.right = unit(vec(m.GetRow(0)));
  camera.up = unit(vec(m.GetRow(1)));
  camera.forward = -unit(vec(m.GetRow(2)));
  camera.tanHalfFov = std::tan(fov.value_or(kDefaultFieldOfView) * 0.5f);
  return camera;
}

}  // namespace ink
