// The overlay labels without a device: their texts, the labels the settings ask for, their
// extents at the text scale and the time's place against the viewport's corner.
#include <gtest/gtest.h>

#include "clockroom/Overlays.h"
#include "engine/gui/GuiManager.h"
#include "shell/Settings.h"

namespace {

using saver::timeText;

TEST(TimeText, TwelveAndTwentyFourHourStyles) {
  EXPECT_EQ(timeText(15, 7, 9, false), "3:07:09 pm");
  EXPECT_EQ(timeText(15, 7, 9, true), "15:07:09 ");
  EXPECT_EQ(timeText(12, 0, 0, false), "12:00:00 pm");
  EXPECT_EQ(timeText(11, 59, 59, false), "11:59:59 am");
  EXPECT_EQ(timeText(23, 5, 0, false), "11:05:00 pm");
  // A 12-hour clock has no hour 0: half past midnight is 12:30 am.
  EXPECT_EQ(timeText(0, 30, 5, false), "12:30:05 am");
  EXPECT_EQ(timeText(0, 30, 5, true), "0:30:05 ");
}

saver::Settings labels(bool fps, bool time, bool twentyFour) {
  saver::Settings settings;
  settings.showFps = fps;
  settings.showTime = time;
  settings.timeStyle = twentyFour;
  return settings;
}

TEST(OverlayLabels, EachLabelOnlyWhenAskedForAtItsPlaceAndScale) {
  engine::GuiManager gui;
  saver::Overlays none;
  none.create(gui, labels(false, false, false), 1.0f);
  EXPECT_EQ(none.fpsLabel(), nullptr);
  EXPECT_EQ(none.timeLabel(), nullptr);
  EXPECT_TRUE(gui.windows().empty());

  saver::Overlays twelve;
  twelve.create(gui, labels(true, true, false), 1.0f);
  ASSERT_NE(twelve.fpsLabel(), nullptr);
  EXPECT_EQ(twelve.fpsLabel()->rect(), (engine::GuiRect{10, 10, 256, 128}));
  EXPECT_EQ(twelve.fpsLabel()->plainText(), u"100");
  EXPECT_EQ(twelve.fpsLabel()->bufferMode(), 2);
  EXPECT_TRUE(twelve.fpsLabel()->drawQueued());
  ASSERT_NE(twelve.timeLabel(), nullptr);
  EXPECT_EQ(twelve.timeLabel()->rect(), (engine::GuiRect{200, 300, 350, 74}));
  EXPECT_EQ(twelve.timeLabel()->plainText(), u"11");
  EXPECT_EQ(twelve.timeLabel()->style().size, 64);

  saver::Overlays wide;
  wide.create(gui, labels(true, true, true), 2.0f);
  EXPECT_EQ(wide.timeLabel()->rect(), (engine::GuiRect{200, 300, 580, 148}));
  EXPECT_FLOAT_EQ(wide.timeLabel()->style().scale, 2.0f);
  // On a 3840-pixel screen the frame rate's label grows with its text, which would not fit
  // the 128 pixels of a 1024-pixel screen; it never shrinks below them.
  saver::Overlays huge;
  huge.create(gui, labels(true, false, false), 3.75f);
  EXPECT_EQ(huge.fpsLabel()->rect(), (engine::GuiRect{10, 10, 960, 480}));
  EXPECT_FLOAT_EQ(huge.fpsLabel()->style().scale, 3.75f);
  saver::Overlays small;
  small.create(gui, labels(true, false, false), 0.3f);
  EXPECT_EQ(small.fpsLabel()->rect(), (engine::GuiRect{10, 10, 256, 128}));
  saver::Overlays odd;
  odd.create(gui, labels(false, true, false), 1.5f);
  EXPECT_EQ(odd.timeLabel()->rect(), (engine::GuiRect{200, 300, 525, 111}));

  // The frame rate replaces the first text; without the label nothing happens.
  twelve.showFrameRate(57);
  EXPECT_EQ(twelve.fpsLabel()->plainText(), u"57");
  none.showFrameRate(57);
  none.showTime(SYSTEMTIME{}, 1024, 768);
}

TEST(OverlayLabels, AResizedViewportGivesBothLabelsTheNewScale) {
  engine::GuiManager gui;
  saver::Overlays overlays;
  overlays.create(gui, labels(true, true, false), 0.3f);
  overlays.resize(3.75f);
  EXPECT_FLOAT_EQ(overlays.fpsLabel()->style().scale, 3.75f);
  EXPECT_EQ(overlays.fpsLabel()->rect(), (engine::GuiRect{10, 10, 960, 480}));
  EXPECT_FLOAT_EQ(overlays.timeLabel()->style().scale, 3.75f);
  EXPECT_EQ(overlays.timeLabel()->rect().width, 1312);
  EXPECT_EQ(overlays.timeLabel()->rect().height, 277);
  EXPECT_TRUE(overlays.timeLabel()->drawQueued());
}

TEST(OverlayLabels, TheTimeMovesSoThatItsTextTouchesTheBottomRightCorner) {
  engine::GuiManager gui;
  saver::Overlays overlays;
  overlays.create(gui, labels(false, true, true), 1.0f);
  SYSTEMTIME now{};
  now.wHour = 15;
  now.wMinute = 7;
  now.wSecond = 9;
  overlays.showTime(now, 1024, 768);
  engine::TextView* label = overlays.timeLabel();
  EXPECT_EQ(label->plainText(), u"15:07:09 ");
  // Without fonts the text has no extent: its corner is the viewport's.
  EXPECT_EQ(label->rect().x, 1024 - label->contentRect().width);
  EXPECT_EQ(label->rect().y, 768 - label->contentRect().height);
  EXPECT_TRUE(label->drawQueued());
}

} // namespace
