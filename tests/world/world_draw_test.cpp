#include <gtest/gtest.h>

#include "assets/texture.h"
#include "tests/support/gl_context.h"
#include "world/world.h"

namespace {

// A 1024x768 view from the origin down -z, cleared to black, with the GL
// state play runs with.
class WorldDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -0.75, 0.75, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    for (GLenum array : {GL_VERTEX_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY, GL_COLOR_ARRAY})
      glEnableClientState(array);
  }

  PathNode Node(float x, float y, std::vector<uint32_t> links) {
    PathNode node;
    node.position = Vector3(x, y, -20.0f);
    node.linkCount = static_cast<uint32_t>(links.size());
    node.links = std::move(links);
    return node;
  }

  World world;
  Material materials[6];
};

// Links of a node with two or more links are green lines; a node with a single
// link shows only as a yellow point.
TEST_F(WorldDrawing, PathGraphDrawsGreenLinksAndYellowPoints) {
  // y chosen so each line runs through the middle of a pixel row.
  const float row = 0.5f / 384.0f * 15.0f;
  world.pathNodes = {Node(-5, row, {1, 2}), Node(5, row, {0}), Node(-5, row + 4, {0})};
  world.pathNodeCount = 3;
  world.Draw(materials, 0.0f);
  auto onLine = ReadPixel(512, 384);
  EXPECT_EQ(onLine[0], 0);
  EXPECT_EQ(onLine[1], 255);

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  world.pathNodes = {Node(-5, row, {1}), Node(5, row, {0})};
  world.pathNodeCount = 2;
  world.Draw(materials, 0.0f);
  EXPECT_EQ(ReadPixel(512, 384)[1], 0);
  auto point = ReadPixel(512 + 128, 384);  // x = 5 is 5/20 of the half-width right
  EXPECT_EQ(point[0], 255);
  EXPECT_EQ(point[1], 255);
}

// One red square facing the eye covers the middle of the view; a group whose
// material lies outside the six slots is skipped rather than read past them.
TEST_F(WorldDrawing, LevelGroupIsDrawnWithItsVertexColoursUnlessItsMaterialIsOutOfRange) {
  for (int32_t material : {0, 6}) {
    SCOPED_TRACE(material);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    world.positions = {{-5, -5, -20}, {5, -5, -20}, {5, 5, -20}, {-5, 5, -20}};
    world.normals.assign(4, Vector3(0, 0, 1));
    world.texCoords.assign(4, TexCoord{0, 0});
    world.colours.assign(4, Colour{1, 0, 0, 1});
    world.vertexCount = 4;
    MaterialGroup group;
    group.material = material;
    group.indices = {0, 1, 2, 0, 2, 3};
    group.count = group.capacity = 6;
    world.groups = {group};
    world.materialCount = 1;
    world.Draw(materials, 0.0f);
    auto centre = ReadPixel(512, 384);
    if (material == 0) {
      EXPECT_GT(centre[0], 30);
      EXPECT_EQ(centre[1], 0);
    } else {
      EXPECT_EQ(centre[0], 0);
    }
  }
}

}  // namespace
