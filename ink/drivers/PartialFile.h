#pragma once
// A frame's file is written under a partial name in the same folder and
// renamed when complete, so a job killed mid-frame never leaves a truncated
// file under the frame's name. The partial name is the same on every run: a
// frame rendered again overwrites what a killed run left.
#include <string>

namespace ink {

// "dir/.NAME.partial.EXT" for "dir/NAME.EXT" (the extension stays last, as
// the writers choose the format by it).
std::string partialFileName(const std::string& file);

// Renames the written partial file to `file`; false with "cannot write FILE".
bool finishPartialFile(const std::string& file, std::string& status);

// After a writer failed on the partial file: removes it, and the writer's
// message names `file` instead.
void abandonPartialFile(const std::string& file, std::string& status);

}  // namespace ink
