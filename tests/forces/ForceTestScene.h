#pragma once
// A scene with one warp node and helper nodes, for the space-warp tests.
#include <gtest/gtest.h>

#include "forces/OrbForceObject.h"
#include "forces/VortexObject.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "plugin/ClassDescriptors.h"
#include "plugin/Module.h"
#include "tests/forces/ForceReference.h"

namespace forcetest {

inline Point3 toPoint3(ref::V v) {
  return Point3(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
}
inline ref::V toRef(const Point3& p) { return {p.x, p.y, p.z}; }

// Within float rounding of the double reference, scaled by the size of the
// terms that make up the force.
inline void expectNear(const Point3& got, ref::V want, double scale, const std::string& what) {
  const double tol = 2e-5 * scale + 1e-6;
  EXPECT_NEAR(got.x, want.x, tol) << what;
  EXPECT_NEAR(got.y, want.y, tol) << what;
  EXPECT_NEAR(got.z, want.z, tol) << what;
}

template <class T>
T* create(ClassDesc2* desc) {
  return static_cast<T*>(static_cast<Animatable*>(desc->Create(FALSE)));
}

struct SceneTest : ::testing::Test {
  Interface& core = *GetCOREInterface();
  void SetUp() override { core.ResetScene(); }
  void TearDown() override { core.ResetScene(); }

  INode* place(Object* obj, const MCHAR* name, ref::V position, ref::V rotation = {}) {
    INode* node = core.CreateObjectNode(obj, name);
    node->Transform().position.SetConstant(toPoint3(position));
    node->Transform().rotation.SetConstant(toPoint3(rotation));
    return node;
  }
};

}  // namespace forcetest
