#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "app/game.h"
#include "app/game_input.h"
#include "app/video.h"
#include "level/collision.h"
#include "text/fonts.h"
#include "world/player_ship.h"

namespace {

// The HUD is laid out in the picture's pixels, in proportion to its height,
// so it looks at every size as it does at 1024 x 768 (a 40 px font): lines
// of text run down from the top corners, those on the left from the left
// edge, those on the right ending at the right edge, so none is cut off.
constexpr float kFontHeight = 40.0f / 768.0f;
constexpr int kSmallestFont = 12;
constexpr float kMargin = 0.03f;
constexpr float kLineStep = 1.25f;  // in font heights
// The crosshair's arms, from the centre, in picture heights: where the
// 45-degree view put them.
constexpr float kCrosshairHalfWidth = 0.0905f;
constexpr float kCrosshairHalfHeight = 0.0604f;

// Lines of text down the top-left and top-right corners of the picture.
class HudColumns {
 public:
  HudColumns(uint32_t font, const float* advances, int fontHeight, int width, int height)
      : font_(font), advances_(advances), width_(width) {
    margin_ = kMargin * static_cast<float>(height);
    firstBase_ = static_cast<float>(height) - margin_ - static_cast<float>(fontHeight);
    step_ = kLineStep * static_cast<float>(fontHeight);
  }

  void Left(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    Line(false, format, args);
    va_end(args);
  }
  void Right(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    Line(true, format, args);
    va_end(args);
  }
  // Lines down the middle, below the corners' first lines: the scoreboard.
  void Middle(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    va_list args;
    va_start(args, format);
    char text[256];
    if (std::vsnprintf(text, sizeof text, format, args) >= 0) {
      const float y = firstBase_ - step_ * static_cast<float>(3 + middleRows_++);
      const float x = 0.5f * (static_cast<float>(width_) - TextWidth(advances_, text));
      glRasterPos2f(std::floor(x), std::floor(y));
      PrintText(font_, "%s", text);
    }
    va_end(args);
  }

 private:
  void Line(bool right, const char* format, va_list args) {
    char text[256];
    if (std::vsnprintf(text, sizeof text, format, args) < 0) return;
    int& row = right ? rightRows_ : leftRows_;
    const float y = firstBase_ - step_ * static_cast<float>(row++);
    const float x = right ? static_cast<float>(width_) - margin_ - TextWidth(advances_, text)
                          : margin_;
    // Whole pixels, so every glyph's bitmap lands the same way.
    glRasterPos2f(std::floor(x), std::floor(y));
    PrintText(font_, "%s", text);
  }

  uint32_t font_;
  const float* advances_;
  int width_;
  float margin_;
  float firstBase_;
  float step_;
  int leftRows_ = 0;
  int rightRows_ = 0;
  int middleRows_ = 0;
};

void DrawCrosshair(int width, int height) {
  const float cx = static_cast<float>(width / 2) + 0.5f;
  const float cy = static_cast<float>(height / 2) + 0.5f;
  const float dx = kCrosshairHalfWidth * static_cast<float>(height);
  const float dy = kCrosshairHalfHeight * static_cast<float>(height);
  glColor3f(0.0f, 1.0f, 0.0f);
  glBegin(GL_LINES);
  glVertex2f(cx - dx, cy);
  glVertex2f(cx + dx, cy);
  glVertex2f(cx, cy + dy);
  glVertex2f(cx, cy - dy);
  glEnd();
}

// Minutes and seconds, rounded up, as a clock counting down shows them.
void TimeText(float seconds, char (&text)[16]) {
  const int whole = static_cast<int>(std::ceil(std::max(0.0f, seconds)));
  std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
}

int HudFontHeight(int screenHeight) {
  const int height = static_cast<int>(std::lround(kFontHeight * static_cast<float>(screenHeight)));
  return height > kSmallestFont ? height : kSmallestFont;
}

}  // namespace

bool Game::BuildHudFont(std::string& error) {
  uint32_t font = 0;
  float advances[kFontGlyphCount] = {};
  const int height = HudFontHeight(gScreenHeight);
  if (!BuildBitmapFont(font, "Impact", height, error, advances)) return false;
  if (hudFont != 0) DeleteFont(hudFont);
  hudFont = font;
  hudFontHeight = height;
  std::copy(std::begin(advances), std::end(advances), hudAdvances);
  return true;
}

// The frame rate, the collision load, the round's score, hull and time, and
// a crosshair, over the frame; in a network game, the scoreboard while Tab
// is held.
void Game::DrawHud() {
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0.0, gScreenWidth, 0.0, gScreenHeight, -1.0, 1.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);

  HudColumns text(hudFont, hudAdvances, hudFontHeight, gScreenWidth, gScreenHeight);
  text.Left("Testing %d polygons.", gPolygonsTested);
  text.Right("FPS: %.0f", fps);
  const PlayerShip* ship = LocalShip();
  int32_t score = round.Tally(0).score;
  float timeLeft = round.TimeLeft();
  std::vector<ScoreLine> board;
  if (net) {
    board = net->Scoreboard();
    for (const ScoreLine& line : board) {
      if (line.mine) score = line.tally.score;
    }
    timeLeft = net->TimeLeft();
  }
  text.Left("Score: %d", score);
  if (ship && ship->Wrecked()) {
    text.Left("Hull: wrecked");
  } else if (ship) {
    text.Left("Hull: %d", static_cast<int>(std::ceil(ship->hull)));
  }
  char clock[16];
  TimeText(timeLeft, clock);
  text.Right("Time: %s", clock);
  if (net && gKeys != nullptr && gKeys[SDLK_TAB]) {
    text.Middle("Player          Score  Losses");
    for (const ScoreLine& line : board) {
      text.Middle("%c %-16s %4d   %4d", line.mine ? '>' : ' ', line.name.c_str(), line.tally.score,
                  line.tally.losses);
    }
  }
  // While the ship cannot be hurt, the crosshair blinks.
  const bool shielded = ship && ship->Shielded();
  if (!shielded || static_cast<int>(ship->shieldLeft * 8.0f) % 2 == 0) {
    DrawCrosshair(gScreenWidth, gScreenHeight);
  }

  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
  glColor3f(1.0f, 1.0f, 1.0f);
}
