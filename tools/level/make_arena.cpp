// make_arena: writes the mesh of the default level, an arena of rolling
// hills inside four walls with ramps, blocks, pillars, boulders and an arch,
// as arena.obj and arena.mtl for levelc to compile.
//
// Scale: the ship is a sphere of radius 3 that drives at up to 140 units/s
// under a gravity of 40, so the arena is 1800 units across, the hills stay
// between 0 and 80 and the walls stand 60 above the ground next to them.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "level/level_data.h"
#include "tools/common/byte_writer.h"
#include "math/scalar_math.h"
#include "math/vector3.h"

namespace {

constexpr float kHalfWidth = 900.0f;  // inner faces of the walls
constexpr int kTerrainCells = 90;     // per side: 20-unit cells
constexpr float kWallThickness = 24.0f;
constexpr float kWallHeight = 60.0f;
constexpr float kTextureRepeat = 40.0f;  // world units per texture repeat

struct Corner {
  Vector3 p;
  Vector3 n;
  TexCoord t;
};

struct Triangle {
  std::string material;
  Corner c[3];
};

struct Object {
  std::string name;
  std::vector<Triangle> triangles;
};

// World-space texture coordinates along the normal's main axis.
TexCoord PlanarTexCoord(const Vector3& p, const Vector3& n) {
  float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  float k = 1.0f / kTextureRepeat;
  if (ay >= ax && ay >= az) return TexCoord{p.x * k, p.z * k};
  if (ax >= az) return TexCoord{p.z * k, p.y * k};
  return TexCoord{p.x * k, p.y * k};
}

// Adds a flat convex polygon, wound counter-clockwise as seen from the side
// `outward` points to.
void AddPolygon(Object& object, const std::string& material, std::vector<Vector3> corners,
                const Vector3& outward) {
  Vector3 n(0, 0, 0);  // Newell's normal
  for (size_t i = 0; i < corners.size(); ++i) {
    const Vector3& a = corners[i];
    const Vector3& b = corners[(i + 1) % corners.size()];
    n += Vector3((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x), (a.x - b.x) * (a.y + b.y));
  }
  if (Dot(n, outward) < 0.0f) {
    std::reverse(corners.begin(), corners.end());
    n = -n;
  }
  n.Normalize();
  for (size_t i = 1; i + 1 < corners.size(); ++i) {
    const Vector3* fan[3] = {&corners[0], &corners[i], &corners[i + 1]};
    Triangle t{material, {}};
    for (int k = 0; k < 3; ++k) t.c[k] = Corner{*fan[k], n, PlanarTexCoord(*fan[k], n)};
    object.triangles.push_back(t);
  }
}

// The faces of a convex solid given as polygons: each faces away from the
// solid's centre.
void AddConvexSolid(Object& object, const std::string& material,
                    const std::vector<std::vector<Vector3>>& faces) {
  Vector3 centre(0, 0, 0);
  int count = 0;
  for (const auto& face : faces) {
    for (const Vector3& p : face) {
      centre += p;
      ++count;
    }
  }
  centre = centre * (1.0f / static_cast<float>(count));
  for (const auto& face : faces) {
    Vector3 faceCentre(0, 0, 0);
    for (const Vector3& p : face) faceCentre += p;
    faceCentre = faceCentre * (1.0f / static_cast<float>(face.size()));
    AddPolygon(object, material, face, faceCentre - centre);
  }
}

void AddBox(Object& object, const std::string& material, const Vector3& lo, const Vector3& hi) {
  auto P = [&](int x, int y, int z) {
    return Vector3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z);
  };
  AddConvexSolid(object, material,
                 {{P(0, 0, 0), P(0, 1, 0), P(0, 1, 1), P(0, 0, 1)},
                  {P(1, 0, 0), P(1, 1, 0), P(1, 1, 1), P(1, 0, 1)},
                  {P(0, 0, 0), P(1, 0, 0), P(1, 0, 1), P(0, 0, 1)},
                  {P(0, 1, 0), P(1, 1, 0), P(1, 1, 1), P(0, 1, 1)},
                  {P(0, 0, 0), P(1, 0, 0), P(1, 1, 0), P(0, 1, 0)},
                  {P(0, 0, 1), P(1, 0, 1), P(1, 1, 1), P(0, 1, 1)}});
}

