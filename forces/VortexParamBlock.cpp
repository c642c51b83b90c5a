// The "TessaronOrbVortexParameters" block: one rollout, every parameter animatable except the seed object list.
#include "forces/VortexObject.h"
#include "plugin/ClassDescriptors.h"

ParamBlockDesc2* GetVortexParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("TessaronOrbVortexParameters"), 0, GetVortexDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0, {{0, 211, 21}},
                              {
    {.id = 0, .internalName = _M("radius"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 300, .def = 50.0f, .range = ParamRange{0.01, 100000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1000, 1001}}},
    {.id = 1, .internalName = _M("vortexCount"), .type = TYPE_INT, .flags = P_ANIMATABLE, .labelId = 301, .def = 10, .range = ParamRange{1, 64},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_INT, .controls = {1002, 1003}}},
    {.id = 2, .internalName = _M("swirl"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 302, .def = 24.0f, .range = ParamRange{-1000, 1000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1004, 1005}}},
    {.id = 3, .internalName = _M("attraction"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 303, .def = 0.5f, .range = ParamRange{-1000, 1000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1006, 1007}}},
    {.id = 4, .internalName = _M("spread"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 304, .def = 30.0f, .range = ParamRange{1, 180},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1008, 1009}}},
    {.id = 5, .internalName = _M("partition"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 305, .def = 2.0f, .range = ParamRange{0, 16},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1010, 1011}}},
    {.id = 6, .internalName = _M("eye"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 306, .def = 0.25f, .range = ParamRange{0.01, 1},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1012, 1013}}},
    {.id = 7, .internalName = _M("surfaceHold"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 307, .def = 4.0f, .range = ParamRange{0, 1000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1014, 1015}}},
    {.id = 8, .internalName = _M("drag"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 308, .def = 0.15f, .range = ParamRange{0, 10},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1016, 1017}}},
    {.id = 9, .internalName = _M("wander"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 309, .def = 0.5f, .range = ParamRange{0, 2},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1018, 1019}}},
    {.id = 10, .internalName = _M("loopSeconds"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 310, .def = 9.0f, .range = ParamRange{0.1, 3600},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1020, 1021}}},
    {.id = 11, .internalName = _M("turbulence"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 311, .def = 8.0f, .range = ParamRange{0, 1000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1022, 1023}}},
    {.id = 12, .internalName = _M("seed"), .type = TYPE_INT, .flags = P_ANIMATABLE, .labelId = 312, .def = 42, .range = ParamRange{0, 1000000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_INT, .controls = {1024, 1025}}},
    {.id = 13, .internalName = _M("iconSize"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 313, .def = 50.0f, .range = ParamRange{0.01, 100000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1026, 1027}}},
    {.id = 14, .internalName = _M("responseScale"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 314, .def = 0.01f, .range = ParamRange{0.0001, 100},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1028, 1029}}},
    {.id = 15, .internalName = _M("seedObjects"), .type = TYPE_INODE_TAB, .flags = P_VARIABLE_SIZE, .labelId = 315,
     .ui = {.map = 0, .control = TYPE_NODELISTBOX, .controls = {1030, 1031}, .deleteButton = 2031}},
                              });
  return &desc;
}

namespace vortex {
const host::StringEntry kStrings[] = {
    {300, _M("Sphere radius")},
    {301, _M("Vortex count")},
    {302, _M("Swirl strength")},
    {303, _M("Attraction to vortex")},
    {304, _M("Vortex spread (deg)")},
    {305, _M("Partition sharpness")},
    {306, _M("Vortex eye (rigid core)")},
    {307, _M("Surface hold")},
    {308, _M("Drag")},
    {309, _M("Seed wander")},
    {310, _M("Loop seconds")},
    {311, _M("Turbulence")},
    {312, _M("Seed")},
    {313, _M("Icon size")},
    {314, _M("Response scale")},
    {315, _M("Seed objects")},
};
const int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));
}  // namespace vortex
