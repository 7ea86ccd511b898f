#pragma once
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "tests/support/gl_context.h"

// Plain GL state for drawing in normalised device coordinates: identity
// matrices, the whole window, no depth, culling, lighting or blending.
inline void ResetDrawState() {
  glViewport(0, 0, 1024, 768);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_COLOR_MATERIAL);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The bound texture over the whole window, t = 0 at the bottom.
inline void DrawFullScreenQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0);
  glVertex2f(-1, -1);
  glTexCoord2f(1, 0);
  glVertex2f(1, -1);
  glTexCoord2f(1, 1);
  glVertex2f(1, 1);
  glTexCoord2f(0, 1);
  glVertex2f(-1, 1);
  glEnd();
}

inline bool Near(const std::array<uint8_t, 3>& got, int r, int g, int b, int tolerance = 3) {
  return std::abs(got[0] - r) <= tolerance && std::abs(got[1] - g) <= tolerance &&
         std::abs(got[2] - b) <= tolerance;
}

inline GLint BoundTexture() {
  GLint name = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
  return name;
}
