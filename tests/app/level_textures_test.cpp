// The level's textures: one per material name, named after it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "app/game.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"
#include "tools/content/bmp_writer.h"

namespace {

// Runs in a folder holding textures/pa.bmp and models/clouds.bmp.
class LevelTextures : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    const std::vector<uint8_t> grey = EncodeBitmap(2, 2, std::vector<uint8_t>(12, 0x80));
    ASSERT_EQ(mkdir("textures", 0755), 0);
    ASSERT_EQ(mkdir("models", 0755), 0);
    dir.Write("textures/pa.bmp", grey);
    dir.Write("models/clouds.bmp", grey);
    gLevelMaterials = nullptr;
  }
  void TearDown() override { gLevelMaterials = nullptr; }
  // Loads textures for these names; returns the reason given on failure.
  std::string Load(std::vector<std::string> names, bool expectLoaded) {
    game.world.materialNames = names;
    game.world.materialCount = static_cast<int32_t>(names.size());
    std::string error;
    EXPECT_EQ(game.LoadLevelTextures(error), expectLoaded);
    return error;
  }

  TempDir dir{TempDir::kEnter};
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
