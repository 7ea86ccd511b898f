#include "tools/content/sounds.h"

#include <algorithm>
#include <cmath>

#include "tools/content/noise.h"
#include "math/scalar_math.h"

namespace {


// A state-variable filter: low-pass and band-pass of the same input.
class Filter {
 public:
  void Run(float input, float cutoffHz, float resonance) {
    float f = 2.0f * std::sin(kPi * std::min(cutoffHz, kSoundRate * 0.2f) / kSoundRate);
    float damping = 1.0f / resonance;
    low_ += f * band_;
    float high = input - low_ - damping * band_;
    band_ += f * high;
  }
  float Low() const { return low_; }
  float Band() const { return band_; }

 private:
  float low_ = 0.0f;
  float band_ = 0.0f;
};

// Scales to a peak just under full scale, softly limited, as 16-bit pairs.
std::vector<int16_t> ToStereo16(const std::vector<float>& left, const std::vector<float>& right) {
  float peak = 1e-6f;
  for (size_t i = 0; i < left.size(); ++i) peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  const float gain = 0.9f / peak;
  std::vector<int16_t> out;
  out.reserve(left.size() * 2);
  auto convert = [&](float v) {
    float limited = std::tanh(v * gain * 1.2f) / std::tanh(1.2f);
    return static_cast<int16_t>(std::lround(std::clamp(limited, -1.0f, 1.0f) * 32000.0f));
  };
  for (size_t i = 0; i < left.size(); ++i) {
    out.push_back(convert(left[i]));
    out.push_back(convert(right[i]));
  }
  return out;
}

// Short fades at both ends so the sound starts and stops without a click.
void Fade(std::vector<float>& samples, float inSeconds, float outSeconds) {
  const size_t in = static_cast<size_t>(inSeconds * kSoundRate);
  const size_t out = static_cast<size_t>(outSeconds * kSoundRate);
  for (size_t i = 0; i < in && i < samples.size(); ++i) samples[i] *= static_cast<float>(i) / in;
  for (size_t i = 0; i < out && i < samples.size(); ++i) {
    samples[samples.size() - 1 - i] *= static_cast<float>(i) / out;
  }
}

std::vector<float> Whoosh(uint32_t seed, float seconds) {
  const size_t count = static_cast<size_t>(seconds * kSoundRate);
  std::vector<float> out(count);
  Random random(seed);
  Filter airy, body;
  float rumblePhase = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    float t = static_cast<float>(i) / kSoundRate;
    float x = t / seconds;
    // Fast attack, then a long fall; the pitch of the rush sweeps up and back down.
    float envelope = (1.0f - std::exp(-t * 60.0f)) * std::exp(-x * 3.2f);
    float cutoff = 700.0f + 3800.0f * std::exp(-std::pow((x - 0.18f) * 4.0f, 2.0f));
    float noise = random.Signed();
    airy.Run(noise, cutoff, 2.5f);
    body.Run(noise, 260.0f + 300.0f * (1.0f - x), 0.8f);
    rumblePhase += 2.0f * kPi * (95.0f - 40.0f * x) / kSoundRate;
    float rumble = std::sin(rumblePhase) * 0.25f * std::exp(-x * 4.0f);
    out[i] = envelope * (airy.Band() * 1.2f + body.Low() * 0.9f + rumble);
  }
  Fade(out, 0.002f, 0.05f);
  return out;
}

