#pragma once
#include "platform/clock.h"
#include "platform/input.h"

namespace platform {

// Puts an input source, a clock and a wait in place for as long as it
// lives, then puts back the ones it found; a null one leaves its seam as it
// is. Demos and tests stand in for the player and the clock through it.
class SeamGuard {
 public:
  SeamGuard(InputSource* input, TickSource clock, SpinWait wait = nullptr)
      : input_(CurrentInputSource()), clock_(CurrentTickSource()), wait_(CurrentSpinWait()) {
    if (input) SetInputSource(input);
    if (clock) SetTickSource(clock);
    if (wait) SetSpinWait(wait);
  }
  ~SeamGuard() {
    SetSpinWait(wait_);
    SetTickSource(clock_);
    SetInputSource(input_);
  }
  SeamGuard(const SeamGuard&) = delete;
  SeamGuard& operator=(const SeamGuard&) = delete;

  // What stood there before, which a stand-in may pass reads on to.
  InputSource* Input() const { return input_; }
  TickSource Clock() const { return clock_; }

 private:
  InputSource* input_;
  TickSource clock_;
  SpinWait wait_;
};

}  // namespace platform
