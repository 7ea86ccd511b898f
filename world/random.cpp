#include "world/random.h"

namespace {

constexpr uint64_t kMultiplier = 6364136223846793005ull;
constexpr uint64_t kIncrement = 1442695040888963407ull;

}  // namespace

void WorldRandom::Seed(uint64_t seed) {
  state_ = 0;
  Next();
  state_ += seed;
  Next();
}

uint32_t WorldRandom::Next() {
  const uint64_t old = state_;
  state_ = old * kMultiplier + kIncrement;
  const uint32_t xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
  const uint32_t rotation = static_cast<uint32_t>(old >> 59u);
  return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

uint32_t WorldRandom::Below(uint32_t n) {
  if (n == 0) return 0;
  // Drawn again below the largest multiple of n, so every result is as likely.
  const uint32_t limit = (0u - n) % n;
  for (;;) {
    const uint32_t r = Next();
    if (r >= limit) return r % n;
  }
}

float WorldRandom::Signed() {
  return static_cast<float>(Next() >> 8) * (2.0f / 16777215.0f) - 1.0f;
}