std::vector<float> Blast(uint32_t seed, float seconds) {
  const size_t count = static_cast<size_t>(seconds * kSoundRate);
  std::vector<float> out(count);
  Random random(seed);
  Filter roar, rumbleFilter, crack;
  float boomPhase = 0.0f;
  float crackleLevel = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    float t = static_cast<float>(i) / kSoundRate;
    float noise = random.Signed();
    // The crack: a bright burst over in a few tens of milliseconds.
    crack.Run(noise, 5000.0f, 0.7f);
    float crackPart = (noise * 0.5f + crack.Low()) * std::exp(-t * 70.0f);
    // The roar: noise whose brightness closes down as it dies away.
    roar.Run(noise, 200.0f + 2600.0f * std::exp(-t * 5.0f), 0.9f);
    float roarPart = roar.Low() * 1.6f * std::exp(-t * 3.2f) * (1.0f - std::exp(-t * 200.0f));
    // The rumble: very low noise and a falling boom underneath.
    rumbleFilter.Run(noise, 90.0f, 1.2f);
    boomPhase += 2.0f * kPi * (38.0f + 40.0f * std::exp(-t * 6.0f)) / kSoundRate;
    float rumblePart =
        (rumbleFilter.Low() * 3.0f + std::sin(boomPhase) * 0.55f) * std::exp(-t * 2.2f);
    // Debris crackling in the tail: short ticks of noise, each dying in a few ms.
    if (random.Uniform() < 0.0006f * std::exp(-t * 2.0f)) crackleLevel = random.Range(0.15f, 0.45f);
    crackleLevel *= 0.994f;
    out[i] = crackPart + roarPart + rumblePart + noise * crackleLevel;
  }
  Fade(out, 0.001f, 0.08f);
  return out;
}

std::vector<float> Zap(uint32_t seed, float seconds) {
  const size_t count = static_cast<size_t>(seconds * kSoundRate);
  std::vector<float> out(count);
  Random random(seed);
  Filter hiss;
  float phase = 0.0f;
  for (size_t i = 0; i < count; ++i) {
    float t = static_cast<float>(i) / kSoundRate;
    float x = t / seconds;
    phase += 2.0f * kPi * (1900.0f * std::exp(-x * 2.2f) + 240.0f) / kSoundRate;
    float tone = std::sin(phase) + 0.3f * std::sin(phase * 2.01f);
    hiss.Run(random.Signed(), 3000.0f + 2000.0f * (1.0f - x), 1.5f);
    float envelope = (1.0f - std::exp(-t * 300.0f)) * std::exp(-x * 4.0f);
    out[i] = envelope * (tone * 0.6f + hiss.Band() * 0.8f);
  }
  Fade(out, 0.001f, 0.04f);
  return out;
}

std::vector<float> Clang(uint32_t seed, float seconds) {
  const size_t count = static_cast<size_t>(seconds * kSoundRate);
  std::vector<float> out(count);
  Random random(seed);
  Filter knock;
  // Partials of a struck plate: not whole multiples, each dying at its own rate.
  const float partials[][3] = {{523.0f, 1.0f, 9.0f}, {1187.0f, 0.6f, 12.0f},
                               {1863.0f, 0.45f, 16.0f}, {2741.0f, 0.3f, 22.0f}};
  for (size_t i = 0; i < count; ++i) {
    float t = static_cast<float>(i) / kSoundRate;
    float ring = 0.0f;
    for (const auto& p : partials) ring += p[1] * std::sin(2.0f * kPi * p[0] * t) * std::exp(-t * p[2]);
    knock.Run(random.Signed(), 1400.0f, 0.8f);
    out[i] = ring * (1.0f - std::exp(-t * 2000.0f)) + knock.Low() * 2.0f * std::exp(-t * 60.0f);
  }
  Fade(out, 0.0005f, 0.05f);
  return out;
}

// The track's notes, each added into a loop of `out.size()` samples: what
// rings past the end comes round to the start, so the loop has no seam.
class Loop {
 public:
  explicit Loop(size_t samples) : left_(samples), right_(samples) {}

