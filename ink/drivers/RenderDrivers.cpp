// The render drivers of the scripting interface: frames and sequences, and
// one frame over a background image.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "host/runtime/BitmapManager.h"
#include "host/sdk/Interface.h"
#include "host/sdk/Node.h"
#include "host/sdk/ParamBlock2.h"
#include "ink/InkObject.h"
#include "ink/InkParams.h"
#include "ink/MaterialGathering.h"
#include "ink/FrameNaming.h"
#include "ink/drivers/FrameProgress.h"
#include "ink/drivers/HostStream.h"
#include "ink/drivers/PartialFile.h"
#include "util/Format.h"
#include "ink/render/RenderCamera.h"
#include "ink/render/RenderOutput.h"

namespace {
namespace pid = ink::param;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}


// The background's pixels as linear RGBA rows, top row first; empty when the
// image cannot be read.
std::vector<float> readBackground(const std::string& path, int& width, int& height) {
  std::vector<float> pixels;
  if (path.empty()) return pixels;
  BitmapInfo info(host::widen(path).c_str());
  Bitmap* bitmap = TheManager->Load(&info);
  if (!bitmap) return pixels;
  width = bitmap->Width();
  height = bitmap->Height();
  auto copyRows = [&] {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::vector<BMM_Color_fl> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
      if (!bitmap->GetLinearPixels(0, y, width, row.data())) return false;
      for (int x = 0; x < width; ++x) {
        float* p = pixels.data() + (static_cast<std::size_t>(y) * width + x) * 4;
        p[0] = row[x].r, p[1] = row[x].g, p[2] = row[x].b, p[3] = row[x].a;
      }
    }
    return true;
  };
  try {
    if (!copyRows()) pixels = {};
  } catch (const std::bad_alloc&) {
    pixels = {};
  }
  bitmap->DeleteThis();
  return pixels;
}
}  // namespace

bool InkObject::EvaluateTimed(TimeValue t, ink::EvaluatedSources& sources, double& seconds) {
  const Clock::time_point start = Clock::now();
  const bool ok = Evaluate(t, ink::EvalMode::Render, sources);
  seconds = secondsSince(start);
  return ok;
}

bool InkObject::PrepareRender(INode* camera, TimeValue t, int width, int height, const ink::EvaluatedSources& sources,
                              const char* missingCamera, ink::RenderSettings& settings) {
  if (!GatherRender(t, width, height, &sources, settings)) return false;
  INode* inkNode = OwnNode(this);
  const Matrix3 inkTM = inkNode ? inkNode->GetObjectTM(t) : Matrix3();
  const Matrix3 cameraTM = camera ? camera->GetNodeTM(t) : Matrix3();
  const std::optional<ink::Camera> view = ink::buildCamera(camera ? &cameraTM : nullptr, inkNode ? &inkTM : nullptr,
                                                          ink::cameraFieldOfView(camera, t));
  if (!view) {
    status_ = missingCamera;
    return false;
  }
  settings.camera = *view;
  return true;
}

bool InkObject::RenderPrepared(TimeValue t, ink::RenderSettings& settings, const ink::EvaluatedSources& sources,
                               const std::vector<orb::Vec>* previous, std::vector<float>& image,
                               std::vector<float>* passes) {
  if (previous && !previous->empty()) {
    settings.previousPositions = previous->data();
    settings.previousCount = static_cast<std::int64_t>(previous->size());
  }
  // The gathered settings carry the sources' groups, id bases and assemble
  // record, so the object state needs only the antialiasing.
  ink::RenderObjectState object;
  object.antialias = pblock2->GetInt(pid::antialias, t);
  return renderHost_.render(settings, object, sources.sources, sources.weights, image, passes, status_);
}

bool InkObject::WriteRendered(const std::string& file, TimeValue t, const ink::RenderSettings& settings,
                              const std::vector<float>& image, const std::vector<float>* passes) {
  const ink::FrameOutputSettings output{pblock2->GetInt(pid::exrFloat, t) != 0, settings.bgMode};
  std::string message;
  if (ink::writeFrame(ink::partialFileName(file), image,
                      passes ? std::span<const float>(*passes) : std::span<const float>(), settings.width,
                      settings.height, output, message))
    return ink::finishPartialFile(file, status_);
  ink::abandonPartialFile(file, message);
  status_ = message.find("write") != std::string::npos ? message : "could not write " + file;
  return false;
}

bool InkObject::SeedPrevious(int frame, ink::EvaluatedSources& sources, std::vector<orb::Vec>& previous) {
  previous.clear();
  const std::optional<TimeValue> before = ink::frameTime(frame - 1, GetCOREInterface()->GetTicksPerFrame());
  if (!before || !Evaluate(*before, ink::EvalMode::Render, sources)) return true;
  return ink::capturePositions(sources, previous, status_);
}

