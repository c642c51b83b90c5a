#pragma once
// Class and interface identifiers of the host SDK.
#include <functional>

#include "host/sdk/Types.h"

using SClass_ID = ULONG;

class Class_ID {
 public:
  constexpr Class_ID() = default;
  constexpr Class_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }
  constexpr bool operator==(const Class_ID&) const = default;
  constexpr bool operator<(const Class_ID& o) const { return a_ < o.a_ || (a_ == o.a_ && b_ < o.b_); }

 private:
  ULONG a_ = 0xFFFFFFFF, b_ = 0xFFFFFFFF;
};

class Interface_ID {
 public:
  constexpr Interface_ID() = default;
  constexpr Interface_ID(ULONG a, ULONG b) : a_(a), b_(b) {}
  constexpr ULONG PartA() const { return a_; }
  constexpr ULONG PartB() const { return b_; }
  constexpr bool operator==(const Interface_ID&) const = default;

 private:
  ULONG a_ = 0, b_ = 0;
};

// Super classes.
constexpr SClass_ID GEOMOBJECT_CLASS_ID = 0x10;
constexpr SClass_ID CAMERA_CLASS_ID = 0x20;
constexpr SClass_ID LIGHT_CLASS_ID = 0x30;
constexpr SClass_ID SHAPE_CLASS_ID = 0x40;
constexpr SClass_ID HELPER_CLASS_ID = 0x50;
constexpr SClass_ID OSM_CLASS_ID = 0x810;
constexpr SClass_ID WSM_CLASS_ID = 0x820;
constexpr SClass_ID WSM_OBJECT_CLASS_ID = 0x830;
constexpr SClass_ID MATERIAL_CLASS_ID = 0xC00;
constexpr SClass_ID TEXMAP_CLASS_ID = 0xC10;
constexpr SClass_ID PARAMETER_BLOCK2_CLASS_ID = 0x82;
constexpr SClass_ID BASENODE_CLASS_ID = 0x1;

// Classes the plug-in asks for by id.
constexpr ULONG TRIOBJ_CLASS_ID = 0x0009;
inline constexpr Class_ID triObjectClassID{TRIOBJ_CLASS_ID, 0};

// The per-node display interface of the viewport graphics layer.
inline constexpr Interface_ID IOBJECT_DISPLAY2_INTERFACE_ID{0x1c2a3f5e, 0x7a3e2d4b};
