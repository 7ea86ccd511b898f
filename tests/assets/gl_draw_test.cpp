// Textures and models drawn by a real GL context, checked by reading pixels back.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

#include "assets/p3d_model.h"
#include "assets/texture.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"
#include "tools/content/bmp_writer.h"
#include "tools/content/p3d_writer.h"

namespace {

bool Near(const std::array<uint8_t, 3>& got, int r, int g, int b) {
  return std::abs(got[0] - r) <= 3 && std::abs(got[1] - g) <= 3 && std::abs(got[2] - b) <= 3;
}

GLint BoundTexture() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}

// The bound texture over the whole window, t = 0 at the bottom.
void DrawFullScreenQuad() {
  glBegin(GL_QUADS);
  for (const auto& c : {std::array<int, 2>{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
    glTexCoord2i(c[0], c[1]);
    glVertex2i(2 * c[0] - 1, 2 * c[1] - 1);
  }
  glEnd();
}

constexpr GLenum kClientArrays[] = {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY,
                                    GL_COLOR_ARRAY};

class GlDraw : public ::testing::Test {
 protected:
  // Identity matrices, no depth, culling, lighting or blending; and as the
  // game leaves them, every client array on with the level's colours (here
  // blue) in the colour array.
  void SetUp() override {
    EnsureGlContext();
    glViewport(0, 0, 1024, 768);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_BLEND, GL_ALPHA_TEST,
                       GL_COLOR_MATERIAL}) {
      glDisable(cap);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    for (GLenum array : kClientArrays) glEnableClientState(array);
    glColorPointer(4, GL_FLOAT, 0, levelColours_);
    dir_.Write("white.bmp", EncodeBitmap(2, 2, std::vector<uint8_t>(12, 255)));
    dir_.Write("red.bmp", EncodeBitmap(2, 2, {255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0}));
    // One counter-clockwise triangle that covers the whole window.
    P3dMesh mesh;
    mesh.texturePath = "white.bmp";
    dir_.Write("empty.p3d", EncodeP3d(mesh));
    mesh.positions = {Vector3(-1, -1, 0), Vector3(3, -1, 0), Vector3(-1, 3, 0)};
    mesh.normals.assign(3, Vector3(0, 0, 1));
    mesh.texCoords = {{0.25f, 0.25f}, {0.75f, 0.25f}, {0.25f, 0.75f}};
    mesh.indices = {0, 1, 2};
    dir_.Write("screen.p3d", EncodeP3d(mesh));
  }
  void TearDown() override {
    glColorPointer(4, GL_FLOAT, 0, nullptr);
    for (GLenum array : kClientArrays) glDisableClientState(array);
  }

  TempDir dir_{TempDir::kEnter};
  float levelColours_[12] = {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1};
};

// Rows of a 2-pixel RGB image are 6 bytes, not a multiple of 4: the upload
// must read them tightly packed, keep the bottom row at t = 0, and with alpha
// let the clear colour (magenta) show through the black texel.
TEST_F(GlDraw, EachTexelAppearsWhereItBelongs) {
  // Black and green along the bottom row, blue and yellow along the top.
  dir_.Write("four.bmp", EncodeBitmap(2, 2, {0, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}));
  for (bool withAlpha : {false, true}) {
    SCOPED_TRACE(withAlpha ? "RGBA" : "RGB");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 8);
    Texture texture;
    std::string error;
    ASSERT_TRUE(texture.Load("four.bmp", withAlpha, error)) << error;
    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 8) << "unpack alignment not restored";
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glBindTexture(GL_TEXTURE_2D, texture.glName);
    DrawFullScreenQuad();
    glDisable(GL_ALPHA_TEST);
    // Window points over the centres of the four texels.
    EXPECT_TRUE(withAlpha ? Near(ReadPixel(256, 192), 255, 0, 255)
                          : Near(ReadPixel(256, 192), 0, 0, 0));
    EXPECT_TRUE(Near(ReadPixel(768, 192), 0, 255, 0));
    EXPECT_TRUE(Near(ReadPixel(256, 576), 0, 0, 255));
    EXPECT_TRUE(Near(ReadPixel(768, 576), 255, 255, 0));
  }
}

// The level's colour array must be off while a model draws and on again after.
TEST_F(GlDraw, ModelDrawsWithItsTextureAndTheCurrentColour) {
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load("screen.p3d", error)) << error;
  glColor3f(1.0f, 1.0f, 0.0f);
  model.Draw();
  EXPECT_TRUE(Near(ReadPixel(512, 384), 255, 255, 0));  // white texture times yellow
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(model.material.glName));
}

TEST_F(GlDraw, DrawWithMaterialBindsTheGivenMaterial) {
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load("screen.p3d", error)) << error;
  Material shine;
  ASSERT_TRUE(shine.Load("red.bmp", true, error)) << error;
  model.DrawWithMaterial(shine);
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(shine.glName));
  EXPECT_TRUE(Near(ReadPixel(512, 384), 255, 0, 0));
  EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
}

// With no triangles (or no model at all) nothing is drawn, nothing crashes,
// and the colour array is still on.
TEST_F(GlDraw, EmptyOrUnloadedModelLeavesTheColourArrayOn) {
  P3dModel empty, unloaded;
  std::string error;
  ASSERT_TRUE(empty.Load("empty.p3d", error)) << error;
  EXPECT_FALSE(unloaded.Load("missing.p3d", error));
  for (const P3dModel* model : {&empty, &unloaded}) {
    model->Draw();
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_TRUE(Near(ReadPixel(512, 384), 0, 0, 0));
  }
  EXPECT_EQ(BoundTexture(), static_cast<GLint>(empty.material.glName));
}

}  // namespace
