#include "text/glyph_mesh.h"

#include <GL/glu.h>
#include FT_OUTLINE_H

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>

namespace {

// Walks an outline's segments, replacing each curve by enough straight
// pieces that none strays further than the tolerance from it.
class Flattener {
 public:
  Flattener(float scale, float tolerance, std::vector<std::vector<GlyphPoint>>& contours)
      : scale_(scale), tolerance_(tolerance), contours_(contours) {}

  bool Run(const FT_Outline& outline) {
    FT_Outline_Funcs funcs{};
    funcs.move_to = &MoveTo;
    funcs.line_to = &LineTo;
    funcs.conic_to = &ConicTo;
    funcs.cubic_to = &CubicTo;
    bool ok = FT_Outline_Decompose(const_cast<FT_Outline*>(&outline), &funcs, this) == 0;
    FinishContour();
    return ok;
  }

 private:
  static Flattener& Self(void* user) { return *static_cast<Flattener*>(user); }

  static int MoveTo(const FT_Vector* to, void* user) {
    Flattener& f = Self(user);
    f.FinishContour();
    f.Add(to->x, to->y);
    return 0;
  }
  static int LineTo(const FT_Vector* to, void* user) {
    Self(user).Add(to->x, to->y);
    return 0;
  }
  static int ConicTo(const FT_Vector* c, const FT_Vector* to, void* user) {
    Flattener& f = Self(user);
    const double x0 = f.x_, y0 = f.y_;
    // A quadratic strays from a chord of 1/n of it by |p0 - 2c + p2| / (4 n^2).
    const double bend = std::hypot(x0 - 2.0 * c->x + to->x, y0 - 2.0 * c->y + to->y);
    const int n = f.Pieces(bend / 4.0);
    for (int i = 1; i <= n; ++i) {
      const double t = static_cast<double>(i) / n, s = 1.0 - t;
      f.Add(s * s * x0 + 2.0 * s * t * c->x + t * t * to->x,
            s * s * y0 + 2.0 * s * t * c->y + t * t * to->y);
    }
    return 0;
  }
  static int CubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    Flattener& f = Self(user);
    const double x0 = f.x_, y0 = f.y_;
    // A cubic's second derivative is at most 6 max(|p0 - 2c1 + c2|, |c1 - 2c2 + p3|).
    const double bend =
        std::max(std::hypot(x0 - 2.0 * c1->x + c2->x, y0 - 2.0 * c1->y + c2->y),
                 std::hypot(c1->x - 2.0 * c2->x + to->x, c1->y - 2.0 * c2->y + to->y));
    const int n = f.Pieces(bend * 0.75);
    for (int i = 1; i <= n; ++i) {
      const double t = static_cast<double>(i) / n, s = 1.0 - t;
      const double a = s * s * s, b = 3.0 * s * s * t, d = 3.0 * s * t * t, e = t * t * t;
      f.Add(a * x0 + b * c1->x + d * c2->x + e * to->x, a * y0 + b * c1->y + d * c2->y + e * to->y);
    }
    return 0;
  }

  // Pieces needed when one piece over the whole curve would stray by `error`.
  int Pieces(double error) const {
    const double n = std::ceil(std::sqrt(error / tolerance_));
    return static_cast<int>(std::clamp(n, 1.0, 64.0));
  }

  void Add(double x, double y) {
    x_ = x;
    y_ = y;
    const GlyphPoint p{static_cast<float>(x * scale_), static_cast<float>(y * scale_)};
    if (!current_.empty() && current_.back().x == p.x && current_.back().y == p.y) return;
    current_.push_back(p);
  }

  void FinishContour() {
    // The outline closes each contour by returning to its start point.
    if (current_.size() > 1 && current_.front().x == current_.back().x &&
        current_.front().y == current_.back().y) {
      current_.pop_back();
    }
    if (current_.size() >= 3) contours_.push_back(std::move(current_));
    current_.clear();
  }

  float scale_;
  float tolerance_;
  std::vector<std::vector<GlyphPoint>>& contours_;
  std::vector<GlyphPoint> current_;
  double x_ = 0.0, y_ = 0.0;
};

