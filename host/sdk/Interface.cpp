#include "host/sdk/Interface.h"

#include <algorithm>

#include "host/sdk/Material.h"

// Holds a reference to every scene material and map so that nodes dropping
// them never delete them.
class Interface::Library : public ReferenceMaker {
 public:
  ~Library() override { Clear(); }
  void Add(MtlBase* m) {
    items_.push_back(nullptr);
    ReplaceReference(static_cast<int>(items_.size()) - 1, m);
  }
  MtlBase* Find(const MCHAR* name) {
    for (MtlBase* m : items_)
      if (m && name && m->GetName() == name) return m;
    return nullptr;
  }
  void Clear() {
    DeleteAllRefsFromMe();
    items_.clear();
  }
  int NumRefs() override { return static_cast<int>(items_.size()); }
  RefTargetHandle GetReference(int i) override { return items_[i]; }
  RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override { return REF_SUCCEED; }

 protected:
  void SetReference(int i, RefTargetHandle target) override { items_[i] = dynamic_cast<MtlBase*>(target); }

 private:
  std::vector<MtlBase*> items_;
};

Interface::Interface() : animRange_(0, 100 * (TIME_TICKSPERSEC / 30)), library_(std::make_unique<Library>()) {
  root_ = std::make_unique<INode>(_M("Scene Root"));
  root_->MarkRoot();
}

Interface::~Interface() { ResetScene(); }

bool Interface::SetFrameRate(int fps) {
  if (fps <= 0 || TIME_TICKSPERSEC % fps != 0) return false;
  frameRate_ = fps;
  return true;
}

INode* Interface::CreateObjectNode(Object* obj, const MCHAR* name) {
  auto* node = new INode(name ? name : _M(""));
  node->SetObjectRef(obj);
  root_->AttachChild(node);
  return node;
}

std::vector<INode*> Interface::AllNodes() {
  std::vector<INode*> out;
  std::vector<INode*> stack{root_.get()};
  while (!stack.empty()) {
    INode* n = stack.back();
    stack.pop_back();
    if (n != root_.get()) out.push_back(n);
    for (int i = n->NumberOfChildren() - 1; i >= 0; --i) stack.push_back(n->GetChildNode(i));
  }
  return out;
}

INode* Interface::GetINodeByName(const MCHAR* name) {
  if (!name) return nullptr;
  for (INode* n : AllNodes())
    if (MSTR(n->GetName()) == name) return n;
  return nullptr;
}

void Interface::DeleteNode(INode* node) {
  if (!node || node == root_.get()) return;
  // Children move up to the deleted node's parent, as in the host.
  INode* parent = node->GetParentNode() ? node->GetParentNode() : root_.get();
  while (node->NumberOfChildren() > 0) parent->AttachChild(node->GetChildNode(0));
  node->Detach();
  delete node;
}

void Interface::AddToLibrary(MtlBase* m) {
  if (m) library_->Add(m);
}

MtlBase* Interface::FindInLibrary(const MCHAR* name) { return library_->Find(name); }

void Interface::ResetScene() {
  while (root_->NumberOfChildren() > 0) {
    INode* n = root_->GetChildNode(0);
    // Delete leaves first so no node outlives its parent.
    while (n->NumberOfChildren() > 0) n = n->GetChildNode(0);
    n->Detach();
    delete n;
  }
  library_->Clear();
  time_ = 0;
  frameRate_ = 30;
  animRange_ = Interval(0, 100 * GetTicksPerFrame());
  cancel_.store(FALSE);
  escape_.store(false);
}

BOOL Interface::ProgressStart(const MCHAR* title, BOOL, std::function<void()> fn) {
  progressActive_ = true;
  progressPercent_ = 0;
  progressTitle_ = title ? title : _M("");
  cancel_.store(FALSE);
  if (progress_) progress_->started(progressTitle_);
  if (fn) fn();
  return TRUE;
}

void Interface::ProgressUpdate(int pct, BOOL, const MCHAR* title) {
  progressPercent_ = std::clamp(pct, 0, 100);
  if (title) progressTitle_ = title;
  if (progress_) progress_->updated(progressPercent_, progressTitle_);
}

void Interface::ProgressEnd() {
  progressActive_ = false;
  if (progress_) progress_->ended();
}

Interface* GetCOREInterface() {
  static Interface core;
  return &core;
}

SHORT GetAsyncKeyState(int vKey) {
  return vKey == VK_ESCAPE && GetCOREInterface()->EscapePressed() ? static_cast<SHORT>(0x8000) : 0;
}
