#include "assets/p3d_model.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>

#include "tests/assets/scratch_dir.h"
#include "tests/support/gl_context.h"
#include "tools/content/bmp_writer.h"
#include "tools/content/p3d_writer.h"

namespace {

constexpr size_t kVertexCountField = 4, kTriangleCountField = 8, kPathField = 24, kIndices = 56;

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

// Bit for bit, so no value may be rounded or reordered on the way.
template <typename T>
bool SameBytes(const T* got, const std::vector<T>& sent) {
  return got && std::memcmp(got, sent.data(), sent.size() * sizeof(T)) == 0;
}

void ExpectEmpty(const P3dModel& model) {
  EXPECT_EQ(model.vertexCount + model.triangleCount + model.reserved[0], 0u);
  EXPECT_TRUE(!model.indices && !model.vertices && !model.normals && !model.texCoords);
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

TEST_F(P3dLoad, EveryValueOfTheFileArrivesExactly) {
  const P3dMesh mesh = SampleMesh();
  ScratchDir::Write("m.p3d", EncodeP3d(mesh));
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load("m.p3d", error)) << error;
  ASSERT_EQ(model.vertexCount, 4u);
  ASSERT_EQ(model.triangleCount, 2u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(model.reserved[i], mesh.reserved[i]);
  EXPECT_TRUE(SameBytes(model.indices, mesh.indices));
  EXPECT_TRUE(SameBytes(model.vertices, mesh.positions));
  EXPECT_TRUE(SameBytes(model.normals, mesh.normals));
  EXPECT_TRUE(SameBytes(model.texCoords, mesh.texCoords));
  EXPECT_EQ(model.material.width, 2);
  ASSERT_NE(model.material.pixels, nullptr);
  EXPECT_EQ(model.material.pixels[3], 255);  // the texture is loaded with alpha
}

TEST_F(P3dLoad, EmptyMeshLoadsAndAMissingFileDoesNot) {
  P3dMesh mesh;
  mesh.texturePath = "skin.bmp";
  ScratchDir::Write("empty.p3d", EncodeP3d(mesh));
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load("empty.p3d", error)) << error;
  EXPECT_EQ(model.vertexCount + model.triangleCount, 0u);
  EXPECT_NE(model.indices, nullptr);

  P3dModel missing;
  EXPECT_FALSE(missing.Load("nothing.p3d", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  ExpectEmpty(missing);
}

struct Damage {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> apply;
  const char* reasonContains;
};
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedP3d : public P3dLoad, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedP3d, IsRefusedAndTheModelLeftEmpty) {
  std::vector<uint8_t> file = EncodeP3d(SampleMesh());
  GetParam().apply(file);
  ScratchDir::Write("bad.p3d", file);
  P3dModel model;
  std::string error;
  EXPECT_FALSE(model.Load("bad.p3d", error));
  EXPECT_NE(error.find(GetParam().reasonContains), std::string::npos) << error;
  ExpectEmpty(model);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedP3d,
    ::testing::Values(
        Damage{"ShorterThanHeader", [](auto& f) { f.resize(40); }, "truncated header"},
        Damage{"MagicBigEndian", [](auto& f) { Poke32(f, 0, 0x181E0000u); }, "not a P3D model"},
        Damage{"IndexOutOfRange", [](auto& f) { Poke32(f, kIndices + 4 * 4, 4); }, "vertex 4"},
        Damage{"HugeIndex", [](auto& f) { Poke32(f, kIndices, 0xFFFFFFFFu); }, "names vertex"},
        Damage{"TruncatedTexCoords", [](auto& f) { f.pop_back(); }, "do not fit"},
        Damage{"TruncatedIndices", [](auto& f) { f.resize(kIndices + 10); }, "do not fit"},
        Damage{"HugeCounts",
               [](auto& f) {
                 Poke32(f, kVertexCountField, ~0u);
                 Poke32(f, kTriangleCountField, ~0u);
               },
               "do not fit"},
        // 12 T wraps round to 8 in 32 bits; 32 V wraps round to 32.
        Damage{"TriangleBytesWrap", [](auto& f) { Poke32(f, kTriangleCountField, 0x15555556u); },
               "do not fit"},
        Damage{"VertexBytesWrap", [](auto& f) { Poke32(f, kVertexCountField, 0x08000001u); },
               "do not fit"},
        Damage{"PathWithoutNul", [](auto& f) { std::memset(f.data() + kPathField, 'a', 32); },
               "texture path"},
        Damage{"MissingTexture", [](auto& f) { std::memcpy(f.data() + kPathField, "gone.bmp", 9); },
               "texture \"gone.bmp\""},
        Damage{"TextureIsADirectory", [](auto& f) { std::memcpy(f.data() + kPathField, ".", 2); },
               "is a directory"},
        Damage{"TextureIsEndless",
               [](auto& f) { std::memcpy(f.data() + kPathField, "/dev/zero", 10); },
               "not a regular file"}),
    [](const ::testing::TestParamInfo<Damage>& p) { return p.param.name; });

// A failed load must not cost the model it had.
TEST_F(P3dLoad, FailedReloadKeepsTheModelItHad) {
  ScratchDir::Write("m.p3d", EncodeP3d(SampleMesh()));
  std::vector<uint8_t> damaged = EncodeP3d(SampleMesh());
  Poke32(damaged, kIndices, 99);
  ScratchDir::Write("bad.p3d", damaged);
  P3dModel model;
  std::string error;
  ASSERT_TRUE(model.Load("m.p3d", error)) << error;
  const TextureId texture = model.material.glName;
  EXPECT_FALSE(model.Load("bad.p3d", error));
  EXPECT_EQ(model.triangleCount, 2u);
  EXPECT_EQ(model.vertices[1].x, 1.5f);
  EXPECT_EQ(model.material.glName, texture);
}

}  // namespace
