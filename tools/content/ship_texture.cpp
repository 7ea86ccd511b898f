#include <cmath>

#include "tools/content/models.h"
#include "tools/content/noise.h"
#include "tools/content/paint.h"
#include "tools/content/ship_layout.h"
#include "math/scalar_math.h"

using namespace ship_layout;

namespace {

const Colour kHullWhite = Hex(0xDCDFE4);
const Colour kGraphite = Hex(0x34373D);
const Colour kPanelLine = Hex(0x6E737C);
const Colour kOrange = Hex(0xF27A1A);
const Colour kSteelBlue = Hex(0x2C3E5A);
const Colour kGunmetal = Hex(0x707680);

// Fine grain and broad smudges, so the paint does not look flat.
float Grain(float s, float t, uint32_t seed) {
  return 0.04f * PeriodicFbm(s * 32, t * 32, 32, 3, 0.5f, seed) +
         0.03f * PeriodicFbm(s * 4, t * 4, 4, 3, 0.5f, seed + 7);
}

Colour HullTop(float s, float t) {
  const float x = kHullX.FromUnit(s), z = kHullZ.FromUnit(t);
  const float ax = std::fabs(x);
  const HullSection hull = HullAt(z);
  const float edge = ax / hull.halfWidth;
  const float px = 0.012f, pz = 0.024f;  // one texel, in model units

  Colour c = kHullWhite;
  // Twin racing stripes from the nose back to the canopy, and again behind it.
  float stripes = Band(ax, 0.135f, 0.04f, px);
  c = Mix(c, kOrange, stripes);
  // Chevrons on the nose.
  float chevron = Band(z + 2.05f - 0.75f * ax, 0.0f, 0.045f, pz) +
                  Band(z + 1.8f - 0.75f * ax, 0.0f, 0.03f, pz);
  c = Mix(c, kOrange, Clamp01(chevron) * (1.0f - SmoothStep(0.45f, 0.5f, ax)));
  // A dark nose cap.
  c = Mix(c, kGraphite, SmoothStep(-2.38f, -2.42f, z));
  // A blue band across the hull behind the canopy.
  c = Mix(c, kSteelBlue, Band(z, 1.05f, 0.09f, pz));
  // The engine deck between and under the nacelles.
  float deck = SmoothStep(0.9f, 1.0f, z) * (1.0f - SmoothStep(0.26f, 0.28f, std::fabs(ax - 0.52f)));
  c = Mix(c, Hex(0x8A9098), deck * 0.8f);
  // Intake grille between the engines.
  float grilleArea = Band(z, 2.0f, 0.3f, pz) * Band(ax, 0.0f, 0.22f, px);
  float slats = RepeatingBand(z, 0.09f, 0.022f, pz);
  c = Mix(c, Mix(Hex(0x1E2024), Hex(0x4A4E55), slats), grilleArea);
  // Panel lines across and along.
  float panels = 0.0f;
  for (float at : {-1.75f, -0.95f, 0.62f, 1.5f, 2.42f}) panels += Band(z, at, 0.012f, pz);
  if (z > -1.3f) panels += Band(ax, 0.42f, 0.006f, px);
  if (z > 0.0f) panels += Band(ax, 0.8f, 0.006f, px);
  c = Mix(c, kPanelLine, Clamp01(panels) * 0.85f);
  // Shoulders fall away from the light; the chine is a little darker still.
  c = c * (1.0f - 0.16f * SmoothStep(0.3f, 0.95f, edge));
  return c * (1.0f + Grain(s, t, 11));
}

Colour HullSide(float s, float t) {
  const float y = kHullY.FromUnit(s), z = kHullZ.FromUnit(t);
  const float py = 0.004f, pz = 0.024f;
  Colour c = kSteelBlue;
  c = Mix(c, kOrange, Band(y, 0.055f, 0.012f, py));
  // A row of cooling vents along the flank.
  float vents = Band(y, 0.1f, 0.02f, py) * RepeatingBand(z, 0.22f, 0.05f, pz) *
                (1.0f - SmoothStep(1.6f, 1.7f, std::fabs(z - 0.2f)));
  c = Mix(c, Hex(0x101418), vents);
  c = Mix(c, kHullWhite * 0.8f, SmoothStep(0.13f, 0.15f, y));
  return c * (1.0f + Grain(s, t, 12));
}

Colour HullBottom(float s, float t) {
  const float x = kHullX.FromUnit(s), z = kHullZ.FromUnit(t);
  const float ax = std::fabs(x);
  Colour c = kGraphite;
  float panels = RepeatingBand(z, 0.7f, 0.012f, 0.024f) + RepeatingBand(x, 0.65f, 0.008f, 0.02f);
  c = Mix(c, Hex(0x202226), Clamp01(panels));
  // Two hover pads glowing blue.
  float dx = (ax - 0.55f) / 0.22f, dz = (z - 0.55f) / 1.1f;
  float pad = std::sqrt(dx * dx + dz * dz);
  c = Mix(c, Hex(0x2FA8FF), 1.0f - SmoothStep(0.6f, 1.0f, pad));
  c = Mix(c, Hex(0xD8F4FF), 1.0f - SmoothStep(0.0f, 0.5f, pad));
  return c * (1.0f + Grain(s, t, 13));
}

Colour Pod(float s, float t) {
  const float z = kPodZ.FromUnit(s);
  const float around = t;  // 0 outboard, 0.25 top, 0.5 inboard, 0.75 below
  const float pz = 0.017f, pa = 1.0f / 128.0f;
  Colour c = Hex(0xE9EAEC);
  c = Mix(c, kOrange, Band(around, 0.25f, 0.13f, pa));
  c = Mix(c, kHullWhite, Band(around, 0.25f, 0.02f, pa));
  c = Mix(c, kGraphite, Band(around, 0.75f, 0.15f, pa));
  c = Mix(c, kGraphite, SmoothStep(-1.28f, -1.32f, z));
  c = Mix(c, kGunmetal, SmoothStep(2.2f, 2.24f, z));
  float rings = 0.0f;
  for (float at : {-0.9f, 0.55f, 1.75f}) rings += Band(z, at, 0.014f, pz);
  c = Mix(c, kPanelLine * 0.7f, Clamp01(rings));
  return c * (1.0f + Grain(s, t, 14));
}

Colour Nacelle(float s, float t) {
  const float z = kNacelleZ.FromUnit(s);
  const float pz = 0.009f, pa = 1.0f / 128.0f;
  Colour c = kGunmetal * (1.0f + 0.06f * PeriodicNoise(s * 64, t * 2, 64, 21));  // brushed
  c = Mix(c, Hex(0x1A1C20), SmoothStep(0.85f, 0.8f, z));                         // intake
  for (float at : {1.25f, 2.35f}) {
    c = Mix(c, Hex(0x3C4047), Band(z, at, 0.05f, pz));
    // Rivets around each ring.
    float rivet = Band(z, at + 0.08f, 0.012f, pz) * RepeatingBand(t, 1.0f / 16, 0.008f, pa);
    c = Mix(c, Hex(0xB8BEC6), rivet);
  }
  // Heat-blued metal towards the nozzle.
  float heat = SmoothStep(2.4f, 2.8f, z);
  c = Mix(c, Mix(Hex(0x8A6A48), Hex(0x3A4A8A), heat), heat * 0.7f);
  c = Mix(c, kOrange, Band(t, 0.25f, 0.03f, pa) * Band(z, 1.8f, 0.4f, pz));
  return c * (1.0f + Grain(s, t, 15));
}

Colour Canopy(float s, float t) {
  const float z = kCanopyZ.FromUnit(t);
  const float ps = 1.0f / 128.0f, pz = 0.02f;
  float top = std::sin(kPi * s);
  Colour c = Mix(Hex(0x071A33), Hex(0x2D7DB8), top * top);
  // A soft sky reflection sweeping across the glass.
  float streak = Band(s + 0.35f * (z + 0.2f), 0.42f, 0.07f, 0.12f);
  c = Mix(c, Hex(0xBFE6FF), streak * 0.65f);
  float frame = Band(s, 0.0f, 0.05f, ps) + Band(s, 1.0f, 0.05f, ps) +
                Band(z, -0.55f, 0.025f, pz) + Band(z, 0.35f, 0.025f, pz);
  return Mix(c, Hex(0x2A2D33), Clamp01(frame));
}

Colour Glow(float s, float t) {
  float d = 2.0f * std::sqrt((s - 0.5f) * (s - 0.5f) + (t - 0.5f) * (t - 0.5f));
  Colour c = Hex(0x0A1840);
  c = Mix(c, Hex(0x1E5CFF), SmoothStep(1.0f, 0.75f, d));
  c = Mix(c, Hex(0x55E6FF), SmoothStep(0.8f, 0.45f, d));
  c = Mix(c, Hex(0xFFFFFF), SmoothStep(0.4f, 0.1f, d));
  return c;
}

Colour Fin(float s, float t) {
  const float z = kFinZ.FromUnit(s);
  const float pz = 0.01f, pv = 1.0f / 128.0f;
  Colour c = kOrange;
  c = Mix(c, kHullWhite, SmoothStep(0.76f, 0.79f, t));
  c = Mix(c, kGraphite, Band(t, 0.45f, 0.03f, pv));
  c = Mix(c, kGraphite * 1.2f, RepeatingBand(z, 0.55f, 0.01f, pz) * 0.6f);
  return c * (1.0f + Grain(s, t, 16));
}

}  // namespace

Image PaintShipTexture() {
  Image image(kTextureSize, kTextureSize, Hex(0x808080));
  PaintRect(image, kHullTop, HullTop);
  PaintRect(image, kHullSide, HullSide);
  PaintRect(image, kHullBottom, HullBottom);
  PaintRect(image, kPod, Pod);
  PaintRect(image, kNacelle, Nacelle);
  PaintRect(image, kCanopy, Canopy);
  PaintRect(image, kGlow, Glow);
  PaintRect(image, kFin, Fin);
  return image;
}
