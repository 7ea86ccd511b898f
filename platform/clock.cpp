#include "platform/clock.h"

#include <SDL.h>

namespace platform {
namespace {

uint32_t SdlTicks() { return SDL_GetTicks(); }

TickSource gTickSource = &SdlTicks;

}  // namespace

uint32_t Ticks() { return gTickSource(); }

void SetTickSource(TickSource source) { gTickSource = source ? source : &SdlTicks; }

void SpinUntil(uint32_t until) {
  // Signed difference keeps the wait right across the wrap of the counter.
  while (static_cast<int32_t>(Ticks() - until) < 0) {
  }
}

}  // namespace platform
