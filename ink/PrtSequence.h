#pragma once
// PRT input files as a sequence: which file a frame reads, the stride that
// keeps a file within the particle limit, and the key whose change reloads it.
#include <cstdint>
#include <string>

namespace ink {

// The file of `frame` in the sequence named by `pattern` (UTF-8): the first
// "####" becomes the frame as "%04d"; without one, the last run of decimal
// digits after the last "/" or "\" becomes the frame at the run's width
// ("%0*d"); a name without such digits is every frame's file.
std::string prtFrameFileName(const std::string& pattern, int frame);

// Every k-th particle of a file of `count` so that at most `limit` are read:
// ⌈count / limit⌉ when 0 < limit < count, else 1.
std::int64_t prtStride(std::int64_t count, std::int64_t limit);

// "%s|%lld|%d|%d|%s" of the file, the stride, the colour and world flags and
// an empty string, then the 12 entries of the input matrix (four rows of
// three) each as "%f|". Equal keys read the same particles.
std::string prtInputKey(const std::string& file, std::int64_t stride, bool useColor, bool world,
                        const float (&matrix)[12]);

}  // namespace ink
