#pragma once
#include <cstdint>

// The millisecond tick clock every timer of the game reads. Tests swap in a
// fake source so timers run without sleeping.
namespace platform {

using TickSource = uint32_t (*)();

uint32_t Ticks();

// Passing nullptr restores SDL's clock.
void SetTickSource(TickSource source);

// Spins on the clock until it reads at least `until`.
void SpinUntil(uint32_t until);

}  // namespace platform
