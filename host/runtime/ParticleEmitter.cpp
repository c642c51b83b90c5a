#include "host/runtime/ParticleEmitter.h"

#include <cmath>
#include <random>

#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/SpaceWarp.h"

namespace host {

ParticleEmitter::~ParticleEmitter() {
  // The warp nodes belong to the scene: let go of them without deleting.
  for (int i = 0; i < NumRefs(); ++i) ReplaceReference(i, nullptr, FALSE);
}

bool ParticleEmitter::BindSpaceWarp(INode* warpNode) {
  if (!warpNode || !dynamic_cast<WSMObject*>(warpNode->GetObjectRef())) return false;
  warps_.push_back(nullptr);
  ReplaceReference(static_cast<int>(warps_.size()) - 1, warpNode);
  step_ = -1;
  return true;
}

RefTargetHandle ParticleEmitter::GetReference(int i) {
  return i >= 0 && i < NumRefs() ? warps_[i] : nullptr;
}

void ParticleEmitter::SetReference(int i, RefTargetHandle target) {
  if (i >= 0 && i < NumRefs()) warps_[i] = dynamic_cast<INode*>(target);
}

void ParticleEmitter::Spawn(TimeValue start) {
  parts_.SetCount(settings_.count);
  std::mt19937 rng(settings_.seed);
  std::uniform_real_distribution<float> unit(-1.f, 1.f);
  INode* node = OwnNode(this);
  const Matrix3 tm = node ? node->GetNodeTM(start) : Matrix3();
  for (int i = 0; i < parts_.Count(); ++i) {
    Point3 p;
    if (settings_.sphere) {
      do p = Point3(unit(rng), unit(rng), unit(rng));
      while (p.LengthSquared() > 1.f);
      p *= settings_.sphereRadius;
    } else {
      p = Point3(unit(rng), unit(rng), unit(rng)) * settings_.boxSize * 0.5f;
    }
    Point3 dir;
    do dir = Point3(unit(rng), unit(rng), unit(rng));
    while (dir.LengthSquared() > 1.f || dir.LengthSquared() < 1e-6f);
    parts_.points[i] = p * tm;
    parts_.vels[i] = VectorTransform(tm, dir.Normalize() * settings_.speed);
  }
  step_ = 0;
}

// Steps forward from the last state when time moves on, from the start when
// it goes back. Each step samples the fields at its start (semi-implicit
// Euler: velocity first, then position).
void ParticleEmitter::Update(TimeValue t) {
  Interface& core = *GetCOREInterface();
  const TimeValue start = core.GetAnimRange().Start();
  const int steps = settings_.stepsPerFrame < 1 ? 1 : settings_.stepsPerFrame;
  const double ticksPerStep = static_cast<double>(core.GetTicksPerFrame()) / steps;
  const long long target = t <= start ? 0 : std::llround((t - start) / ticksPerStep);
  if (step_ < 0 || target < step_) Spawn(start);
  if (target == step_) return;

  std::vector<ForceField*> fields;
  for (INode* warpNode : warps_) {
    auto* warp = warpNode ? dynamic_cast<WSMObject*>(warpNode->GetObjectRef()) : nullptr;
    if (ForceField* f = warp ? warp->GetForceField(warpNode) : nullptr) fields.push_back(f);
  }
  const float dt = 1.f / static_cast<float>(steps);
  for (; step_ < target; ++step_) {
    const TimeValue now = start + static_cast<TimeValue>(std::llround(step_ * ticksPerStep));
    for (int i = 0; i < parts_.Count(); ++i) {
      Point3 force;
      for (ForceField* f : fields) force += f->Force(now, parts_.points[i], parts_.vels[i], i);
      parts_.vels[i] += force * dt;
      parts_.points[i] += parts_.vels[i] * dt;
    }
  }
  for (ForceField* f : fields) f->DeleteThis();
}

ObjectState ParticleEmitter::Eval(TimeValue t) {
  Update(t);
  return ObjectState(this);
}

Point3 ParticleEmitter::ParticlePosition(TimeValue t, int i) {
  Update(t);
  return i >= 0 && i < parts_.Count() ? parts_.points[i] : Point3();
}

}  // namespace host
