#pragma once
// The core interface: scene time, frame rate, animation range, the node
// hierarchy, the scene's materials and maps, the progress bar with its
// cancel flag, viewport redraws and the ESC key.
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "host/sdk/Node.h"

class MtlBase;

// Receives progress updates (the runner's terminal bar listens here).
class ProgressListener {
 public:
  virtual ~ProgressListener() = default;
  virtual void started(const MSTR& title) = 0;
  virtual void updated(int percent, const MSTR& title) = 0;
  virtual void ended() = 0;
};

class Interface {
 public:
  Interface();
  ~Interface();
  Interface(const Interface&) = delete;
  Interface& operator=(const Interface&) = delete;

  TimeValue GetTime() const { return time_; }
  void SetTime(TimeValue t, BOOL redraw = TRUE) { (void)redraw; time_ = t; }
  int GetFrameRate() const { return frameRate_; }
  // Frame rates must divide the tick rate; others are refused.
  bool SetFrameRate(int fps);
  int GetTicksPerFrame() const { return TIME_TICKSPERSEC / frameRate_; }
  Interval GetAnimRange() const { return animRange_; }
  void SetAnimRange(const Interval& range) { animRange_ = range; }

  INode* GetRootNode() { return root_.get(); }
  // Creates a node for an object under the root; the node owns the object.
  INode* CreateObjectNode(Object* obj, const MCHAR* name = nullptr);
  // First node of that name in depth-first order, or null.
  INode* GetINodeByName(const MCHAR* name);
  void DeleteNode(INode* node);
  // Every node below the root, depth first.
  std::vector<INode*> AllNodes();

  // The scene keeps its materials and maps alive while it holds them.
  void AddToLibrary(MtlBase* m);
  MtlBase* FindInLibrary(const MCHAR* name);
  // Empties the scene: nodes, objects, materials and maps; time, rate and
  // range back to their defaults.
  void ResetScene();

  BOOL ProgressStart(const MCHAR* title, BOOL dispBar = TRUE, std::function<void()> fn = {});
  void ProgressUpdate(int pct, BOOL showPct = TRUE, const MCHAR* title = nullptr);
  void ProgressEnd();
  BOOL GetCancel() const { return cancel_.load(); }
  // Safe to call from a signal handler.
  void SetCancel(BOOL cancel) { cancel_.store(cancel); }
  bool ProgressActive() const { return progressActive_; }
  int ProgressPercent() const { return progressPercent_; }
  void SetProgressListener(ProgressListener* l) { progress_ = l; }

  void RedrawViews(TimeValue t) { (void)t; ++redraws_; }
  void ForceCompleteRedraw() { ++redraws_; }
  int RedrawCount() const { return redraws_; }

  void SetEscapePressed(bool on) { escape_.store(on); }
  bool EscapePressed() const { return escape_.load(); }

 private:
  class Library;
  TimeValue time_ = 0;
  int frameRate_ = 30;
  Interval animRange_;
  std::unique_ptr<INode> root_;
  std::unique_ptr<Library> library_;
  std::atomic<BOOL> cancel_{FALSE};
  bool progressActive_ = false;
  int progressPercent_ = 0;
  MSTR progressTitle_;
  ProgressListener* progress_ = nullptr;
  int redraws_ = 0;
  std::atomic<bool> escape_{false};
};

Interface* GetCOREInterface();
inline int GetTicksPerFrame() { return GetCOREInterface()->GetTicksPerFrame(); }
inline int GetFrameRate() { return GetCOREInterface()->GetFrameRate(); }

// Asynchronous key state: the high bit is set while the key is down.
constexpr int VK_ESCAPE = 0x1B;
SHORT GetAsyncKeyState(int vKey);
