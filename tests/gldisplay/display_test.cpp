// The display's state without a window: the key queue, the key-menu gesture,
// sizes.
#include <gtest/gtest.h>

#include "gldisplay/display.h"

namespace {

using gldisplay::MenuGesture;
using gldisplay::MenuKey;
using gldisplay::RarodIdazer;

TEST(Display, StartsWindowlessWithItsDefaults) {
  RarodIdazer display;
  EXPECT_EQ(display.window, nullptr);
  EXPECT_STREQ(display.title, "RarodIdazer");
  EXPECT_EQ(display.screen->width, 80);
  EXPECT_EQ(display.screen->height, 50);
  EXPECT_EQ(display.cells, nullptr);
  EXPECT_EQ(display.currentWidth, 640);
  EXPECT_EQ(display.currentHeight, 400);
  EXPECT_EQ(display.fullScreen, 0);
  EXPECT_EQ(display.palette, gldisplay::kPalette);
  display.SetTitle("Kalt");
  EXPECT_STREQ(display.title, "Kalt");
}

TEST(KeyQueue, ReadsInOrderThenZero) {
  RarodIdazer display;
  EXPECT_EQ(display.TakeKey(), 0);
  display.QueueKey('a');
  display.QueueKey('b');
  EXPECT_EQ(display.TakeKey(), 'a');
  EXPECT_EQ(display.TakeKey(), 'b');
  EXPECT_EQ(display.TakeKey(), 0);
}

TEST(KeyQueue, IndicesWrapAround) {
  RarodIdazer display;
  for (int round = 0; round < 600; ++round) {
    display.QueueKey(round);
    ASSERT_EQ(display.TakeKey(), round);
  }
  EXPECT_EQ(display.TakeKey(), 0);
}

TEST(KeyQueue, FullQueueKeepsTheOldKeysAndDropsNewOnes) {
  RarodIdazer display;
  for (int k = 1; k <= 255; ++k) ASSERT_TRUE(display.QueueKey(k));
  EXPECT_FALSE(display.QueueKey(256));
  display.QueueText("xyz");
  EXPECT_EQ(display.TakeKey(), 1);  // a read frees one slot
  EXPECT_TRUE(display.QueueKey(1000));
  EXPECT_FALSE(display.QueueKey(1001));
  for (int k = 2; k <= 255; ++k) ASSERT_EQ(display.TakeKey(), k);
  EXPECT_EQ(display.TakeKey(), 1000);
  EXPECT_EQ(display.TakeKey(), 0);
}

TEST(KeyQueue, TextArrivesAsCodePage437) {
  RarodIdazer display;
  display.QueueText("a\xC3\xA4\xE2\x96\x91\xE2\x82\xAC\xFFz");  // a, ä, ░, € (none), bad byte, z
  display.QueueText(nullptr);
  display.QueueText("\xC3");  // cut short
  EXPECT_EQ(display.TakeKey(), 'a');
  EXPECT_EQ(display.TakeKey(), 132);
  EXPECT_EQ(display.TakeKey(), 176);
  EXPECT_EQ(display.TakeKey(), 'z');
  EXPECT_EQ(display.TakeKey(), 0);
}

TEST(Resize, HeightZeroCountsAsOne) {
  RarodIdazer display;
  display.Resize(1024, 0);
  EXPECT_EQ(display.currentWidth, 1024);
  EXPECT_EQ(display.currentHeight, 1);
}

TEST(ToggleFullScreen, FlipsTheModeAndTakesTheWindowedSize) {
  RarodIdazer display;
  display.Resize(1920, 1080);
  display.ToggleFullScreen();
  EXPECT_EQ(display.fullScreen, 1);
  EXPECT_EQ(display.currentWidth, 640);
  EXPECT_EQ(display.currentHeight, 400);
  display.ToggleFullScreen();
  EXPECT_EQ(display.fullScreen, 0);
  EXPECT_EQ(display.window, nullptr);
}

TEST(Texture, PowerOfTwoSizes) {
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(640), 1024);
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(400), 512);
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(512), 512);
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(0), 1);
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(-5), 1);
  EXPECT_EQ(gldisplay::PowerOfTwoAtLeast(2147483647), 1 << 30);
}

TEST(MenuGesture, AltPressedAndReleasedAloneToggles) {
  MenuGesture gesture;
  EXPECT_FALSE(MenuKeyPressed(gesture, MenuKey::Alt, false, true));
  EXPECT_FALSE(MenuKeyPressed(gesture, MenuKey::Alt, true, true));  // held: repeats
  EXPECT_TRUE(MenuKeyReleased(gesture, MenuKey::Alt));
  EXPECT_FALSE(MenuKeyReleased(gesture, MenuKey::Alt));  // only once
}

TEST(MenuGesture, AltWithAnotherKeyDoesNot) {
  MenuGesture gesture;
  MenuKeyPressed(gesture, MenuKey::Alt, false, true);
  EXPECT_FALSE(MenuKeyPressed(gesture, MenuKey::Other, false, true));  // Alt+Tab, Alt+X ...
  EXPECT_FALSE(MenuKeyReleased(gesture, MenuKey::Other));
  EXPECT_FALSE(MenuKeyReleased(gesture, MenuKey::Alt));
  MenuKeyPressed(gesture, MenuKey::Alt, false, true);
  gldisplay::MenuGestureCancel(gesture);  // focus went to another window
  EXPECT_FALSE(MenuKeyReleased(gesture, MenuKey::Alt));
}

TEST(MenuGesture, FunctionKeysAndAltEnter) {
  MenuGesture gesture;
  EXPECT_TRUE(MenuKeyPressed(gesture, MenuKey::F10, false, false));
  EXPECT_FALSE(MenuKeyPressed(gesture, MenuKey::F10, true, false));
  EXPECT_TRUE(MenuKeyPressed(gesture, MenuKey::F11, false, false));
  EXPECT_FALSE(MenuKeyPressed(gesture, MenuKey::Enter, false, false));
  MenuKeyPressed(gesture, MenuKey::Alt, false, true);
  EXPECT_TRUE(MenuKeyPressed(gesture, MenuKey::Enter, false, true));
  EXPECT_FALSE(MenuKeyReleased(gesture, MenuKey::Alt));  // Alt+Enter toggles once
}

}  // namespace
