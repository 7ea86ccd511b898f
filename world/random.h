#pragma once
#include <cstdint>

// The world's own generator (PCG32): every choice a drone makes comes from
// it, so two games seeded alike and given the same commands play alike, and
// a demo replays its round exactly.
class WorldRandom {
 public:
  explicit WorldRandom(uint64_t seed = 1) { Seed(seed); }

  void Seed(uint64_t seed);
  uint32_t Next();
  // Uniform in [0, n); 0 when n is 0.
  uint32_t Below(uint32_t n);
  // Uniform in [-1, 1].
  float Signed();

 private:
  uint64_t state_ = 0;
};
