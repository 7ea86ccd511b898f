#include "app/shader_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char* gMissingEntryPoint = nullptr;
int gLookups = 0;

void Dummy() {}

platform::GlProc FakeLookup(const char* name) {
  ++gLookups;
  if (gMissingEntryPoint && std::strcmp(name, gMissingEntryPoint) == 0) return nullptr;
  return &Dummy;
}

const char* kAllFour =
    "GL_ARB_multitexture GL_ARB_shading_language_100 GL_ARB_vertex_shader "
    "GL_ARB_fragment_shader GL_ARB_shader_objects";

class ShaderProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    gMissingEntryPoint = nullptr;
    gLookups = 0;
  }
};

TEST_F(ShaderProbe, AllExtensionsAndEntryPointsGiveSupport) {
  EXPECT_TRUE(ProbeShaderSupport(kAllFour, &FakeLookup));
  EXPECT_EQ(gLookups, 13);
  EXPECT_NE(glUniform1iARB, nullptr);
}

TEST_F(ShaderProbe, ExtensionNamesMatchAsPlainSubstrings) {
  // Only longer names that contain the four are offered; they still count.
  const char* extensions =
      "GL_ARB_shading_language_100_x GL_ARB_vertex_shader_x GL_ARB_fragment_shader_x "
      "GL_ARB_shader_objects_extended";
  EXPECT_TRUE(ProbeShaderSupport(extensions, &FakeLookup));
}

TEST_F(ShaderProbe, AMissingExtensionFetchesNothing) {
  const char* withoutFragment =
      "GL_ARB_shading_language_100 GL_ARB_vertex_shader GL_ARB_shader_objects";
  EXPECT_FALSE(ProbeShaderSupport(withoutFragment, &FakeLookup));
  EXPECT_FALSE(ProbeShaderSupport(nullptr, &FakeLookup));
  EXPECT_EQ(gLookups, 0);
}

TEST_F(ShaderProbe, OneMissingEntryPointMeansNoSupportButTheRestAreKept) {
  gMissingEntryPoint = "glShaderSourceARB";
  EXPECT_FALSE(ProbeShaderSupport(kAllFour, &FakeLookup));
  EXPECT_EQ(gLookups, 13);
  EXPECT_EQ(glShaderSourceARB, nullptr);
  EXPECT_NE(glCompileShaderARB, nullptr);
  EXPECT_NE(glUniform1iARB, nullptr);
}

}  // namespace
