#pragma once
// The undo hold: changes made between Begin and Accept form one undoable
// step of restore objects. Holds nest: an inner Accept leaves its records
// to the enclosing hold, an inner Cancel takes back only its own.
#include <memory>
#include <vector>

#include "host/sdk/Types.h"

class RestoreObj {
 public:
  virtual ~RestoreObj() = default;
  virtual void Restore(int isUndo) = 0;
  virtual void Redo() = 0;
};

class Hold {
 public:
  void Begin();
  // Restore objects are taken only while holding and not suspended.
  void Put(RestoreObj* rob);
  void Accept(const MCHAR* name);
  // Restores and drops the records of the innermost open hold; enclosing
  // holds stay open with their records.
  void Cancel();
  BOOL Holding() const { return !marks_.empty() && suspended_ == 0; }
  void Suspend() { ++suspended_; }
  void Resume() { if (suspended_ > 0) --suspended_; }
  // Undoes (redoes) the last accepted step; false when there is none.
  bool Undo();
  bool Redo();
  int UndoDepth() const { return static_cast<int>(done_.size()); }
  // The name the step that Undo would undo was accepted under; empty if none.
  MSTR UndoName() const { return names_.empty() ? MSTR() : names_.back(); }
  void Clear();

 private:
  using Step = std::vector<std::unique_ptr<RestoreObj>>;
  // Per open hold, innermost last: where its records start in open_.
  std::vector<std::size_t> marks_;
  int suspended_ = 0;
  Step open_;
  std::vector<Step> done_;
  std::vector<MSTR> names_;  // of the done steps
  std::vector<Step> undone_;
  std::vector<MSTR> undoneNames_;
};

extern Hold theHold;
