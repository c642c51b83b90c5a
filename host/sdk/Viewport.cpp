#include "host/sdk/Viewport.h"

void GraphicsWindow::polyline(int ct, const Point3* xyz, const Point3*, int closed, const int*) {
  if (ct < 2 || !xyz) return;
  for (int i = 0; i + 1 < ct; ++i) segments_.push_back({xyz[i] * transform_, xyz[i + 1] * transform_, color_});
  if (closed) segments_.push_back({xyz[ct - 1] * transform_, xyz[0] * transform_, color_});
}

void GraphicsWindow::segment(const Point3* xyz, int vis) {
  if (xyz && vis) segments_.push_back({xyz[0] * transform_, xyz[1] * transform_, color_});
}

Point3 ViewExp::SnapPoint(const IPoint2& in, IPoint2& out, Matrix3*, DWORD) {
  out = in;
  return Point3(static_cast<float>(in.x), static_cast<float>(in.y), 0.f);
}

namespace host {

CreationResult driveCreation(CreateMouseCallBack* cb, const std::vector<IPoint2>& points) {
  CreationResult r;
  if (!cb || points.empty()) return r;
  ViewExp view;
  auto send = [&](int msg, int point, const IPoint2& m) {
    ++r.messages;
    r.result = cb->proc(&view, msg, point, 0, m, r.mat);
    return r.result == CREATE_CONTINUE;
  };
  if (!send(MOUSE_POINT, 0, points.front())) return r;
  for (std::size_t i = 1; i + 1 < points.size(); ++i)
    if (!send(MOUSE_MOVE, 1, points[i])) return r;
  send(MOUSE_POINT, 1, points.back());
  return r;
}

int abortCreation(CreateMouseCallBack* cb) {
  ViewExp view;
  Matrix3 mat;
  return cb ? cb->proc(&view, MOUSE_ABORT, 0, 0, IPoint2{}, mat) : CREATE_ABORT;
}

}  // namespace host

namespace MaxSDK::Graphics {

void DrawContext::drawLines(const std::vector<Point3>& points, const Color& color) {
  for (std::size_t i = 0; i + 1 < points.size(); i += 2)
    segments_.push_back({points[i] * transform_, points[i + 1] * transform_, color});
}

void IRenderItemContainer::AddRenderItem(ICustomRenderItem* item, int visibilityGroup) {
  if (!item) return;
  item->AddRef();
  items_.push_back({item, visibilityGroup});
}

void IRenderItemContainer::ClearAllRenderItems() {
  for (RenderItemEntry& e : items_) e.item->Release();
  items_.clear();
  defaultMeshItems = false;
}

}  // namespace MaxSDK::Graphics
