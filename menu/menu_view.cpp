#include "menu/menu_view.h"

namespace {

constexpr float kSquareHalf = 0.75f;
constexpr float kSquareAspect = 4.0f / 3.0f;  // the square fills a picture of this shape

}  // namespace

MenuView MenuView::ForPicture(int width, int height) {
  MenuView view;
  if (width <= 0 || height <= 0) return view;
  const float aspect = static_cast<float>(width) / static_cast<float>(height);
  if (aspect > kSquareAspect) {
    view.halfWidth = kSquareHalf * aspect / kSquareAspect;
  } else {
    view.halfHeight = kSquareHalf * kSquareAspect / aspect;
  }
  return view;
}

void MenuView::ToMenu(float pixelX, float pixelY, int width, int height, float& x,
                      float& y) const {
  const float w = static_cast<float>(width > 0 ? width : 1);
  const float h = static_cast<float>(height > 0 ? height : 1);
  x = (pixelX - w * 0.5f) * (2.0f * halfWidth / w);
  y = (pixelY - h * 0.5f) * -1.0f * (2.0f * halfHeight / h);
}
