#pragma once
#include <ft2build.h>
#include FT_FREETYPE_H

#include <vector>

struct GlyphPoint {
  float x;
  float y;
};

// A glyph outline made flat: its closed contours as polygons and its filled
// area as triangles, ready to be extruded.
struct GlyphMesh {
  // Each contour once around, without the repeated closing point.
  std::vector<std::vector<GlyphPoint>> contours;
  // Three points per triangle, counter-clockwise seen from +z.
  std::vector<GlyphPoint> triangles;
  // True when the filled side lies to the right of a contour's direction
  // (TrueType's clockwise outer contours); decides which way walls face.
  bool fillOnRight = true;
};

// Flattens the outline's curves to within `tolerance` (in outline units),
// scales the points by `scale` and fills the shape with the outline's own
// fill rule, so counters stay open. False when the tessellator refuses it.
bool BuildGlyphMesh(const FT_Outline& outline, float scale, float tolerance, GlyphMesh& mesh);
