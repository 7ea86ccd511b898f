#pragma once
#include <cstdint>
#include <string>

union SDL_Event;

// The menu's own record of the pointer, filled by its event loop.
struct MenuMouseState {
  int32_t mouseX = 0;    // window pixels from the left
  int32_t mouseY = 0;    // window pixels from the top
  uint32_t buttons = 0;  // 1 left, 2 right, 4 middle
};

constexpr uint32_t kMenuLeftButton = 1;
constexpr uint32_t kMenuRightButton = 2;
constexpr uint32_t kMenuMiddleButton = 4;

// What a button does; callbacks act only through the menu's process-wide
// variables and the game's free functions.
using MenuCallback = void (*)();

// One line of extruded text in menu coordinates: x to the right, y up, the
// window spanning -0.75 to 0.75 on both axes, every item at z = -1.
class MenuItem {
 public:
  // Whether the pointer is over the item with the left or right button
  // held. Held buttons click again every frame.
  virtual bool IsClicked(const MenuMouseState& mouse);
  virtual void Draw();
  virtual void Activate(const MenuMouseState& mouse);

  // Refreshes `hovered` from the pointer; a hidden item is not tested and
  // keeps the `hovered` it had.
  bool HitTest(const MenuMouseState& mouse);
  // Brings a shown value up to date, once a frame.
  virtual void Refresh() {}
  // An item waiting for a key, or taking typed text, sees every event
  // first; true for one it used.
  virtual bool Focused() const { return false; }
  virtual bool TakeEvent(const SDL_Event& event);
  // Whether the rest of the page takes clicks while this item has focus.
  virtual bool LetsPageClick() const { return true; }

  virtual ~MenuItem() = default;

  bool hovered = false;
  bool selected = false;
  bool visible = true;
  float boxLeft = 0.0f;
  float boxBottom = 0.0f;
  float boxRight = 0.0f;
  float boxTop = 0.0f;
  std::string text;

 protected:
  explicit MenuItem(const char* itemText) : text(itemText) {}
  MenuItem(const MenuItem&) = default;
  MenuItem& operator=(const MenuItem&) = default;
};

// The text a label shows, made afresh each frame.
using MenuValueText = std::string (*)();

// Fixed text, or with `value` the text it gives each frame; its hit box is
// empty, so it is never hovered or clicked.
class MenuLabel final : public MenuItem {
 public:
  MenuLabel(const char* labelText, float originX, float originY, float sx, float sy, float sz,
            MenuValueText valueText = nullptr);
  // Drawn in the current colour, whether visible or not.
  void Draw() override;
  void Refresh() override;

  float x;
  float y;
  float scaleX;
  float scaleY;
  float scaleZ;
  MenuValueText value;
};

// Text that turns red under the pointer and runs its callback when clicked.
// Its text starts at (boxLeft, boxBottom).
class MenuButton : public MenuItem {
 public:
  // The hit box is as wide as the text would be in letters 'a' and as high
  // as an 'a', from the outline font's glyph metrics, so the font must exist.
  MenuButton(const char* buttonText, float originX, float originY, float sx, float sy, float sz,
             MenuCallback action);
  void Draw() override;
  // Runs the callback of a selected button, then holds the program still
  // for 200 ms so one press does not act again at once.
  void Activate(const MenuMouseState& mouse) override;
  // What a click does: the callback; false when there is none.
  virtual bool Act(const MenuMouseState& mouse);

  float scaleX;
  float scaleY;
  float scaleZ;
  MenuCallback callback;
};
