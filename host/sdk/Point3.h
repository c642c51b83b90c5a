#pragma once
// Vector and colour types of the host SDK.
#include <cmath>

struct IPoint2 {
  int x = 0, y = 0;
  bool operator==(const IPoint2&) const = default;
};

struct Point2 {
  float x = 0, y = 0;
};

struct Point3 {
  float x = 0, y = 0, z = 0;
  constexpr Point3() = default;
  constexpr Point3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}
  constexpr Point3(double x_, double y_, double z_)
      : x(static_cast<float>(x_)), y(static_cast<float>(y_)), z(static_cast<float>(z_)) {}
  constexpr Point3(int x_, int y_, int z_)
      : x(static_cast<float>(x_)), y(static_cast<float>(y_)), z(static_cast<float>(z_)) {}

  float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
  float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
  Point3 operator+(const Point3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Point3 operator-(const Point3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Point3 operator-() const { return {-x, -y, -z}; }
  Point3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Point3 operator/(float s) const { return {x / s, y / s, z / s}; }
  Point3 operator*(const Point3& o) const { return {x * o.x, y * o.y, z * o.z}; }  // per component
  Point3 operator%(const Point3& o) const {  // cross product
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
  }
  Point3& operator+=(const Point3& o) { return *this = *this + o; }
  Point3& operator-=(const Point3& o) { return *this = *this - o; }
  Point3& operator*=(float s) { return *this = *this * s; }
  bool operator==(const Point3&) const = default;

  float LengthSquared() const { return x * x + y * y + z * z; }
  float Length() const { return std::sqrt(LengthSquared()); }
  // Unit vector in the same direction; the zero vector stays zero.
  Point3 Normalize() const {
    float l = Length();
    return l > 0 ? *this / l : Point3();
  }
};

inline Point3 operator*(float s, const Point3& p) { return p * s; }
inline float DotProd(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Point3 CrossProd(const Point3& a, const Point3& b) { return a % b; }
inline float Length(const Point3& p) { return p.Length(); }
inline Point3 Normalize(const Point3& p) { return p.Normalize(); }

struct Color {
  float r = 0, g = 0, b = 0;
  constexpr Color() = default;
  constexpr Color(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}
  constexpr explicit Color(const Point3& p) : r(p.x), g(p.y), b(p.z) {}
  constexpr operator Point3() const { return {r, g, b}; }
  Color operator+(const Color& o) const { return {r + o.r, g + o.g, b + o.b}; }
  Color operator*(float s) const { return {r * s, g * s, b * s}; }
  Color operator*(const Color& o) const { return {r * o.r, g * o.g, b * o.b}; }
  bool operator==(const Color&) const = default;
};

struct AColor {
  float r = 0, g = 0, b = 0, a = 1;
  constexpr AColor() = default;
  constexpr AColor(float r_, float g_, float b_, float a_ = 1) : r(r_), g(g_), b(b_), a(a_) {}
  constexpr AColor(const Color& c, float a_ = 1) : r(c.r), g(c.g), b(c.b), a(a_) {}
  bool operator==(const AColor&) const = default;
};

// One linear floating-point RGBA pixel of the bitmap manager.
struct BMM_Color_fl {
  float r = 0, g = 0, b = 0, a = 0;
};

// Packs a colour into the host's 0x00BBGGRR wire-colour word.
inline unsigned RGBToWireColor(float r, float g, float b) {
  auto byte = [](float v) { return static_cast<unsigned>(std::lround(std::fmin(std::fmax(v, 0.f), 1.f) * 255.f)); };
  return byte(r) | (byte(g) << 8) | (byte(b) << 16);
}

// The red, green and blue bytes of a 0x00BBGGRR colour word.
inline unsigned char GetRValue(unsigned rgb) { return static_cast<unsigned char>(rgb & 0xFF); }
inline unsigned char GetGValue(unsigned rgb) { return static_cast<unsigned char>((rgb >> 8) & 0xFF); }
inline unsigned char GetBValue(unsigned rgb) { return static_cast<unsigned char>((rgb >> 16) & 0xFF); }
