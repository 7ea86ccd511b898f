// p3dc run as an author runs it: a textured OBJ and an untextured one become
// P3D models the game's own loader reads; a broken input is refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "assets/p3d_model.h"
#include "tests/tools/tool_run.h"
#include "tests/support/gl_context.h"
#include "tools/content/bmp_writer.h"

namespace {

const char* kCube = R"(mtllib cube.mtl
usemtl %s
v -1 -1 -1
v 1 -1 -1
v 1 1 -1
v -1 1 -1
v -1 -1 1
v 1 -1 1
v 1 1 1
v -1 1 1
vt 0 0
vt 1 0
vt 1 1
vt 0 1
vn 0 0 -1
vn 0 0 1
vn -1 0 0
vn 1 0 0
vn 0 1 0
vn 0 -1 0
f 1/1/1 4/4/1 3/3/1 2/2/1
f 5/1/2 6/2/2 7/3/2 8/4/2
f 1/1/3 5/2/3 8/3/3 4/4/3
f 2/1/4 3/2/4 7/3/4 6/4/4
f 4/1/5 8/2/5 7/3/5 3/4/5
f 1/1/6 2/2/6 6/3/6 5/4/6
)";

struct Loaded {
  bool ok = false;
  std::string error;
  uint32_t vertices = 0, triangles = 0;
  bool hasCorner = false;  // a vertex at (2, 2, 2)
  int width = 0, height = 0;
  std::vector<uint8_t> firstPixel;
};

// Loads dataDir/models/NAME.p3d with the game's loader, from the data folder.
Loaded LoadAsTheGameDoes(const std::string& dataDir, const std::string& name) {
  EnsureGlContext();
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dataDir);
  Loaded loaded;
  P3dModel model;
  loaded.ok = model.Load(("models/" + name + ".p3d").c_str(), loaded.error);
  std::filesystem::current_path(previous);
  if (!loaded.ok) return loaded;
  loaded.vertices = model.vertexCount;
  loaded.triangles = model.triangleCount;
  for (uint32_t v = 0; v < model.vertexCount; ++v) {
    const Vector3& p = model.vertices[v];
    loaded.hasCorner |= p.x == 2 && p.y == 2 && p.z == 2;
  }
  loaded.width = model.material.width;
  loaded.height = model.material.height;
  loaded.firstPixel.assign(model.material.pixels, model.material.pixels + 4);
  return loaded;
}

TEST(P3dc, ConvertsTexturedAndPlainModelsTheGameLoadsAndRefusesBrokenOnes) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("data/models"));
  // A 3 x 5 texture whose first pixel is pure black, which the game would
  // take as transparent.
  std::vector<uint8_t> rgb(3 * 5 * 3, 90);
  rgb[0] = rgb[1] = rgb[2] = 0;
  std::string error;
  ASSERT_TRUE(WriteBitmap(dir.File("skin.bmp"), 3, 5, rgb, error));
  dir.WriteText("cube.mtl", "newmtl skin\nmap_Kd skin.bmp\nnewmtl red\nKd 1 0 0\n");
  char obj[1024];
  for (const char* material : {"skin", "red"}) {
    std::snprintf(obj, sizeof obj, kCube, material);
    dir.WriteText(std::string(material) + ".obj", obj);
    ToolRun run = RunTool(std::string(P3DC) + " --scale 2 " + dir.File(std::string(material) + ".obj") +
                          " " + dir.File("data/models/" + std::string(material) + ".p3d"));
    ASSERT_EQ(run.status, 0) << run.err;
    Loaded model = LoadAsTheGameDoes(dir.File("data"), material);
    ASSERT_TRUE(model.ok) << model.error;
    EXPECT_EQ(model.triangles, 12u);
    EXPECT_EQ(model.vertices, 24u);  // four corners a face, each with the face's normal
    EXPECT_TRUE(model.hasCorner);
    EXPECT_EQ(model.firstPixel[3], 255) << "no pixel turned transparent";
    if (std::string(material) == "skin") {
      EXPECT_TRUE(Has(run.err, "texture resized from 3 x 5 to 4 x 4")) << run.err;
      EXPECT_EQ(model.width, 4);
      EXPECT_EQ(model.height, 4);
    } else {
      EXPECT_TRUE(Has(run.err, "no texture")) << run.err;
      EXPECT_EQ(model.firstPixel, (std::vector<uint8_t>{255, 0, 0, 255}));
    }
  }

  dir.WriteText("broken.obj", "f 1 2 3\nv nonsense\n");
  ToolRun broken = RunTool(std::string(P3DC) + " " + dir.File("broken.obj") + " " +
                           dir.File("data/models/broken.p3d"));
  EXPECT_EQ(broken.status, 1);
  EXPECT_TRUE(Has(broken.err, "p3dc: " + dir.File("broken.obj") + ": ")) << broken.err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("data/models/broken.p3d")));
}

}  // namespace
