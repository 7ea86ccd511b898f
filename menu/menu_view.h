#pragma once

// The part of menu coordinates a picture of a given size shows. Items are
// laid out in the square from -0.75 to 0.75, which at 4:3 fills the picture;
// a wider picture shows more on the left and right, a taller one more above
// and below, so text keeps the proportions it has at 1024 x 768 and the
// square is always whole.
struct MenuView {
  float halfWidth = 0.75f;
  float halfHeight = 0.75f;

  static MenuView ForPicture(int width, int height);
  // A point of the picture, in pixels from its top-left corner, in menu
  // coordinates.
  void ToMenu(float pixelX, float pixelY, int width, int height, float& x, float& y) const;
};
