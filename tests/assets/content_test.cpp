// The generated default content: every file the game reads is there, loads,
// and has the properties the game relies on.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "assets/bitmap.h"
#include "assets/p3d_model.h"
#include "tests/support/gl_context.h"

namespace {

DecodedBitmap LoadOrFail(const std::string& name, bool withAlpha) {
  DecodedBitmap image;
  std::string error;
  EXPECT_TRUE(LoadBitmapFile((DataDir() + "/" + name).c_str(), withAlpha, image, error))
      << name << ": " << error;
  return image;
}

// Table rows are named and printed by their file: "models/ship.bmp" gives
// the test name "models_ship_bmp" (not the bytes of the row).
template <typename Use>
std::string FileName(const ::testing::TestParamInfo<Use>& info) {
  std::string name = info.param.path;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

struct BitmapUse {
  const char* path;
  int side;
  bool withAlpha;  // as the game loads it
  bool tiles;      // repeated across the level or the sky
};
void PrintTo(const BitmapUse& use, std::ostream* out) { *out << use.path; }

// Mean colour difference between columns a and b (or rows a and b).
float EdgeDifference(const DecodedBitmap& image, int a, int b, bool columns) {
  float sum = 0.0f;
  const int n = columns ? image.height : image.width;
  for (int i = 0; i < n; ++i) {
    const int pa = columns ? i * image.width + a : a * image.width + i;
    const int pb = columns ? i * image.width + b : b * image.width + i;
    for (int c = 0; c < 3; ++c) {
      const uint8_t* pixels = image.pixels.get();
      sum += std::abs(pixels[pa * image.channels + c] - pixels[pb * image.channels + c]);
    }
  }
  return sum / n;
}

class GeneratedBitmap : public ::testing::TestWithParam<BitmapUse> {};

// Loaded with alpha, a pure black texel would be a hole in a surface; across
// a tiling texture's wrap-around seam the picture changes no more than
// between neighbouring columns or rows inside it.
TEST_P(GeneratedBitmap, HasItsSizeNoHolesAndTilesSeamlessly) {
  const BitmapUse use = GetParam();
  const DecodedBitmap image = LoadOrFail(use.path, use.withAlpha);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, use.side);
  EXPECT_EQ(image.height, use.side);
  size_t transparent = 0;
  for (size_t i = 3; use.withAlpha && i < image.byteCount; i += 4) {
    transparent += image.pixels[i] == 0;
  }
  EXPECT_EQ(transparent, 0u);
  if (!use.tiles) return;
  const int last = image.width - 1;
  for (bool columns : {true, false}) {
    float inside = 0.0f;
    for (int i = 0; i < last; ++i) inside += EdgeDifference(image, i, i + 1, columns);
    EXPECT_LE(EdgeDifference(image, last, 0, columns), 2.0f * inside / last + 4.0f)
        << (columns ? "left-right seam" : "top-bottom seam");
  }
}

const BitmapUse kBitmaps[] = {
    {"models/ship.bmp", 512, true, false},       {"models/rocket.bmp", 128, true, false},
    {"models/sphere.bmp", 256, true, false},     {"models/clouds.bmp", 256, false, true},
    {"textures/menu_bg.bmp", 512, false, false}, {"textures/concrete0.bmp", 256, true, false},
    {"textures/grass.bmp", 256, true, true},     {"textures/rock.bmp", 256, true, true},
    {"textures/concrete.bmp", 256, true, true},  {"textures/metal.bmp", 256, true, true},
    {"textures/sand.bmp", 256, true, true}};
INSTANTIATE_TEST_SUITE_P(Files, GeneratedBitmap, ::testing::ValuesIn(kBitmaps),
                         FileName<BitmapUse>);

// The sprite is drawn as a square: any opaque texel on its border shows the square.
TEST(GeneratedContent, ExplosionFadesToTransparentEdges) {
  const DecodedBitmap image = LoadOrFail("textures/explosion.bmp", true);
  ASSERT_NE(image.pixels, nullptr);
  const int n = image.width;
  auto alpha = [&](int x, int y) { return image.pixels[(y * n + x) * 4 + 3]; };
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(alpha(i, 0) + alpha(i, n - 1) + alpha(0, i) + alpha(n - 1, i), 0) << i;
  }
  EXPECT_EQ(alpha(n / 2, n / 2), 255);
}

