// The "TessaronOrbForceParameters" block: one rollout, every parameter animatable.
#include "forces/OrbForceObject.h"
#include "plugin/ClassDescriptors.h"

ParamBlockDesc2* GetOrbForceParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("TessaronOrbForceParameters"), 0, GetOrbForceDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI, 0, {{0, 210, 20}},
                              {
    {.id = 0, .internalName = _M("mode"), .type = TYPE_INT, .flags = P_ANIMATABLE, .labelId = 340, .def = 0, .range = ParamRange{0, 3},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_INT, .controls = {1000, 1001}}},
    {.id = 1, .internalName = _M("strength"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 341, .def = 12.0f, .range = ParamRange{-10000, 10000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1002, 1003}}},
    {.id = 2, .internalName = _M("radius"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 342, .def = 50.0f, .range = ParamRange{0.01, 100000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1004, 1005}}},
    {.id = 3, .internalName = _M("shellBand"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 343, .def = 8.0f, .range = ParamRange{0.01, 100000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1006, 1007}}},
    {.id = 4, .internalName = _M("swirl"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 344, .def = 18.0f, .range = ParamRange{-10000, 10000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1008, 1009}}},
    {.id = 5, .internalName = _M("axialFlow"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 345, .def = 0.0f, .range = ParamRange{-10000, 10000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1010, 1011}}},
    {.id = 6, .internalName = _M("turbulence"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 346, .def = 4.0f, .range = ParamRange{0, 10000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1012, 1013}}},
    {.id = 7, .internalName = _M("turbulenceScale"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 347, .def = 0.08f, .range = ParamRange{0.0001, 100},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1014, 1015}}},
    {.id = 8, .internalName = _M("timeScale"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 348, .def = 1.0f, .range = ParamRange{-100, 100},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1016, 1017}}},
    {.id = 9, .internalName = _M("drag"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 349, .def = 0.05f, .range = ParamRange{0, 100},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1018, 1019}}},
    {.id = 10, .internalName = _M("falloff"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 350, .def = 2.0f, .range = ParamRange{0.1, 10},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1020, 1021}}},
    {.id = 11, .internalName = _M("seed"), .type = TYPE_INT, .flags = P_ANIMATABLE, .labelId = 351, .def = 42, .range = ParamRange{0, 1000000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_INT, .controls = {1022, 1023}}},
    {.id = 12, .internalName = _M("iconSize"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 352, .def = 50.0f, .range = ParamRange{0.01, 100000},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1024, 1025}}},
    {.id = 13, .internalName = _M("responseScale"), .type = TYPE_FLOAT, .flags = P_ANIMATABLE, .labelId = 353, .def = 0.01f, .range = ParamRange{0.0001, 10},
     .ui = {.map = 0, .control = TYPE_SPINNER, .edit = EDITTYPE_FLOAT, .controls = {1026, 1027}}},
                              });
  return &desc;
}

namespace orbforce {
const host::StringEntry kStrings[] = {
    {340, _M("Mode (0 shell, 1 vortex, 2 attract, 3 curl)")},
    {341, _M("Strength")},
    {342, _M("Radius / range")},
    {343, _M("Shell band")},
    {344, _M("Swirl")},
    {345, _M("Axial flow")},
    {346, _M("Turbulence")},
    {347, _M("Turbulence scale")},
    {348, _M("Time scale")},
    {349, _M("Drag")},
    {350, _M("Falloff")},
    {351, _M("Seed")},
    {352, _M("Icon size")},
    {353, _M("Response scale")},
};
const int kStringCount = static_cast<int>(sizeof(kStrings) / sizeof(kStrings[0]));
}  // namespace orbforce
