#include "orb/MarkItem.h"

#include "orb/MarkGeometry.h"

namespace tsorb {

void MarkItem::Update(float size, float scale, const std::string& text) {
  if (size == size_ && scale == scale_ && text == text_ && builds_ > 0) return;
  size_ = size;
  scale_ = scale;
  text_ = text;
  lines_ = orb::markLines(size, scale, text);
  vertexBuffer_.clear();
  vertexBuffer_.reserve(lines_.size());
  for (const orb::Vec& p : lines_) vertexBuffer_.push_back({p, orb::kMarkColour});
  ++builds_;
}

// The stand-in's vertex-colour material needs nothing but the two streams.
bool MarkItem::initialiseMaterial() { return true; }

void MarkItem::Display(MaxSDK::Graphics::DrawContext& dc) {
  if (vertexBuffer_.size() < 2) return;
  if (!materialReady_) {
    materialReady_ = initialiseMaterial();
    if (!materialReady_) return;
  }
  std::vector<Point3> points;
  points.reserve(vertexBuffer_.size());
  for (const Vertex& v : vertexBuffer_) points.emplace_back(v.position.x, v.position.y, v.position.z);
  const orb::Vec c = vertexBuffer_.front().colour;
  dc.drawLines(points, Color(c.x, c.y, c.z));
}

void drawMarkLines(GraphicsWindow& gw, const Matrix3& tm, float size, float scale, const std::string& text) {
  gw.setTransform(tm);
  gw.setColor(LINE_COLOR, orb::kMarkColour.x, orb::kMarkColour.y, orb::kMarkColour.z);
  const std::vector<orb::Vec> lines = orb::markLines(size, scale, text);
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    const Point3 seg[2] = {Point3(lines[i].x, lines[i].y, lines[i].z),
                           Point3(lines[i + 1].x, lines[i + 1].y, lines[i + 1].z)};
    gw.segment(seg, 1);
  }
}

}  // namespace tsorb
