#include "menu/menu_item.h"

#include <GL/gl.h>

#include "app/video.h"
#include "menu/menu_view.h"
#include "platform/clock.h"
#include "text/fonts.h"

namespace {

constexpr uint32_t kActivatePauseMs = 200;

void PrintMenuText(const std::string& text) {
  // As a value, not a format: a percent sign in a text stays a percent sign.
  PrintText(gMenuFont, "%s", text.c_str());
}

}  // namespace

bool MenuItem::IsClicked(const MenuMouseState& mouse) {
  if (!HitTest(mouse)) return false;
  return (mouse.buttons & (kMenuLeftButton | kMenuRightButton)) != 0;
}

void MenuItem::Draw() {}

void MenuItem::Activate(const MenuMouseState&) {}

bool MenuItem::TakeEvent(const SDL_Event&) { return false; }

bool MenuItem::HitTest(const MenuMouseState& mouse) {
  if (!visible) return false;
  float px = 0.0f;
  float py = 0.0f;
  MenuView::ForPicture(gScreenWidth, gScreenHeight)
      .ToMenu(static_cast<float>(mouse.mouseX), static_cast<float>(mouse.mouseY), gScreenWidth,
              gScreenHeight, px, py);
  hovered = boxLeft < px && px < boxRight && boxBottom < py && py < boxTop;
  return hovered;
}

MenuLabel::MenuLabel(const char* labelText, float originX, float originY, float sx, float sy,
                     float sz, MenuValueText valueText)
    : MenuItem(labelText),
      x(originX),
      y(originY),
      scaleX(sx),
      scaleY(sy),
      scaleZ(sz),
      value(valueText) {}

void MenuLabel::Refresh() {
  if (value) text = value();
}

void MenuLabel::Draw() {
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(x, y, -1.0f);
  glScalef(scaleX, scaleY, scaleZ);
  PrintMenuText(text);
  glPopMatrix();
}

MenuButton::MenuButton(const char* buttonText, float originX, float originY, float sx, float sy,
                       float sz, MenuCallback action)
    : MenuItem(buttonText), scaleX(sx), scaleY(sy), scaleZ(sz), callback(action) {
  const GlyphMetricsFloat& a = metrics['a' - kFontFirstChar];
  const float letters = static_cast<float>(text.size());
  boxLeft = originX;
  boxBottom = originY;
  boxRight = originX + a.gmfCellIncX * scaleX * letters;
  boxTop = originY + a.gmfBlackBoxY * scaleY;
}

void MenuButton::Draw() {
  if (!visible) return;
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(boxLeft, boxBottom, -1.0f);
  glScalef(scaleX, scaleY, scaleZ);
  if (hovered) {
    glColor3f(1.0f, 0.0f, 0.0f);
  } else {
    glColor3f(1.0f, 1.0f, 1.0f);
  }
  PrintMenuText(text);
  glPopMatrix();
  glPopAttrib();
}

void MenuButton::Activate(const MenuMouseState& mouse) {
  if (!selected || !Act(mouse)) return;
  platform::SpinUntil(platform::Ticks() + kActivatePauseMs);
  selected = false;
}

bool MenuButton::Act(const MenuMouseState&) {
  if (callback == nullptr) return false;
  callback();
  return true;
}