// An upright prism of `sides` faces with a top cap (its foot is buried).
void AddPillar(Object& object, const std::string& material, float x, float z, float radius,
               float bottom, float top, int sides) {
  std::vector<std::vector<Vector3>> faces;
  std::vector<Vector3> cap;
  for (int i = 0; i < sides; ++i) {
    float a0 = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(sides);
    float a1 = 2.0f * kPi * static_cast<float>(i + 1) / static_cast<float>(sides);
    Vector3 p0(x + radius * std::cos(a0), 0, z + radius * std::sin(a0));
    Vector3 p1(x + radius * std::cos(a1), 0, z + radius * std::sin(a1));
    faces.push_back({Vector3(p0.x, bottom, p0.z), Vector3(p1.x, bottom, p1.z),
                     Vector3(p1.x, top, p1.z), Vector3(p0.x, top, p0.z)});
    cap.push_back(Vector3(p0.x, top, p0.z));
  }
  faces.push_back(cap);
  AddConvexSolid(object, material, faces);
}

// A wedge rising along `direction` from `base` to `base` + rise over `length`.
void AddRamp(Object& object, const std::string& material, float x, float z, float dirX, float dirZ,
             float length, float width, float base, float rise) {
  Vector3 along(dirX, 0, dirZ);
  Vector3 side(-dirZ, 0, dirX);
  Vector3 start(x, 0, z);
  Vector3 end = start + along * length;
  Vector3 half = side * (width * 0.5f);
  float bottom = base - 4.0f;
  auto At = [](const Vector3& p, float y) { return Vector3(p.x, y, p.z); };
  Vector3 s0 = start - half, s1 = start + half, e0 = end - half, e1 = end + half;
  float top = base + rise;
  AddConvexSolid(object, material,
                 {{At(s0, base), At(s1, base), At(e1, top), At(e0, top)},
                  {At(s0, bottom), At(s1, bottom), At(e1, bottom), At(e0, bottom)},
                  {At(e0, bottom), At(e1, bottom), At(e1, top), At(e0, top)},
                  {At(s0, bottom), At(s1, bottom), At(s1, base), At(s0, base)},
                  {At(s0, bottom), At(e0, bottom), At(e0, top), At(s0, base)},
                  {At(s1, bottom), At(e1, bottom), At(e1, top), At(s1, base)}});
}

