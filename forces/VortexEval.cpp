#include "forces/VortexEval.h"

#include <algorithm>
#include <cmath>

#include "common/ParamRows.h"
#include "forces/VortexParams.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "util/Hash.h"
#include "util/Math.h"

namespace vortex {

namespace {
using util::kDegToRad;
using util::kTwoPi;

// v at unit length; a zero vector stays zero.
orb::Vec normalised(orb::Vec v) { return util::normalizedOr(v, v); }

float userNumber(const INode& node, const MCHAR* key, float fallback) {
  float v = fallback;
  return node.GetUserPropFloat(key, v) ? v : fallback;
}

void readSeeds(IParamBlock2& pb, TimeValue t, const Matrix3& inverseNodeTM, VortexEval& out) {
  out.seedCount = 0;
  const int entries = pb.Count(param::seedObjects);
  for (int k = 0; k < entries && out.seedCount < kMaxVortices; ++k) {
    INode* node = pb.GetINode(param::seedObjects, t, k);
    if (!node) continue;
    const Point3 p = node->GetNodeTM(t).GetTrans() * inverseNodeTM;
    const float d = p.Length();
    SeedVortex& s = out.seeds[out.seedCount++];
    s.axis = d < 1e-6f ? orb::Vec{0, 0, 1} : orb::Vec{p.x / d, p.y / d, p.z / d};
    s.swirl = userNumber(*node, _M("swirl"), 1);
    s.attraction = userNumber(*node, _M("attract"), 1);
    s.spread = userNumber(*node, _M("spread"), 0);
    s.eye = userNumber(*node, _M("eye"), 0);
    s.on = userNumber(*node, _M("on"), 1) > 0.5f;
  }
}
}  // namespace

orb::Vec generatedAxis(std::uint32_t base, int i, int count, float wander, float loopSeconds, float seconds) {
  auto draw = [base](std::uint32_t k) { return util::latticeUnit(util::latticeMix(base ^ k)); };
  const float n = static_cast<float>(count >= 2 ? count : 1);
  const float z = 1.f - 2.f * (static_cast<float>(i) + 0.5f) / n;
  const float r = std::sqrt(std::max(0.f, 1.f - z * z));
  const float angle = kTwoPi * draw(0xE89B89C7u) + 2.399963f * static_cast<float>(i);
  orb::Vec p{r * std::cos(angle), r * std::sin(angle), z};

  const float az = kTwoPi * draw(0x48F46ACBu);
  p = {p.x * std::cos(az) - p.y * std::sin(az), p.x * std::sin(az) + p.y * std::cos(az), p.z};
  const float ax = 2.f * (draw(0xF920DB4Du) - 0.5f);
  p = {p.x, p.y * std::cos(ax) - p.z * std::sin(ax), p.y * std::sin(ax) + p.z * std::cos(ax)};

  const orb::Vec reference = std::fabs(p.z) < 0.9f ? orb::Vec{0, 0, 1} : orb::Vec{1, 0, 0};
  const orb::Vec t1 = normalised(util::cross(p, reference));
  const orb::Vec t2 = util::cross(p, t1);

  const float omega = kTwoPi * seconds / std::max(loopSeconds, 0.1f);
  const std::uint32_t x = static_cast<std::uint32_t>(i) * 0xD8163841u;
  const float u1 = util::latticeUnit(util::latticeMix(base ^ (x + 0x68ADF964u)));
  const float u2 = util::latticeUnit(util::latticeMix(base ^ (x + 0x3A09EC2Cu)));
  const float u3 = util::latticeUnit(util::latticeMix(base ^ (x + 0xD15BF2C8u)));
  const float u4 = util::latticeUnit(util::latticeMix(base ^ (x + 0xA2B7E590u)));
  const float k1 = 1.f + std::floor(2.999f * u1), k2 = 1.f + std::floor(2.999f * u3);
  const float phi1 = kTwoPi * u2, phi2 = kTwoPi * u4;
  const float amount = 0.6f * wander;
  return normalised(p + t1 * (amount * std::sin(k1 * omega + phi1)) + t2 * (amount * std::cos(k2 * omega + phi2)));
}

void readVortexEval(IParamBlock2& pb, TimeValue t, const Matrix3& inverseNodeTM, VortexEval& out) {
#define VORTEX_PARAM(id, name, kind, def, lo, hi, label) common::readField(pb, param::name, t, out.name);
#define VORTEX_BLOCK_ONLY(id, name, kind, def, lo, hi, label)
#include "forces/VortexParamRows.inc"
#undef VORTEX_BLOCK_ONLY
#undef VORTEX_PARAM

  out.generated = std::min(out.vortexCount, kMaxVortices);
  if (out.generated < 1) out.generated = 0;
  readSeeds(pb, t, inverseNodeTM, out);
  // A warp always has at least one vortex.
  if (out.seedCount == 0 && out.generated == 0) out.generated = 1;

  out.axisCount = std::min(out.seedCount + out.generated, kMaxVortices);
  for (int j = 0; j < out.seedCount; ++j) out.axes[j] = out.seeds[j].axis;
  const std::uint32_t base = seedBase(out.seed);
  const float seconds = static_cast<float>(t) / TIME_TICKSPERSEC;
  for (int j = out.seedCount; j < out.axisCount; ++j)
    out.axes[j] = generatedAxis(base, j - out.seedCount, out.generated, out.wander, out.loopSeconds, seconds);
}

void fillSwirlFrame(const VortexEval& e, swirl::Frame& frame) {
  frame = {};
  frame.radius = e.radius;
  frame.swirl = e.swirl;
  frame.attraction = e.attraction;
  frame.spread = std::max(e.spread, 0.5f) * kDegToRad;
  frame.partition = e.partition;
  frame.eye = e.eye;
  frame.surfaceHold = e.surfaceHold;
  frame.drag = e.drag;
  frame.turbulence = e.turbulence;
  frame.loopSeconds = e.loopSeconds;
  frame.responseScale = e.responseScale;
  frame.count = e.axisCount;
  for (int j = 0; j < e.axisCount; ++j) {
    swirl::Vortex& v = frame.vortices[j];
    v.axis = e.axes[j];
    v.swirl = v.attraction = 1;
    v.on = 1;
    if (j < e.seedCount) {
      const SeedVortex& s = e.seeds[j];
      v.swirl = s.swirl;
      v.attraction = s.attraction;
      v.spread = s.spread > 0 ? s.spread * kDegToRad : 0;
      v.eye = s.eye > 0 ? s.eye : 0;
      v.on = s.on ? 1 : 0;
      v.isSeed = 1;
    }
  }
}

}  // namespace vortex
