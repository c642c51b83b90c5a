#include "host/sdk/Hold.h"

Hold theHold;

void Hold::Begin() { marks_.push_back(open_.size()); }

void Hold::Put(RestoreObj* rob) {
  if (!rob) return;
  if (!Holding()) {
    delete rob;
    return;
  }
  open_.emplace_back(rob);
}

void Hold::Accept(const MCHAR* name) {
  if (marks_.empty()) return;
  marks_.pop_back();
  if (!marks_.empty()) return;  // the enclosing hold takes the records
  if (!open_.empty()) {
    done_.push_back(std::move(open_));
    names_.push_back(name ? name : _M(""));
    undone_.clear();
    undoneNames_.clear();
  }
  open_.clear();
}

void Hold::Cancel() {
  if (marks_.empty()) return;
  const std::size_t first = marks_.back();
  marks_.pop_back();
  // Newest first, so each record restores the state its change began from.
  // The restores themselves are not recorded, not even by an enclosing hold.
  Suspend();
  for (std::size_t i = open_.size(); i > first; --i) open_[i - 1]->Restore(TRUE);
  Resume();
  open_.erase(open_.begin() + static_cast<std::ptrdiff_t>(first), open_.end());
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
  marks_.clear();
  suspended_ = 0;
  open_.clear();
  done_.clear();
  undone_.clear();
  names_.clear();
  undoneNames_.clear();
}