// A squashed icosahedron: a boulder.
void AddBoulder(Object& object, float x, float y, float z, float sx, float sy, float sz,
                float turn) {
  const float g = 1.6180340f;
  const float raw[12][3] = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                            {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                            {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
  const int faces[20][3] = {{0, 11, 5}, {0, 5, 1},  {0, 1, 7},   {0, 7, 10}, {0, 10, 11},
                            {1, 5, 9},  {5, 11, 4}, {11, 10, 2}, {10, 7, 6}, {7, 1, 8},
                            {3, 9, 4},  {3, 4, 2},  {3, 2, 6},   {3, 6, 8},  {3, 8, 9},
                            {4, 9, 5},  {2, 4, 11}, {6, 2, 10},  {8, 6, 7},  {9, 8, 1}};
  float c = std::cos(turn), s = std::sin(turn);
  std::vector<Vector3> v;
  for (const auto& r : raw) {
    float px = r[0] * sx / 1.902f, py = r[1] * sy / 1.902f, pz = r[2] * sz / 1.902f;
    v.push_back(Vector3(x + px * c - pz * s, y + py, z + px * s + pz * c));
  }
  std::vector<std::vector<Vector3>> polys;
  for (const auto& f : faces) polys.push_back({v[f[0]], v[f[1]], v[f[2]]});
  AddConvexSolid(object, "rock", polys);
}

// A semicircular arch over the x axis on two piers, centred on (x, z).
void AddArch(Object& object, float x, float z, float ground, float pierHeight, float inner,
             float outer, float depth) {
  const std::string material = "concrete";
  float springY = ground + pierHeight;
  AddBox(object, material, Vector3(x + inner, ground - 6.0f, z - depth),
         Vector3(x + outer, springY, z + depth));
  AddBox(object, material, Vector3(x - outer, ground - 6.0f, z - depth),
         Vector3(x - inner, springY, z + depth));
  const int segments = 16;
  for (int i = 0; i < segments; ++i) {
    float a0 = kPi * static_cast<float>(i) / segments;
    float a1 = kPi * static_cast<float>(i + 1) / segments;
    float am = 0.5f * (a0 + a1);
    auto P = [&](float r, float a, float pz) {
      return Vector3(x + r * std::cos(a), springY + r * std::sin(a), pz);
    };
    Vector3 radial(std::cos(am), std::sin(am), 0);
    AddPolygon(object, material,
               {P(outer, a0, z - depth), P(outer, a1, z - depth), P(outer, a1, z + depth),
                P(outer, a0, z + depth)},
               radial);
    AddPolygon(object, material,
               {P(inner, a0, z - depth), P(inner, a1, z - depth), P(inner, a1, z + depth),
                P(inner, a0, z + depth)},
               -radial);
    AddPolygon(object, material,
               {P(inner, a0, z + depth), P(outer, a0, z + depth), P(outer, a1, z + depth),
                P(inner, a1, z + depth)},
               Vector3(0, 0, 1));
    AddPolygon(object, material,
               {P(inner, a0, z - depth), P(outer, a0, z - depth), P(outer, a1, z - depth),
                P(inner, a1, z - depth)},
               Vector3(0, 0, -1));
  }
}

// Level ground where something stands on it.
struct Pad {
  float x, z, height, inner, outer;
};
const Pad kPads[] = {
    {0, 0, 10, 250, 340},       // the central plaza with the arch and ramps
    {0, -470, 12, 90, 160},     // the spawn clearing
    {-420, -60, 14, 110, 180},  // the pillar grove
    {430, 300, 16, 120, 190},   // the block yard
};

struct Hill {
  float x, z, height, radius;
};
const Hill kHills[] = {
    {-560, 470, 75, 120}, {580, -500, 80, 130}, {520, 600, 48, 100}, {-640, -560, 60, 110},
    {-150, 640, 42, 120}, {250, -720, 38, 95},  {760, -130, 55, 90}, {-790, 160, 62, 95},
    {120, 420, 30, 70},   {-330, -330, 34, 75},
};

float GroundHeight(float x, float z) {
  float h = 14.0f + 10.0f * std::sin(x / 170.0f) * std::cos(z / 210.0f) +
            7.0f * std::sin((x + z) / 95.0f) + 5.0f * std::cos((x - 2.0f * z) / 130.0f);
  for (const Hill& hill : kHills) {
    float d2 = (x - hill.x) * (x - hill.x) + (z - hill.z) * (z - hill.z);
    h += hill.height * std::exp(-d2 / (hill.radius * hill.radius));
  }
  // The ground climbs toward the walls.
  float edge = std::max(std::fabs(x), std::fabs(z)) / kHalfWidth;
  h += 22.0f * SmoothStep(0.82f, 1.0f, edge);
  for (const Pad& pad : kPads) {
    float d = std::sqrt((x - pad.x) * (x - pad.x) + (z - pad.z) * (z - pad.z));
    float m = 1.0f - SmoothStep(pad.inner, pad.outer, d);
    h += (pad.height - h) * m;
  }
  // Soft ceiling, hard floor: the hills stay within 0..80.
  if (h > 60.0f) h = 60.0f + 20.0f * std::tanh((h - 60.0f) / 20.0f);
  return std::clamp(h, 0.0f, 80.0f);
}

Vector3 GroundNormal(float x, float z) {
  const float e = 2.0f;
  float dx = (GroundHeight(x + e, z) - GroundHeight(x - e, z)) / (2.0f * e);
  float dz = (GroundHeight(x, z + e) - GroundHeight(x, z - e)) / (2.0f * e);
  return Normalized(Vector3(-dx, 1.0f, -dz));
}

void AddTerrain(Object& object) {
  const float step = 2.0f * kHalfWidth / kTerrainCells;
  auto At = [&](int i, int j) {
    float x = -kHalfWidth + step * static_cast<float>(i);
    float z = -kHalfWidth + step * static_cast<float>(j);
    Vector3 p(x, GroundHeight(x, z), z);
    Vector3 n = GroundNormal(x, z);
    return Corner{p, n, TexCoord{x / kTextureRepeat, z / kTextureRepeat}};
  };
  for (int i = 0; i < kTerrainCells; ++i) {
    for (int j = 0; j < kTerrainCells; ++j) {
      Corner c00 = At(i, j), c10 = At(i + 1, j), c01 = At(i, j + 1), c11 = At(i + 1, j + 1);
      // Alternate the diagonal so the hills do not show a grain.
      Corner tris[2][3];
      if ((i + j) % 2 == 0) {
        tris[0][0] = c00, tris[0][1] = c01, tris[0][2] = c11;
        tris[1][0] = c00, tris[1][1] = c11, tris[1][2] = c10;
      } else {
        tris[0][0] = c00, tris[0][1] = c01, tris[0][2] = c10;
        tris[1][0] = c10, tris[1][1] = c01, tris[1][2] = c11;
      }
      for (auto& t : tris) {
        Vector3 n = Normalized(CrossProduct(t[1].p - t[0].p, t[2].p - t[0].p));
        if (n.y < 0.0f) {
          std::swap(t[1], t[2]);
          n = -n;
        }
        float height = (t[0].p.y + t[1].p.y + t[2].p.y) / 3.0f;
        const char* material = height < 5.0f ? "sand" : (n.y < 0.9f ? "rock" : "grass");
        object.triangles.push_back(Triangle{material, {t[0], t[1], t[2]}});
      }
    }
  }
}

// Highest ground along a wall's inner edge.
float HighestGroundAlong(bool alongX, float fixed) {
  float highest = 0.0f;
  for (float s = -kHalfWidth; s <= kHalfWidth; s += 5.0f) {
    highest = std::max(highest, alongX ? GroundHeight(s, fixed) : GroundHeight(fixed, s));
  }
  return highest;
}

void AddWalls(Object& object) {
  const float w = kHalfWidth, t = kWallThickness;
  float north = HighestGroundAlong(true, w) + kWallHeight;
  float south = HighestGroundAlong(true, -w) + kWallHeight;
  float east = HighestGroundAlong(false, w) + kWallHeight;
  float west = HighestGroundAlong(false, -w) + kWallHeight;
  AddBox(object, "concrete", Vector3(-w - t, -10, w), Vector3(w + t, north, w + t));
  AddBox(object, "concrete", Vector3(-w - t, -10, -w - t), Vector3(w + t, south, -w));
  AddBox(object, "concrete", Vector3(w, -10, -w), Vector3(w + t, east, w));
  AddBox(object, "concrete", Vector3(-w - t, -10, -w), Vector3(-w, west, w));
}

// A box standing on the ground, its foot buried below the lowest ground
// under it.
void AddBlock(Object& object, const std::string& material, float x, float z, float sizeX,
              float sizeZ, float height) {
  float lowest = 1e9f, highest = -1e9f;
  for (float dx = -0.5f; dx <= 0.5f; dx += 0.25f) {
    for (float dz = -0.5f; dz <= 0.5f; dz += 0.25f) {
      float g = GroundHeight(x + dx * sizeX, z + dz * sizeZ);
      lowest = std::min(lowest, g);
      highest = std::max(highest, g);
    }
  }
  AddBox(object, material, Vector3(x - sizeX * 0.5f, lowest - 4.0f, z - sizeZ * 0.5f),
         Vector3(x + sizeX * 0.5f, highest + height, z + sizeZ * 0.5f));
}

void AddStructures(Object& object) {
  // The plaza: an arch at its centre, jump ramps either side, and a platform
  // reached by a ramp.
  AddArch(object, 0, 0, 10, 45, 50, 66, 10);
  AddRamp(object, "metal", -150, -40, -1, 0, 70, 44, 10, 18);
  AddRamp(object, "metal", 150, 40, 1, 0, 70, 44, 10, 18);
  AddBox(object, "concrete", Vector3(-45, 6, 140), Vector3(45, 32, 210));
  AddRamp(object, "metal", 0, 60, 0, 1, 80, 40, 10, 22);
  AddBox(object, "concrete", Vector3(-40, 6, -200), Vector3(40, 20, -185));

  // Cover: blocks and low walls across the field.
  struct Block {
    const char* material;
    float x, z, sx, sz, h;
  };
  const Block blocks[] = {
      {"concrete", 380, 250, 60, 30, 26},   {"concrete", 480, 340, 40, 40, 34},
      {"metal", 520, 230, 30, 70, 22},      {"concrete", 360, 380, 80, 14, 16},
      {"concrete", -250, 300, 70, 24, 24},  {"metal", 300, -250, 40, 40, 30},
      {"concrete", 150, -420, 90, 16, 14},  {"concrete", -180, -380, 16, 80, 18},
      {"concrete", -700, 120, 40, 100, 26}, {"concrete", 700, -120, 40, 100, 26},
      {"metal", -300, 700, 60, 30, 24},     {"concrete", 120, 700, 100, 18, 20},
      {"concrete", 650, 650, 50, 50, 40},   {"concrete", -650, -250, 60, 30, 24},
  };
  for (const Block& b : blocks) AddBlock(object, b.material, b.x, b.z, b.sx, b.sz, b.h);

  // The grove: a ring of pillars to weave through.
  for (int i = 0; i < 7; ++i) {
    float a = 2.0f * kPi * static_cast<float>(i) / 7.0f;
    float x = -420.0f + 80.0f * std::cos(a), z = -60.0f + 80.0f * std::sin(a);
    AddPillar(object, "metal", x, z, 9.0f, 6.0f, 14.0f + 30.0f + 6.0f * static_cast<float>(i % 3),
              8);
  }
  AddPillar(object, "metal", -420, -60, 14.0f, 6.0f, 80.0f, 12);

  // Boulders on the slopes.
  struct Rock {
    float x, z, sx, sy, sz, turn;
  };
  const Rock rocks[] = {{-520, 380, 30, 20, 24, 0.3f},  {610, -420, 36, 24, 26, 1.1f},
                        {-600, -470, 28, 18, 34, 2.0f}, {200, -640, 24, 16, 20, 0.7f},
                        {560, 560, 26, 22, 30, 2.6f},   {-120, 560, 20, 14, 26, 1.7f},
                        {-800, 400, 30, 26, 22, 0.2f},  {780, 60, 24, 20, 28, 0.9f}};
  for (const Rock& r : rocks) {
    AddBoulder(object, r.x, GroundHeight(r.x, r.z) + r.sy * 0.3f, r.z, r.sx, r.sy, r.sz, r.turn);
  }
}

void AddSpawnMarker(Object& object) {
  // A small diamond whose centre is the spawn point, in the open south of
  // the plaza, facing the arch.
  const Vector3 c(0, GroundHeight(0, -470) + 10.0f, -470);
  const float s = 2.0f;
  AddConvexSolid(object, "concrete",
                 {{c + Vector3(s, 0, 0), c + Vector3(0, s, 0), c + Vector3(0, 0, s)},
                  {c + Vector3(-s, 0, 0), c + Vector3(0, -s, 0), c + Vector3(0, 0, -s)}});
}

// The drones' places: six nodes of the path graph spread round the arena,
// none close to the ship's clearing (outer node 12 lies south of it). Each
// marker floats at the height a drone hovers.
constexpr int kDroneNodes[] = {1, 4, 7, 10, 14, 16 + 2};
constexpr float kDroneHover = 12.0f;

void AddDroneMarker(Object& object, const Vector3& node) {
  const Vector3 c(node.x, GroundHeight(node.x, node.z) + kDroneHover, node.z);
  const float s = 2.0f;
  AddConvexSolid(object, "metal",
                 {{c + Vector3(s, 0, 0), c + Vector3(0, s, 0), c + Vector3(0, 0, s)},
                  {c + Vector3(-s, 0, 0), c + Vector3(0, -s, 0), c + Vector3(0, 0, -s)}});
}

struct PathGraph {
  std::vector<Vector3> nodes;
  std::vector<std::pair<int, int>> links;
};

// Two rings around the plaza joined by spokes.
PathGraph MakePath() {
  PathGraph path;
  const int outer = 16, inner = 8;
  for (int i = 0; i < outer; ++i) {
    float a = 2.0f * kPi * static_cast<float>(i) / outer;
    float x = 680.0f * std::cos(a), z = 680.0f * std::sin(a);
    path.nodes.push_back(Vector3(x, GroundHeight(x, z), z));
    path.links.emplace_back(i, (i + 1) % outer);
  }
  for (int i = 0; i < inner; ++i) {
    float a = 2.0f * kPi * static_cast<float>(i) / inner;
    float x = 330.0f * std::cos(a), z = 330.0f * std::sin(a);
    path.nodes.push_back(Vector3(x, GroundHeight(x, z), z));
    path.links.emplace_back(outer + i, outer + (i + 1) % inner);
    path.links.emplace_back(outer + i, 2 * i);
  }
  return path;
}

// The text of a file, formatted as printf does, then written whole.
class TextFile {
 public:
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    if (length > 0) {
      size_t end = bytes_.size();
      bytes_.resize(end + length + 1);
      std::vsnprintf(reinterpret_cast<char*>(bytes_.data() + end), length + 1, format, again);
      bytes_.pop_back();  // the terminating NUL
    }
    va_end(again);
    va_end(args);
  }
  bool Write(const std::string& path) const {
    std::string error;
    if (WriteFileBytes(path, bytes_, error)) return true;
    std::fprintf(stderr, "make_arena: %s\n", error.c_str());
    return false;
  }

 private:
  std::vector<uint8_t> bytes_;
};

bool WriteMtl(const std::string& path) {
  TextFile file;
  struct Colour {
    const char* name;
    float r, g, b;
  };
  const Colour colours[] = {{"grass", 0.35f, 0.55f, 0.25f},
                            {"rock", 0.5f, 0.47f, 0.43f},
                            {"concrete", 0.7f, 0.7f, 0.68f},
                            {"metal", 0.55f, 0.6f, 0.65f},
                            {"sand", 0.8f, 0.72f, 0.5f}};
  file.Add("# The default level's materials; the game draws textures/<name>.bmp.\n");
  for (const Colour& c : colours) {
    file.Add("newmtl %s\nKd %.2f %.2f %.2f\n\n", c.name, c.r, c.g, c.b);
  }
  return file.Write(path);
}

bool WriteObj(const std::string& path, const std::string& mtlName,
              const std::vector<Object>& objects, const PathGraph& graph) {
  TextFile file;
  file.Add("# The default level, written by make_arena; compile it with levelc.\n");
  file.Add("mtllib %s\n", mtlName.c_str());
  long vertex = 1;
  for (const Object& object : objects) {
    file.Add("o %s\n", object.name.c_str());
    // Grouped by material, in order of first use.
    std::vector<std::string> materials;
    for (const Triangle& t : object.triangles) {
      if (std::find(materials.begin(), materials.end(), t.material) == materials.end()) {
        materials.push_back(t.material);
      }
    }
    for (const std::string& material : materials) {
      file.Add("usemtl %s\n", material.c_str());
      for (const Triangle& t : object.triangles) {
        if (t.material != material) continue;
        for (const Corner& c : t.c) {
          file.Add("v %.4f %.4f %.4f\nvt %.5f %.5f\nvn %.5f %.5f %.5f\n", c.p.x, c.p.y,
                       c.p.z, c.t.s, c.t.t, c.n.x, c.n.y, c.n.z);
        }
        file.Add("f %ld/%ld/%ld %ld/%ld/%ld %ld/%ld/%ld\n", vertex, vertex, vertex,
                     vertex + 1, vertex + 1, vertex + 1, vertex + 2, vertex + 2, vertex + 2);
        vertex += 3;
      }
    }
  }
  // Path nodes are vertices; links are line elements. The vt/vn counters
  // are not used by lines.
  file.Add("o path\n");
  long first = vertex;
  for (const Vector3& p : graph.nodes) file.Add("v %.4f %.4f %.4f\n", p.x, p.y, p.z);
  for (const auto& link : graph.links) {
    file.Add("l %ld %ld\n", first + link.first, first + link.second);
  }
  return file.Write(path);
}

}  // namespace

