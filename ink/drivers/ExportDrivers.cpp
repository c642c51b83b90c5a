// The export drivers of the scripting interface: PRT particle sequences and
// VDB density sequences.
#include <algorithm>
#include <cstdio>

#include "formats/prt/PrtWriter.h"
#include "formats/vdb/DensityVdb.h"
#include "gpu/HostParallel.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "ink/FrameNaming.h"
#include "ink/drivers/FrameProgress.h"
#include "ink/drivers/HostStream.h"
#include "ink/drivers/PartialFile.h"
#include "util/Format.h"
#include "ink/drivers/PrtRecords.h"
#include "ink/render/DensityExport.h"

namespace {
namespace pid = ink::param;

// Records are built in slices, the slices of a batch on every host thread,
// and appended batch by batch: no chunk's records are ever held at once.
constexpr std::int64_t kRecordSlice = 16384;
constexpr std::int64_t kRecordBatch = 16 * kRecordSlice;
// Velocities are seeded from the frame before the start only from here on.
constexpr int kEarliestVelocitySeed = -99999;

// The checks every export makes before its first frame; false with the status set.
bool exportRangeUsable(const std::string& pattern, const char* kind, int start, int end, std::string& status) {
  if (pattern.size() > ink::kMaxPatternBytes) {
    status = std::string("the ") + kind + " file pattern is longer than 1023 bytes";
    return false;
  }
  if (end < start) return false;
  std::string error = ink::frameRangeError(start, end, GetCOREInterface()->GetTicksPerFrame());
  if (error.empty()) return true;
  status = error;
  return false;
}

ink::PrtChannelSwitches channelSwitches(IParamBlock2& pb, TimeValue t) {
  auto on = [&](ParamID id) { return pb.GetInt(id, t) != 0; };
  return {on(pid::prtVelocity), on(pid::prtColor), on(pid::prtEmission), on(pid::prtNormal),
          on(pid::prtID),       on(pid::prtAge),   on(pid::prtSource),   on(pid::prtRest)};
}

// The records of one host chunk, appended in particle order.
bool appendRecords(const ink::PrtRecordBuilder& builder, const ink::HostChunk& chunk, std::size_t recordSize,
                   prt::Writer& writer, std::vector<std::uint8_t>& records, std::string& error) {
  try {
    records.resize(static_cast<std::size_t>(std::min(chunk.count, kRecordBatch)) * recordSize);
  } catch (const std::bad_alloc&) {
    error = "not enough system memory for the PRT records";
    return false;
  }
  for (std::int64_t batch = 0; batch < chunk.count; batch += kRecordBatch) {
    const std::int64_t count = std::min(kRecordBatch, chunk.count - batch);
    gpu::hostParallelFor((count + kRecordSlice - 1) / kRecordSlice, [&](std::int64_t first, std::int64_t last) {
      for (std::int64_t k = first; k < last; ++k) {
        const std::int64_t s = batch + k * kRecordSlice;
        ink::HostChunk slice = chunk;
        slice.count = std::min(kRecordSlice, chunk.count - s);
        slice.first += s;
        slice.offset += s;
        slice.positions += s;
        slice.weights += s;
        if (slice.rest) slice.rest += s;
        builder.fill(slice, records.data() + static_cast<std::size_t>(k * kRecordSlice) * recordSize);
      }
    });
    writer.Append(records.data(), static_cast<std::size_t>(count) * recordSize);
  }
  return true;
}
}  // namespace

