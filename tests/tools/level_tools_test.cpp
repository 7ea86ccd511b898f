// levelc and levelinfo run as an author runs them, on small meshes written
// here: options, warnings, refusals, and what levelinfo reads back.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "level/level_reader.h"
#include "level/vertex_colours.h"
#include "tests/tools/tool_run.h"
#include "tests/support/gl_context.h"

namespace {

// A wavy sheet of n x n cells, `size` units across, as OBJ text.
std::string Sheet(int n, float size, const std::string& material) {
  std::string obj = "o sheet\nusemtl " + material + "\n";
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; j <= n; ++j) {
      float x = size * i / n, z = size * j / n;
      obj += "v " + std::to_string(x) + " " + std::to_string(0.05f * size * std::sin(x * 7 / size)) +
             " " + std::to_string(z) + "\n";
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      int a = i * (n + 1) + j + 1, b = a + 1, c = a + n + 1, d = c + 1;
      obj += "f " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(d) + "\n";
      obj += "f " + std::to_string(a) + " " + std::to_string(d) + " " + std::to_string(c) + "\n";
    }
  }
  return obj;
}

int OctreeLevels(const std::string& levelinfoOutput) {
  size_t at = levelinfoOutput.find("octree: ");
  return at == std::string::npos ? -1 : std::atoi(levelinfoOutput.c_str() + at + 8);
}

LevelData ReadBack(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::string error;
  LevelData level;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), bytes, error)) << error;
  ByteReader reader(bytes);
  EXPECT_TRUE(ReadLevel(reader, level) && ReadVertexColours(reader, level)) << reader.Error();
  return level;
}

class LevelTools : public ::testing::Test {
 protected:
  std::string Levelc(const std::string& args) { return std::string(LEVELC) + " " + args; }
  TempDir dir;
};

TEST_F(LevelTools, WarnsAboutATinyScanAndMakesItPlayableWithScaleAndSpawn) {
  // About 2 units across, 3200 triangles, a material name no texture can
  // have, no spawn point: a scan as exported.
  dir.WriteText("scan.obj", Sheet(40, 2.0f, "%%%DEFAULT"));
  ToolRun raw = RunTool(Levelc(dir.File("scan.obj") + " " + dir.File("raw.wrl")));
  EXPECT_EQ(raw.status, 0) << raw.err;
  for (const char* warning :
       {"no spawn point", "\"%%%DEFAULT\" cannot be a texture file name", "very small",
        "--scale 500 makes it about 1000 across", "octree's leaves hold",
        "--scale to enlarge it helps"}) {
    EXPECT_TRUE(Has(raw.err, warning)) << warning << "\n" << raw.err;
  }
  EXPECT_TRUE(Has(raw.err, dir.File("scan.obj"))) << "warnings name the input";

  ToolRun scaled = RunTool(Levelc("--scale 400 --spawn 0,10,0 --no-bake " + dir.File("scan.obj") +
                                  " " + dir.File("scaled.wrl")));
  EXPECT_EQ(scaled.status, 0) << scaled.err;
  for (const char* gone : {"no spawn point", "very small", "octree's leaves hold"}) {
    EXPECT_FALSE(Has(scaled.err, gone)) << gone << "\n" << scaled.err;
  }
  ToolRun before = RunTool(std::string(LEVELINFO) + " " + dir.File("raw.wrl"));
  ToolRun after = RunTool(std::string(LEVELINFO) + " " + dir.File("scaled.wrl"));
  ASSERT_EQ(after.status, 0) << after.err;
  EXPECT_LE(OctreeLevels(before.out), 3);
  EXPECT_GE(OctreeLevels(after.out), 5);
  EXPECT_TRUE(Has(after.out, "spawn points: 1\n  (0.0 10.0 0.0)")) << after.out;
  EXPECT_TRUE(Has(after.out, "800.0 x")) << after.out;
}

TEST_F(LevelTools, TurnsAZUpGltfUpright) {
  WriteTriangleGltf(dir, "zup", {0, 0, 0, 10, 0, 0, 0, 10, 0},  // faces +z
                    {R"({"name": "spawn", "translation": [1, 2, 5]})"});
  ToolRun run = RunTool(Levelc("--up z --no-bake " + dir.File("zup.gltf") + " " + dir.File("z.wrl")));
  ASSERT_EQ(run.status, 0) << run.err;
  LevelData level = ReadBack(dir.File("z.wrl"));
  ASSERT_EQ(level.triangleCount, 1u);
  EXPECT_NEAR(level.triangles[0].plane.normal.y, 1.0f, 1e-5f);
  ASSERT_EQ(level.spawnPointCount, 1u);
  EXPECT_FLOAT_EQ(level.spawnPoints[0].position.y, 5.0f);
  EXPECT_FLOAT_EQ(level.spawnPoints[0].position.z, -2.0f);
}

