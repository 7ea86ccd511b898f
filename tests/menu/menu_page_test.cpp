#include "menu/menu_page.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"

namespace {

std::string gRan;
void RunFirst() { gRan += "first "; }
void RunSecond() { gRan += "second "; }
void RunThird() { gRan += "third "; }

class MenuPageTest : public ::testing::Test {
 protected:
  void SetUp() override { gRan.clear(); }

  FakeClock clock{1000, 1};
  FakeLetterMetrics letters{0.5f, 0.5f};
  // Two buttons on the same spot, a third elsewhere.
  MenuButton first{"Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &RunFirst};
  MenuButton second{"Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &RunSecond};
  MenuButton third{"Apart", -0.5f, -0.5f, 0.1f, 0.1f, 0.1f, &RunThird};
  MenuLabel label{"Overlap", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f};
};

TEST_F(MenuPageTest, EarlierItemWinsTheClickAndLaterOnesAreNotTested) {
  MenuPage page;
  page.Append(&label);
  page.Append(&first);
  page.Append(&second);
  page.Append(&third);
  third.hovered = true;  // from an earlier frame
  page.HandleInput(PointerInside(first, kMenuLeftButton));
  EXPECT_EQ(gRan, "first ");
  EXPECT_TRUE(first.hovered);
  EXPECT_FALSE(second.hovered);  // under the pointer, but not tested
  EXPECT_TRUE(third.hovered);
  EXPECT_FALSE(first.selected);  // consumed by its callback
}

TEST_F(MenuPageTest, HoverWithoutAClickTestsEveryItemAndRunsNothing) {
  MenuPage page;
  page.Append(&first);
  page.Append(&second);
  page.Append(&third);
  page.HandleInput(PointerInside(first));
  EXPECT_EQ(gRan, "");
  EXPECT_TRUE(first.hovered);
  EXPECT_TRUE(second.hovered);
  EXPECT_FALSE(third.hovered);
  EXPECT_EQ(clock.Now(), 1000u);  // no pause without an action
}

TEST_F(MenuPageTest, AClickDeselectsEveryOtherItem) {
  MenuPage page;
  page.Append(&first);
  page.Append(&second);
  page.Append(&third);
  // A selected button without a callback stays selected until another click.
  MenuButton silent{"Silent", 0.5f, 0.5f, 0.1f, 0.1f, 0.1f, nullptr};
  page.Append(&silent);
  silent.selected = true;
  page.HandleInput(PointerInside(third, kMenuRightButton));
  EXPECT_EQ(gRan, "third ");
  EXPECT_FALSE(silent.selected);
}

TEST_F(MenuPageTest, WithoutAClickSelectionsStandAndAreActivated) {
  MenuPage page;
  page.Append(&first);
  page.Append(&third);
  third.selected = true;
  page.HandleInput(PointerAt(0.7f, 0.7f));
  EXPECT_EQ(gRan, "third ");
}

TEST_F(MenuPageTest, DrawsNothingAndReactsToNothingWhenEmpty) {
  MenuPage page;
  page.HandleInput(PointerInside(first, kMenuLeftButton));
  EXPECT_EQ(gRan, "");
  EXPECT_TRUE(page.Items().empty());
}

}  // namespace