int main(int argc, char** argv) {
  const bool drones = !(argc == 3 && std::string(argv[1]) == "--no-drones");
  if (argc != 2 && drones) {
    std::fprintf(stderr,
                 "usage: make_arena [--no-drones] OUTPUT_DIR\n  writes OUTPUT_DIR/arena.obj and "
                 "OUTPUT_DIR/arena.mtl; --no-drones leaves out the drones' places\n");
    return 2;
  }
  std::string dir = argv[argc - 1];
  std::vector<Object> objects(4);
  objects[0].name = "terrain";
  AddTerrain(objects[0]);
  objects[1].name = "walls";
  AddWalls(objects[1]);
  objects[2].name = "structures";
  AddStructures(objects[2]);
  objects[3].name = "spawn";
  AddSpawnMarker(objects[3]);
  const PathGraph path = MakePath();
  if (drones) {
    for (int node : kDroneNodes) {
      objects.push_back(Object{"drone" + std::to_string(objects.size() - 3), {}});
      AddDroneMarker(objects.back(), path.nodes[node]);
    }
  }

  if (!WriteMtl(dir + "/arena.mtl") || !WriteObj(dir + "/arena.obj", "arena.mtl", objects, path)) {
    std::fprintf(stderr, "make_arena: cannot write the arena into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
