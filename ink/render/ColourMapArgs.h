#pragma once
// The colour map's projection settings as the splat record carries them,
// shared by the renderer and the PRT colour channel.
#include "ink/render/RenderRecords.h"
#include "ink/render/RenderSettings.h"

namespace ink {

// `map` is the colour map as the reader sees it (device or host pixels), or
// null: without a map the mapping mode is 0.
inline void setColourMapArgs(const RenderSettings& s, const float* map, SplatArgs& a) {
  a.mapMode = map ? s.mapMode : 0;
  a.mapAxis = normalizedOr(s.mapAxis, {0.f, 0.f, 1.f});
  a.colorScale = s.colorScale;
  a.mapRadius = s.radius;
  a.colorMap = map;
  a.mapWidth = map ? s.colorMapWidth : 0;
  a.mapHeight = map ? s.colorMapHeight : 0;
  a.colorSticky = s.colorSticky;
}

}  // namespace ink
