#include "app/video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cstdio>

int gScreenWidth = 1024;
int gScreenHeight = 768;
int gHalfWidth = 512;
int gHalfHeight = 384;
float gScreenWidthF = 1024.0f;
float gScreenHeightF = 768.0f;
int gScreenBpp = 32;

bool InitVideo() {
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  if (!SDL_SetVideoMode(gScreenWidth, gScreenHeight, gScreenBpp, SDL_OPENGL | SDL_FULLSCREEN)) {
    // Without a window nothing else can run; say so rather than draw into nothing.
    std::fprintf(stderr, "driftwing: cannot open a %dx%d OpenGL window: %s\n", gScreenWidth,
                 gScreenHeight, SDL_GetError());
    return false;
  }
  SDL_WM_SetCaption("Driftwing", "Driftwing");
  InitProjection(gScreenWidth, gScreenHeight);
  return true;
}

void SetPerspective(int width, int height, double farPlane) {
  if (height == 0) height = 1;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  double aspect = static_cast<double>(static_cast<unsigned>(width)) /
                  static_cast<double>(static_cast<unsigned>(height));
  gluPerspective(45.0, aspect, 1.0, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void InitProjection(int width, int height) { SetPerspective(width, height, 100000.0); }

void SetScreenSize(int width, int height) {
  gScreenWidth = width;
  gScreenHeight = height;
  gHalfWidth = width >> 1;
  gHalfHeight = height >> 1;
  gScreenWidthF = static_cast<float>(width);
  gScreenHeightF = static_cast<float>(height);
  glViewport(0, 0, width, height);
}

void ApplyStandardLight() {
  static const float kPosition[4] = {0.2f, 8.0f, 0.0f, 0.0f};
  static const float kAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
  static const float kDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  static const float kSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, kPosition);
  glLightfv(GL_LIGHT0, GL_AMBIENT, kAmbient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, kDiffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, kSpecular);
  glEnable(GL_LIGHT0);
}
