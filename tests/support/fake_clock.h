#pragma once
#include <cstdint>

#include "platform/seams.h"

// Replaces the game's tick clock while alive. Each read returns the current
// time and then moves it on by `step` ms, so code that spins on the clock
// (the menu's pauses, Escape's wait) finishes when `step` is not 0.
class FakeClock {
 public:
  explicit FakeClock(uint32_t start = 1000, uint32_t step = 0) : seams_(nullptr, &Read) {
    now_ = start;
    step_ = step;
  }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  void Set(uint32_t ms) { now_ = ms; }
  void Advance(uint32_t ms) { now_ += ms; }
  void SetStep(uint32_t ms) { step_ = ms; }
  uint32_t Now() const { return now_; }

 private:
  static uint32_t Read() {
    uint32_t t = now_;
    now_ += step_;
    return t;
  }
  static inline uint32_t now_ = 0;
  static inline uint32_t step_ = 0;
  platform::SeamGuard seams_;
};
