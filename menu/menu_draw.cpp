#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <algorithm>

#include "app/video.h"
#include "assets/static_assets.h"
#include "menu/menu_system.h"
#include "menu/menu_view.h"

namespace {

constexpr float kSquareHalf = 0.75f;  // the image fills the square -0.75 to 0.75
constexpr float kReflection = 0.3f;

// The background image over the whole view: in the square as at 4:3, and
// grown evenly beyond it to cover a wider or taller view, its far edges cut.
void DrawBackgroundQuad(const MenuView& view) {
  const float grow = std::max(view.halfWidth, view.halfHeight) / kSquareHalf;
  const float u = 0.5f * view.halfWidth / (kSquareHalf * grow);
  const float v = 0.5f * view.halfHeight / (kSquareHalf * grow);
  const float x = view.halfWidth;
  const float y = view.halfHeight;
  glBegin(GL_QUADS);
  glTexCoord2f(0.5f - u, 0.5f + v);
  glVertex3f(-x, y, -1.0f);
  glTexCoord2f(0.5f - u, 0.5f - v);
  glVertex3f(-x, -y, -1.0f);
  glTexCoord2f(0.5f + u, 0.5f - v);
  glVertex3f(x, -y, -1.0f);
  glTexCoord2f(0.5f + u, 0.5f + v);
  glVertex3f(x, y, -1.0f);
  glEnd();
}

// The ship with its own material, then once more with the sphere map blended
// over it at 30 %, as a reflection.
void DrawShip(float angle) {
  glPushAttrib(GL_ENABLE_BIT);
  glTranslatef(0.0f, 0.0f, -20.0f);
  glRotatef(angle, 0.0f, 1.0f, 0.0f);
  // Its own colours: with colour material on, the lit ship takes its
  // material from the last colour set, and once a game has drawn the level
  // with its colour array Mesa's software renderer keeps a hovered button's
  // red in the material past the pop of the button's attributes. Unlit, the
  // current colour tints its texture.
  glDisable(GL_COLOR_MATERIAL);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  gShipModel.Draw();

  glDisable(GL_LIGHTING);
  glDepthFunc(GL_LEQUAL);  // the same triangles pass again
  glEnable(GL_TEXTURE_GEN_S);
  glEnable(GL_TEXTURE_GEN_T);
  glEnable(GL_BLEND);
  glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1.0f, 1.0f, 1.0f, kReflection);
  gShipModel.DrawWithMaterial(gSphereMaterial);

  glDepthFunc(GL_LESS);
  glDisable(GL_TEXTURE_GEN_S);
  glDisable(GL_TEXTURE_GEN_T);
  glPopAttrib();
}

}  // namespace

void MenuSystem::Draw() {
  Render();
  glFlush();
  SDL_GL_SwapBuffers();
}

void MenuSystem::Render() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  material.Apply(GL_FRONT);

  const MenuView view = MenuView::ForPicture(gScreenWidth, gScreenHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-view.halfWidth, view.halfWidth, -view.halfHeight, view.halfHeight, 0.1, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);

  glPushAttrib(GL_ENABLE_BIT);
  glEnable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glBindTexture(GL_TEXTURE_2D, background.glName);
  glDepthMask(GL_FALSE);
  DrawBackgroundQuad(view);
  glDepthMask(GL_TRUE);
  glDisable(GL_TEXTURE_2D);
  // Items draw untextured and unlit.
  if (MenuPage* page = CurrentPage()) page->Draw();
  if (notice && static_cast<int32_t>(noticeUntil - lastTicks) > 0) notice->Draw();
  glPopAttrib();

  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, gScreenWidthF / gScreenHeightF, 1.0, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glFrontFace(GL_CCW);
  DrawShip(shipAngle);
  TurnShip();
}
