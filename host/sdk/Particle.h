#pragma once
// The simple particle-system base: an emitter mesh and arrays of particle
// positions, velocities and ages filled for a time.
#include <vector>

#include "host/sdk/Object.h"

class ParticleSys {
 public:
  std::vector<Point3> points;
  std::vector<Point3> vels;
  std::vector<TimeValue> ages;  // -1: particle not alive
  void SetCount(int n);
  int Count() const { return static_cast<int>(points.size()); }
  bool Alive(int i) const { return ages[i] >= 0; }
};

class ParticleObject : public GeomObject {
 public:
  int IsParticleSystem() override { return TRUE; }
  virtual int NumParticles() { return 0; }
  virtual Point3 ParticlePosition(TimeValue t, int i) { (void)t; (void)i; return {}; }
};

class SimpleParticle : public ParamBlockOwner<ParticleObject> {
 public:
  Mesh mesh;  // the emitter
  ParticleSys parts;
  TimeValue tvalid = 0;
  BOOL valid = FALSE;

  virtual void UpdateParticles(TimeValue t, INode* node) = 0;
  virtual void BuildEmitter(TimeValue t, Mesh& amesh) = 0;
  virtual Interval GetValidity(TimeValue t) = 0;
  // Fills the particles and the emitter for t unless they are valid there.
  void Update(TimeValue t, INode* node = nullptr);

  // The base particle-system panel: the object being edited, or null.
  static SimpleParticle* editOb;
  void BeginEditParams(IObjParam* ip, ULONG flags, Animatable* prev) override;
  void EndEditParams(IObjParam* ip, ULONG flags, Animatable* next) override;
  // The base display: the emitter mesh's visible edges with the node's
  // object transform (the particles are drawn by the viewport itself).
  int Display(TimeValue t, INode* node, ViewExp* vpt, int flags) override;

  int NumParticles() override { return parts.Count(); }
  Point3 ParticlePosition(TimeValue t, int i) override;
  ObjectState Eval(TimeValue t) override;
  Interval ObjectValidity(TimeValue t) override { return GetValidity(t); }
};
