#pragma once
// A small particle system of the scene runtime: particles spawned once at
// the start of the animation range inside a box or sphere around the node,
// then integrated under the space warps bound to it. Time runs in frames:
// velocities are units per frame and a force is an acceleration per frame
// squared. The warps are reached only through their force fields.
#include <cstdint>
#include <vector>

#include "host/sdk/Particle.h"

namespace host {

inline constexpr Class_ID kParticleEmitterClassID{0x5a3c71e2, 0x1d09b4f6};

struct EmitterSettings {
  int count = 100;
  std::uint32_t seed = 1;
  bool sphere = false;
  Point3 boxSize{10.f, 10.f, 10.f};
  float sphereRadius = 10.f;
  float speed = 0;  // initial speed in a random direction
  int stepsPerFrame = 4;
};

class ParticleEmitter : public ParticleObject {
 public:
  explicit ParticleEmitter(const EmitterSettings& settings = {}) : settings_(settings) {}
  ~ParticleEmitter() override;

  Class_ID ClassID() override { return kParticleEmitterClassID; }
  const MCHAR* GetObjectName(bool = true) const override { return _M("Particles"); }
  // Binds a space-warp node; false when it holds no space warp.
  bool BindSpaceWarp(INode* warpNode);
  int NumSpaceWarps() const { return static_cast<int>(warps_.size()); }

  ObjectState Eval(TimeValue t) override;
  int NumParticles() override { return parts_.Count(); }
  Point3 ParticlePosition(TimeValue t, int i) override;
  const ParticleSys& Particles() const { return parts_; }

  int NumRefs() override { return static_cast<int>(warps_.size()); }
  RefTargetHandle GetReference(int i) override;

 protected:
  void SetReference(int i, RefTargetHandle target) override;

 private:
  void Update(TimeValue t);
  void Spawn(TimeValue start);

  EmitterSettings settings_;
  std::vector<INode*> warps_;
  ParticleSys parts_;
  long long step_ = -1;  // steps taken since the start; -1: not spawned
};

}  // namespace host
