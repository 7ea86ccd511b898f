#include "menu/menu_item.h"

#include <gtest/gtest.h>

#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"

namespace {

int gCalls = 0;
void CountCall() { ++gCalls; }

TEST(MenuButton, BoxIsTheTextInLettersAOfTheOutlineFont) {
  FakeLetterMetrics a(0.5f, 0.6f);
  MenuButton button("Play Game", -0.15f, 0.125f, 0.1f, 0.2f, 0.05f, &CountCall);
  EXPECT_FLOAT_EQ(button.boxLeft, -0.15f);
  EXPECT_FLOAT_EQ(button.boxBottom, 0.125f);
  EXPECT_FLOAT_EQ(button.boxRight, -0.15f + 0.5f * 0.1f * 9);
  EXPECT_FLOAT_EQ(button.boxTop, 0.125f + 0.6f * 0.2f);
  EXPECT_FALSE(button.hovered);
  EXPECT_FALSE(button.selected);
  EXPECT_TRUE(button.visible);
}

TEST(MenuButton, BoxWidthCountsCharactersNotGlyphs) {
  FakeLetterMetrics a(0.5f, 0.6f);
  MenuButton narrow("iiii", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, nullptr);
  MenuButton wide("WWWW", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, nullptr);
  EXPECT_EQ(narrow.boxRight, wide.boxRight);
}

// A box from (0, 0) to (0.375, 0.125): its edges fall on whole pixels,
// x = 512..768 and y = 384..320 from the top.
struct EdgeCase {
  int x, y;
  bool inside;
};

TEST(MenuButton, HitTestIsStrictOnEveryEdge) {
  FakeLetterMetrics a(0.5f, 0.5f);
  MenuButton button("ab", 0.0f, 0.0f, 0.375f, 0.25f, 1.0f, nullptr);
  ASSERT_EQ(button.boxRight, 0.375f);
  ASSERT_EQ(button.boxTop, 0.125f);
  const EdgeCase cases[] = {
      {513, 383, true},  {767, 321, true},  {640, 350, true},  {512, 350, false},  // left edge
      {768, 350, false},                                                           // right edge
      {640, 384, false},                                                           // bottom edge
      {640, 320, false},                                                           // top edge
      {511, 350, false}, {769, 350, false}, {640, 385, false}, {640, 319, false},
  };
  for (const EdgeCase& c : cases) {
    MenuMouseState mouse;
    mouse.mouseX = c.x;
    mouse.mouseY = c.y;
    EXPECT_EQ(button.HitTest(mouse), c.inside) << c.x << "," << c.y;
    EXPECT_EQ(button.hovered, c.inside);
  }
}

TEST(MenuButton, HiddenButtonIsNotTestedAndKeepsItsHover) {
  FakeLetterMetrics a(0.5f, 0.5f);
  MenuButton button("Resume", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  ASSERT_TRUE(button.HitTest(PointerInside(button)));
  button.visible = false;
  EXPECT_FALSE(button.HitTest(PointerAt(-0.7f, -0.7f)));
  EXPECT_TRUE(button.hovered);
  EXPECT_FALSE(button.IsClicked(PointerInside(button, kMenuLeftButton)));
  button.visible = true;
  button.hovered = false;
  EXPECT_FALSE(button.IsClicked(PointerAt(-0.7f, -0.7f, kMenuLeftButton)));
  EXPECT_FALSE(button.hovered);
}

TEST(MenuButton, LeftOrRightButtonClicksTheMiddleOneNever) {
  FakeLetterMetrics a(0.5f, 0.5f);
  MenuButton button("Options", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  struct Case {
    uint32_t buttons;
    bool clicks;
  };
  for (const Case& c :
       {Case{0, false}, Case{kMenuLeftButton, true}, Case{kMenuRightButton, true},
        Case{kMenuMiddleButton, false}, Case{kMenuMiddleButton | kMenuRightButton, true}}) {
    EXPECT_EQ(button.IsClicked(PointerInside(button, c.buttons)), c.clicks) << c.buttons;
    EXPECT_TRUE(button.hovered);
  }
}

TEST(MenuLabel, IsNeverHoveredOrClickedWhateverItsText) {
  FakeLetterMetrics a(0.5f, 0.5f);
  for (const char* text : {"", "(insert title here)", "Are you sure you want to quit?"}) {
    MenuLabel label(text, 0.0f, 0.0f, 0.1f, 0.1f, 0.1f);
    EXPECT_EQ(label.boxRight, 0.0f);
    EXPECT_EQ(label.boxTop, 0.0f);
    EXPECT_FALSE(label.IsClicked(PointerAt(0.0f, 0.0f, kMenuLeftButton)));
    EXPECT_FALSE(label.IsClicked(PointerAt(0.01f, 0.01f, kMenuLeftButton)));
    EXPECT_FALSE(label.hovered);
  }
}

TEST(MenuButton, SelectedButtonRunsItsCallbackThenPauses200Milliseconds) {
  FakeClock clock(5000, 1);
  MenuButton button("Help", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  gCalls = 0;
  button.selected = true;
  button.Activate(MenuMouseState{});
  EXPECT_EQ(gCalls, 1);
  EXPECT_FALSE(button.selected);
  EXPECT_GE(clock.Now(), 5200u);
  EXPECT_LE(clock.Now(), 5202u);
}

TEST(MenuButton, UnselectedButtonDoesNothingAndDoesNotPause) {
  FakeClock clock(5000, 1);
  MenuButton button("Help", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  gCalls = 0;
  button.Activate(MenuMouseState{});
  EXPECT_EQ(gCalls, 0);
  EXPECT_EQ(clock.Now(), 5000u);
}

TEST(MenuButton, SelectedButtonWithoutCallbackStaysSelected) {
  FakeClock clock(5000, 1);
  MenuButton button("Help", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, nullptr);
  button.selected = true;
  button.Activate(MenuMouseState{});
  EXPECT_TRUE(button.selected);
  EXPECT_EQ(clock.Now(), 5000u);
}

TEST(MenuButton, PauseEndsAcrossTheWrapOfTheTickCounter) {
  FakeClock clock(0xFFFFFFF0u, 1);
  MenuButton button("Help", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  button.selected = true;
  button.Activate(MenuMouseState{});
  EXPECT_GE(clock.Now(), 0xFFFFFFF0u + 200u);  // wrapped: 0xB8 or so
  EXPECT_LT(clock.Now(), 0x1000u);
}

}  // namespace
