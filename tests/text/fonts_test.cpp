#include "text/fonts.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/support/gl_context.h"

namespace {

class Fonts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureGlContext();
    std::string error;
    ASSERT_TRUE(BuildBitmapFont(bitmapFont, "Impact", 40, error)) << error;
    ASSERT_TRUE(BuildOutlineFont(outlineFont, "Impact", 12, 0.1f, outlineMetrics, error)) << error;
  }

  void SetUp() override {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
  }

  // Window x of the raster position after printing `text` from the left edge.
  static float RasterAdvance(const std::string& text) {
    glRasterPos2f(-1.0f, 0.0f);
    float before[4], after[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
    PrintText(bitmapFont, "%s", text.c_str());
    glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
    return after[0] - before[0];
  }

  static const GlyphMetricsFloat& Metrics(char c) { return outlineMetrics[c - kFontFirstChar]; }

  static inline uint32_t bitmapFont = 0;
  static inline uint32_t outlineFont = 0;
  static inline GlyphMetricsFloat outlineMetrics[kFontGlyphCount];
};

TEST_F(Fonts, BothFontsHaveAListForEveryCharacter) {
  for (uint32_t base : {bitmapFont, outlineFont}) {
    ASSERT_NE(base, 0u);
    for (int i = 0; i < kFontGlyphCount; ++i) EXPECT_TRUE(glIsList(base + i)) << i;
  }
}

// Draws "O" filling most of the window: an orthographic view of the em square.
void DrawBigO(uint32_t font, const GlyphMetricsFloat& o) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const float left = o.gmfptGlyphOriginX - 0.05f, right = left + o.gmfBlackBoxX + 0.1f;
  const float top = o.gmfptGlyphOriginY + 0.05f, bottom = top - o.gmfBlackBoxY - 0.1f;
  glOrtho(left, right, bottom, top, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  PrintText(font, "O");
}

TEST_F(Fonts, LetterOIsSolidWithAnOpenCounterFromEitherWinding) {
  const GlyphMetricsFloat& o = Metrics('O');
  // The window spans the glyph box plus a 0.05 margin on each side.
  const float spanX = o.gmfBlackBoxX + 0.1f;
  const int centreX = 512, centreY = 384;
  const int strokeX = static_cast<int>(1024.0f * (0.05f + 0.02f) / spanX);  // 0.02 em into the ring
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  // The menu draws with counter-clockwise front faces, the loading screen
  // with clockwise ones.
  for (GLenum winding : {GL_CCW, GL_CW}) {
    glFrontFace(winding);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawBigO(outlineFont, o);
    EXPECT_EQ(ReadPixel(centreX, centreY)[0], 0) << "counter filled, winding " << winding;
    EXPECT_EQ(ReadPixel(strokeX, centreY)[0], 255) << "stroke missing, winding " << winding;
    EXPECT_EQ(ReadPixel(5, 5)[0], 0);
  }
  glFrontFace(GL_CCW);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
}

TEST_F(Fonts, TextIsCutAt255CharactersAndBytesWithoutAGlyphSkipped) {
  const float one = RasterAdvance("x");
  EXPECT_GT(one, 0.0f);
  EXPECT_FLOAT_EQ(RasterAdvance(std::string(400, 'x')), 255.0f * one);
  EXPECT_FLOAT_EQ(RasterAdvance("A\xC3\xA9\x80\xFF\t\nB"), RasterAdvance("AB"));
}

}  // namespace