  // A pad chord tone: soft harmonics, two voices a little apart in pitch
  // and in the stereo field, swelling in and fading over `seconds`.
  void Pad(float start, float seconds, float hz, float level) {
    Note(start, seconds + 0.6f, [=](float t, float& l, float& r) {
      const float swell = std::min(t / 0.4f, 1.0f) * (t < seconds ? 1.0f : std::exp(-(t - seconds) * 8.0f));
      float a = 0.0f, b = 0.0f;
      for (int k = 1; k <= 5; ++k) {
        const float weight = 1.0f / std::pow(static_cast<float>(k), 1.6f);
        a += weight * std::sin(2.0f * kPi * hz * 1.003f * k * t);
        b += weight * std::sin(2.0f * kPi * hz * 0.997f * k * t + 0.7f);
      }
      l += level * swell * (0.7f * a + 0.3f * b);
      r += level * swell * (0.3f * a + 0.7f * b);
    });
  }
  // A plucked bass note.
  void Bass(float start, float hz, float level) {
    Note(start, 0.45f, [=](float t, float& l, float& r) {
      const float v = level * std::exp(-t * 7.0f) * (1.0f - std::exp(-t * 400.0f)) *
                      (std::sin(2.0f * kPi * hz * t) + 0.35f * std::sin(4.0f * kPi * hz * t));
      l += v;
      r += v;
    });
  }
  // A soft kick: a low tone falling in pitch.
  void Kick(float start, float level) {
    Note(start, 0.35f, [=](float t, float& l, float& r) {
      const float phase = 2.0f * kPi * (45.0f * t + 6.0f * (1.0f - std::exp(-t * 30.0f)));
      const float v = level * std::exp(-t * 12.0f) * std::sin(phase);
      l += v;
      r += v;
    });
  }
  // A closed hat: a short burst of bright noise.
  void Hat(float start, float level, float pan, uint32_t seed) {
    Random random(seed);
    Filter body;
    Note(start, 0.08f, [=, &random, &body](float t, float& l, float& r) mutable {
      const float noise = random.Signed();
      body.Run(noise, 6000.0f, 0.7f);
      const float v = level * std::exp(-t * 60.0f) * (noise - body.Low());
      l += v * (1.0f - pan);
      r += v * pan;
    });
  }

  std::vector<int16_t> Stereo() const { return ToStereo16(left_, right_); }

 private:
  template <typename Voice>
  void Note(float start, float seconds, Voice voice) {
    const size_t size = left_.size();
    const size_t first = static_cast<size_t>(start * kSoundRate);
    const size_t count = static_cast<size_t>(seconds * kSoundRate);
    for (size_t i = 0; i < count; ++i) {
      float l = 0.0f, r = 0.0f;
      voice(static_cast<float>(i) / kSoundRate, l, r);
      left_[(first + i) % size] += l;
      right_[(first + i) % size] += r;
    }
  }

  std::vector<float> left_;
  std::vector<float> right_;
};

float NoteHz(int semitonesFromA4) { return 440.0f * std::pow(2.0f, semitonesFromA4 / 12.0f); }

}  // namespace

std::vector<int16_t> SynthesiseTrack() {
  constexpr float kBeat = 0.5f;  // 120 beats a minute
  constexpr int kBars = 8;
  // Am F C G Am F G E: each chord's notes from A4, its root in the bass.
  const int chords[kBars][3] = {{-12, -9, -5}, {-16, -12, -9}, {-9, -5, -2}, {-14, -10, -7},
                                {-12, -9, -5}, {-16, -12, -9}, {-14, -10, -7}, {-17, -13, -10}};
  Loop loop(static_cast<size_t>(kBars * 4 * kBeat * kSoundRate));
  uint32_t seed = 301;
  for (int bar = 0; bar < kBars; ++bar) {
    const float at = bar * 4 * kBeat;
    for (int note : chords[bar]) loop.Pad(at, 4 * kBeat, NoteHz(note), 0.12f);
    const float root = NoteHz(chords[bar][0] - 24);
    for (int eighth = 0; eighth < 8; ++eighth) {
      const float t = at + eighth * kBeat * 0.5f;
      if (eighth % 4 == 0) loop.Kick(t, 0.5f);
      if (eighth % 2 == 0 || eighth == 7) loop.Bass(t, eighth == 6 ? root * 1.5f : root, 0.35f);
      loop.Hat(t + kBeat * 0.25f, eighth % 2 ? 0.12f : 0.07f, eighth % 2 ? 0.65f : 0.35f, seed++);
    }
  }
  return loop.Stereo();
}

std::vector<int16_t> SynthesiseDroneLaunch() {
  return ToStereo16(Zap(221, 0.45f), Zap(222, 0.45f));
}

std::vector<int16_t> SynthesiseHit() { return ToStereo16(Clang(231, 0.4f), Clang(232, 0.4f)); }

std::vector<int16_t> SynthesiseRocketLaunch() {
  return ToStereo16(Whoosh(201, 0.6f), Whoosh(202, 0.6f));
}

std::vector<int16_t> SynthesiseExplosion() {
  return ToStereo16(Blast(211, 1.2f), Blast(212, 1.2f));
}
