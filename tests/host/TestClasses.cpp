#include "TestClasses.h"

#include "host/sdk/ParamBlock2.h"

namespace hosttest {

WidgetDesc* widgetDesc() {
  static WidgetDesc desc;
  return &desc;
}

ParamBlockDesc2* widgetBlock() {
  static ParamBlockDesc2 block(
      0, _M("WidgetParameters"), 0, widgetDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0, {{0, 100, 1}, {1, 101, 2}},
      {
          {.id = kSize, .internalName = _M("size"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE | P_RESET_DEFAULT,
           .labelId = 10, .def = 10.f, .range = ParamRange{0.5, 100}, .ui = {.map = 0, .control = TYPE_SPINNER}},
          {.id = kCount, .internalName = _M("count"), .type = TYPE_INT, .flags = P_RESET_DEFAULT, .labelId = 11,
           .def = 3, .range = ParamRange{1, 8}, .ui = {.map = 0, .control = TYPE_SPINNER}},
          {.id = kEnabled, .internalName = _M("enabled"), .type = TYPE_BOOL, .labelId = 12, .def = true},
          {.id = kTint, .internalName = _M("tint"), .type = TYPE_RGBA, .flags = P_ANIMATABLE, .labelId = 13,
           .def = Point3(1.f, 0.5f, 0.25f)},
          {.id = kTarget, .internalName = _M("target"), .type = TYPE_INODE, .labelId = 14},
          {.id = kSources, .internalName = _M("sources"), .type = TYPE_INODE_TAB, .flags = P_VARIABLE_SIZE,
           .labelId = 15, .ui = {.map = 1, .control = TYPE_NODELISTBOX}},
          {.id = kLook, .internalName = _M("look"), .type = TYPE_MTL, .labelId = 16},
          {.id = kPattern, .internalName = _M("pattern"), .type = TYPE_TEXMAP, .labelId = 17},
          {.id = kCache, .internalName = _M("cacheFile"), .type = TYPE_FILENAME, .labelId = 18},
          {.id = kNote, .internalName = _M("note"), .type = TYPE_STRING, .labelId = 19},
      });
  return &block;
}

SwatchDesc* swatchDesc() {
  static SwatchDesc desc;
  static ParamBlockDesc2 block(0, _M("SwatchParameters"), 0, &desc, P_AUTO_CONSTRUCT, 0, {},
                               {{.id = 0, .internalName = _M("colour"), .type = TYPE_RGBA, .flags = P_ANIMATABLE},
                                {.id = 1, .internalName = _M("map"), .type = TYPE_TEXMAP}});
  return &desc;
}

void* WidgetDesc::Create(BOOL) { return static_cast<Animatable*>(new Widget()); }
void* SwatchDesc::Create(BOOL) { return static_cast<Animatable*>(new Swatch()); }

Widget::Widget() {
  widgetBlock();
  widgetDesc()->MakeAutoParamBlocks(this);
}

void Widget::BuildMesh(TimeValue t) {
  ++builds;
  ivalid.SetInstant(t);
  mesh.setNumVerts(1);
}

RefResult Widget::NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage message, BOOL) {
  if (message == REFMSG_CHANGE) {
    ++changeMessages;
    ivalid.SetEmpty();
  }
  return REF_SUCCEED;
}

Swatch::Swatch() { swatchDesc()->MakeAutoParamBlocks(this); }

}  // namespace hosttest
