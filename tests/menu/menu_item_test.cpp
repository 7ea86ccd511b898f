#include "menu/menu_item.h"

#include <gtest/gtest.h>

#include "tests/menu/menu_test_support.h"
#include "tests/support/fake_clock.h"

namespace {

int gCalls = 0;
void CountCall() { ++gCalls; }

TEST(MenuButton, HitTestIsStrictOnEveryEdge) {
  FakeLetterMetrics a(0.5f, 0.5f);
  // A box from (0, 0) to (0.375, 0.125): pixels x = 512..768, y = 384..320 from the top.
  MenuButton button("ab", 0.0f, 0.0f, 0.375f, 0.25f, 1.0f, nullptr);
  struct EdgeCase {
    int x, y;
    bool inside;
  };
  const EdgeCase cases[] = {{513, 383, true},  {767, 321, true},  {512, 350, false},
                            {768, 350, false}, {640, 384, false}, {640, 320, false}};
  for (const EdgeCase& c : cases) {
    MenuMouseState mouse;
    mouse.mouseX = c.x;
    mouse.mouseY = c.y;
    EXPECT_EQ(button.HitTest(mouse), c.inside) << c.x << "," << c.y;
    EXPECT_EQ(button.hovered, c.inside);
  }
  // Every character counts as an 'a', whatever its own width.
  MenuButton narrow("iiii", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, nullptr);
  MenuButton wide("WWWW", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, nullptr);
  EXPECT_EQ(narrow.boxRight, wide.boxRight);
}

TEST(MenuButton, HiddenButtonIsNotTestedAndKeepsItsHover) {
  FakeLetterMetrics a(0.5f, 0.5f);
  MenuButton button("Resume", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  ASSERT_TRUE(button.HitTest(PointerInside(button)));
  button.visible = false;
  EXPECT_FALSE(button.HitTest(PointerAt(-0.7f, -0.7f)));
  EXPECT_TRUE(button.hovered);
  EXPECT_FALSE(button.IsClicked(PointerInside(button, kMenuLeftButton)));
}

TEST(MenuButton, LeftOrRightButtonClicksTheMiddleOneNever) {
  FakeLetterMetrics a(0.5f, 0.5f);
  MenuButton button("Options", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  const std::pair<uint32_t, bool> cases[] = {{0, false},
                                             {kMenuLeftButton, true},
                                             {kMenuRightButton, true},
                                             {kMenuMiddleButton, false},
                                             {kMenuMiddleButton | kMenuRightButton, true}};
  for (const auto& [buttons, clicks] : cases) {
    EXPECT_EQ(button.IsClicked(PointerInside(button, buttons)), clicks) << buttons;
  }
}

TEST(MenuButton, OnlyASelectedButtonWithACallbackRunsItThenPauses200Milliseconds) {
  FakeClock clock(5000, 1);
  MenuButton button("Help", 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, &CountCall);
  gCalls = 0;
  button.Activate(MenuMouseState{});  // not selected: nothing, no pause
  EXPECT_EQ(gCalls, 0);
  EXPECT_EQ(clock.Now(), 5000u);

  button.selected = true;
  button.Activate(MenuMouseState{});
  EXPECT_EQ(gCalls, 1);
  EXPECT_FALSE(button.selected);
  EXPECT_GE(clock.Now(), 5200u);
  EXPECT_LE(clock.Now(), 5202u);

  // Across the wrap of the tick counter the pause still ends.
  clock.Set(0xFFFFFFF0u);
  button.selected = true;
  button.Activate(MenuMouseState{});
  EXPECT_GE(clock.Now(), 0xFFFFFFF0u + 200u);
  EXPECT_LT(clock.Now(), 0x1000u);
}

}  // namespace
