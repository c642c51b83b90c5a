#include "host/sdk/Particle.h"

#include "host/sdk/Node.h"

SimpleParticle* SimpleParticle::editOb = nullptr;

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

void SimpleParticle::BeginEditParams(IObjParam*, ULONG, Animatable*) { editOb = this; }

void SimpleParticle::EndEditParams(IObjParam*, ULONG, Animatable*) {
  if (editOb == this) editOb = nullptr;
}

int SimpleParticle::Display(TimeValue t, INode* node, ViewExp* vpt, int) {
  if (!node || !vpt) return 0;
  Update(t, node);
  GraphicsWindow* gw = vpt->getGW();
  gw->setTransform(node->GetObjectTM(t));
  const DWORD wire = node->GetWireColor();
  gw->setColor(LINE_COLOR, GetRValue(wire) / 255.f, GetGValue(wire) / 255.f, GetBValue(wire) / 255.f);
  const auto count = static_cast<DWORD>(mesh.verts.size());
  for (const Face& f : mesh.faces) {
    for (int e = 0; e < 3; ++e) {
      const DWORD a = f.v[e], b = f.v[(e + 1) % 3];
      if (!f.getEdgeVis(e) || a >= count || b >= count) continue;
      const Point3 seg[2] = {mesh.verts[a], mesh.verts[b]};
      gw->segment(seg, 1);
    }
  }
  return 0;
}
