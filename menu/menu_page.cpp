#include "menu/menu_page.h"

void MenuPage::HandleInput(const MenuMouseState& mouse) {
  // Items after the clicked one are not tested, so their `hovered` stays.
  MenuItem* clicked = nullptr;
  for (MenuItem* item : items_) {
    if (item->IsClicked(mouse)) {
      clicked = item;
      break;
    }
  }
  if (clicked != nullptr) {
    for (MenuItem* item : items_) item->selected = item == clicked;
  }
  // The whole page is gone through even when an action changes the page.
  for (MenuItem* item : items_) item->Activate(mouse);
}

void MenuPage::Draw() {
  for (MenuItem* item : items_) item->Draw();
}

void MenuPage::Refresh() {
  for (MenuItem* item : items_) item->Refresh();
}

MenuItem* MenuPage::Focused() const {
  for (MenuItem* item : items_) {
    if (item->Focused()) return item;
  }
  return nullptr;
}
