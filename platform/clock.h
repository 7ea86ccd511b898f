#pragma once
#include <cstdint>

// The millisecond tick clock every timer of the game reads. Tests swap in a
// fake source so timers run without sleeping; demos record or replay it.
namespace platform {

using TickSource = uint32_t (*)();
// Waits until the clock reads at least `until`.
using SpinWait = void (*)(uint32_t until);

uint32_t Ticks();

// Passing nullptr restores SDL's clock.
void SetTickSource(TickSource source);
TickSource CurrentTickSource();

// Spins on the clock until it reads at least `until`, or, while a wait is
// installed, lets that wait do it: a recorder notes only where a wait ended,
// a replay jumps to it rather than spin on a clock that moves only when read.
void SpinUntil(uint32_t until);
// Passing nullptr restores spinning on Ticks().
void SetSpinWait(SpinWait wait);
SpinWait CurrentSpinWait();

// Spins on `source` until it reads at least `until`; returns that reading.
uint32_t SpinOn(TickSource source, uint32_t until);

}  // namespace platform
