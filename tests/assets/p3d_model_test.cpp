#include "assets/p3d_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "tests/assets/scratch_dir.h"
#include "tests/support/gl_context.h"
#include "tools/content/bmp_writer.h"
#include "tools/content/p3d_writer.h"

namespace {

constexpr size_t kVertexCountField = 4;
constexpr size_t kTriangleCountField = 8;
constexpr size_t kPathField = 24;
constexpr size_t kIndices = 56;

// Two triangles over four vertices, every value different.
P3dMesh SampleMesh() {
  P3dMesh mesh;
  mesh.indices = {0, 1, 2, 2, 3, 0};
  for (int i = 0; i < 4; ++i) {
    float f = static_cast<float>(i);
    mesh.positions.emplace_back(f + 0.5f, -f, 2.0f * f + 0.25f);
    mesh.normals.emplace_back(0.1f * f, 1.0f - 0.1f * f, -0.3f);
    mesh.texCoords.push_back({0.125f * f, 1.0f - 0.25f * f});
  }
  mesh.texturePath = "skin.bmp";
  mesh.reserved[0] = 7;
  mesh.reserved[1] = 0xDEADBEEF;
  mesh.reserved[2] = 9;
  return mesh;
}

void ExpectEmpty(const P3dModel& model) {
  EXPECT_EQ(model.vertexCount, 0u);
  EXPECT_EQ(model.triangleCount, 0u);
  EXPECT_EQ(model.reserved[0], 0u);
  EXPECT_EQ(model.indices, nullptr);
  EXPECT_EQ(model.vertices, nullptr);
  EXPECT_EQ(model.normals, nullptr);
  EXPECT_EQ(model.texCoords, nullptr);
  EXPECT_EQ(model.material.glName, 0u);
  EXPECT_EQ(model.material.pixels, nullptr);
}

class P3dLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureGlContext();
    ScratchDir::Write("skin.bmp", EncodeBitmap(2, 2, std::vector<uint8_t>(12, 128)));
  }
  ScratchDir dir_;
};

TEST_F(P3dLoad, EveryValueOfTheFileArrives) {
  const P3dMesh mesh = SampleMesh();
  const std::vector<uint8_t> file = EncodeP3d(mesh);
  ASSERT_EQ(file.size(), 56u + 12u * 2u + 32u * 4u);
  ASSERT_EQ((std::vector<uint8_t>(file.begin(), file.begin() + 4)),
            (std::vector<uint8_t>{0x18, 0x1E, 0x00, 0x00}));
  ScratchDir::Write("m.p3d", file);

  P3dModel model;
  ASSERT_TRUE(model.Load("m.p3d")) << LastAssetError();
  ASSERT_EQ(model.vertexCount, 4u);
  ASSERT_EQ(model.triangleCount, 2u);
  EXPECT_EQ(model.reserved[0], 7u);
  EXPECT_EQ(model.reserved[1], 0xDEADBEEFu);
  EXPECT_EQ(model.reserved[2], 9u);
  for (size_t i = 0; i < mesh.indices.size(); ++i) EXPECT_EQ(model.indices[i], mesh.indices[i]);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(model.vertices[i].x, mesh.positions[i].x);
    EXPECT_EQ(model.vertices[i].y, mesh.positions[i].y);
    EXPECT_EQ(model.vertices[i].z, mesh.positions[i].z);
    EXPECT_EQ(model.normals[i].x, mesh.normals[i].x);
    EXPECT_EQ(model.normals[i].y, mesh.normals[i].y);
    EXPECT_EQ(model.normals[i].z, mesh.normals[i].z);
    EXPECT_EQ(model.texCoords[i].u, mesh.texCoords[i].u);
    EXPECT_EQ(model.texCoords[i].v, mesh.texCoords[i].v);
  }
  EXPECT_NE(model.material.glName, 0u);
  EXPECT_EQ(model.material.width, 2);
  ASSERT_NE(model.material.pixels, nullptr);
  EXPECT_EQ(model.material.pixels[3], 255);  // the alpha variant
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(model.material.specular[i], 1.0f);
    EXPECT_EQ(model.material.diffuse[i], 1.0f);
  }
}

TEST_F(P3dLoad, EmptyMeshLoads) {
  P3dMesh mesh;
  mesh.texturePath = "skin.bmp";
  ScratchDir::Write("empty.p3d", EncodeP3d(mesh));
  P3dModel model;
  ASSERT_TRUE(model.Load("empty.p3d")) << LastAssetError();
  EXPECT_EQ(model.vertexCount, 0u);
  EXPECT_EQ(model.triangleCount, 0u);
  EXPECT_NE(model.indices, nullptr);
  EXPECT_NE(model.vertices, nullptr);
}

