#include "menu/menu_page.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"

namespace {

std::string gRan;
void RunFirst() { gRan += "first "; }
void RunSecond() { gRan += "second "; }

TEST(MenuPage, EarlierItemWinsTheClickLaterOnesAreNotTestedOthersDeselected) {
  FakeClock clock(1000, 1);
  FakeLetterMetrics letters(0.5f, 0.5f);
  // A label and two buttons on the same spot, a silent selected button elsewhere.
  MenuLabel label("Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f);
  MenuButton first("Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &RunFirst);
  MenuButton second("Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &RunSecond);
  MenuButton silent("Apart", -0.5f, -0.5f, 0.1f, 0.1f, 0.1f, nullptr);
  MenuPage page;
  for (MenuItem* item : std::initializer_list<MenuItem*>{&label, &first, &second, &silent}) {
    page.Append(item);
  }
  silent.hovered = true;  // from an earlier frame
  silent.selected = true;
  gRan.clear();
  page.HandleInput(PointerInside(first, kMenuLeftButton));
  EXPECT_EQ(gRan, "first ");
  EXPECT_TRUE(first.hovered);
  EXPECT_FALSE(second.hovered);  // under the pointer, but not tested
  EXPECT_TRUE(silent.hovered);
  EXPECT_FALSE(silent.selected);
  EXPECT_FALSE(first.selected);  // consumed by its callback
}

}  // namespace
