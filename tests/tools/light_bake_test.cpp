// The light bake: shadows, sky shading and subdivision on small scenes, the
// same colours every time, and what the colours look like under the world's
// light when the game reads and draws them.
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "assets/texture.h"
#include "tests/level/level_test_support.h"
#include "tests/support/damaged_file.h"
#include "tests/support/gl_context.h"
#include "tools/content/bmp_writer.h"
#include "tools/level/level_builder.h"
#include "tools/level/level_writer.h"
#include "tools/level/light_bake.h"
#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "world/world.h"

namespace {

uint32_t Vertex(LevelMesh& mesh, const Vector3& p, const Vector3& n) {
  mesh.positions.push_back(p);
  mesh.normals.push_back(n);
  mesh.texCoords.push_back(TexCoord{p.x / 8, p.z / 8});
  return static_cast<uint32_t>(mesh.positions.size() - 1);
}

// Ground from -40 to 40 in 2-unit cells, facing up.
void AddGround(LevelMesh& mesh, float half = 40, int cells = 40) {
  float step = 2 * half / cells;
  uint32_t base = static_cast<uint32_t>(mesh.positions.size());
  for (int i = 0; i <= cells; ++i) {
    for (int j = 0; j <= cells; ++j) {
      Vertex(mesh, Vector3(-half + step * i, 0, -half + step * j), Vector3(0, 1, 0));
    }
  }
  for (int i = 0; i < cells; ++i) {
    for (int j = 0; j < cells; ++j) {
      uint32_t a = base + i * (cells + 1) + j, b = a + 1, c = a + cells + 1, d = c + 1;
      mesh.triangles.push_back(MeshTriangle{{a, b, d}, 0});  // counter-clockwise from above
      mesh.triangles.push_back(MeshTriangle{{a, d, c}, 0});
    }
  }
}

// One flat quad a b c d, turned to run counter-clockwise seen from n.
void AddQuad(LevelMesh& mesh, const Vector3& a, Vector3 b, const Vector3& c, Vector3 d,
             const Vector3& n) {
  if (Dot(CrossProduct(b - a, c - a), n) < 0) std::swap(b, d);
  uint32_t i = Vertex(mesh, a, n), j = Vertex(mesh, b, n), k = Vertex(mesh, c, n),
           l = Vertex(mesh, d, n);
  mesh.triangles.push_back(MeshTriangle{{i, j, k}, 0});
  mesh.triangles.push_back(MeshTriangle{{i, k, l}, 0});
}

// A closed box, faces outward, flat normals.
void AddBox(LevelMesh& mesh, const Vector3& lo, const Vector3& hi) {
  auto P = [&](int x, int y, int z) {
    return Vector3(x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z);
  };
  AddQuad(mesh, P(0, 0, 0), P(0, 1, 0), P(0, 1, 1), P(0, 0, 1), Vector3(-1, 0, 0));
  AddQuad(mesh, P(1, 0, 0), P(1, 1, 0), P(1, 1, 1), P(1, 0, 1), Vector3(1, 0, 0));
  AddQuad(mesh, P(0, 0, 0), P(1, 0, 0), P(1, 0, 1), P(0, 0, 1), Vector3(0, -1, 0));
  AddQuad(mesh, P(0, 1, 0), P(1, 1, 0), P(1, 1, 1), P(0, 1, 1), Vector3(0, 1, 0));
  AddQuad(mesh, P(0, 0, 0), P(1, 0, 0), P(1, 1, 0), P(0, 1, 0), Vector3(0, 0, -1));
  AddQuad(mesh, P(0, 0, 1), P(1, 0, 1), P(1, 1, 1), P(0, 1, 1), Vector3(0, 0, 1));
}

// Ground beside a wall 10 high along z at x = 0..4; the sun stands 45
// degrees above +x, so the wall's shadow covers x = -10..0.
LevelMesh GroundAndWall() {
  LevelMesh mesh;
  mesh.materialNames = {"grass"};
  AddGround(mesh);
  AddBox(mesh, Vector3(0, 0, -20), Vector3(4, 10, 20));
  return mesh;
}

BakeOptions SunFromPlusX() {
  BakeOptions options;
  options.towardSun = Vector3(1, 1, 0);
  options.subdivide = false;
  return options;
}

// Grey level of the ground vertex at (x, 0, z) as the game would show it.
float Shown(const LevelMesh& mesh, float x, float z) {
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    const Vector3& p = mesh.positions[i];
    if (p.x == x && p.y == 0 && p.z == z && mesh.normals[i].y == 1) {
      const Colour& c = mesh.colours[i];
      return (c.r + c.g + c.b) / 3 * WorldLightResponse(mesh.normals[i]);
    }
  }
  ADD_FAILURE() << "no ground vertex at " << x << ", " << z;
  return 0;
}

