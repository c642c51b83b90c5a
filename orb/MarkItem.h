#pragma once
// The orb's logo mark as a custom render item of the viewport graphics
// layer: a line list that is rebuilt only when the size, scale or text it
// was built for change.
#include <string>
#include <vector>

#include "host/sdk/Viewport.h"
#include "util/Vec.h"

namespace tsorb {

class MarkItem : public MaxSDK::Graphics::ICustomRenderItem {
 public:
  // Rebuilds the line list and its vertex buffer when anything differs from
  // the last build.
  void Update(float size, float scale, const std::string& text);
  void Display(MaxSDK::Graphics::DrawContext& dc) override;
  std::size_t GetPrimitiveCount() const override { return lines_.size() / 2; }

  const std::vector<orb::Vec>& Lines() const { return lines_; }
  int Builds() const { return builds_; }

 private:
  struct Vertex {
    orb::Vec position, colour;
  };
  bool initialiseMaterial();

  std::vector<orb::Vec> lines_;
  std::vector<Vertex> vertexBuffer_;  // position and colour streams
  float size_ = -1.f, scale_ = -1.f;
  std::string text_;
  bool materialReady_ = false;
  int builds_ = 0;
};

// Legacy viewports: draws the mark's lines into the graphics window with
// the given transform, in the mark colour.
void drawMarkLines(GraphicsWindow& gw, const Matrix3& tm, float size, float scale, const std::string& text);

}  // namespace tsorb