// What the tessellator hands back while it fills one glyph.
struct Tessellation {
  std::vector<GlyphPoint>* triangles;
  std::deque<std::array<GLdouble, 3>> made;  // points the tessellator adds at crossings
  bool failed = false;
};

void TessBegin(GLenum, void*) {}
void TessEdgeFlag(GLboolean, void*) {}  // its presence asks for plain triangles only
void TessEnd(void*) {}

void TessVertex(void* vertex, void* user) {
  const GLdouble* v = static_cast<const GLdouble*>(vertex);
  static_cast<Tessellation*>(user)->triangles->push_back(
      {static_cast<float>(v[0]), static_cast<float>(v[1])});
}

void TessCombine(GLdouble coords[3], void* [4], GLfloat[4], void** out, void* user) {
  Tessellation& t = *static_cast<Tessellation*>(user);
  t.made.push_back({coords[0], coords[1], coords[2]});
  *out = t.made.back().data();
}

void TessError(GLenum, void* user) { static_cast<Tessellation*>(user)->failed = true; }

template <typename F>
_GLUfuncptr Callback(F* f) {
  return reinterpret_cast<_GLUfuncptr>(f);
}

bool Fill(const std::vector<std::vector<GlyphPoint>>& contours, GLdouble windingRule,
          std::vector<GlyphPoint>& triangles) {
  GLUtesselator* tess = gluNewTess();
  if (!tess) return false;
  Tessellation out{&triangles, {}, false};
  gluTessCallback(tess, GLU_TESS_BEGIN_DATA, Callback(&TessBegin));
  gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, Callback(&TessEdgeFlag));
  gluTessCallback(tess, GLU_TESS_VERTEX_DATA, Callback(&TessVertex));
  gluTessCallback(tess, GLU_TESS_END_DATA, Callback(&TessEnd));
  gluTessCallback(tess, GLU_TESS_COMBINE_DATA, Callback(&TessCombine));
  gluTessCallback(tess, GLU_TESS_ERROR_DATA, Callback(&TessError));
  gluTessProperty(tess, GLU_TESS_WINDING_RULE, windingRule);
  gluTessNormal(tess, 0.0, 0.0, 1.0);

  // The tessellator keeps the addresses of the points until the polygon ends.
  std::deque<std::array<GLdouble, 3>> points;
  gluTessBeginPolygon(tess, &out);
  for (const auto& contour : contours) {
    gluTessBeginContour(tess);
    for (const GlyphPoint& p : contour) {
      points.push_back({p.x, p.y, 0.0});
      gluTessVertex(tess, points.back().data(), points.back().data());
    }
    gluTessEndContour(tess);
  }
  gluTessEndPolygon(tess);
  gluDeleteTess(tess);
  return !out.failed && triangles.size() % 3 == 0;
}

}  // namespace

bool BuildGlyphMesh(const FT_Outline& outline, float scale, float tolerance, GlyphMesh& mesh) {
  mesh = GlyphMesh{};
  if (!Flattener(scale, tolerance, mesh.contours).Run(outline)) return false;
  mesh.fillOnRight =
      FT_Outline_Get_Orientation(const_cast<FT_Outline*>(&outline)) != FT_ORIENTATION_POSTSCRIPT;
  if (mesh.contours.empty()) return true;

  const GLdouble rule =
      (outline.flags & FT_OUTLINE_EVEN_ODD_FILL) ? GLU_TESS_WINDING_ODD : GLU_TESS_WINDING_NONZERO;
  if (!Fill(mesh.contours, rule, mesh.triangles)) {
    mesh.triangles.clear();
    return false;
  }
  // Front faces are counter-clockwise seen from +z, whatever the tessellator chose.
  for (size_t i = 0; i + 2 < mesh.triangles.size(); i += 3) {
    const GlyphPoint &a = mesh.triangles[i], &b = mesh.triangles[i + 1], &c = mesh.triangles[i + 2];
    const float twiceArea = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
    if (twiceArea < 0.0f) std::swap(mesh.triangles[i + 1], mesh.triangles[i + 2]);
  }
  return true;
}
