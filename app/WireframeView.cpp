#include "app/WireframeView.h"

#include <algorithm>
#include <cmath>

#include "host/runtime/CameraLight.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/Particle.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace app {

namespace {
constexpr float kNear = 0.01f;
constexpr int kCrossArm = 1;  // pixels each side of a particle's centre
const Color kBackground{0.22f, 0.22f, 0.24f};

Color wireColour(DWORD c) {
  return {GetRValue(c) / 255.f, GetGValue(c) / 255.f, GetBValue(c) / 255.f};
}
}  // namespace

WireframeImage::WireframeImage(int width, int height)
    : width_(width), height_(height), rgb_(static_cast<std::size_t>(width) * height * 3) {
  for (std::size_t i = 0; i < rgb_.size(); i += 3) {
    rgb_[i] = static_cast<std::uint8_t>(kBackground.r * 255);
    rgb_[i + 1] = static_cast<std::uint8_t>(kBackground.g * 255);
    rgb_[i + 2] = static_cast<std::uint8_t>(kBackground.b * 255);
  }
}

void WireframeImage::setCamera(const Matrix3& cameraTM, float fov) {
  worldToCamera_ = Inverse(cameraTM);
  scale_ = 0.5f * width_ / std::tan(0.5f * fov);
}

void WireframeImage::plot(int x, int y, const Color& c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  std::uint8_t* p = &rgb_[(static_cast<std::size_t>(y) * width_ + x) * 3];
  p[0] = static_cast<std::uint8_t>(std::clamp(c.r, 0.f, 1.f) * 255 + 0.5f);
  p[1] = static_cast<std::uint8_t>(std::clamp(c.g, 0.f, 1.f) * 255 + 0.5f);
  p[2] = static_cast<std::uint8_t>(std::clamp(c.b, 0.f, 1.f) * 255 + 0.5f);
}

void WireframeImage::line(const Point3& wa, const Point3& wb, const Color& colour) {
  Point3 a = wa * worldToCamera_, b = wb * worldToCamera_;
  // Keep the part in front of the near plane (the camera looks down -Z).
  if (a.z > -kNear && b.z > -kNear) return;
  if (a.z > -kNear || b.z > -kNear) {
    const float t = (-kNear - a.z) / (b.z - a.z);
    const Point3 cut = a + (b - a) * t;
    (a.z > -kNear ? a : b) = cut;
  }
  auto project = [&](const Point3& p) {
    return std::pair{0.5f * width_ + scale_ * p.x / -p.z, 0.5f * height_ - scale_ * p.y / -p.z};
  };
  const auto [x0, y0] = project(a);
  const auto [x1, y1] = project(b);
  const float steps = std::ceil(std::max(std::fabs(x1 - x0), std::fabs(y1 - y0)));
  // Lines far off screen are skipped rather than walked pixel by pixel.
  if (!std::isfinite(steps) || steps > 16.f * (width_ + height_)) return;
  const int n = std::max(1, static_cast<int>(steps));
  for (int i = 0; i <= n; ++i) {
    const float t = static_cast<float>(i) / n;
    plot(static_cast<int>(std::floor(x0 + (x1 - x0) * t)), static_cast<int>(std::floor(y0 + (y1 - y0) * t)), colour);
  }
}

void WireframeImage::cross(const Point3& wp, const Color& colour) {
  const Point3 p = wp * worldToCamera_;
  if (p.z > -kNear) return;
  const float fx = 0.5f * width_ + scale_ * p.x / -p.z, fy = 0.5f * height_ - scale_ * p.y / -p.z;
  if (!std::isfinite(fx) || !std::isfinite(fy) || std::fabs(fx) > 1e6f || std::fabs(fy) > 1e6f) return;
  const int x = static_cast<int>(std::floor(fx)), y = static_cast<int>(std::floor(fy));
  for (int d = -kCrossArm; d <= kCrossArm; ++d) {
    plot(x + d, y, colour);
    plot(x, y + d, colour);
  }
}

bool WireframeImage::writePng(const std::string& file, std::string& error) const {
  if (!stbi_write_png(file.c_str(), width_, height_, 3, rgb_.data(), width_ * 3)) {
    error = "cannot write " + file;
    return false;
  }
  return true;
}

bool drawScene(Interface& core, INode& camera, TimeValue t, WireframeImage& image, std::string& error) {
  auto* cam = dynamic_cast<GenCamera*>(camera.GetObjectRef());
  if (!cam) {
    error = "node \"" + host::narrow(camera.GetName()) + "\" is not a camera";
    return false;
  }
  image.setCamera(camera.GetNodeTM(t), cam->GetFOV(t));
  for (INode* node : core.AllNodes()) {
    Object* obj = node->GetObjectRef();
    if (!obj || node->IsNodeHidden() || node == &camera) continue;
    obj->Eval(t);
    const Matrix3 tm = node->GetObjectTM(t);
    bool meshItems = true;
    auto* display = dynamic_cast<MaxSDK::Graphics::IObjectDisplay2*>(obj->GetInterface(IOBJECT_DISPLAY2_INTERFACE_ID));
    if (display) {
      MaxSDK::Graphics::UpdateDisplayContext ctx{t};
      MaxSDK::Graphics::UpdateNodeContext nodeCtx{node};
      MaxSDK::Graphics::IRenderItemContainer items;
      display->PrepareDisplay(ctx);
      display->UpdatePerNodeItems(ctx, nodeCtx, items);
      meshItems = items.defaultMeshItems;
      MaxSDK::Graphics::DrawContext dc;
      dc.setTransform(tm);
      for (std::size_t i = 0; i < items.GetNumberOfRenderItems(); ++i) items.GetRenderItem(i).item->Display(dc);
      for (const DrawnSegment& s : dc.segments()) image.line(s.a, s.b, s.color);
    } else {
      // Objects without render items draw through the legacy viewport call.
      ViewExp view;
      obj->Display(t, node, &view, 0);
      for (const DrawnSegment& s : view.getGW()->segments()) image.line(s.a, s.b, s.color);
    }
    if (obj->IsParticleSystem()) {
      auto* particles = dynamic_cast<ParticleObject*>(obj);
      const Color colour = wireColour(node->GetWireColor());
      for (int i = 0; particles && i < particles->NumParticles(); ++i) image.cross(particles->ParticlePosition(t, i), colour);
    }
    if (!meshItems || !obj->CanConvertToType(triObjectClassID)) continue;
    Object* converted = obj->ConvertToType(t, triObjectClassID);
    auto* tri = dynamic_cast<TriObject*>(converted);
    if (tri) {
      const Mesh& m = tri->mesh;
      const Color colour = wireColour(node->GetWireColor());
      for (const Face& f : m.faces) {
        for (int e = 0; e < 3; ++e) {
          if (!f.getEdgeVis(e) || f.v[e] >= m.verts.size() || f.v[(e + 1) % 3] >= m.verts.size()) continue;
          image.line(m.verts[f.v[e]] * tm, m.verts[f.v[(e + 1) % 3]] * tm, colour);
        }
      }
    }
    if (converted && converted != obj) converted->DeleteThis();
  }
  return true;
}

}  // namespace app
