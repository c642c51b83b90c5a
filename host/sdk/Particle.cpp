#include "host/sdk/Particle.h"

void ParticleSys::SetCount(int n) {
  const std::size_t count = n < 0 ? 0 : static_cast<std::size_t>(n);
  points.assign(count, Point3());
  vels.assign(count, Point3());
  ages.assign(count, 0);
}

void SimpleParticle::Update(TimeValue t, INode* node) {
  if (valid && tvalid == t) return;
  UpdateParticles(t, node);
  BuildEmitter(t, mesh);
  tvalid = t;
  valid = TRUE;
}

Point3 SimpleParticle::ParticlePosition(TimeValue t, int i) {
  Update(t);
  return i >= 0 && i < parts.Count() ? parts.points[i] : Point3();
}

ObjectState SimpleParticle::Eval(TimeValue t) {
  Update(t);
  return ObjectState(this);
}
