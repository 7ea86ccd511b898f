#include "app/glyph_mesh.h"

#include <gtest/gtest.h>

#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/font_face.h"

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

// Two squares drawn the same way round, overlapping in the middle.
TestOutline OverlappingSquares() {
  TestOutline o;
  o.Contour({{{0, 0}, kOn}, {{0, 200}, kOn}, {{200, 200}, kOn}, {{200, 0}, kOn}});
  o.Contour({{{100, 100}, kOn}, {{100, 300}, kOn}, {{300, 300}, kOn}, {{300, 100}, kOn}});
  return o;
}

TEST(GlyphMesh, NonZeroFillKeepsTheOverlapFilled) {
  TestOutline o = OverlappingSquares();
  GlyphMesh mesh;
  ASSERT_TRUE(BuildGlyphMesh(o.Get(), 0.01f, 1.0f, mesh));
  EXPECT_NEAR(FilledArea(mesh), 7.0f, 1e-4f);  // two 2x2 squares less their 1x1 overlap
  EXPECT_TRUE(Covered(mesh, 1.5f, 1.5f));
}

TEST(GlyphMesh, EvenOddFillLeavesTheOverlapOpen) {
  TestOutline o = OverlappingSquares();
  GlyphMesh mesh;
  ASSERT_TRUE(BuildGlyphMesh(o.Get(FT_OUTLINE_EVEN_ODD_FILL), 0.01f, 1.0f, mesh));
  EXPECT_NEAR(FilledArea(mesh), 6.0f, 1e-4f);
  EXPECT_FALSE(Covered(mesh, 1.5f, 1.5f));
  EXPECT_TRUE(Covered(mesh, 0.5f, 0.5f));
}

TEST(GlyphMesh, TrianglesFaceForwardWhicheverWayTheContoursRun) {
  for (bool clockwise : {true, false}) {
    TestOutline o;
    if (clockwise) {
      o.Contour({{{0, 0}, kOn}, {{0, 100}, kOn}, {{100, 100}, kOn}, {{100, 0}, kOn}});
    } else {
      o.Contour({{{0, 0}, kOn}, {{100, 0}, kOn}, {{100, 100}, kOn}, {{0, 100}, kOn}});
    }
    GlyphMesh mesh;
    ASSERT_TRUE(BuildGlyphMesh(o.Get(), 0.01f, 1.0f, mesh));
    ASSERT_EQ(mesh.triangles.size(), 6u);
    for (size_t i = 0; i < mesh.triangles.size(); i += 3) {
      EXPECT_GT(TwiceArea(mesh.triangles[i], mesh.triangles[i + 1], mesh.triangles[i + 2]), 0.0f);
    }
    EXPECT_EQ(mesh.fillOnRight, clockwise);
  }
}

TEST(GlyphMesh, CurvesAreFollowedWithinTheTolerance) {
  // A cubic arch from (0,0) to (1000,0) peaking at 750, and a conic one of the
  // same ends peaking at 500, each closed by a straight base line.
  constexpr char kCubic = FT_CURVE_TAG_CUBIC, kConic = FT_CURVE_TAG_CONIC;
  struct Case {
    char tag;
    float peak;
  };
  for (const Case& c : {Case{kCubic, 750.0f}, Case{kConic, 500.0f}}) {
    TestOutline o;
    if (c.tag == kCubic) {
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
    EXPECT_NEAR(top, c.peak, 2.0f);
    // The closing point is not repeated.
    EXPECT_FALSE(contour.front().x == contour.back().x && contour.front().y == contour.back().y);
  }
}

TEST(GlyphMesh, LetterOKeepsItsCounterOpen) {
  platform::FontFace face;
  ASSERT_TRUE(face.Open("Impact", true)) << face.Error();
  ASSERT_EQ(FT_Load_Char(face.Face(), 'O', FT_LOAD_NO_SCALE), 0);
  const float em = face.Face()->units_per_EM;
  FT_Outline& outline = face.Face()->glyph->outline;
  GlyphMesh mesh;
  ASSERT_TRUE(BuildGlyphMesh(outline, 1.0f / em, em * 0.002f, mesh));
  EXPECT_EQ(mesh.contours.size(), 2u);
  FT_BBox box;
  FT_Outline_Get_CBox(&outline, &box);
  const float midX = (box.xMin + box.xMax) * 0.5f / em;
  const float midY = (box.yMin + box.yMax) * 0.5f / em;
  EXPECT_FALSE(Covered(mesh, midX, midY));
  // Just inside the left edge of the ring is stroke.
  EXPECT_TRUE(Covered(mesh, box.xMin / em + 0.02f, midY));
}

}  // namespace
