#include <gtest/gtest.h>

#include "assets/texture.h"
#include "tests/support/gl_context.h"
#include "tests/world/test_entity.h"
#include "world/world.h"

namespace {

// Records the order in which entities are drawn.
std::vector<int> gDrawn;

class DrawnEntity : public TestEntity {
 public:
  explicit DrawnEntity(int id_) : id(id_) {}
  void Draw() override { gDrawn.push_back(id); }
  int id;
};

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
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    gDrawn.clear();
  }

  PathNode Node(float x, float y, std::vector<uint32_t> links) {
    PathNode node;
    node.position = Vector3(x, y, -20.0f);
    node.linkCount = static_cast<uint32_t>(links.size());
    node.links = std::move(links);
    return node;
  }

  // One red square facing the eye at z = -20 covering the middle of the view.
  void AddSquare(int32_t material) {
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
  }

  World world;
  Material materials[6];
};

TEST_F(WorldDrawing, PathLinksOfNodesWithTwoOrMoreLinksAreDrawnGreen) {
  // y chosen so each line runs through the middle of a pixel row.
  const float row = 0.5f / 384.0f * 15.0f;
  world.pathNodes = {Node(-5, row, {1, 2}), Node(5, row, {0}), Node(-5, row + 4, {0})};
  world.pathNodeCount = 3;
  world.Draw(materials, 0.0f);
  auto onLine = ReadPixel(512, 384);
  EXPECT_EQ(onLine[0], 0);
  EXPECT_EQ(onLine[1], 255);
}

TEST_F(WorldDrawing, NodeWithASingleLinkDrawsOnlyItsPoint) {
  const float row = 0.5f / 384.0f * 15.0f;
  world.pathNodes = {Node(-5, row, {1}), Node(5, row, {0})};
  world.Draw(materials, 0.0f);
  EXPECT_EQ(ReadPixel(512, 384)[1], 0);
  // The node at x = 5 shows as a yellow point: 5/20 of the half-width right.
  auto point = ReadPixel(512 + 128, 384);
  EXPECT_EQ(point[0], 255);
  EXPECT_EQ(point[1], 255);
}

TEST_F(WorldDrawing, LevelGroupIsDrawnWithItsVertexColours) {
  AddSquare(0);
  world.Draw(materials, 0.0f);
  auto centre = ReadPixel(512, 384);
  EXPECT_GT(centre[0], 30);
  EXPECT_EQ(centre[1], 0);
  EXPECT_EQ(centre[2], 0);
}

TEST_F(WorldDrawing, GroupWithAMaterialOutsideTheSixSlotsIsSkipped) {
  AddSquare(6);
  world.Draw(materials, 0.0f);
  EXPECT_EQ(ReadPixel(512, 384)[0], 0);
}

TEST_F(WorldDrawing, EntitiesAreDrawnInListOrderAndStateIsRestored) {
  world.entities = {new DrawnEntity(0), new DrawnEntity(1), new DrawnEntity(2)};
  world.Draw(materials, 0.02f);
  EXPECT_EQ(gDrawn, (std::vector<int>{0, 1, 2}));
  GLint depthFunc = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  EXPECT_EQ(depthFunc, GL_LESS);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_TRUE(depthWrites);
}

TEST_F(WorldDrawing, EmptyLevelDrawsNothing) {
  world.Draw(materials, 0.02f);
  EXPECT_EQ(ReadPixel(512, 384)[0], 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
