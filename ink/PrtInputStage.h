#pragma once
// The ink object's PRT input for one evaluation mode: which file and stride
// a frame reads, the 56-byte probe of its header, the reload only when the
// key changes, and the particles moved into ink space.
#include <cstdint>
#include <string>

#include "ink/sim/PrtInput.h"

namespace ink {

// Longest file name the PRT input reads, in UTF-8 bytes.
constexpr std::size_t kPrtInputMaxPath = 1023;

struct PrtInputRequest {
  std::string pattern;      // `prtInFile`, UTF-8
  int frame = 0;            // evaluated frame + `prtInFrameOffset`
  std::int64_t limit = 0;   // particles to read at most, 0 = all
  bool useColor = true;     // `prtInUseColor`
  bool world = false;       // `prtInWorld`
  float matrix[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // file space to ink space, four rows of three
};

// The particle count of a PRT file from its first 56 bytes; false with
// "PRT input: cannot read " + file when the header is short, not a PRT
// header or counts below zero.
bool probePrtCount(const std::string& file, std::int64_t& count, std::string& error);

class PrtInputStage {
 public:
  // Brings the loaded particles to the request's file, stride, flags and
  // matrix, reading the file only when the key differs from the stored one.
  bool update(const PrtInputRequest& request, std::string& error);
  void clear();

  PrtInput& input() { return input_; }
  const PrtInput& input() const { return input_; }
  std::int64_t count() const { return input_.count(); }
  // Largest absolute coordinate of the loaded particles (ink space).
  float extent() const { return extent_; }
  std::int64_t fileReads() const { return fileReads_; }
  const std::string& key() const { return key_; }

 private:
  PrtInput input_;
  std::string key_;
  float extent_ = 0.f;
  std::int64_t fileReads_ = 0;
};

}  // namespace ink
