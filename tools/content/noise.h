#pragma once
#include <cstdint>

// Deterministic noise for the generated content; the same seed always paints
// the same picture. Functions with a `period` repeat every `period` units in
// x and y, so textures made from them tile seamlessly.

uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);
// A hash mapped to 0..1.
float Hash01(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// Gradient noise, roughly -1..1, repeating every `period` (a whole number).
float PeriodicNoise(float x, float y, int period, uint32_t seed);

// Sum of `octaves` layers of periodic noise, each twice the frequency and
// `gain` times the amplitude of the one before; normalised to roughly -1..1.
float PeriodicFbm(float x, float y, int period, int octaves, float gain, uint32_t seed);

// Distance to the nearest and second-nearest of one random point per cell,
// on a `period` x `period` grid of cells that wraps around.
struct CellDistances {
  float nearest;
  float second;
  uint32_t cellId;
};
CellDistances PeriodicCells(float x, float y, int period, uint32_t seed);

// A small sequence of random numbers (xorshift).
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next();
  float Uniform();                    // 0..1
  float Range(float low, float high);  // low..high
  float Signed() { return Range(-1.0f, 1.0f); }

 private:
  uint32_t state_;
};
