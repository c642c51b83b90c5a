#include <gtest/gtest.h>

#include <numbers>
#include <set>

#include "host/runtime/CameraLight.h"

namespace {
constexpr float kPi = std::numbers::pi_v<float>;
}

TEST(GenCamera, FieldOfViewInRadiansWithTrackValidity) {
  GenCamera cam;
  Interval valid = FOREVER;
  CameraState cs;
  ASSERT_EQ(cam.EvalCameraState(100, valid, &cs), REF_SUCCEED);
  EXPECT_FLOAT_EQ(cs.fov, kPi / 4);
  EXPECT_EQ(valid, FOREVER);
  EXPECT_EQ(cam.EvalCameraState(0, valid, nullptr), REF_FAIL);
  cam.SetFOV(0, kPi / 2);
  EXPECT_EQ(cam.fovDegrees.KeyCount(), 0);
  EXPECT_FLOAT_EQ(cam.GetFOV(7), kPi / 2);

  cam.fovDegrees.SetKey(0, 30.f);
  cam.fovDegrees.SetKey(100, 60.f);
  ASSERT_EQ(cam.EvalCameraState(50, valid, &cs), REF_SUCCEED);
  EXPECT_FLOAT_EQ(cs.fov, kPi / 4);
  EXPECT_EQ(valid, Interval(50, 50));
  cam.SetFOV(200, kPi / 6);  // animated: adds a key rather than replacing the track
  EXPECT_EQ(cam.fovDegrees.KeyCount(), 3);
  EXPECT_FLOAT_EQ(cam.GetFOV(200), kPi / 6);
  EXPECT_FLOAT_EQ(cam.GetFOV(100), kPi / 3);
}

TEST(GenLight, StateFollowsTracksAndNarrowsValidity) {
  GenLight spot(FSPOT_LIGHT);
  spot.color.SetConstant(Point3(1.f, 0.5f, 0.25f));
  spot.intensity.SetKey(0, 0.f);
  spot.intensity.SetKey(10, 2.f);
  spot.on = false;
  spot.fallsize = 30;
  Interval valid = FOREVER;
  LightState ls;
  ASSERT_EQ(spot.EvalLightState(5, valid, &ls), REF_SUCCEED);
  EXPECT_EQ(ls.type, FSPOT_LIGHT);
  EXPECT_EQ(ls.color, Color(1.f, 0.5f, 0.25f));
  EXPECT_FLOAT_EQ(ls.intens, 1.f);
  EXPECT_EQ(ls.on, FALSE);
  EXPECT_EQ(ls.fallsize, 30.f);
  EXPECT_EQ(valid, Interval(5, 5));
  EXPECT_EQ(spot.EvalLightState(5, valid, nullptr), REF_FAIL);

  std::set<Class_ID> ids{GenCamera().ClassID()};
  for (LightType t : {OMNI_LIGHT, TSPOT_LIGHT, DIR_LIGHT, FSPOT_LIGHT, TDIR_LIGHT, AMBIENT_LIGHT})
    EXPECT_TRUE(ids.insert(GenLight(t).ClassID()).second) << "class id of light type " << t << " is taken";
}
