#include <GL/gl.h>
#include <gtest/gtest.h>

#include "assets/p3d_model.h"
#include "tests/assets/gl_draw_helpers.h"
#include "tests/assets/scratch_dir.h"
#include "tools/content/bmp_writer.h"
#include "tools/content/p3d_writer.h"

namespace {

std::vector<uint8_t> Solid(uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> rgb;
  for (int i = 0; i < 4; ++i) rgb.insert(rgb.end(), {r, g, b});
  return rgb;
}

// One counter-clockwise triangle that covers the whole window.
P3dMesh ScreenTriangle(const char* texture) {
  P3dMesh mesh;
  mesh.positions = {Vector3(-1, -1, 0), Vector3(3, -1, 0), Vector3(-1, 3, 0)};
  mesh.normals.assign(3, Vector3(0, 0, 1));
  mesh.texCoords = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}};
  mesh.indices = {0, 1, 2};
  mesh.texturePath = texture;
  return mesh;
}

class ModelDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    ResetDrawState();
    // As the game leaves them: every client array on, the level's colours
    // (here blue) in the colour array.
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, levelColours_);
    ScratchDir::Write("white.bmp", EncodeBitmap(2, 2, Solid(255, 255, 255)));
    ScratchDir::Write("red.bmp", EncodeBitmap(2, 2, Solid(255, 0, 0)));
    ScratchDir::Write("screen.p3d", EncodeP3d(ScreenTriangle("white.bmp")));
    P3dMesh empty;
    empty.texturePath = "white.bmp";
    ScratchDir::Write("empty.p3d", EncodeP3d(empty));
  }
  void TearDown() override {
    glColorPointer(4, GL_FLOAT, 0, nullptr);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
  }

  ScratchDir dir_;
  float levelColours_[12] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
};

TEST_F(ModelDraw, DrawsWithItsTextureAndTheCurrentColour) {
  P3dModel model;
  ASSERT_TRUE(model.Load("screen.p3d")) << LastAssetError();
  glColor3f(1.0f, 1.0f, 0.0f);
  model.Draw();
  // White texture times the current yellow; the blue colour array was off.
  EXPECT_TRUE(Near(ReadPixel(512, 384), 255, 255, 0));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(model.material.glName));
}

TEST_F(ModelDraw, ColourArrayIsOnAgainAfterAnEmptyModel) {
  P3dModel model;
  ASSERT_TRUE(model.Load("empty.p3d")) << LastAssetError();
  model.Draw();
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(model.material.glName));
  EXPECT_TRUE(Near(ReadPixel(512, 384), 0, 0, 0));
}

TEST_F(ModelDraw, DrawWithMaterialUsesTheGivenMaterial) {
  P3dModel model;
  ASSERT_TRUE(model.Load("screen.p3d"));
  Material shine;
  ASSERT_TRUE(shine.Load("red.bmp", true));
  model.DrawWithMaterial(shine);
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(shine.glName));
  EXPECT_TRUE(Near(ReadPixel(512, 384), 255, 0, 0));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
  model.Draw();
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(model.material.glName));
  EXPECT_TRUE(Near(ReadPixel(512, 384), 255, 255, 255));
}

TEST_F(ModelDraw, UnloadedModelDrawsNothingAndBindsNothing) {
  Material other;
  ASSERT_TRUE(other.Load("red.bmp", true));
  glBindTexture(GL_TEXTURE_2D, other.glName);
  P3dModel model;
  EXPECT_FALSE(model.Load("missing.p3d"));
  model.Draw();
  model.DrawWithMaterial(other);
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(other.glName));
  EXPECT_TRUE(Near(ReadPixel(512, 384), 0, 0, 0));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
}

}  // namespace
