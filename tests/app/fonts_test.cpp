#include "app/fonts.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/video.h"
#include "tests/support/gl_context.h"

namespace {

const GlyphMetricsFloat& MetricsOf(const GlyphMetricsFloat* table, char c) {
  return table[c - kFontFirstChar];
}

class Fonts : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    EnsureGlContext();
    ASSERT_TRUE(BuildBitmapFont(bitmapFont, "Impact", 40)) << LastFontError();
    ASSERT_TRUE(BuildOutlineFont(outlineFont, "Impact", 12, 0.1f, outlineMetrics))
        << LastFontError();
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
  static float RasterAdvance(const char* format, const char* text) {
    glRasterPos2f(-1.0f, 0.0f);
    float before[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
    PrintText(bitmapFont, format, text);
    float after[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
    return after[0] - before[0];
  }

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

TEST_F(Fonts, OutlineMetricsAreInEmUnits) {
  const GlyphMetricsFloat& a = MetricsOf(outlineMetrics, 'a');
  EXPECT_GT(a.gmfCellIncX, 0.2f);
  EXPECT_LT(a.gmfCellIncX, 1.0f);
  EXPECT_GT(a.gmfBlackBoxY, 0.2f);
  EXPECT_LT(a.gmfBlackBoxY, 1.0f);
  EXPECT_GT(a.gmfBlackBoxX, 0.2f);
  EXPECT_LT(a.gmfBlackBoxX, a.gmfCellIncX + 0.1f);
  // A capital rises above a lower-case letter; a space has width but no ink.
  EXPECT_GT(MetricsOf(outlineMetrics, 'H').gmfBlackBoxY, a.gmfBlackBoxY);
  EXPECT_GT(MetricsOf(outlineMetrics, ' ').gmfCellIncX, 0.1f);
  EXPECT_EQ(MetricsOf(outlineMetrics, ' ').gmfBlackBoxX, 0.0f);
}

TEST_F(Fonts, OutlineGlyphAdvancesTheModelviewMatrixByItsCellWidth) {
  glPushMatrix();
  glCallList(outlineFont + ('W' - kFontFirstChar));
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  glPopMatrix();
  EXPECT_FLOAT_EQ(m[12], MetricsOf(outlineMetrics, 'W').gmfCellIncX);
  EXPECT_FLOAT_EQ(m[13], 0.0f);
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
  const GlyphMetricsFloat& o = MetricsOf(outlineMetrics, 'O');
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

TEST_F(Fonts, LoadingScreenTextShowsWithClockwiseFrontFaces) {
  // As the loading screen draws once a game is started from the menu: back
  // faces culled, clockwise front faces, the start-up perspective.
  InitProjection(1024, 768);
  glEnable(GL_CULL_FACE);
  glEnable(GL_DEPTH_TEST);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glFrontFace(GL_CW);
  glLoadIdentity();
  glTranslatef(-0.2f, 0.0f, -1.0f);
  glScalef(0.1f, 0.1f, 0.05f);
  PrintText(outlineFont, "Loading...");
  glFrontFace(GL_CCW);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  // The text starts 0.2 left of the centre on the line through it.
  int lit = 0;
  for (int y = 384; y < 460; y += 2) {
    for (int x = 300; x < 800; x += 2) lit += ReadPixel(x, y)[0] == 255;
  }
  EXPECT_GT(lit, 800);
  EXPECT_EQ(ReadPixel(320, 420)[0], 0);  // left of the text
  EXPECT_EQ(ReadPixel(500, 370)[0], 0);  // below its base line
}

TEST_F(Fonts, BitmapGlyphsAdvanceTheRasterPosition) {
  const float one = RasterAdvance("%s", "M");
  EXPECT_GT(one, 15.0f);
  EXPECT_LT(one, 45.0f);
  EXPECT_FLOAT_EQ(RasterAdvance("%s", "MM"), 2.0f * one);
  EXPECT_FLOAT_EQ(RasterAdvance("%s", ""), 0.0f);
}

TEST_F(Fonts, BitmapGlyphDrawsAtTheRasterPosition) {
  glRasterPos2f(-0.1f, -0.1f);  // window (460.8, 345.6)
  PrintText(bitmapFont, "I");
  // The capital's stem rises from the base line, just right of the position.
  int lit = 0;
  for (int y = 348; y < 370; ++y) {
    for (int x = 458; x < 480; ++x) lit += ReadPixel(x, y)[0] == 255;
  }
  EXPECT_GT(lit, 40);
  EXPECT_EQ(ReadPixel(470, 330)[0], 0);  // nothing below the base line
}

TEST_F(Fonts, TextIsCutAt255Characters) {
  const std::string text(400, 'x');
  const float one = RasterAdvance("%s", "x");
  EXPECT_FLOAT_EQ(RasterAdvance("%s", text.c_str()), 255.0f * one);
}

TEST_F(Fonts, BytesWithoutAGlyphAreSkipped) {
  EXPECT_FLOAT_EQ(RasterAdvance("%s", "A\xC3\xA9\x80\xFF\t\nB"), RasterAdvance("%s", "AB"));
}

TEST_F(Fonts, NullFormatDrawsNothing) {
  glRasterPos2f(-1.0f, 0.0f);
  float before[4], after[4];
  glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
  const char* none = nullptr;
  PrintText(bitmapFont, none);
  glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
  EXPECT_EQ(before[0], after[0]);
}

TEST_F(Fonts, PrintTextLeavesMatrixAndListBaseAsTheyWere) {
  glListBase(7);
  PrintText(outlineFont, "Hello %d", 42);
  GLint listBase = 0;
  glGetIntegerv(GL_LIST_BASE, &listBase);
  EXPECT_EQ(listBase, 7);
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_FLOAT_EQ(m[12], 0.0f);
  glListBase(0);
}

TEST_F(Fonts, ColourSetInsideAnAttributePushIsRestoredAfterPrinting) {
  // A menu button: push everything, set its colour, print, pop.
  glColor3f(1.0f, 1.0f, 1.0f);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glColor3f(1.0f, 0.0f, 0.0f);
  PrintText(outlineFont, "Resolution");
  glPopAttrib();
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_EQ(colour[1], 1.0f);
  EXPECT_EQ(colour[2], 1.0f);
}

TEST_F(Fonts, DeletedFontHasNoLists) {
  uint32_t base = 0;
  ASSERT_TRUE(BuildBitmapFont(base, "Impact", 12));
  DeleteFont(base);
  for (int i = 0; i < kFontGlyphCount; ++i) EXPECT_FALSE(glIsList(base + i));
}

}  // namespace
