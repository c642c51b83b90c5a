#include "host/sdk/Hold.h"

Hold theHold;

void Hold::Begin() { ++depth_; }

void Hold::Put(RestoreObj* rob) {
  if (!rob) return;
  if (!Holding()) {
    delete rob;
    return;
  }
  open_.emplace_back(rob);
}

void Hold::Accept(const MCHAR* name) {
  if (depth_ == 0) return;
  if (--depth_ > 0) return;
  if (!open_.empty()) {
    done_.push_back(std::move(open_));
    names_.push_back(name ? name : _M(""));
    undone_.clear();
    undoneNames_.clear();
  }
  open_.clear();
}

void Hold::Cancel() {
  if (depth_ == 0) return;
  depth_ = 0;
  for (auto it = open_.rbegin(); it != open_.rend(); ++it) (*it)->Restore(TRUE);
  open_.clear();
}

bool Hold::Undo() {
  if (done_.empty()) return false;
  Step step = std::move(done_.back());
  done_.pop_back();
  for (auto it = step.rbegin(); it != step.rend(); ++it) (*it)->Restore(TRUE);
  undone_.push_back(std::move(step));
  undoneNames_.push_back(names_.back());
  names_.pop_back();
  return true;
}

bool Hold::Redo() {
  if (undone_.empty()) return false;
  Step step = std::move(undone_.back());
  undone_.pop_back();
  for (auto& r : step) r->Redo();
  done_.push_back(std::move(step));
  names_.push_back(undoneNames_.back());
  undoneNames_.pop_back();
  return true;
}

void Hold::Clear() {
  depth_ = 0;
  suspended_ = 0;
  open_.clear();
  done_.clear();
  undone_.clear();
  names_.clear();
  undoneNames_.clear();
}
