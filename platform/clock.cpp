#include "platform/clock.h"

#include <SDL.h>

namespace platform {
namespace {

uint32_t SdlTicks() { return SDL_GetTicks(); }

TickSource gTickSource = &SdlTicks;
SpinWait gSpinWait = nullptr;

}  // namespace

uint32_t Ticks() { return gTickSource(); }

void SetTickSource(TickSource source) { gTickSource = source ? source : &SdlTicks; }

TickSource CurrentTickSource() { return gTickSource; }

uint32_t SpinOn(TickSource source, uint32_t until) {
  // Signed difference keeps the wait right across the wrap of the counter.
  for (;;) {
    uint32_t now = source();
    if (static_cast<int32_t>(now - until) >= 0) return now;
  }
}

void SpinUntil(uint32_t until) {
  if (gSpinWait) {
    gSpinWait(until);
  } else {
    SpinOn(gTickSource, until);
  }
}

void SetSpinWait(SpinWait wait) { gSpinWait = wait; }

SpinWait CurrentSpinWait() { return gSpinWait; }

}  // namespace platform
