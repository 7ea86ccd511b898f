// The level's textures: one per material name, named after it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/game.h"
#include "tests/level/level_test_support.h"
#include "tests/support/gl_context.h"

namespace {

// A 2 x 2, 24-bit uncompressed bitmap.
std::vector<uint8_t> TinyBitmap() {
  std::vector<uint8_t> bytes(54, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, 54 + 16);
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  bytes[26] = 1;   // planes
  bytes[28] = 24;  // bits per pixel
  put32(34, 16);
  bytes.resize(54 + 16, 0x80);
  return bytes;
}

// Runs in a folder holding textures/pa.bmp and models/clouds.bmp.
class LevelTextures : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    ASSERT_EQ(mkdir(dir.File("textures").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.File("models").c_str(), 0755), 0);
    WriteFile(dir.File("textures/pa.bmp"), TinyBitmap());
    WriteFile(dir.File("models/clouds.bmp"), TinyBitmap());
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    gLevelMaterials = nullptr;
  }
  void TearDown() override {
    ASSERT_EQ(chdir(previous), 0);
    gLevelMaterials = nullptr;
  }
  // Loads textures for these names; returns the reason given on failure.
  std::string Load(std::vector<std::string> names, bool expectLoaded) {
    game.world.materialNames = names;
    game.world.materialCount = static_cast<int32_t>(names.size());
    std::string error;
    EXPECT_EQ(game.LoadLevelTextures(error), expectLoaded);
    return error;
  }

  TempDir dir;
  char previous[4096] = {};
  Game game;
};

TEST_F(LevelTextures, PathAndDigitNamesGetNoTexture) {
  Load({"pathway", "path", "pa", "3d"}, true);
  EXPECT_NE(game.materials[2].glName, 0u);
  EXPECT_EQ(game.materials[2].width, 2);
  EXPECT_EQ(game.materials[2].specular[0], 0.0f);
  for (int i : {0, 1, 3}) {
    EXPECT_EQ(game.materials[i].glName, 0u) << i;
    EXPECT_EQ(game.materials[i].specular[0], 1.0f) << i;
  }
  EXPECT_NE(gCloudsTexture.glName, 0u);
  EXPECT_EQ(gLevelMaterials, game.materials);
}

TEST_F(LevelTextures, AMissingTextureStopsAtItAndNamesItsPath) {
  std::string printed = Load({"pa", "nope", "pa"}, false);
  EXPECT_NE(printed.find("textures/nope.bmp"), std::string::npos) << printed;
  EXPECT_NE(game.materials[0].glName, 0u);
  EXPECT_EQ(game.materials[2].glName, 0u);  // not reached
  EXPECT_EQ(gLevelMaterials, nullptr);
}

TEST_F(LevelTextures, AMissingCloudsTextureFailsTheLoad) {
  ASSERT_EQ(unlink("models/clouds.bmp"), 0);
  EXPECT_NE(Load({"pa"}, false).find("models/clouds.bmp"), std::string::npos);
  EXPECT_EQ(gLevelMaterials, nullptr);
}

}  // namespace
