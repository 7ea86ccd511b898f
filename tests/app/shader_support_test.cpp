#include "app/shader_support.h"

#include <gtest/gtest.h>

#include <cstring>

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

TEST(ShaderProbe, SupportNeedsTheFourExtensionsAndEveryEntryPoint) {
  const struct {
    const char* extensions;
    const char* missingEntryPoint;
    bool supported;
    int lookups;
  } cases[] = {
      {kAllFour, nullptr, true, 13},
      // Only longer names that contain the four are offered; they still count.
      {"GL_ARB_shading_language_100_x GL_ARB_vertex_shader_x GL_ARB_fragment_shader_x "
       "GL_ARB_shader_objects_extended",
       nullptr, true, 13},
      // A missing extension fetches nothing.
      {"GL_ARB_shading_language_100 GL_ARB_vertex_shader GL_ARB_shader_objects", nullptr, false, 0},
      {nullptr, nullptr, false, 0},
      {kAllFour, "glShaderSourceARB", false, 13},
  };
  for (const auto& c : cases) {
    gMissingEntryPoint = c.missingEntryPoint;
    gLookups = 0;
    EXPECT_EQ(ProbeShaderSupport(c.extensions, &FakeLookup), c.supported) << c.extensions;
    EXPECT_EQ(gLookups, c.lookups) << c.extensions;
  }
  // One missing entry point means no support, but the rest are kept.
  EXPECT_EQ(glShaderSourceARB, nullptr);
  EXPECT_NE(glCompileShaderARB, nullptr);
  EXPECT_NE(glUniform1iARB, nullptr);
}

}  // namespace