bool InkObject::RenderFrame(INode* camera, int frame, const MSTR& file, int width, int height) {
  return RenderSequence(camera, frame, frame, file, width, height) == 1;
}

int InkObject::RenderSequence(INode* camera, int start, int end, const MSTR& pattern, int width, int height) {
  const std::string text = host::narrow(pattern);
  RequestTrackRebuild();
  if (end < start) return 0;
  const int ticks = GetCOREInterface()->GetTicksPerFrame();
  if (std::string error = ink::frameRangeError(start, end, ticks); !error.empty()) {
    status_ = error;
    return 0;
  }
  const TimeValue t0 = *ink::frameTime(start, ticks);
  const bool passesWanted = ink::endsWithExr(text) && pblock2->GetInt(pid::renderPasses, t0) != 0;
  const bool previousWanted = passesWanted || ink::coloursBySpeed(*pblock2, t0);

  ink::EvaluatedSources sources;
  std::vector<orb::Vec> previous;
  if (previousWanted && !SeedPrevious(start, sources, previous)) return 0;

  ink::FrameProgress progress("Tessaron Orb Ink: rendering", end - start + 1);
  std::vector<float> image, passes;
  int written = 0;
  for (int f = start; f <= end; ++f) {
    if (!progress.update(f - start, f)) {
      status_ = "cancelled at frame " + std::to_string(f);
      break;
    }
    const TimeValue t = *ink::frameTime(f, ticks);
    double simulate = 0;
    if (!EvaluateTimed(t, sources, simulate)) break;
    const std::string summary = status_;
    ink::RenderSettings settings;
    if (!PrepareRender(camera, t, std::max(width, 16), std::max(height, 16), sources, "renderFrame needs a camera node",
                       settings) ||
        !RenderPrepared(t, settings, sources, previousWanted ? &previous : nullptr, image,
                        passesWanted ? &passes : nullptr))
      break;
    std::vector<float>* passTarget = passesWanted && settings.passes ? &passes : nullptr;
    const bool exactName = start == end && text.find("####") == std::string::npos;
    const std::string file = exactName ? text : ink::frameFileName(text, f);
    const Clock::time_point writeStart = Clock::now();
    if (!WriteRendered(file, t, settings, image, passTarget)) break;
    status_ = util::formatted("frame %d: %s = %lld particles, simulate %.3f s, render %.3f s, write %.3f s -> %s", f,
                             summary.c_str(), static_cast<long long>(sources.count), simulate,
                             renderHost_.lastRenderSeconds(), secondsSince(writeStart), file.c_str());
    ++written;
    // This frame becomes the previous one of the next; the last frame needs no copy.
    if (previousWanted && f < end && !ink::capturePositions(sources, previous, status_)) break;
  }
  return written;
}

bool InkObject::RenderOver(INode* camera, int frame, const MSTR& background, const MSTR& file) {
  const std::string output = host::narrow(file);
  int width = 0, height = 0;
  const std::vector<float> backdrop = readBackground(host::narrow(background), width, height);
  if (backdrop.empty()) {
    status_ = "renderOver: cannot read the background image";
    return false;
  }
  const int ticks = GetCOREInterface()->GetTicksPerFrame();
  const std::optional<TimeValue> time = ink::frameTime(frame, ticks);
  if (!time) {
    status_ = ink::frameRangeError(frame, frame, ticks);
    return false;
  }
  const TimeValue t = *time;
  ink::EvaluatedSources sources;
  ink::RenderSettings settings;
  if (!Evaluate(t, ink::EvalMode::Render, sources) ||
      !PrepareRender(camera, t, width, height, sources, "renderOver needs a camera node", settings))
    return false;
  // Motion vectors need the previous frame; the current one is evaluated again after it.
  const bool passesWanted = ink::endsWithExr(output) && pblock2->GetInt(pid::renderPasses, t) != 0;
  std::vector<orb::Vec> previous;
  if (passesWanted && (!SeedPrevious(frame, sources, previous) || !Evaluate(t, ink::EvalMode::Render, sources)))
    return false;
  settings.background = backdrop.data();
  std::vector<float> image, passes;
  if (!RenderPrepared(t, settings, sources, passesWanted ? &previous : nullptr, image,
                      passesWanted ? &passes : nullptr) ||
      !WriteRendered(output, t, settings, image, passesWanted && settings.passes ? &passes : nullptr))
    return false;
  status_ = util::formatted("over %dx%d: %lld particles, %d lights, render %.3f s -> %s", width, height,
                           static_cast<long long>(sources.count), settings.lightCount, renderHost_.lastRenderSeconds(),
                           output.c_str());
  return true;
}