TEST_F(P3dLoad, MissingFileIsRefused) {
  P3dModel model;
  EXPECT_FALSE(model.Load("nothing.p3d"));
  EXPECT_NE(LastAssetError().find("cannot open"), std::string::npos) << LastAssetError();
  ExpectEmpty(model);
}

struct Damage {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> apply;
  const char* reasonContains;
};

class DamagedP3d : public P3dLoad, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedP3d, IsRefusedAndTheModelLeftEmpty) {
  std::vector<uint8_t> file = EncodeP3d(SampleMesh());
  GetParam().apply(file);
  ScratchDir::Write("bad.p3d", file);
  P3dModel model;
  EXPECT_FALSE(model.Load("bad.p3d"));
  EXPECT_NE(LastAssetError().find(GetParam().reasonContains), std::string::npos)
      << LastAssetError();
  ExpectEmpty(model);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedP3d,
    ::testing::Values(
        Damage{"ShorterThanHeader", [](auto& f) { f.resize(40); }, "truncated header"},
        Damage{"MagicBigEndian",
               [](auto& f) {
                 f[0] = 0x00;
                 f[1] = 0x00;
                 f[2] = 0x1E;
                 f[3] = 0x18;
               },
               "not a P3D model"},
        Damage{"IndexOutOfRange", [](auto& f) { Poke32(f, kIndices + 4 * 4, 4); }, "vertex 4"},
        Damage{"HugeIndex", [](auto& f) { Poke32(f, kIndices, 0xFFFFFFFFu); }, "names vertex"},
        Damage{"TruncatedTexCoords", [](auto& f) { f.pop_back(); }, "do not fit"},
        Damage{"TruncatedIndices", [](auto& f) { f.resize(kIndices + 10); }, "do not fit"},
        Damage{"HugeCounts",
               [](auto& f) {
                 Poke32(f, kVertexCountField, 0xFFFFFFFFu);
                 Poke32(f, kTriangleCountField, 0xFFFFFFFFu);
               },
               "do not fit"},
        // 12 T wraps round to 8 in 32 bits; 32 V wraps round to 32.
        Damage{"TriangleBytesWrap",
               [](auto& f) { Poke32(f, kTriangleCountField, 0x15555556u); }, "do not fit"},
        Damage{"VertexBytesWrap", [](auto& f) { Poke32(f, kVertexCountField, 0x08000001u); },
               "do not fit"},
        Damage{"PathWithoutNul",
               [](auto& f) { std::memset(f.data() + kPathField, 'a', 32); }, "texture path"},
        Damage{"MissingTexture",
               [](auto& f) { std::memcpy(f.data() + kPathField, "gone.bmp", 9); },
               "texture \"gone.bmp\""},
        Damage{"TextureNotABitmap",
               [](auto& f) { std::memcpy(f.data() + kPathField, "bad.p3d", 8); }, "BM"}),
    [](const ::testing::TestParamInfo<Damage>& p) { return p.param.name; });

TEST_F(P3dLoad, FailedReloadKeepsTheModelItHad) {
  ScratchDir::Write("m.p3d", EncodeP3d(SampleMesh()));
  P3dModel model;
  ASSERT_TRUE(model.Load("m.p3d"));
  const TextureId texture = model.material.glName;
  std::vector<uint8_t> damaged = EncodeP3d(SampleMesh());
  Poke32(damaged, kIndices, 99);
  ScratchDir::Write("bad.p3d", damaged);
  EXPECT_FALSE(model.Load("bad.p3d"));
  EXPECT_EQ(model.vertexCount, 4u);
  EXPECT_EQ(model.indices[2], 2u);
  EXPECT_EQ(model.vertices[1].x, 1.5f);
  EXPECT_EQ(model.material.glName, texture);
}

TEST_F(P3dLoad, ReloadReplacesTheMesh) {
  ScratchDir::Write("m.p3d", EncodeP3d(SampleMesh()));
  P3dMesh single = SampleMesh();
  single.indices = {3, 2, 1};
  ScratchDir::Write("one.p3d", EncodeP3d(single));
  P3dModel model;
  ASSERT_TRUE(model.Load("m.p3d"));
  ASSERT_TRUE(model.Load("one.p3d"));
  EXPECT_EQ(model.triangleCount, 1u);
  EXPECT_EQ(model.indices[0], 3u);
}

}  // namespace
