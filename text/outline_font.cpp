#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>

#include "text/font_face.h"
#include "text/fonts.h"
#include "text/glyph_mesh.h"

namespace {

// Curves are flattened to within this part of the em square.
constexpr float kFlatness = 0.002f;
// Synthetic bold thickens strokes by this part of the em square.
constexpr float kEmboldenStrength = 1.0f / 24.0f;

void EmitCaps(const GlyphMesh& mesh, float depth) {
  glBegin(GL_TRIANGLES);
  glNormal3f(0.0f, 0.0f, 1.0f);
  for (const GlyphPoint& p : mesh.triangles) glVertex3f(p.x, p.y, 0.0f);
  // The back cap faces -z, so its triangles run the other way round.
  glNormal3f(0.0f, 0.0f, -1.0f);
  for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
    for (size_t k : {i, i + 2, i + 1}) glVertex3f(mesh.triangles[k].x, mesh.triangles[k].y, -depth);
  }
  glEnd();
}

// One quad per contour edge from the front cap back to the back cap, wound
// counter-clockwise seen from outside the solid.
void EmitWalls(const GlyphMesh& mesh, float depth) {
  glBegin(GL_QUADS);
  for (const auto& contour : mesh.contours) {
    for (size_t i = 0; i < contour.size(); ++i) {
      GlyphPoint a = contour[i];
      GlyphPoint b = contour[(i + 1) % contour.size()];
      if (!mesh.fillOnRight) std::swap(a, b);
      const float ex = b.x - a.x, ey = b.y - a.y;
      const float length = std::hypot(ex, ey);
      if (length == 0.0f) continue;
      // With the filled side on the right of a -> b, outside is on the left.
      glNormal3f(-ey / length, ex / length, 0.0f);
      glVertex3f(a.x, a.y, 0.0f);
      glVertex3f(b.x, b.y, 0.0f);
      glVertex3f(b.x, b.y, -depth);
      glVertex3f(a.x, a.y, -depth);
    }
  }
  glEnd();
}

// One character as an extruded solid in em units, front face at z = 0, back
// face at z = -depth; the list ends by moving on by the glyph's advance. A
// character the face lacks draws nothing, does not advance and has zero
// metrics.
void CompileOutlineGlyph(const platform::FontFace& font, unsigned char code, float depth,
                         GLuint list, GlyphMetricsFloat& metric) {
  FT_Face face = font.Face();
  metric = GlyphMetricsFloat{};
  glNewList(list, GL_COMPILE);
  FT_UInt index = FT_Get_Char_Index(face, code);
  if (index != 0 && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) == 0 &&
      face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
    const float em = static_cast<float>(face->units_per_EM);
    FT_Outline& outline = face->glyph->outline;
    float advance = static_cast<float>(face->glyph->metrics.horiAdvance);
    if (font.NeedsEmbolden()) {
      const FT_Pos strength = static_cast<FT_Pos>(em * kEmboldenStrength);
      FT_Outline_Embolden(&outline, strength);
      advance += static_cast<float>(strength);
    }
    if (font.WidthScale() != 1.0f) {
      FT_Matrix condense = {static_cast<FT_Fixed>(font.WidthScale() * 65536.0f), 0, 0, 0x10000};
      FT_Outline_Transform(&outline, &condense);
      advance *= font.WidthScale();
    }
    GlyphMesh mesh;
    BuildGlyphMesh(outline, 1.0f / em, em * kFlatness, mesh);
    EmitCaps(mesh, depth);
    EmitWalls(mesh, depth);

    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    if (outline.n_points > 0) {
      metric.gmfBlackBoxX = static_cast<float>(box.xMax - box.xMin) / em;
      metric.gmfBlackBoxY = static_cast<float>(box.yMax - box.yMin) / em;
      metric.gmfptGlyphOriginX = static_cast<float>(box.xMin) / em;
      metric.gmfptGlyphOriginY = static_cast<float>(box.yMax) / em;
    }
    metric.gmfCellIncX = advance / em;
    glTranslatef(metric.gmfCellIncX, 0.0f, 0.0f);
  }
  glEndList();
}

}  // namespace

bool BuildOutlineFont(uint32_t& base, const char* face, int32_t, float depth,
                      GlyphMetricsFloat* glyphMetrics, std::string& error) {
  // The glyphs are in em units, so the pixel height does not shape them.
  base = glGenLists(kFontGlyphCount);
  platform::FontFace font;
  if (!font.Open(face, true, error)) {
    DeleteFont(base);
    base = 0;
    return false;
  }
  for (int i = 0; i < kFontGlyphCount; ++i) {
    CompileOutlineGlyph(font, static_cast<unsigned char>(kFontFirstChar + i), depth, base + i,
                        glyphMetrics[i]);
  }
  return true;
}
