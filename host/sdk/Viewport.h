#pragma once
// Viewports as the plug-in sees them: the legacy graphics window that draws
// lines, the per-node render items of the newer graphics layer, and the view
// that snaps mouse points to the construction plane. The stand-in records
// what is drawn so tests and the runner's preview can read it.
#include <vector>

#include "host/sdk/Matrix3.h"
#include "host/sdk/Point3.h"
#include "host/sdk/Reference.h"

class INode;

struct DrawnSegment {
  Point3 a, b;  // world space
  Color color;
};

class GraphicsWindow {
 public:
  void setTransform(const Matrix3& m) { transform_ = m; }
  const Matrix3& getTransform() const { return transform_; }
  void setColor(int which, float r, float g, float b) { (void)which; color_ = Color(r, g, b); }
  // Draws ct - 1 segments through the points (closed: one more back to the first).
  void polyline(int ct, const Point3* xyz, const Point3* rgb, int closed, const int* es);
  void segment(const Point3* xyz, int vis);
  const std::vector<DrawnSegment>& segments() const { return segments_; }
  void clear() { segments_.clear(); }

 private:
  Matrix3 transform_;
  Color color_{1, 1, 1};
  std::vector<DrawnSegment> segments_;
};
constexpr int LINE_COLOR = 0;

class ViewExp {
 public:
  // Construction plane z = 0, one world unit per pixel, +y up the screen.
  Point3 SnapPoint(const IPoint2& in, IPoint2& out, Matrix3* plane2d = nullptr, DWORD flags = 0);
  GraphicsWindow* getGW() { return &gw_; }
  bool IsAlive() const { return true; }

 private:
  GraphicsWindow gw_;
};
constexpr DWORD SNAP_IN_3D = 0x0001;

// Mouse creation protocol.
constexpr int MOUSE_ABORT = 0;
constexpr int MOUSE_IDLE = 1;
constexpr int MOUSE_POINT = 2;
constexpr int MOUSE_MOVE = 3;
constexpr int MOUSE_DBLCLICK = 4;
constexpr int MOUSE_FREEMOVE = 7;
constexpr int CREATE_CONTINUE = 1;
constexpr int CREATE_STOP = 0;
constexpr int CREATE_ABORT = -1;

class CreateMouseCallBack {
 public:
  virtual ~CreateMouseCallBack() = default;
  virtual int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) = 0;
};

namespace host {
struct CreationResult {
  int result = CREATE_CONTINUE;  // the callback's last answer
  Matrix3 mat;                   // the node transform it built
  int messages = 0;              // how many messages it took
};
// Drives a creation: mouse-down at the first point, moves through the
// middle points, mouse-up at the last. Stops early when the callback stops
// or aborts.
CreationResult driveCreation(CreateMouseCallBack* cb, const std::vector<IPoint2>& points);
// Sends the abort message, as when the user presses the right button.
int abortCreation(CreateMouseCallBack* cb);
}  // namespace host

namespace MaxSDK::Graphics {

// What a custom render item draws into: line lists in world space.
class DrawContext {
 public:
  void setTransform(const Matrix3& m) { transform_ = m; }
  void drawLines(const std::vector<Point3>& points, const Color& color);
  const std::vector<DrawnSegment>& segments() const { return segments_; }

 private:
  Matrix3 transform_;
  std::vector<DrawnSegment> segments_;
};

class ICustomRenderItem {
 public:
  virtual ~ICustomRenderItem() = default;
  virtual void Realize(DrawContext& dc) { (void)dc; }
  virtual void Display(DrawContext& dc) = 0;
  virtual std::size_t GetPrimitiveCount() const { return 0; }
  void AddRef() { ++refs_; }
  void Release() {
    if (--refs_ == 0) delete this;
  }

 private:
  int refs_ = 1;
};

struct RenderItemEntry {
  ICustomRenderItem* item;
  int visibilityGroup;
};

// The node's render items for one update; holds a reference to each item.
class IRenderItemContainer {
 public:
  ~IRenderItemContainer() { ClearAllRenderItems(); }
  void AddRenderItem(ICustomRenderItem* item, int visibilityGroup);
  void ClearAllRenderItems();
  std::size_t GetNumberOfRenderItems() const { return items_.size(); }
  const RenderItemEntry& GetRenderItem(std::size_t i) const { return items_[i]; }
  bool defaultMeshItems = false;  // the host's own mesh items were generated

 private:
  std::vector<RenderItemEntry> items_;
};

struct UpdateDisplayContext {
  TimeValue displayTime = 0;
};
struct UpdateNodeContext {
  ::INode* node = nullptr;
};

class IObjectDisplay2 : public BaseInterface {
 public:
  Interface_ID GetID() const override { return IOBJECT_DISPLAY2_INTERFACE_ID; }
  virtual bool PrepareDisplay(const UpdateDisplayContext& ctx) { (void)ctx; return true; }
  virtual bool UpdatePerNodeItems(const UpdateDisplayContext& ctx, UpdateNodeContext& nodeCtx,
                                  IRenderItemContainer& targetRenderItemContainer) = 0;
};

}  // namespace MaxSDK::Graphics
