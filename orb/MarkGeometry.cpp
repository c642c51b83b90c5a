#include "orb/MarkGeometry.h"

#include <cctype>
#include <cmath>

#include "util/Math.h"

namespace orb {

namespace {

constexpr const char* kDefaultWord = "TESSARON";

// Single-stroke capitals in a unit cell (x 0..1 right, y 0..1 up): each glyph
// is polylines separated by '|', points as pairs of digits 0..4 on a 5 x 5
// grid (x then y).
const char* strokes(char c) {
  switch (c) {
    case 'A': return "002440|0242";
    case 'B': return "000434433202|32413000";
    case 'C': return "4334140301103041";
    case 'D': return "00042443412000";
    case 'E': return "40000444|0232";
    case 'F': return "000444|0232";
    case 'G': return "43341403011030414222";
    case 'H': return "0004|4044|0242";
    case 'I': return "1030|1434|2024";
    case 'J': return "4441301001";
    case 'K': return "0004|440240";
    case 'L': return "040040";
    case 'M': return "0004224440";
    case 'N': return "00044044";
    case 'O': return "103041433414030110";
    case 'P': return "000434433202";
    case 'Q': return "103041433414030110|2240";
    case 'R': return "000434433202|2240";
    case 'S': return "43341403123241301001";
    case 'T': return "0444|2420";
    case 'U': return "040110304144";
    case 'V': return "042044";
    case 'W': return "0410223044";
    case 'X': return "0044|0440";
    case 'Y': return "042244|2220";
    case 'Z': return "04440040";
    default: return "";
  }
}

class Lines {
 public:
  explicit Lines(float z) : z_(z) {}
  void segment(float x0, float y0, float x1, float y1) {
    out_.push_back({x0, y0, z_});
    out_.push_back({x1, y1, z_});
  }
  // A closed circle, or an open arc from a0 to a1, of `segments` segments.
  void arc(float cx, float cy, float rx, float ry, float a0, float a1, int segments) {
    for (int i = 0; i < segments; ++i) {
      const float t0 = a0 + (a1 - a0) * i / segments, t1 = a0 + (a1 - a0) * (i + 1) / segments;
      segment(cx + rx * cosf(t0), cy + ry * sinf(t0), cx + rx * cosf(t1), cy + ry * sinf(t1));
    }
  }
  void glyph(char c, float x, float y, float w, float h) {
    const char* s = strokes(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    float px = 0, py = 0;
    bool pen = false;
    for (; *s; ++s) {
      if (*s == '|') {
        pen = false;
        continue;
      }
      if (!s[1]) break;
      const float nx = x + w * (s[0] - '0') / 4.f, ny = y + h * (s[1] - '0') / 4.f;
      ++s;
      if (pen) segment(px, py, nx, ny);
      px = nx;
      py = ny;
      pen = true;
    }
  }
  std::vector<Vec> take() { return std::move(out_); }

 private:
  float z_;
  std::vector<Vec> out_;
};

}  // namespace

std::vector<Vec> markLines(float size, float scale, const std::string& text) {
  const float R = size < 0.0001f ? 1000.f : size;
  const float k = scale < 0.05f || scale > 20.f ? 1.f : scale;
  const float c = 1.15f * R;  // beside the orb, along its X axis
  const float d = 0.2f * R * k;
  Lines lines(0.04f * d);

  // Flower: five petals fanned over the top of the bowl.
  const float fx = c, fy = 0.55f * d;
  for (int i = 0; i < 5; ++i) {
    const float a = (0.14f + 0.18f * i) * util::kPi;
    lines.arc(fx + 0.62f * d * cosf(a), fy + 0.62f * d * sinf(a), 0.34f * d, 0.34f * d, 0.f, 2.f * util::kPi, 14);
  }
  // The open bowl under it, its rim level with the flower's centre.
  lines.arc(fx, fy, 0.52f * d, 0.74f * d, util::kPi, 2.f * util::kPi, 24);
  // Two small circles as the bowl's feet, and the strokes that close it.
  lines.arc(fx - 0.26f * d, fy - 0.86f * d, 0.06f * d, 0.06f * d, 0.f, 2.f * util::kPi, 8);
  lines.arc(fx + 0.26f * d, fy - 0.86f * d, 0.06f * d, 0.06f * d, 0.f, 2.f * util::kPi, 8);
  lines.segment(fx - 0.52f * d, fy, fx + 0.52f * d, fy);
  lines.segment(fx, fy, fx, fy + 0.28f * d);
  lines.segment(fx - 0.2f * d, fy - 0.74f * d, fx + 0.2f * d, fy - 0.74f * d);

  // The word, in cells of equal width to the right of the glyph.
  const std::string word = text.empty() ? kDefaultWord : text;
  const float cell = 0.5f * d, letterWidth = 0.38f * d, letterHeight = 0.6f * d;
  float x = fx + 0.95f * d;
  for (char ch : word) {
    lines.glyph(ch, x, fy - 0.3f * d, letterWidth, letterHeight);
    x += cell;
  }
  return lines.take();
}

}  // namespace orb
