#include "tools/content/noise.h"

#include <cmath>

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float Hash01(uint32_t a, uint32_t b, uint32_t c) {
  return static_cast<float>(Hash(a, b, c) >> 8) / static_cast<float>(1u << 24);
}

namespace {

int Wrap(int v, int period) {
  v %= period;
  return v < 0 ? v + period : v;
}

float Fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float Gradient(int ix, int iy, int period, uint32_t seed, float dx, float dy) {
  float angle = Hash01(static_cast<uint32_t>(Wrap(ix, period)),
                       static_cast<uint32_t>(Wrap(iy, period)), seed) *
                6.2831853f;
  return std::cos(angle) * dx + std::sin(angle) * dy;
}

}  // namespace

float PeriodicNoise(float x, float y, int period, uint32_t seed) {
  int ix = static_cast<int>(std::floor(x));
  int iy = static_cast<int>(std::floor(y));
  float fx = x - ix;
  float fy = y - iy;
  float n00 = Gradient(ix, iy, period, seed, fx, fy);
  float n10 = Gradient(ix + 1, iy, period, seed, fx - 1, fy);
  float n01 = Gradient(ix, iy + 1, period, seed, fx, fy - 1);
  float n11 = Gradient(ix + 1, iy + 1, period, seed, fx - 1, fy - 1);
  float u = Fade(fx);
  float v = Fade(fy);
  float a = n00 + (n10 - n00) * u;
  float b = n01 + (n11 - n01) * u;
  return (a + (b - a) * v) * 1.41421356f;
}

float PeriodicFbm(float x, float y, int period, int octaves, float gain, uint32_t seed) {
  float sum = 0.0f;
  float amplitude = 1.0f;
  float total = 0.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * PeriodicNoise(x, y, period, seed + static_cast<uint32_t>(i) * 101u);
    total += amplitude;
    amplitude *= gain;
    x *= 2.0f;
    y *= 2.0f;
    period *= 2;
  }
  return sum / total;
}

CellDistances PeriodicCells(float x, float y, int period, uint32_t seed) {
  int ix = static_cast<int>(std::floor(x));
  int iy = static_cast<int>(std::floor(y));
  CellDistances result{1e9f, 1e9f, 0};
  for (int cy = iy - 1; cy <= iy + 1; ++cy) {
    for (int cx = ix - 1; cx <= ix + 1; ++cx) {
      uint32_t wx = static_cast<uint32_t>(Wrap(cx, period));
      uint32_t wy = static_cast<uint32_t>(Wrap(cy, period));
      float px = cx + Hash01(wx, wy, seed);
      float py = cy + Hash01(wx, wy, seed + 1);
      float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
      if (d < result.nearest) {
        result.second = result.nearest;
        result.nearest = d;
        result.cellId = Hash(wx, wy, seed + 2);
      } else if (d < result.second) {
        result.second = d;
      }
    }
  }
  return result;
}

uint32_t Random::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

float Random::Uniform() { return static_cast<float>(Next() >> 8) / static_cast<float>(1u << 24); }

float Random::Range(float low, float high) { return low + (high - low) * Uniform(); }
