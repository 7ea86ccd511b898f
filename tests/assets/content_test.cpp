// The generated default content: every file the game reads is there, loads,
// and has the properties the game relies on.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "assets/bitmap.h"
#include "assets/p3d_model.h"
#include "tests/support/gl_context.h"

namespace {

std::string DataPath(const std::string& name) { return DataDir() + "/" + name; }

DecodedBitmap LoadOrFail(const std::string& name, bool withAlpha) {
  DecodedBitmap image;
  EXPECT_TRUE(LoadBitmapFile(DataPath(name).c_str(), withAlpha, image))
      << name << ": " << LastAssetError();
  return image;
}

struct BitmapUse {
  const char* path;
  bool withAlpha;  // as the game loads it
  int side;
};

class GeneratedBitmap : public ::testing::TestWithParam<BitmapUse> {};

// Loaded with alpha, a pure black texel would be a hole in a surface.
TEST_P(GeneratedBitmap, LoadsAtItsSizeWithoutHoles) {
  const BitmapUse use = GetParam();
  DecodedBitmap image = LoadOrFail(use.path, true);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, use.side);
  EXPECT_EQ(image.height, use.side);
  if (!use.withAlpha) return;
  size_t transparent = 0;
  for (size_t i = 3; i < image.byteCount; i += 4) transparent += image.pixels[i] == 0;
  EXPECT_EQ(transparent, 0u) << use.path;
}

INSTANTIATE_TEST_SUITE_P(
    Files, GeneratedBitmap,
    ::testing::Values(BitmapUse{"models/ship.bmp", true, 512},
                      BitmapUse{"models/rocket.bmp", true, 128},
                      BitmapUse{"models/sphere.bmp", true, 256},
                      BitmapUse{"models/clouds.bmp", false, 256},
                      BitmapUse{"textures/menu_bg.bmp", false, 512},
                      BitmapUse{"textures/concrete0.bmp", true, 256},
                      BitmapUse{"textures/grass.bmp", true, 256},
                      BitmapUse{"textures/rock.bmp", true, 256},
                      BitmapUse{"textures/concrete.bmp", true, 256},
                      BitmapUse{"textures/metal.bmp", true, 256},
                      BitmapUse{"textures/sand.bmp", true, 256}));

// Mean colour difference between columns a and b, and rows a and b.
float EdgeDifference(const DecodedBitmap& image, int a, int b, bool columns) {
  float sum = 0.0f;
  const int n = columns ? image.height : image.width;
  for (int i = 0; i < n; ++i) {
    const int xa = columns ? a : i, ya = columns ? i : a;
    const int xb = columns ? b : i, yb = columns ? i : b;
    for (int c = 0; c < 3; ++c) {
      sum += std::abs(image.pixels[(ya * image.width + xa) * 3 + c] -
                      image.pixels[(yb * image.width + xb) * 3 + c]);
    }
  }
  return sum / n;
}

// Across the wrap-around seam the picture changes no more than between any
// two neighbouring columns or rows inside it.
TEST(GeneratedContent, LevelTexturesTileSeamlessly) {
  for (const char* name : {"textures/grass.bmp", "textures/rock.bmp", "textures/concrete.bmp",
                           "textures/metal.bmp", "textures/sand.bmp", "models/clouds.bmp"}) {
    DecodedBitmap image = LoadOrFail(name, false);
    ASSERT_NE(image.pixels, nullptr);
    const int last = image.width - 1;
    for (bool columns : {true, false}) {
      float inside = 0.0f;
      for (int i = 0; i < last; ++i) inside += EdgeDifference(image, i, i + 1, columns);
      inside /= static_cast<float>(last);
      EXPECT_LE(EdgeDifference(image, last, 0, columns), 2.0f * inside + 4.0f)
          << name << (columns ? " left-right" : " top-bottom");
    }
  }
}

TEST(GeneratedContent, ExplosionFadesToTransparentEdges) {
  DecodedBitmap image = LoadOrFail("textures/explosion.bmp", true);
  ASSERT_NE(image.pixels, nullptr);
  auto alpha = [&](int x, int y) { return image.pixels[(y * image.width + x) * 4 + 3]; };
  const int n = image.width;
  for (int i = 0; i < n; ++i) {
    EXPECT_EQ(alpha(i, 0), 0);
    EXPECT_EQ(alpha(i, n - 1), 0);
    EXPECT_EQ(alpha(0, i), 0);
    EXPECT_EQ(alpha(n - 1, i), 0);
  }
  const uint8_t* centre = &image.pixels[(n / 2 * n + n / 2) * 4];
  EXPECT_EQ(centre[3], 255);
  EXPECT_GT(centre[0] + centre[1] + centre[2], 600);  // a bright core
}

struct ModelUse {
  const char* path;
  const char* texture;
  float minLength, maxLength;  // along z
};

