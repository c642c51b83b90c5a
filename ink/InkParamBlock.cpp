// The ink object's "InkParameters" block and its fourteen rollouts.
#include "ink/InkObject.h"
#include "plugin/ClassDescriptors.h"

ParamBlockDesc2* GetInkParamBlockDesc() {
  static ParamBlockDesc2 desc(0, _M("InkParameters"), 0, GetInkDesc(), P_AUTO_CONSTRUCT | P_AUTO_UI | P_MULTIMAP, 0,
                              {{0, 230, 40}, {1, 231, 41}, {2, 232, 42}, {3, 233, 43}, {4, 234, 44}, {5, 235, 45},
                               {6, 236, 46}, {7, 237, 47}, {8, 238, 48}, {9, 239, 49}, {10, 240, 50}, {11, 241, 51},
                               {12, 242, 52}, {13, 243, 53}},
                              {});
  return &desc;
}

namespace ink {
const host::StringEntry kInkStrings[] = {
    {40, _M("Ink Particles")},
    {41, _M("Flow")},
    {42, _M("Vortex Forces")},
    {43, _M("Tessaron Ink Render (renderer)")},
    {44, _M("Particle Silk (cloth made of particles)")},
    {45, _M("Surface Swirl (Vortex Force, no tyFlow)")},
    {46, _M("Colour, Lights and HDRI")},
    {47, _M("Assemble (gather from objects)")},
    {48, _M("PRT export channels (Krakatoa, Frost, tyFlow)")},
    {49, _M("PRT input (render any PRT sequence)")},
    {50, _M("Particle shading (colour by channel)")},
    {51, _M("About / Help")},
    {52, _M("Scene objects and shadows")},
    {53, _M("Ink in Water (fluid simulation)")},
};
const int kInkStringCount = static_cast<int>(sizeof(kInkStrings) / sizeof(kInkStrings[0]));
}  // namespace ink
