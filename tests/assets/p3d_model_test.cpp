#include "assets/p3d_model.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "assets/byte_reader.h"
#include "tests/support/damaged_file.h"
#include "tests/support/gl_context.h"
#include "tests/support/temp_dir.h"
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
    dir_.Write("skin.bmp", EncodeBitmap(2, 2, std::vector<uint8_t>(12, 128)));
  }
  TempDir dir_{TempDir::kEnter};
};

TEST_F(P3dLoad, EveryValueOfTheFileArrivesExactly) {
  const P3dMesh mesh = SampleMesh();
  dir_.Write("m.p3d", EncodeP3d(mesh));
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

// An empty model is drawn in gl_draw_test.
TEST_F(P3dLoad, AMissingFileIsRefusedAndTheModelLeftEmpty) {
  P3dModel missing;
  std::string error;
  EXPECT_FALSE(missing.Load("nothing.p3d", error));
  EXPECT_NE(error.find("cannot open"), std::string::npos) << error;
  ExpectEmpty(missing);
}

// The reader's reason for refusing a file; a refused model is left empty.
// Only plain files are read: whatever else stands at the texture's path is
// refused at once, never read endlessly or waited on.
TEST_F(P3dLoad, DamagedFilesAreRefusedAndTheModelLeftEmpty) {
  ASSERT_EQ(mkfifo("fifo", 0644), 0);
  dir_.Write("empty.bmp", {});
  auto texture = [](const char* path) {
    return [path](Bytes& f) { std::memcpy(f.data() + kPathField, path, std::strlen(path) + 1); };
  };
  ExpectEachRefused(
      EncodeP3d(SampleMesh()),
      {{"shorter than header", [](Bytes& f) { f.resize(40); }, "truncated header"},
       {"magic big-endian", [](Bytes& f) { Put32(f, 0, 0x181E0000u); }, "not a P3D model"},
       {"index out of range", [](Bytes& f) { Put32(f, kIndices + 4 * 4, 4); }, "vertex 4"},
       {"huge index", [](Bytes& f) { Put32(f, kIndices, 0xFFFFFFFFu); }, "names vertex"},
       {"truncated texture coordinates", [](Bytes& f) { f.pop_back(); }, "do not fit"},
       {"truncated indices", [](Bytes& f) { f.resize(kIndices + 10); }, "do not fit"},
       {"huge counts",
        [](Bytes& f) {
          Put32(f, kVertexCountField, ~0u);
          Put32(f, kTriangleCountField, ~0u);
        },
        "do not fit"},
       // 12 T wraps round to 8 in 32 bits; 32 V wraps round to 32.
       {"triangle bytes wrap", [](Bytes& f) { Put32(f, kTriangleCountField, 0x15555556u); },
        "do not fit"},
       {"vertex bytes wrap", [](Bytes& f) { Put32(f, kVertexCountField, 0x08000001u); },
        "do not fit"},
       {"path without NUL", [](Bytes& f) { std::memset(f.data() + kPathField, 'a', 32); },
        "texture path"},
       {"missing texture", texture("gone.bmp"), "texture \"gone.bmp\""},
       {"empty texture", texture("empty.bmp"), "not a BMP file"},
       {"texture is a directory", texture("."), "is a directory"},
       {"texture is a FIFO", texture("fifo"), "not a regular file"},
       {"texture is endless", texture("/dev/zero"), "not a regular file"},
       {"texture is a device", texture("/dev/null"), "not a regular file"}},
      [this](const Bytes& file) -> std::string {
        dir_.Write("bad.p3d", file);
        P3dModel model;
        std::string error;
        if (model.Load("bad.p3d", error)) return "";
        ExpectEmpty(model);
        return error;
      });
  std::string error;
  EXPECT_TRUE(IsPlainFile("skin.bmp", error));
  EXPECT_FALSE(IsPlainFile("fifo", error));
}

// A failed load must not cost the model it had.
TEST_F(P3dLoad, FailedReloadKeepsTheModelItHad) {
  dir_.Write("m.p3d", EncodeP3d(SampleMesh()));
  std::vector<uint8_t> damaged = EncodeP3d(SampleMesh());
  Put32(damaged, kIndices, 99);
  dir_.Write("bad.p3d", damaged);
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