TEST(LightBake, ShadowsSkyShadingAndTheSameColoursEveryTime) {
  LevelMesh mesh = GroundAndWall();
  BakeReport report;
  std::string error;
  ASSERT_TRUE(CheckMesh(mesh, error));
  ASSERT_TRUE(BakeLight(mesh, SunFromPlusX(), report, error)) << error;
  ASSERT_EQ(mesh.colours.size(), mesh.positions.size());

  float sunlit = Shown(mesh, 20, 0);
  EXPECT_NEAR(sunlit, 0.95f, 0.1f) << "a sunlit upward face at about full brightness";
  for (float x : {-2.0f, -6.0f}) {
    EXPECT_LT(Shown(mesh, x, 0), 0.6f * sunlit) << "in the wall's shadow at x = " << x;
  }
  EXPECT_LT(Shown(mesh, 4, 0), sunlit - 0.05f) << "the inside corner at the wall's foot";
  // Open ground far from the wall, on either side: alike.
  for (float x : {-36.0f, -30.0f, 30.0f, 36.0f}) {
    for (float z : {-36.0f, 36.0f}) EXPECT_NEAR(Shown(mesh, x, z), sunlit, 0.05f) << x << ", " << z;
  }

  LevelMesh again = GroundAndWall();
  ASSERT_TRUE(BakeLight(again, SunFromPlusX(), report, error));
  ASSERT_EQ(again.colours.size(), mesh.colours.size());
  EXPECT_EQ(std::memcmp(again.colours.data(), mesh.colours.data(),
                        mesh.colours.size() * sizeof(Colour)),
            0);
}

TEST(LightBake, SubdividesABigFloorSoAPillarsShadowShows) {
  LevelMesh mesh;
  mesh.materialNames = {"grass"};
  AddGround(mesh, 100, 1);  // two triangles
  AddBox(mesh, Vector3(-5, 0, -5), Vector3(5, 30, 5));
  BakeOptions options = SunFromPlusX();
  options.subdivide = true;
  BakeReport report;
  std::string error;
  ASSERT_TRUE(BakeLight(mesh, options, report, error)) << error;
  EXPECT_EQ(report.trianglesBefore, 14u);
  EXPECT_GT(report.trianglesAfter, 100u);
  EXPECT_EQ(report.trianglesAfter, mesh.triangles.size());
  float darkest = 10, brightest = 0;
  for (size_t i = 0; i < mesh.positions.size(); ++i) {
    if (mesh.positions[i].y != 0 || mesh.normals[i].y != 1) continue;
    float grey = (mesh.colours[i].r + mesh.colours[i].g + mesh.colours[i].b) / 3;
    // Under the pillar's foot nothing is seen; only the shadow beside it counts.
    if (std::fabs(mesh.positions[i].x) <= 5 && std::fabs(mesh.positions[i].z) <= 5) continue;
    darkest = std::min(darkest, grey);
    brightest = std::max(brightest, grey);
  }
  EXPECT_LT(darkest, 0.6f * brightest);
}

