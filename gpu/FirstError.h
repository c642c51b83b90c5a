#pragma once
// The first failure of a sequence of device calls, with its text. Launches
// and copies are issued one after another and the sequence is asked once:
// after a failure every later check answers false without looking, so the
// caller reports the cause, not a consequence. Each failure also clears the
// calling thread's last-error slot, so the next sequence starts clean.
#include <string>

#include "gpu/Device.h"

namespace gpu {

class FirstError {
 public:
  // Keeps s when it is the sequence's first failure; `text`, when given,
  // replaces the runtime's text for it. Returns ok().
  bool check(Status s, const char* text = nullptr);
  // Waits for the queued work and checks it; false at once after a failure.
  bool synchronize();

  bool ok() const { return status_ == Success; }
  Status status() const { return status_; }
  const std::string& text() const { return text_; }

 private:
  Status status_ = Success;
  std::string text_;
};

}  // namespace gpu
