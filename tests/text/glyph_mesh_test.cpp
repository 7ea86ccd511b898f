#include "text/glyph_mesh.h"

#include <gtest/gtest.h>

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

float TwiceArea(const GlyphPoint& a, const GlyphPoint& b, const GlyphPoint& c) {
  return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

float FilledArea(const GlyphMesh& mesh) {
  float area = 0.0f;
  for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
    area += 0.5f * TwiceArea(mesh.triangles[i], mesh.triangles[i + 1], mesh.triangles[i + 2]);
  }
  return area;
}

bool Covered(const GlyphMesh& mesh, float x, float y) {
  const GlyphPoint p{x, y};
  for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
    const GlyphPoint &a = mesh.triangles[i], &b = mesh.triangles[i + 1], &c = mesh.triangles[i + 2];
    if (TwiceArea(a, b, p) >= 0 && TwiceArea(b, c, p) >= 0 && TwiceArea(c, a, p) >= 0) return true;
  }
  return false;
}

// A hand-made outline: points with their curve tags, one or more contours.
struct TestOutline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> ends;
  FT_Outline outline{};

  void Contour(std::initializer_list<std::pair<FT_Vector, char>> corners) {
    for (const auto& [p, tag] : corners) {
      points.push_back(p);
      tags.push_back(tag);
    }
    ends.push_back(static_cast<short>(points.size() - 1));
  }
  const FT_Outline& Get(int flags = FT_OUTLINE_NONE) {
    outline.n_points = static_cast<short>(points.size());
    outline.n_contours = static_cast<short>(ends.size());
    outline.points = points.data();
    outline.tags = tags.data();
    outline.contours = ends.data();
    outline.flags = flags;
    return outline;
  }
};

constexpr char kOn = FT_CURVE_TAG_ON;

TEST(GlyphMesh, TrianglesFaceForwardAndFollowTheFillRuleWhicheverWayContoursRun) {
  // Two 2x2 squares drawn the same way round, overlapping by 1x1.
  for (const bool evenOdd : {false, true}) {
    for (const bool clockwise : {false, true}) {
      TestOutline o;
      for (const long at : {0L, 100L}) {
        const long to = at + 200;
        if (clockwise) {
          o.Contour({{{at, at}, kOn}, {{at, to}, kOn}, {{to, to}, kOn}, {{to, at}, kOn}});
        } else {
          o.Contour({{{at, at}, kOn}, {{to, at}, kOn}, {{to, to}, kOn}, {{at, to}, kOn}});
        }
      }
      GlyphMesh mesh;
      ASSERT_TRUE(BuildGlyphMesh(o.Get(evenOdd ? FT_OUTLINE_EVEN_ODD_FILL : FT_OUTLINE_NONE),
                                 0.01f, 1.0f, mesh));
      // None faces backward (the overlap leaves some of no area).
      for (size_t i = 0; i < mesh.triangles.size(); i += 3) {
        EXPECT_GE(TwiceArea(mesh.triangles[i], mesh.triangles[i + 1], mesh.triangles[i + 2]), 0.0f);
      }
      EXPECT_EQ(mesh.fillOnRight, clockwise);
      EXPECT_NEAR(FilledArea(mesh), evenOdd ? 6.0f : 7.0f, 1e-4f) << evenOdd << clockwise;
      EXPECT_EQ(Covered(mesh, 1.5f, 1.5f), !evenOdd);
      EXPECT_TRUE(Covered(mesh, 0.5f, 0.5f));
    }
  }
}

TEST(GlyphMesh, CurvesAreFollowedWithinTheTolerance) {
  // A cubic arch from (0,0) to (1000,0) peaking at 750, and a conic one of the
  // same ends peaking at 500, each closed by a straight base line.
  constexpr char kCubic = FT_CURVE_TAG_CUBIC, kConic = FT_CURVE_TAG_CONIC;
  for (const auto& [tag, peak] : {std::pair{kCubic, 750.0f}, std::pair{kConic, 500.0f}}) {
    TestOutline o;
    if (tag == kCubic) {
      o.Contour({{{0, 0}, kOn}, {{0, 1000}, kCubic}, {{1000, 1000}, kCubic}, {{1000, 0}, kOn}});
    } else {
      o.Contour({{{0, 0}, kOn}, {{500, 1000}, kConic}, {{1000, 0}, kOn}});
    }
    GlyphMesh mesh;
    ASSERT_TRUE(BuildGlyphMesh(o.Get(), 1.0f, 2.0f, mesh));
    ASSERT_EQ(mesh.contours.size(), 1u);
    const auto& contour = mesh.contours[0];
    EXPECT_GT(contour.size(), 8u);
    float top = 0.0f;
    for (const GlyphPoint& p : contour) top = std::max(top, p.y);
    EXPECT_NEAR(top, peak, 2.0f);
    // The closing point is not repeated.
    EXPECT_FALSE(contour.front().x == contour.back().x && contour.front().y == contour.back().y);
  }
}

}  // namespace
