#pragma once
#include <cstdint>
#include <vector>

constexpr int kSoundRate = 44100;

// Interleaved stereo 16-bit samples at kSoundRate.

// A rocket leaving its launcher: a rising, then falling rush of air, ~0.6 s.
std::vector<int16_t> SynthesiseRocketLaunch();
// A blast: a sharp crack, a roar of noise and a long low rumble, ~1.2 s.
std::vector<int16_t> SynthesiseExplosion();
// A drone's launch: a short, thin whine falling in pitch over a hiss, ~0.45 s.
std::vector<int16_t> SynthesiseDroneLaunch();
// A hit: a metallic clang of inharmonic partials over a knock, ~0.4 s.
std::vector<int16_t> SynthesiseHit();
// The game's music: 16 seconds of an ambient groove (pad chords, a bass,
// a soft kick and hats at 120 beats a minute) that loops without a seam.
std::vector<int16_t> SynthesiseTrack();
