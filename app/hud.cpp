#include <GL/gl.h>

#include "app/fonts.h"
#include "app/game.h"
#include "level/collision.h"

// The frame rate, the collision load and a crosshair, one unit in front of
// the eye in the play projection.
void Game::DrawHud() {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -1.0f);
  glColor3f(1.0f, 1.0f, 1.0f);

  glRasterPos2f(0.375f, 0.35f);
  PrintText(hudFont, "FPS: %.0f", fps);
  glRasterPos2f(-0.525f, 0.35f);
  PrintText(hudFont, "Testing %d polygons.", gPolygonsTested);

  glBegin(GL_LINES);
  glColor3f(0.0f, 1.0f, 0.0f);
  glVertex2f(-0.075f, 0.0f);
  glVertex2f(0.075f, 0.0f);
  glVertex2f(0.0f, 0.05f);
  glVertex2f(0.0f, -0.05f);
  glEnd();

  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
}