class GeneratedModel : public ::testing::TestWithParam<ModelUse> {
 protected:
  void SetUp() override { EnsureGlContext(); }
};

TEST_P(GeneratedModel, IsAWellFormedMesh) {
  const ModelUse use = GetParam();
  InDataDir inData;
  P3dModel model;
  ASSERT_TRUE(model.Load(use.path)) << LastAssetError();
  EXPECT_GE(model.triangleCount, 100u);
  EXPECT_EQ(model.material.width, use.path[7] == 's' ? 512 : 128);

  Vector3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
  for (uint32_t i = 0; i < model.vertexCount; ++i) {
    const Vector3& p = model.vertices[i];
    low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
    high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
    EXPECT_NEAR(model.normals[i].Length(), 1.0f, 1e-3f) << i;
    EXPECT_GE(model.texCoords[i].u, 0.0f);
    EXPECT_LE(model.texCoords[i].u, 1.0f);
    EXPECT_GE(model.texCoords[i].v, 0.0f);
    EXPECT_LE(model.texCoords[i].v, 1.0f);
  }
  const float length = high.z - low.z;
  EXPECT_GE(length, use.minLength);
  EXPECT_LE(length, use.maxLength);
  // Centred, so it turns on the spot.
  EXPECT_LT(std::fabs(high.x + low.x), 0.01f);
  EXPECT_LT(std::fabs(high.z + low.z), 0.6f);

  // Front faces are counter-clockwise: each triangle's winding agrees with
  // the normals of its corners.
  size_t facingAway = 0;
  for (uint32_t t = 0; t < model.triangleCount; ++t) {
    const uint32_t* corner = &model.indices[t * 3];
    const Vector3 face =
        CrossProduct(model.vertices[corner[1]] - model.vertices[corner[0]],
                     model.vertices[corner[2]] - model.vertices[corner[0]]);
    const Vector3 normals =
        model.normals[corner[0]] + model.normals[corner[1]] + model.normals[corner[2]];
    facingAway += Dot(face, normals) <= 0.0f;
  }
  EXPECT_EQ(facingAway, 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, GeneratedModel,
                         ::testing::Values(ModelUse{"models/ship.p3d", "models/ship.bmp", 4.0f, 6.0f},
                                           ModelUse{"models/rocket.p3d", "models/rocket.bmp", 1.8f,
                                                    2.2f}));

TEST(GeneratedContent, RocketNoseLeadsAlongMinusZ) {
  EnsureGlContext();
  InDataDir inData;
  P3dModel rocket;
  ASSERT_TRUE(rocket.Load("models/rocket.p3d")) << LastAssetError();
  // The nose tip is the single point furthest along -z; the fins are at +z.
  float nose = 0.0f, widestAt = 0.0f, widest = 0.0f;
  for (uint32_t i = 0; i < rocket.vertexCount; ++i) {
    const Vector3& p = rocket.vertices[i];
    nose = std::min(nose, p.z);
    float r = std::hypot(p.x, p.y);
    if (r > widest) {
      widest = r;
      widestAt = p.z;
    }
  }
  EXPECT_LT(nose, -0.9f);
  EXPECT_GT(widestAt, 0.3f);
}

struct SoundUse {
  const char* path;
  float minSeconds, maxSeconds;
};

class GeneratedSound : public ::testing::TestWithParam<SoundUse> {};

TEST_P(GeneratedSound, IsLoudSixteenBitPcmOfItsLength) {
  const SoundUse use = GetParam();
  SDL_AudioSpec spec;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  ASSERT_NE(SDL_LoadWAV(DataPath(use.path).c_str(), &spec, &buffer, &length), nullptr)
      << SDL_GetError();
  EXPECT_EQ(spec.freq, 44100);
  EXPECT_EQ(spec.format, AUDIO_S16LSB);
  const size_t samples = length / 2;
  const float seconds = static_cast<float>(samples / spec.channels) / spec.freq;
  EXPECT_GE(seconds, use.minSeconds);
  EXPECT_LE(seconds, use.maxSeconds);
  int peak = 0;
  const int16_t* pcm = reinterpret_cast<const int16_t*>(buffer);
  for (size_t i = 0; i < samples; ++i) peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
  EXPECT_GT(peak, 16000);  // clearly audible
  EXPECT_LT(peak, 32767);  // and not clipped
  // Silent at the very end, so it stops without a click.
  EXPECT_LT(std::abs(static_cast<int>(pcm[samples - 1])), 64);
  SDL_FreeWAV(buffer);
}

INSTANTIATE_TEST_SUITE_P(Files, GeneratedSound,
                         ::testing::Values(SoundUse{"sound/rocket.wav", 0.5f, 0.7f},
                                           SoundUse{"sound/explode01.wav", 1.0f, 1.4f}));

}  // namespace