int InkObject::ExportPRT(int start, int end, const MSTR& pattern) {
  const std::string text = host::narrow(pattern);
  RequestTrackRebuild();
  if (!exportRangeUsable(text, "PRT", start, end, status_)) return 0;
  Interface& core = *GetCOREInterface();
  const int ticks = core.GetTicksPerFrame();
  const ink::PrtChannelSwitches switches = channelSwitches(*pblock2, *ink::frameTime(start, ticks));
  const std::vector<prt::Channel> channels = ink::prtExportChannels(switches);

  ink::EvaluatedSources sources;
  std::vector<orb::Vec> previous, current;
  if (switches.velocity && start >= kEarliestVelocitySeed && !SeedPrevious(start, sources, previous)) return 0;

  ink::FrameProgress progress("Tessaron Orb Ink: PRT export", end - start + 1);
  INode* node = OwnNode(this);
  std::vector<float> grid;
  ink::NormalField normals;
  std::vector<std::uint8_t> records;
  int written = 0;
  for (int f = start; f <= end; ++f) {
    if (!progress.update(f - start, f)) {
      status_ = util::formatted("PRT cancelled at frame %d (%d written)", f, written);
      break;
    }
    const TimeValue t = *ink::frameTime(f, ticks);
    if (!Evaluate(t, ink::EvalMode::Render, sources)) break;
    const float radius = pblock2->GetFloat(pid::radius, t);
    ink::RenderSettings settings;
    if (!GatherRender(t, 16, 16, &sources, settings)) break;

    ink::PrtFrame frame;
    frame.settings = &settings;
    frame.sources = &sources;
    frame.seconds = settings.time;
    frame.fps = static_cast<float>(core.GetFrameRate());
    frame.swirlStart = static_cast<float>(pblock2->GetInt(pid::swirlStartFrame, t)) / frame.fps;
    frame.colourScale = pblock2->GetFloat(pid::prtColorScale, t);
    frame.velocityScale = pblock2->GetFloat(pid::prtVelocityScale, t);
    if (pblock2->GetInt(pid::prtWorldSpace, t) && node) frame.output = node->GetObjectTM(t);
    if (switches.normal) {
      const int n = std::clamp(pblock2->GetInt(pid::prtNormalRes, t), 32, 512);
      const float extent = std::max(settings.sceneExtent, radius);
      if (!ink::buildDensityGrid(sources.sources, sources.weights, extent, n, grid, status_) ||
          !ink::buildNormalField(grid, n, extent, frame.output, normals, status_))
        break;
      frame.normals = &normals;
    }
    if (switches.velocity && static_cast<std::int64_t>(previous.size()) == sources.count && sources.count > 0)
      frame.previous = previous.data();
    if (switches.velocity && !ink::reservePositions(current, sources.count, status_)) break;

    const std::string file = ink::frameFileName(text, f);
    prt::Writer writer;
    if (!writer.Open(ink::partialFileName(file), sources.count, channels, status_)) {
      ink::abandonPartialFile(file, status_);
      break;
    }
    const ink::PrtRecordBuilder builder(frame, writer.channels(), writer.recordSize());
    const std::size_t recordSize = static_cast<std::size_t>(writer.recordSize());
    std::int64_t recordsWritten = 0;
    const bool streamed = ink::streamToHost(
        sources, ink::kHostWeights | ink::kHostRest,
        [&](const ink::HostChunk& chunk, std::string& error) {
          recordsWritten += chunk.count;
          return appendRecords(builder, chunk, recordSize, writer, records, error);
        },
        status_, current);  // kept as the next frame's previous positions
    if (!streamed || !writer.Close(recordsWritten, status_)) {
      ink::abandonPartialFile(file, status_);
      break;
    }
    if (!ink::finishPartialFile(file, status_)) break;
    if (switches.velocity) previous.swap(current);
    status_ = util::formatted("PRT frame %d: %lld particles, %d channels, %d bytes each -> %s", f,
                             static_cast<long long>(sources.count), static_cast<int>(channels.size()),
                             writer.recordSize(), file.c_str());
    ++written;
  }
  return written;
}

int InkObject::ExportVDB(int start, int end, const MSTR& pattern, int resolution) {
  const std::string text = host::narrow(pattern);
  RequestTrackRebuild();
  if (!exportRangeUsable(text, "VDB", start, end, status_)) return 0;
  const int ticks = GetCOREInterface()->GetTicksPerFrame();
  const int n = std::clamp(resolution, 32, 1536);
  ink::EvaluatedSources sources;
  std::vector<float> grid;
  int written = 0;
  for (int f = start; f <= end; ++f) {
    const TimeValue t = *ink::frameTime(f, ticks);
    if (!Evaluate(t, ink::EvalMode::Render, sources)) break;
    const float r = pblock2->GetFloat(pid::radius, t);
    if (!ink::buildDensityGrid(sources.sources, sources.weights, r, n, grid, status_)) break;
    const float peak = std::max(0.f, grid.empty() ? 0.f : *std::max_element(grid.begin(), grid.end()));
    const formats::DenseGrid dense{grid.data(), n, n, n, -(n / 2), -(n / 2), -(n / 2)};
    const std::string file = ink::frameFileName(text, f);
    std::size_t leaves = 0;
    if (!formats::WriteDensityVdb(ink::partialFileName(file), "density", dense, 2.0 * static_cast<double>(r) / n,
                                  peak * 0.0001f, status_, leaves)) {
      ink::abandonPartialFile(file, status_);
      break;
    }
    if (!ink::finishPartialFile(file, status_)) break;
    status_ = util::formatted("VDB frame %d: %lld particles, %d^3, %zu leaves, peak %.4g -> %s", f,
                             static_cast<long long>(sources.count), n, leaves, static_cast<double>(peak), file.c_str());
    ++written;
  }
  return written;
}
