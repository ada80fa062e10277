// The display's state without a window: the frame, the key queue, the
// key-menu gesture, sizes.
#include <gtest/gtest.h>

#include "gldisplay/window_display.h"

namespace {

using gldisplay::MenuGesture;
using gldisplay::MenuKey;
using gldisplay::RarodIdazer;

TEST(Display, StartsWindowlessWithABlackFrame) {
  RarodIdazer display;
  EXPECT_EQ(display.window(), nullptr);
  EXPECT_FALSE(display.fullScreen());
  EXPECT_EQ(display.width(), 640);
  EXPECT_EQ(display.height(), 400);
  ASSERT_EQ(display.columns(), 80);
  ASSERT_EQ(display.rows(), 50);
  const kalt::CellView frame = display.frame();
  ASSERT_EQ(frame.cells.size(), 4000u);
  EXPECT_EQ(frame.cells.data(), display.cells().data());
  for (const kalt::Cell cell : frame.cells) ASSERT_TRUE(cell.ch == 0 && cell.attr == 0);
  EXPECT_FALSE(display.EndRequested().end);
  EXPECT_EQ(display.Stats().frames, 0u);
  EXPECT_TRUE(RarodIdazer({.title = "Kalt", .fullScreen = true}).fullScreen());
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
  display.QueueText("\xC1\x81\xE0\x83\x87");  // overlong forms of A and Ç
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
  EXPECT_EQ(display.width(), 1024);
  EXPECT_EQ(display.height(), 1);
}

TEST(ToggleFullScreen, FlipsTheModeAndTakesTheWindowedSize) {
  RarodIdazer display;
  display.Resize(1920, 1080);
  display.ToggleFullScreen();
  EXPECT_TRUE(display.fullScreen());
  EXPECT_EQ(display.width(), 640);
  EXPECT_EQ(display.height(), 400);
  display.ToggleFullScreen();
  EXPECT_FALSE(display.fullScreen());
  EXPECT_EQ(display.window(), nullptr);
}

TEST(Texture, FitsThePixelSurface) {
  const gldisplay::TextureFit fit = gldisplay::FitTexture(640, 400);
  EXPECT_EQ(fit.width, 1024);
  EXPECT_EQ(fit.height, 512);
  EXPECT_EQ(fit.u, 0.625f);
  EXPECT_EQ(fit.v, 0.78125f);
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
