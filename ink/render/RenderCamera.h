#pragma once
// The camera as the renderer's kernels see it, built from the camera node's
// and the ink node's transforms at the frame's time.
#include <optional>

#include "host/sdk/Matrix3.h"
#include "ink/render/RenderRecords.h"

namespace ink {

// The field of view of a camera node whose object is not a camera: 45°.
constexpr float kDefaultFieldOfView = 0.7854f;

// The camera node's transform times the inverse of the ink node's (identity
// when the ink node is unknown), so the camera lives in ink space. `fov` is
// the camera object's horizontal field of view in radians, when the node
// holds a camera. Nothing without a camera node.
std::optional<Camera> buildCamera(const Matrix3* cameraTransform, const Matrix3* inkTransform,
                                  std::optional<float> fov);

}  // namespace ink