// The bake written by the level writer, read by the game's loader and drawn
// by World::Draw under the world's own light: sunlit ground shows its
// texture at about full brightness, shadowed ground clearly darker, and
// ground without baked light at about a quarter.
TEST(LightBake, BakedGroundDrawsNearItsTextureBrightnessUnderTheWorldsLight) {
  EnsureGlContext();
  TempDir dir;
  const uint8_t grey = 200;
  std::string error;
  ASSERT_TRUE(WriteBitmap(dir.File("grey.bmp"), 4, 4, std::vector<uint8_t>(48, grey), error));
  Material materials[6];
  ASSERT_TRUE(materials[0].Load(dir.File("grey.bmp").c_str(), true, error)) << error;

  for (bool bake : {true, false}) {
    LevelMesh mesh = GroundAndWall();
    BakeReport report;
    if (bake) {
      ASSERT_TRUE(BakeLight(mesh, SunFromPlusX(), report, error)) << error;
    }
    LevelSource source;
    LevelBuildReport built;
    ASSERT_TRUE(BuildLevel(mesh, OctreeBuildOptions{}, source, built, error)) << error;
    ASSERT_TRUE(WriteLevelFile(dir.File("lit.wrl"), source, error)) << error;
    World world;
    ASSERT_TRUE(world.Load(dir.File("lit.wrl").c_str(), error)) << error;

    auto lookDownAt = [&](float x, float z) {
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      glFrustum(-1, 1, -0.75, 0.75, 1, 100);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      gluLookAt(x, 20, z, x, 0, z, 0, 0, -1);
      glClearColor(0, 0, 0, 0);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      glEnable(GL_DEPTH_TEST);
      glEnable(GL_CULL_FACE);
      glEnable(GL_LIGHT0);
      glEnable(GL_COLOR_MATERIAL);
      for (GLenum array : {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY})
        glEnableClientState(array);
      world.Draw(materials, 0.0f);
      auto pixel = ReadPixel(512, 384);
      return (pixel[0] + pixel[1] + pixel[2]) / 3.0f;
    };
    float sunlit = lookDownAt(20, 10), shadowed = lookDownAt(-5, 10);
    if (bake) {
      EXPECT_GE(sunlit, 0.88f * grey);
      EXPECT_LE(sunlit, grey + 2.0f);
      EXPECT_LT(shadowed, 0.6f * sunlit);
    } else {
      EXPECT_NEAR(sunlit, 0.25f * grey, 3.0f) << "plain white vertices, as before";
    }
  }
}

// The colour section after the spawn points: read when its tag is there,
// refused with a reason when damaged; other trailing bytes are left alone as
// they always were.
TEST(VertexColourSection, IsReadWhenPresentAndRefusedWhenDamaged) {
  LevelMesh mesh = GroundAndWall();
  mesh.colours.assign(mesh.positions.size(), Colour{2.5f, 2.0f, 1.5f, 1.0f});
  mesh.spawnPoints = {Vector3(1, 2, 3)};
  LevelSource source;
  LevelBuildReport built;
  std::string error;
  ASSERT_TRUE(BuildLevel(mesh, OctreeBuildOptions{}, source, built, error)) << error;
  std::vector<uint8_t> baked = WriteOrDie(source);
  source.colours.clear();
  std::vector<uint8_t> plain = WriteOrDie(source);
  const size_t section = plain.size();  // where the colours begin in `baked`

  // The red of vertex 0 as read, or the reader's reason for refusing.
  auto read = [](const Bytes& bytes) {
    LevelData level;
    ByteReader reader(bytes);
    if (!ReadLevel(reader, level) || !ReadVertexColours(reader, level)) return reader.Error();
    return std::to_string(level.colours[0].r);
  };
  std::vector<uint8_t> trailing = plain;
  trailing.insert(trailing.end(), {'J', 'U', 'N', 'K', 'J', 'U', 'N', 'K', 1, 2});
  EXPECT_EQ(read(baked), std::to_string(2.5f));
  EXPECT_EQ(read(plain), std::to_string(1.0f));
  // Whatever follows the spawn points is the colour section or a count
  // before it is wrong: a spawn count of 0 must not let the level play
  // unlit from the origin.
  EXPECT_EQ(read(trailing),
            "10 bytes follow the 1 spawn points, beginning \"JUNKJUNK\" where only the vertex "
            "colour section (\"VCOLOURS\") may stand: a count before them is wrong");
  auto put = [section](size_t offset, uint32_t value) {
    return [=](Bytes& b) { Put32(b, section + offset, value); };
  };
  const size_t spawnCount = 24;  // in the header
  ExpectEachRefused(
      baked,
      {{"cut short", [](Bytes& b) { b.resize(b.size() - 5); }, "vertex colours"},
       {"count", put(8, 1), "the vertex colours are for 1 vertices"},
       {"not a number", put(12, 0x7fc00000u), "vertex colour 0 is negative"},
       {"no spawn points counted", [](Bytes& b) { Put32(b, spawnCount, 0); },
        "follow the 0 spawn points, beginning 00 00 00 00 00 00 80 3f where only"},
       {"a few bytes after", [&plain](Bytes& b) { b = plain; b.push_back('V'); },
        "1 bytes follow the 1 spawn points, beginning \"V\""}},
      [&read](const Bytes& bytes) {
        const std::string got = read(bytes);
        return got == std::to_string(2.5f) ? std::string() : got;
      });
}

}  // namespace
