#pragma once
#include <cmath>

// Three floats; y is up. Left unset by its default constructor, like the
// plain records it lives in.
struct Vector3 {
  float x, y, z;

  Vector3() = default;
  constexpr Vector3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  // v = v * (1 / |v|); a zero vector becomes NaNs, which no caller relies on.
  void Normalize() {
    float inverse = 1.0f / std::sqrt(x * x + y * y + z * z);
    x *= inverse;
    y *= inverse;
    z *= inverse;
  }

  // Stores a x b into this vector.
  void Cross(const Vector3& a, const Vector3& b) {
    *this = Vector3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
  }

  float LengthSquared() const { return x * x + y * y + z * z; }
  float Length() const { return std::sqrt(LengthSquared()); }

  Vector3 operator+(const Vector3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  Vector3 operator-(const Vector3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  Vector3 operator-() const { return {-x, -y, -z}; }
  Vector3 operator*(float s) const { return {x * s, y * s, z * s}; }
  Vector3& operator+=(const Vector3& o) {
    x += o.x;
    y += o.y;
    z += o.z;
    return *this;
  }
  Vector3& operator-=(const Vector3& o) {
    x -= o.x;
    y -= o.y;
    z -= o.z;
    return *this;
  }
};

inline float Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

inline Vector3 CrossProduct(const Vector3& a, const Vector3& b) {
  Vector3 r;
  r.Cross(a, b);
  return r;
}

// True when no coordinate is a NaN or an infinity.
inline bool IsFinite(const Vector3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

inline Vector3 Normalized(Vector3 v) {
  v.Normalize();
  return v;
}
