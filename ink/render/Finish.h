#pragma once
// finishImage for one pixel: the camera ray through the glass sphere to the
// ink it lenses, the scene and background behind, the ink composited over
// them, fog, bubbles and the glass surface on top, then the alpha, matte
// and occluder rules, the RGBA pixel and its 24-float pass record.
#include <cmath>
#include <cstdint>

#include "gpu/Config.h"
#include "ink/render/Bubbles.h"
#include "ink/render/Environment.h"
#include "ink/render/Glass.h"
#include "ink/render/Projection.h"
#include "ink/render/Raster.h"
#include "ink/render/RenderPasses.h"
#include "ink/render/RenderRecords.h"
#include "ink/render/SceneShading.h"
#include "ink/render/Splat.h"
#include "util/Vec.h"

namespace ink {

// Bilinear read of `floats` channels at (x, y), clamped to
// [0, width − 1.001] × [0, height − 1.001] so the four taps stay on the image.
ORB_HD inline void readBilinear(const float* buffer, int floats, int width, int height, float x, float y, float* out) {
  x = fminf(fmaxf(x, 0.f), static_cast<float>(width) - 1.001f);
  y = fminf(fmaxf(y, 0.f), static_cast<float>(height) - 1.001f);
  const int x0 = clampToInt(floorf(x), 0, width - 1), y0 = clampToInt(floorf(y), 0, height - 1);
  const int x1 = x0 + 1 < width ? x0 + 1 : x0, y1 = y0 + 1 < height ? y0 + 1 : y0;
  const float fx = x - static_cast<float>(x0), fy = y - static_cast<float>(y0);
  const float* t00 = buffer + (static_cast<std::int64_t>(y0) * width + x0) * floats;
  const float* t10 = buffer + (static_cast<std::int64_t>(y0) * width + x1) * floats;
  const float* t01 = buffer + (static_cast<std::int64_t>(y1) * width + x0) * floats;
  const float* t11 = buffer + (static_cast<std::int64_t>(y1) * width + x1) * floats;
  for (int c = 0; c < floats; ++c)
    out[c] = (t00[c] * (1.f - fx) + t10[c] * fx) * (1.f - fy) + (t01[c] * (1.f - fx) + t11[c] * fx) * fy;
}

// The camera ray through the centre of pixel (x, y).
ORB_HD inline orb::Vec pixelRay(const FinishArgs& a, int x, int y) {
  const float sx = 2.f * (static_cast<float>(x) + 0.5f) / static_cast<float>(a.width) - 1.f;
  const float sy = 1.f - 2.f * (static_cast<float>(y) + 0.5f) / static_cast<float>(a.height);
  const Camera& c = a.camera;
  return normalizedOr(c.forward + c.right * (c.tanHalfFov * sx) + c.up * (a.tanHalfFovY * sy), c.forward);
}

// Where the ray o + t dir meets the plane at view-axis distance `plane` from
// the origin, projected to pixels; false when it runs away from the plane
// or lands behind the camera.
ORB_HD inline bool projectOnPlane(const FinishArgs& a, orb::Vec o, orb::Vec dir, float plane, float minAlong,
                                  float& x, float& y) {
  const float along = dot(dir, a.camera.forward);
  if (!(along > minAlong)) return false;
  const orb::Vec p = o + dir * ((plane - dot(o, a.camera.forward)) / along);
  const ScreenPoint s = project(a.camera, a.tanHalfFovY, a.width, a.height, p);
  if (!(s.z > kNearDepth)) return false;
  x = s.x;
  y = s.y;
  return true;
}

ORB_HD inline const float* nearestTexel(const FinishArgs& a, float x, float y) {
  const int tx = clampToInt(floorf(x + 0.5f), 0, a.width - 1), ty = clampToInt(floorf(y + 0.5f), 0, a.height - 1);
  return a.backgroundImage + 4 * (static_cast<std::int64_t>(ty) * a.width + tx);
}

ORB_HD inline EnvironmentMap environmentMap(const FinishArgs& a) {
  return {a.hdri, a.hdriWidth, a.hdriHeight, a.envRotation, a.hdriScale};
}

ORB_HD inline float peakChannel(orb::Vec c) { return fmaxf(fmaxf(fmaxf(c.x, c.y), c.z), 0.001f); }

// The pass record of a pixel: the ink as read, the light the glass added,
// the coverage-weighted means of the pass accumulator at the ink's sample
// position, optical depth and the matte and glass masks.
ORB_HD inline void writePassRecord(const FinishArgs& a, float sampleX, float sampleY, const float* ink, float inkAlpha,
                                   orb::Vec added, bool matte, bool glass, float* record) {
  for (int c = 0; c < kPassRecordFloats; ++c) record[c] = 0.f;
  for (int c = 0; c < 3; ++c) record[kPassInkR + c] = ink[c];
  record[kPassInkA] = inkAlpha;
  record[kPassGlassR] = fmaxf(added.x, 0.f);
  record[kPassGlassG] = fmaxf(added.y, 0.f);
  record[kPassGlassB] = fmaxf(added.z, 0.f);
  if (a.passAccumulator) {
    float pass[kPassAccumulatorFloats];
    readBilinear(a.passAccumulator, kPassAccumulatorFloats, a.width, a.height, sampleX, sampleY, pass);
    for (int c = 0; c < 3; ++c) record[kPassEmissionR + c] = pass[c];
    const float coverage = pass[14];
    if (coverage > 1e-8f) {
      record[kPassDepthZ] = pass[3] / coverage;
      record[kPassMotionU] = pass[4] / coverage;
      record[kPassMotionV] = pass[5] / coverage;
      const float len = sqrtf(pass[6] * pass[6] + pass[7] * pass[7] + pass[8] * pass[8]);
      if (len > 1e-8f)
        for (int c = 0; c < 3; ++c) record[kPassNormalX + c] = pass[6 + c] / len;
      for (int c = 0; c < 5; ++c) record[kPassGroup0 + c] = inkAlpha * pass[9 + c] / coverage;
    }
  }
  record[kPassMatte] = matte ? 1.f : 0.f;
  record[kPassDensity] = (ink[3] + ink[4] + ink[5]) / 3.f;
  record[kPassGlassMask] = glass ? 1.f : 0.f;
}

ORB_HD inline BubbleField bubbleField(const FinishArgs& a) {
  return {a.bubbleCount, a.radius, a.bubbleSize, a.bubbleSizeVar, a.bubbleRise, a.bubbleWobble, a.time, a.seedHash};
}

// `bubbles`: the frame's bubbles placed in advance, or null to place them here.
ORB_HD inline void finishPixel(const FinishArgs& a, const float* accumulator, float* image, std::int64_t pixel,
                               const Bubble* bubbles = nullptr) {
  const int px = static_cast<int>(pixel % a.width), py = static_cast<int>(pixel / a.width);
  const Camera& cam = a.camera;
  const orb::Vec d = pixelRay(a, px, py);
  float sampleX = static_cast<float>(px), sampleY = static_cast<float>(py);

  SceneHit scene;
  if (a.sceneIndex && a.sceneTriangles && a.sceneIndex[pixel] != kNoTriangle)
    scene = hitTriangle(a.sceneTriangles[a.sceneIndex[pixel]], cam.eye, d, cam.forward);
  const bool object = scene.hit && scene.kind == kSceneObject;

  // The glass, unless a scene object stands in front of it (catchers never hide it).
  GlassPath g;
  float glassDepth = kEmptyDepth;
  if (a.glass) {
    g = traceGlass(cam.eye, d, {a.radius * a.glassRadiusFactor, a.glassIOR, a.glassThickness, a.glassSolid != 0});
    if (g.visible) glassDepth = g.tNear * dot(d, cam.forward);
    if (object && scene.depth < glassDepth) g.visible = false;
  }
  orb::Vec exitOrigin = cam.eye, exitDir = d;
  if (g.visible) {
    exitOrigin = g.exitPoint;
    exitDir = g.exitDir;
    // The ink lies about the plane through the orb's centre facing the
    // camera; reading it where the refracted ray crosses that plane lenses it.
    float x, y;
    if (projectOnPlane(a, g.interiorOrigin, g.interiorDir, 0.f, 0.0001f, x, y)) {
      sampleX = x;
      sampleY = y;
    }
  }

  float ink[kAccumulatorFloats];
  readBilinear(accumulator, kAccumulatorFloats, a.width, a.height, sampleX, sampleY, ink);
  const float inkAlpha = 1.f - expf(-(ink[3] + ink[4] + ink[5]) / 3.f);

  // The background, moved through the glass to its plane behind the orb.
  const EnvironmentMap env = environmentMap(a);
  const bool environmentShown = a.showEnvironment && a.hdri;
  orb::Vec B = a.background;
  float backgroundAlpha = 0.f;
  if (a.backgroundImage) {
    float bx = sampleX, by = sampleY;
    if (g.visible) projectOnPlane(a, exitOrigin, exitDir, a.bgPlane, 0.f, bx, by);
    const float* t = nearestTexel(a, bx, by);
    B = {t[0], t[1], t[2]};
    backgroundAlpha = t[3];
  } else if (environmentShown) {
    B = environment(env, exitDir);
  } else if (a.transparent) {
    B = {0.f, 0.f, 0.f};
  }

  // What the ink lies over.
  const SceneLighting lighting{a.lights, a.grid, a.density, a.shadowScale,
                               {a.causticMaps, a.causticResolution, a.causticHalfSize},
                               a.causticStrength, a.causticRadius, a.causticInk};
  orb::Vec behind = B;
  float shadow = 0.f;
  if (object) {
    behind = shadeObject(lighting, scene, a.sceneAmbient);
  } else if (scene.hit) {
    shadow = catcherShadow(lighting, scene, a.catcherStrength);
    behind = a.transparent && !a.backgroundImage ? orb::Vec{0.f, 0.f, 0.f} : B * (1.f - shadow);
  }

  orb::Vec K{behind.x * expf(-ink[3]) + ink[0], behind.y * expf(-ink[4]) + ink[1], behind.z * expf(-ink[5]) + ink[2]};
  float alpha = a.backgroundImage ? fmaxf(inkAlpha, backgroundAlpha) : inkAlpha;
  if (shadow > 0.f && !object) alpha = 1.f - (1.f - shadow) * (1.f - inkAlpha);
  const orb::Vec composite = K;

  if (g.visible && fmaxf(a.fogDensity, a.fogGlow) > 0.f) {
    // The haze fills the orb: its depth is the refracted ray's chord through it.
    const SphereCrossing c = crossSphere(g.interiorOrigin, g.interiorDir, a.radius);
    const float inside = c.hit ? c.tFar - c.tNear : 0.f;
    const float T = expf(-a.fogDensity * inside / a.radius);
    K = K * T + a.fog * ((1.f + a.fogGlow) * (1.f - T));
    alpha = 1.f - (1.f - alpha) * T;
  }

  const Reflections reflections{env, a.reflMode, a.envIntensity, a.reflection};
  if (g.visible && a.bubbleCount >= 1) {
    const BubbleHit b = nearestBubble(bubbleField(a), bubbles, cam.eye, d, g.tNear, g.tFar);
    if (b.hit) K = shadeBubble(K, b, d, cam, a.lights, reflections, a.bubbleShine);
  }

  const float grazing = 1.f - g.cosTheta;
  const float rim = a.glassRim * grazing * grazing * grazing;
  if (g.visible) {
    const orb::Vec r = reflect(d, g.normal);
    K = K * (1.f - rim) + reflectionColour(reflections, r) * (g.fresnel * a.glassReflect);
    if (a.reflMode != kReflectNothing)
      for (int l = 0; l < a.lights.count; ++l)
        K += a.lights.colour[l] *
             (a.glassSpec * powPositive(dot(r, a.lights.direction[l]), 400.f) / peakChannel(a.lights.colour[l]));
  }

  // Alpha: an opaque background or environment makes the pixel opaque;
  // over a transparent one the glass counts by the alpha mode.
  if (g.visible) {
    if (a.backgroundImage || !a.transparent || environmentShown || a.alphaMode == 2)
      alpha = 1.f;
    else if (a.alphaMode == 1)
      alpha = 1.f - (1.f - alpha) * (1.f - fminf(g.fresnel * a.glassReflect + 0.5f * rim, 1.f));
  } else if (!a.backgroundImage && (!a.transparent || environmentShown)) {
    alpha = 1.f;
  }
  if (object) alpha = 1.f;

  // Mattes and occluders: a blocker in front of the glass shows the
  // background when mattes cut the glass; a matte as the nearest blocker
  // holds the pixel out.
  bool matte = false;
  if (a.matteDepth) {
    const float nearest = a.matteDepth[2 * pixel], nearestMatte = a.matteDepth[2 * pixel + 1];
    const bool inFront = nearest < kEmptyDepth && (!g.visible || nearest < glassDepth);
    if (inFront && a.matteGlass) {
      if (a.backgroundImage) {
        const float* t = nearestTexel(a, static_cast<float>(px), static_cast<float>(py));
        K = {t[0], t[1], t[2]};
        alpha = t[3];
      } else {
        K = environmentShown ? environment(env, d) : a.background;
        alpha = 0.f;
      }
    }
    matte = nearestMatte < kEmptyDepth && nearestMatte <= nearest;
    if (matte && !a.backgroundImage && (a.matteGlass || !inFront)) {
      K = {0.f, 0.f, 0.f};
      alpha = 0.f;
    }
  }

  float* out = image + 4 * pixel;
  out[0] = K.x;
  out[1] = K.y;
  out[2] = K.z;
  out[3] = alpha;
  if (a.passOutput)
    writePassRecord(a, sampleX, sampleY, ink, inkAlpha, K - composite, matte, g.visible,
                    a.passOutput + kPassRecordFloats * pixel);
}

}  // namespace ink
