#include <GL/gl.h>
#include <gtest/gtest.h>

#include "assets/texture.h"
#include "tests/assets/gl_draw_helpers.h"
#include "tests/assets/scratch_dir.h"
#include "tools/content/bmp_writer.h"

namespace {

// Red and green along the bottom row, blue and yellow along the top.
const std::vector<uint8_t> kFourColours = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};

testing::AssertionResult ShowsFourColours() {
  // Window points over the centres of the four texels.
  const auto bottomLeft = ReadPixel(256, 192), bottomRight = ReadPixel(768, 192);
  const auto topLeft = ReadPixel(256, 576), topRight = ReadPixel(768, 576);
  if (Near(bottomLeft, 255, 0, 0) && Near(bottomRight, 0, 255, 0) && Near(topLeft, 0, 0, 255) &&
      Near(topRight, 255, 255, 0)) {
    return testing::AssertionSuccess();
  }
  auto show = [](const std::array<uint8_t, 3>& c) {
    return std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]);
  };
  return testing::AssertionFailure() << "bottom " << show(bottomLeft) << " / " << show(bottomRight)
                                     << ", top " << show(topLeft) << " / " << show(topRight);
}

class TextureGl : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    ResetDrawState();
  }
  ScratchDir dir_;
};

// Rows of a 2-pixel RGB image are 6 bytes, not a multiple of 4: this shows
// the upload reads them tightly packed and keeps the bottom row at t = 0.
TEST_F(TextureGl, EachTexelAppearsWhereItBelongs) {
  ScratchDir::Write("four.bmp", EncodeBitmap(2, 2, kFourColours));
  for (bool withAlpha : {false, true}) {
    Texture texture;
    ASSERT_TRUE(texture.Load("four.bmp", withAlpha)) << LastAssetError();
    EXPECT_NE(texture.glName, 0u);
    EXPECT_EQ(BoundTexture(), static_cast<GLint>(texture.glName));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    ResetDrawState();
    glBindTexture(GL_TEXTURE_2D, texture.glName);
    DrawFullScreenQuad();
    EXPECT_TRUE(ShowsFourColours()) << "withAlpha " << withAlpha;
  }
}

TEST_F(TextureGl, TopDownFileShowsTheSamePicture) {
  ScratchDir::Write("down.bmp", EncodeBitmap(2, 2, kFourColours, true));
  Texture texture;
  ASSERT_TRUE(texture.Load("down.bmp", false)) << LastAssetError();
  EXPECT_EQ(texture.height, 2);
  DrawFullScreenQuad();
  EXPECT_TRUE(ShowsFourColours());
}

TEST_F(TextureGl, BlackTexelsAreTransparentWithAlpha) {
  const std::vector<uint8_t> rgb = {0, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0};
  ScratchDir::Write("black.bmp", EncodeBitmap(2, 2, rgb));
  Texture texture;
  ASSERT_TRUE(texture.Load("black.bmp", true));
  glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  DrawFullScreenQuad();
  glDisable(GL_ALPHA_TEST);
  EXPECT_TRUE(Near(ReadPixel(256, 192), 255, 0, 255));  // the clear colour shows through
  EXPECT_TRUE(Near(ReadPixel(768, 192), 0, 255, 0));
}

TEST_F(TextureGl, UploadRestoresThePixelStore) {
  ScratchDir::Write("four.bmp", EncodeBitmap(2, 2, kFourColours));
  glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
  Texture texture;
  ASSERT_TRUE(texture.Load("four.bmp", false));
  GLint alignment = 0;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

TEST_F(TextureGl, ReloadReplacesTheImageUnderTheSameName) {
  ScratchDir::Write("red.bmp", EncodeBitmap(2, 2, std::vector<uint8_t>{255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0}));
  ScratchDir::Write("wide.bmp", EncodeBitmap(4, 2, std::vector<uint8_t>(24, 40)));
  Texture texture;
  ASSERT_TRUE(texture.Load("red.bmp", false));
  const TextureId name = texture.glName;
  ASSERT_TRUE(texture.Load("wide.bmp", false));
  EXPECT_EQ(texture.glName, name);
  EXPECT_EQ(texture.width, 4);
  EXPECT_EQ(texture.pixels[0], 40);
  DrawFullScreenQuad();
  EXPECT_TRUE(Near(ReadPixel(512, 384), 40, 40, 40));
}

TEST_F(TextureGl, FailedLoadLeavesTheTextureAsItWas) {
  ScratchDir::Write("four.bmp", EncodeBitmap(2, 2, kFourColours));
  Texture texture;
  ASSERT_TRUE(texture.Load("four.bmp", false));
  const TextureId name = texture.glName;
  const uint8_t* pixels = texture.pixels;
  EXPECT_FALSE(texture.Load("missing.bmp", true));
  EXPECT_FALSE(LastAssetError().empty());
  EXPECT_EQ(texture.glName, name);
  EXPECT_EQ(texture.pixels, pixels);
  EXPECT_EQ(texture.width, 2);
  Texture never;
  EXPECT_FALSE(never.Load("missing.bmp", false));
  EXPECT_EQ(never.glName, 0u);
  EXPECT_EQ(never.pixels, nullptr);
}

TEST_F(TextureGl, MaterialApplySetsItsColoursAndBindsItsTexture) {
  ScratchDir::Write("four.bmp", EncodeBitmap(2, 2, kFourColours));
  Material material;
  ASSERT_TRUE(material.Load("four.bmp", true));
  glBindTexture(GL_TEXTURE_2D, 0);
  const float ambient[4] = {0.1f, 0.2f, 0.3f, 0.4f};
  const float diffuse[4] = {0.5f, 0.6f, 0.7f, 0.8f};
  const float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::copy(ambient, ambient + 4, material.ambient);
  std::copy(diffuse, diffuse + 4, material.diffuse);
  std::copy(specular, specular + 4, material.specular);
  material.Apply(GL_FRONT);
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(material.glName));
  float got[4];
  glGetMaterialfv(GL_FRONT, GL_AMBIENT, got);
  EXPECT_FLOAT_EQ(got[2], 0.3f);
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, got);
  EXPECT_FLOAT_EQ(got[1], 0.6f);
  glGetMaterialfv(GL_FRONT, GL_SPECULAR, got);
  EXPECT_FLOAT_EQ(got[0], 0.0f);
  EXPECT_FLOAT_EQ(got[3], 1.0f);
}

}  // namespace
