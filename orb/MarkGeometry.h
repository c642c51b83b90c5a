#pragma once
// The orb's logo mark as line segments in the orb's object space: a
// five-petal flower over an open bowl with two small circles and strokes,
// and a word in single-stroke capitals to its right.
#include <string>
#include <vector>

#include "util/Vec.h"

namespace orb {

// Two points per segment, for size R (1000 when below 0.0001) and scale k
// (1 outside [0.05, 20]). An empty text writes the default word.
std::vector<Vec> markLines(float size, float scale, const std::string& text);

// The colour the mark is drawn in.
inline constexpr Vec kMarkColour{0.706f, 1.0f, 0.878f};

}  // namespace orb