struct ModelUse {
  const char* path;
  int textureSide;
  float minLength, maxLength;  // along z
};
void PrintTo(const ModelUse& use, std::ostream* out) { *out << use.path; }

class GeneratedModel : public ::testing::TestWithParam<ModelUse> {
 protected:
  void SetUp() override { EnsureGlContext(); }
};

TEST_P(GeneratedModel, IsAWellFormedMeshOfItsSize) {
  const ModelUse use = GetParam();
  InDataDir inData;
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load(use.path, error)) << error;
  EXPECT_GE(model.triangleCount, 100u);
  EXPECT_EQ(model.material.width, use.textureSide);

  float low = 0.0f, high = 0.0f;  // along z
  size_t badNormals = 0, badTexCoords = 0;
  for (uint32_t i = 0; i < model.vertexCount; ++i) {
    low = std::min(low, model.vertices[i].z);
    high = std::max(high, model.vertices[i].z);
    badNormals += std::fabs(model.normals[i].Length() - 1.0f) > 1e-3f;
    const Vector2& t = model.texCoords[i];
    badTexCoords += t.u < 0.0f || t.u > 1.0f || t.v < 0.0f || t.v > 1.0f;
  }
  EXPECT_EQ(badNormals, 0u);
  EXPECT_EQ(badTexCoords, 0u);
  EXPECT_GE(high - low, use.minLength);
  EXPECT_LE(high - low, use.maxLength);

  // Front faces are counter-clockwise: each triangle's winding agrees with
  // the normals of its corners.
  size_t facingAway = 0;
  for (uint32_t t = 0; t < model.triangleCount; ++t) {
    const uint32_t* corner = &model.indices[t * 3];
    const Vector3 face = CrossProduct(model.vertices[corner[1]] - model.vertices[corner[0]],
                                      model.vertices[corner[2]] - model.vertices[corner[0]]);
    facingAway += Dot(face, model.normals[corner[0]] + model.normals[corner[1]] +
                                model.normals[corner[2]]) <= 0.0f;
  }
  EXPECT_EQ(facingAway, 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, GeneratedModel,
                         ::testing::Values(ModelUse{"models/ship.p3d", 512, 4.0f, 6.0f},
                                           ModelUse{"models/rocket.p3d", 128, 1.8f, 2.2f}),
                         FileName<ModelUse>);

struct SoundUse {
  const char* path;
  float minSeconds, maxSeconds;
};
void PrintTo(const SoundUse& use, std::ostream* out) { *out << use.path; }

class GeneratedSound : public ::testing::TestWithParam<SoundUse> {};

TEST_P(GeneratedSound, IsAudibleSixteenBitPcmOfItsLength) {
  const SoundUse use = GetParam();
  SDL_AudioSpec format;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  ASSERT_NE(SDL_LoadWAV((DataDir() + "/" + use.path).c_str(), &format, &buffer, &length), nullptr)
      << SDL_GetError();
  EXPECT_EQ(format.freq, 44100);
  EXPECT_EQ(format.format, AUDIO_S16LSB);
  const size_t samples = length / 2;
  const float seconds = static_cast<float>(samples / format.channels) / format.freq;
  EXPECT_GE(seconds, use.minSeconds);
  EXPECT_LE(seconds, use.maxSeconds);
  int peak = 0;
  const int16_t* pcm = reinterpret_cast<const int16_t*>(buffer);
  for (size_t i = 0; i < samples; ++i) peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
  EXPECT_GT(peak, 16000);  // not silent
  SDL_FreeWAV(buffer);
}

INSTANTIATE_TEST_SUITE_P(Files, GeneratedSound,
                         ::testing::Values(SoundUse{"sound/rocket.wav", 0.5f, 0.7f},
                                           SoundUse{"sound/explode01.wav", 1.0f, 1.4f}),
                         FileName<SoundUse>);

}  // namespace