TEST_F(LevelTools, RefusesAndWarnsAsTheAuthorNeedsToHear) {
  std::filesystem::create_directories(dir.File("textures"));
  dir.WriteText("textures/grass.bmp", "not checked here");
  std::string sevenMaterials;
  for (int m = 0; m < 7; ++m) {
    std::string k = std::to_string(3 * m + 1);
    sevenMaterials += "usemtl m" + std::to_string(m) + "\nv " + std::to_string(m) +
                      " 0 0\nv " + std::to_string(m) + " 0 1\nv " + std::to_string(m + 1) +
                      " 0 0\nf " + k + " " + std::to_string(3 * m + 2) + " " +
                      std::to_string(3 * m + 3) + "\n";
  }
  const std::string floor = "v 0 0 0\nv 0 0 100\nv 100 0 0\n";
  struct Case {
    const char* what;
    std::string obj, args;
    int status;
    const char* expected;  // on stderr
    const char* absent;
  };
  const Case cases[] = {
      {"seven materials", sevenMaterials, "", 1, "the mesh uses 7 materials", nullptr},
      {"zero-area triangle", "usemtl grass\n" + floor + "v 5 0 5\nf 1 2 3\nf 1 1 4\n", "", 0,
       "1 triangle(s) of zero area skipped", "is not beside"},
      {"missing texture", "usemtl rock\n" + floor + "f 1 2 3\n", "--spawn 1,2,3", 0,
       "material \"rock\": \"textures/rock.bmp\" is not beside", "no spawn point"},
      {"not a mesh", "this is not a mesh\n", "", 1, "cannot import", nullptr},
      {"finite but far", "v 0 0 0\nv 0 0 1e20\nv 1e38 0 0\nf 1 2 3\n", "", 1,
       "vertex 1 lies at (0, 0, 1e+20), beyond the 16777216 units from the origin a level may "
       "reach",
       "finite"},
      {"bad option value", "usemtl grass\n" + floor + "f 1 2 3\n", "--up x", 2,
       "bad or missing value for --up", nullptr},
      {"drone far from the paths",
       "usemtl grass\n" + floor + "f 1 2 3\no path\nv 0 0 0\nv 10 0 0\nl 4 5\n" +
           "o drone1\nv 300 9 0\nv 301 9 0\nv 300 9 1\nf 6 7 8\n",
       "--spawn 1,2,3 --no-bake", 0, "drone spawn point 1 is 291 units from the nearest path node",
       "no spawn point"},
      {"drones without paths", "usemtl grass\n" + floor + "f 1 2 3\no drone1\nv 50 9 0\nv 51 9 0\n" +
           "v 50 9 1\nf 4 5 6\n",
       "--spawn 1,2,3 --no-bake", 0, "drones but no path graph", nullptr},
  };
  for (const Case& c : cases) {
    dir.WriteText("in.obj", c.obj);
    ToolRun run = RunTool(Levelc(c.args + " " + dir.File("in.obj") + " " + dir.File("out.wrl")));
    EXPECT_EQ(run.status, c.status) << c.what << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, c.expected)) << c.what << "\n" << run.err;
    if (c.absent) {
      EXPECT_FALSE(Has(run.err, c.absent)) << c.what << "\n" << run.err;
    }
    if (c.status == 1) {
      EXPECT_TRUE(Has(run.err, "levelc: " + dir.File("in.obj") + ": ")) << c.what;
    }
  }
  ToolRun help = RunTool(Levelc("--help"));
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--scale", "--up", "--spawn", "--no-bake", "--sun", "--sky-rays"}) {
    EXPECT_TRUE(Has(help.out, option)) << option;
  }
}

// Roles come from the objects' names: the OBJ importer names the scene
// after the file, which is no object.
TEST_F(LevelTools, AFileNamedLikeARoleIsStillALevel) {
  for (const char* name : {"pathway_arena.obj", "spawn_field.obj", "Path.obj"}) {
    dir.WriteText(name, "v 0 0 0\nv 0 0 100\nv 100 0 0\nf 1 2 3\n");
    ToolRun run = RunTool(Levelc("--no-bake " + dir.File(name) + " " + dir.File("out.wrl")));
    ASSERT_EQ(run.status, 0) << name << "\n" << run.err;
    EXPECT_EQ(ReadBack(dir.File("out.wrl")).triangleCount, 1u) << name;
  }
}

TEST(LevelInfo, DescribesTheDefaultArenaAndGivesTheReaderReasonForADamagedFile) {
  std::string arena = DataDir() + "/map.wrl";
  ToolRun run = RunTool(std::string(LEVELINFO) + " " + arena);
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"materials: 5", "textures/grass.bmp present (256 x 256)",
                           "models/clouds.bmp present", "spawn points: 1", "path nodes: 24",
                           "drone spawn points: 6", "0.0 from the nearest path node",
                           "light: baked vertex colours", "references per leaf"}) {
    EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
  }
  EXPECT_GE(OctreeLevels(run.out), 4);

  TempDir dir;
  std::vector<uint8_t> bytes;
  std::string error;
  ASSERT_TRUE(ReadWholeFile(arena.c_str(), bytes, error));
  bytes.resize(bytes.size() / 2);
  dir.Write("cut.wrl", bytes);
  ToolRun cut = RunTool(std::string(LEVELINFO) + " " + dir.File("cut.wrl"));
  EXPECT_EQ(cut.status, 1);
  EXPECT_TRUE(Has(cut.err, "levelinfo: " + dir.File("cut.wrl") + ": ")) << cut.err;
  EXPECT_TRUE(cut.out.empty()) << cut.out;
}

}  // namespace
