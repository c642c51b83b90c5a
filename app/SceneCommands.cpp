// Commands that load a scene: scene (a listing), mesh, bake, viewport,
// particles, force and call (a published function of a node).
#include <climits>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "app/Commands.h"
#include "app/ObjWriter.h"
#include "app/ParticleDump.h"
#include "app/SceneLoading.h"
#include "app/VeilDump.h"
#include "app/WireframeView.h"
#include "orb/OrbObject.h"
#include "app/ScriptCall.h"
#include "app/TerminalProgress.h"
#include "host/sdk/FunctionPublishing.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/Particle.h"
#include "host/sdk/SpaceWarp.h"
#include "ink/InkObject.h"

namespace app {

int runScene(const std::string& scenePath) {
  std::string error;
  if (!loadScene(scenePath, error)) return fail(error);
  Interface& core = *GetCOREInterface();
  const Interval range = core.GetAnimRange();
  std::printf("fps %d, frames %d to %d\n", core.GetFrameRate(), range.Start() / core.GetTicksPerFrame(),
              range.End() / core.GetTicksPerFrame());
  for (INode* node : core.AllNodes()) {
    Object* obj = node->GetObjectRef();
    MSTR cls;
    if (obj) obj->GetClassName(cls);
    const Point3 p = node->GetNodeTM(core.GetTime()).GetTrans();
    const INode* parent = node->GetParentNode();
    std::printf("%s\t%s\t%.9g %.9g %.9g%s%s\n", host::narrow(node->GetName()).c_str(),
                cls.empty() && obj ? host::narrow(obj->GetObjectName()).c_str() : host::narrow(cls).c_str(), p.x,
                p.y, p.z, parent && !parent->IsRootNode() ? "\tparent " : "",
                parent && !parent->IsRootNode() ? host::narrow(parent->GetName()).c_str() : "");
  }
  return 0;
}

namespace {
// A particle system's mesh: the emitter its viewports show, or what it hands
// the renderer.
int writeParticleMesh(SimpleParticle& particles, INode& node, TimeValue t, bool render, const std::string& outFile) {
  particles.Update(t, &node);
  View view;
  BOOL needDelete = FALSE;
  Mesh* rendered = render ? particles.GetRenderMesh(t, &node, view, needDelete) : nullptr;
  const Mesh empty;
  const Mesh& mesh = render ? (rendered ? *rendered : empty) : particles.mesh;
  std::string error;
  const bool written = writeObj(mesh, outFile, error);
  const int verts = mesh.getNumVerts(), faces = mesh.getNumFaces();
  if (needDelete) delete rendered;
  if (!written) return fail(error);
  std::printf("%d vertices, %d faces\n", verts, faces);
  return 0;
}
}  // namespace

int runMesh(const std::string& scenePath, const std::string& nodeName, double frame, bool render,
            const std::string& outFile) {
  std::string error;
  INode* node = loadSceneNode(scenePath, nodeName, error);
  if (!node) return fail(error);
  Interface& core = *GetCOREInterface();
  Object* obj = node->GetObjectRef();
  const TimeValue t = static_cast<TimeValue>(frame * core.GetTicksPerFrame());
  if (auto* particles = dynamic_cast<SimpleParticle*>(obj)) return writeParticleMesh(*particles, *node, t, render, outFile);
  if (!obj || !obj->CanConvertToType(triObjectClassID)) return fail("node \"" + nodeName + "\" has no mesh");
  if (render) obj->RenderBegin(t);
  Object* converted = obj->ConvertToType(t, triObjectClassID);
  if (render) obj->RenderEnd(t);
  auto* tri = dynamic_cast<TriObject*>(converted);
  if (!tri) return fail("node \"" + nodeName + "\" has no mesh");
  const bool written = writeObj(tri->mesh, outFile, error);
  const int verts = tri->mesh.getNumVerts(), faces = tri->mesh.getNumFaces();
  if (converted != obj) converted->DeleteThis();
  if (!written) return fail(error);
  std::printf("%d vertices, %d faces\n", verts, faces);
  return 0;
}

int runBake(const std::string& scenePath, const std::string& nodeName, double frame, const std::string& outFile) {
  std::string error;
  INode* node = loadSceneNode(scenePath, nodeName, error);
  if (!node) return fail(error);
  Interface& core = *GetCOREInterface();
  auto* orb = dynamic_cast<OrbObject*>(node->GetObjectRef());
  if (!orb) return fail("node \"" + nodeName + "\" is not an orb");
  orb->UpdateMesh(static_cast<TimeValue>(frame * core.GetTicksPerFrame()));
  if (!writeVeilDump(orb->Cache(), outFile, error)) return fail(error);
  std::printf("%s\n", host::narrow(orb->SolverStatus()).c_str());
  return 0;
}

int runViewport(const std::string& scenePath, const std::string& cameraName, double frame, const std::string& outFile,
                int width, int height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return fail("the size must be between 1x1 and 16384x16384");
  std::string error;
  INode* camera = loadSceneNode(scenePath, cameraName, error);
  if (!camera) return fail(error);
  Interface& core = *GetCOREInterface();
  WireframeImage image(width, height);
  if (!drawScene(core, *camera, static_cast<TimeValue>(frame * core.GetTicksPerFrame()), image, error) ||
      !image.writePng(outFile, error))
    return fail(error);
  std::printf("%dx%d wireframe written to %s\n", width, height, outFile.c_str());
  return 0;
}

int runParticles(const std::string& scenePath, const std::string& nodeName, double frame, const std::string& mode,
                 long long maxCount, const std::string& outFile) {
  if (mode != "viewport" && mode != "render") return fail("--mode expects viewport or render");
  std::string error;
  INode* node = loadSceneNode(scenePath, nodeName, error);
  if (!node) return fail(error);
  auto* ink = dynamic_cast<InkObject*>(node->GetObjectRef());
  if (!ink) return fail("node \"" + nodeName + "\" is not an ink object");
  const TimeValue t = static_cast<TimeValue>(frame * GetCOREInterface()->GetTicksPerFrame());
  const bool viewport = mode == "viewport";
  ink::EvaluatedSources sources;
  if (!ink->Evaluate(t, viewport ? ink::EvalMode::Viewport : ink::EvalMode::Render, sources))
    return fail(ink->StatusText());
  std::int64_t kept = 0;
  if (!writeEvaluatedParticles(sources, viewport, maxCount, outFile, kept, error)) return fail(error);
  std::printf("%lld of %lld particles written to %s\nstatus: %s\n", static_cast<long long>(kept),
              static_cast<long long>(sources.count), outFile.c_str(), ink->StatusText().c_str());
  return 0;
}

namespace {
// One query line: "x y z vx vy vz index" and nothing else.
bool parseForceQuery(const std::string& line, Point3& pos, Point3& vel, int& index) {
  std::istringstream in(line);
  long long i = 0;
  if (!(in >> pos.x >> pos.y >> pos.z >> vel.x >> vel.y >> vel.z >> i)) return false;
  if (i < INT_MIN || i > INT_MAX) return false;
  index = static_cast<int>(i);
  std::string rest;
  return !(in >> rest);
}
}  // namespace

int runForce(const std::string& scenePath, const std::string& nodeName, double frame) {
  std::string error;
  INode* node = loadSceneNode(scenePath, nodeName, error);
  if (!node) return fail(error);
  auto* warp = dynamic_cast<WSMObject*>(node->GetObjectRef());
  ForceField* field = warp ? warp->GetForceField(node) : nullptr;
  if (!field) return fail("node \"" + nodeName + "\" is not a space warp with a force field");
  const TimeValue t = static_cast<TimeValue>(frame * GetCOREInterface()->GetTicksPerFrame());
  std::string line;
  int lineNumber = 0, code = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    Point3 pos, vel;
    int index = 0;
    if (!parseForceQuery(line, pos, vel, index)) {
      code = fail("line " + std::to_string(lineNumber) + ": expected \"x y z vx vy vz index\"");
      break;
    }
    const Point3 f = field->Force(t, pos, vel, index);
    std::printf("%.9g %.9g %.9g\n", f.x, f.y, f.z);
  }
  field->DeleteThis();
  return code;
}

int runCall(const std::string& scenePath, const std::string& nodeName, const std::string& function,
            const std::vector<std::string>& args) {
  std::string error;
  INode* node = loadSceneNode(scenePath, nodeName, error);
  if (!node) return fail(error);
  Interface& core = *GetCOREInterface();
  ScriptFunction fn;
  if (!findScriptFunction(*node, function, fn, error)) return fail(error);
  // As in the host, the node has been evaluated for display before a script
  // reaches it (an orb has baked its veils by then).
  node->EvalWorldState(core.GetTime());

  TerminalProgress progress(core);
  installInterruptHandler(core);
  FPValue result;
  if (!callScriptFunction(core, fn, args, result, error)) return fail(error);
  std::printf("%s\n", formatResult(result).c_str());

  // Ink objects also report their status line.
  ScriptFunction status;
  std::string ignored;
  if (function != "inkStatus" && findScriptFunction(*node, "inkStatus", status, ignored)) {
    FPValue text;
    if (callScriptFunction(core, status, {}, text, ignored)) std::printf("status: %s\n", formatResult(text).c_str());
  } else if (function == "inkStatus") {
    std::printf("status: %s\n", formatResult(result).c_str());
  }
  return 0;
}

}  // namespace app
