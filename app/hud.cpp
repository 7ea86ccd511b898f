#include <GL/gl.h>

#include "app/fonts.h"
#include "app/game.h"
#include "level/collision.h"

namespace {

// Places one unit in front of the eye in the play projection: both lines of
// text along the top, the frame rate on the right, the polygon count on the
// left, and the crosshair's arms about the centre.
constexpr float kTextLineY = 0.35f;
constexpr float kFrameRateX = 0.375f;
constexpr float kPolygonCountX = -0.525f;
constexpr float kCrosshairHalfWidth = 0.075f;
constexpr float kCrosshairHalfHeight = 0.05f;

}  // namespace

// The frame rate, the collision load and a crosshair.
void Game::DrawHud() {
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -1.0f);
  glColor3f(1.0f, 1.0f, 1.0f);

  glRasterPos2f(kFrameRateX, kTextLineY);
  PrintText(hudFont, "FPS: %.0f", fps);
  glRasterPos2f(kPolygonCountX, kTextLineY);
  PrintText(hudFont, "Testing %d polygons.", gPolygonsTested);

  glBegin(GL_LINES);
  glColor3f(0.0f, 1.0f, 0.0f);
  glVertex2f(-kCrosshairHalfWidth, 0.0f);
  glVertex2f(kCrosshairHalfWidth, 0.0f);
  glVertex2f(0.0f, kCrosshairHalfHeight);
  glVertex2f(0.0f, -kCrosshairHalfHeight);
  glEnd();

  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
}
