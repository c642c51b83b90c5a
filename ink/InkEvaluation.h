#pragma once
// The ink object's evaluation: brings every particle source to a time in one
// of two modes (viewport or render, each with engines of its own), weights
// them and writes the one-line summary that becomes the object's status.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/sdk/Point3.h"
#include "host/sdk/Time.h"
#include "ink/PrtInputStage.h"
#include "ink/SimGathering.h"
#include "ink/SwirlGathering.h"
#include "ink/sim/AssembleStage.h"
#include "ink/sim/Chunk.h"
#include "ink/sim/InkSim.h"
#include "ink/sim/PlumeDrift.h"
#include "ink/sim/PlumeSim.h"
#include "ink/sim/PlumeWater.h"
#include "ink/sim/SilkSim.h"
#include "ink/sim/SwirlSim.h"

class INode;
class IParamBlock2;

namespace ink {

enum class EvalMode { Viewport = 0, Render = 1 };

// Source groups; every particle's id is its group's base plus its index.
enum SourceGroup : int { kInkGroup = 0, kSilkGroup = 1, kSwirlGroup = 2, kPrtGroup = 3, kWaterGroup = 4 };
constexpr std::int64_t groupIdBase(int group) { return static_cast<std::int64_t>(group) << 40; }

// Counts handed to an engine stay within a signed 32-bit count.
constexpr std::int64_t kMaxEngineCount = 2147483647;

// The evaluation's result: the sources in evaluation order, each with the
// mass every one of its particles carries, its id base and its count.
struct EvaluatedSources {
  std::vector<ChunkSource> sources;
  std::vector<float> weights;
  std::vector<std::int64_t> idBases;
  std::vector<std::int64_t> counts;
  std::int64_t count = 0;

  void clear();
  void add(ChunkSource source, float weight, int group, std::int64_t particles);
  bool has(int group) const;
  int group(std::size_t i) const { return static_cast<int>(idBases[i] >> 40); }
  std::size_t size() const { return sources.size(); }
};

// 2π R² × density / max(count, 1): the mass of one particle of a source.
float sourceWeight(float radius, float density, std::int64_t count);

class InkEvaluation {
 public:
  // Evaluate(t, mode): true when at least one source is in the list. The
  // status receives the summary, or the first failing step's message.
  bool evaluate(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                std::string& status);
  // The viewport's particles at t in ink space, in the viewport's order
  // (ink, silk, swirl, PRT input, water ink); empty when the evaluation
  // fails (the status says why).
  std::vector<Point3> viewportParticles(IParamBlock2& block, INode* inkNode, TimeValue t, std::string& status);

  // Set by every parameter change and by the batch drivers.
  void requestRebuild() { rebuildTrack_ = rebuildSwirl_ = true; }
  bool trackRebuildPending() const { return rebuildTrack_; }
  bool swirlRebuildPending() const { return rebuildSwirl_; }

  // Frees the render-mode ink engine; the next evaluation configures it again.
  void releaseRenderInk();

  const VortexTrack& track() const { return track_; }
  const std::vector<Tri>& emitters() const { return emitters_; }
  const ContainerState& container() const { return container_; }
  // The mode's engines, or null before its first evaluation.
  const InkSim* inkEngine(EvalMode mode) const;
  const PrtInputStage* prtStage(EvalMode mode) const;
  const SilkSim* silkEngine(EvalMode mode) const;
  const SwirlSim* swirlEngine(EvalMode mode) const;
  const PlumeSim* plumeEngine(EvalMode mode) const;
  const SwirlTrack& swirlTrack() const { return swirlTrack_; }
  // The water both modes' water-ink particles ride.
  const PlumeWater& water() const { return water_; }

 private:
  struct ModeEngines {
    InkSim ink;
    PrtInputStage prt;
    SilkSim silk;
    SwirlSim swirl;
    PlumeSim plume;
    PlumeDrift drift;  // the silk moved by the water
    std::int64_t containerBuilds = -1;  // the grid build the ink engine was configured with
  };
  ModeEngines& engines(EvalMode mode);
  bool addInk(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
              std::string& summary, std::string& status);
  bool addSilk(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
               std::string& summary, std::string& status);
  bool addSwirl(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                std::string& summary, std::string& status);
  bool addWater(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                std::string& summary, std::string& status);
  bool addPrtInput(IParamBlock2& block, INode* inkNode, TimeValue t, EvalMode mode, EvaluatedSources& out,
                   std::string& summary, std::string& status);

  std::array<std::unique_ptr<ModeEngines>, 2> modes_;
  VortexTrack track_;
  std::vector<Tri> emitters_;
  ContainerState container_;
  SwirlTrack swirlTrack_;
  PlumeWater water_;
  AssembleStage assemble_;  // render mode only: its wrappers share one output buffer
  bool rebuildTrack_ = true;
  bool rebuildSwirl_ = true;
};

}  // namespace ink
