#pragma once
#include <vector>

#include "menu/menu_item.h"

// An ordered list of items that the page does not own. List order is drawing
// order and click priority; one item may stand on several pages.
class MenuPage {
 public:
  void Append(MenuItem* item) { items_.push_back(item); }
  void Clear() { items_.clear(); }
  const std::vector<MenuItem*>& Items() const { return items_; }

  // The first item under a held button is selected and every other item
  // deselected; then every selected button runs its action.
  void HandleInput(const MenuMouseState& mouse);
  void Draw();
  void Refresh();
  // The item that has focus (waits for a key, or takes typed text), if any.
  MenuItem* Focused() const;

 private:
  std::vector<MenuItem*> items_;
};
