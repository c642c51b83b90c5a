#pragma once
// Parameter ids of the "InkMaterialParameters" block. The ink object reads
// the material by these ids, and scenes store values by them.
#include "host/sdk/ParamTypes.h"

namespace inkmtl::param {
enum : ParamID {
  absorbColor = 0,
  scatterColor = 1,
  scatterAmount = 2,
  density = 3,
  opacity = 4,
  emissionColor = 5,
  emissionAmount = 6,
  colorMap = 7,
  colorMode = 8,
  colorStrength = 9,
  colorScale = 10,
  colorSticky = 11,
  colorBy = 12,
  colorByMin = 13,
  colorByMax = 14,
  rampStart = 15,
  rampEnd = 16,
  falloffOn = 17,
  faceDensity = 18,
  edgeDensity = 19,
  falloffPower = 20,
  edgeColor = 21,
  edgeColorAmount = 22,
  pointSize = 23,
  pointSoftness = 24,
  pointSizeJitter = 25,
  shadow = 26,
  ambient = 27,
  emissionMap = 28,
};
}  // namespace inkmtl::param
