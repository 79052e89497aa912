#include "clockroom/Overlays.h"

#include <algorithm>
#include <cstdio>

#include "engine/gui/GuiManager.h"
#include "shell/Settings.h"

namespace saver {
namespace {

constexpr engine::GuiRect kFpsRect{10, 10, 256, 128};
constexpr int kTimeLabelHeight = 74;
constexpr int kTwelveHourWidth = 350;
constexpr int kTwentyFourHourWidth = 290;

// The frame rate's extent grows with the text on large screens: at 3840 pixels the scaled
// 64-pixel font is taller than 128 pixels, and the label would cut the digits off.
engine::GuiRect fpsRect(float textScale) {
  const float grow = std::max(1.0f, textScale);
  return {kFpsRect.x, kFpsRect.y, static_cast<int>(static_cast<float>(kFpsRect.width) * grow),
          static_cast<int>(static_cast<float>(kFpsRect.height) * grow)};
}

void setScale(engine::TextView* label, float textScale) {
  engine::TextStyle style = label->style();
  style.scale = textScale;
  label->setStyle(style);
}

} // namespace

std::string timeText(int hour, int minute, int second, bool twentyFourHour) {
  const char* suffix = "";
  int shownHour = hour;
  if (!twentyFourHour) {
    suffix = hour >= 12 ? "pm" : "am";
    if (hour >= 13) shownHour = hour - 12;
    if (hour == 0) shownHour = 12;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d:%02d %s", shownHour, minute, second, suffix);
  return text;
}

engine::TextView* Overlays::addLabel(engine::GuiManager& gui, const char* name, const engine::GuiRect& rect,
                                     const char* text) const {
  auto label = std::make_unique<engine::TextView>(name);
  engine::TextStyle style = label->style();
  style.size = kFontSize;
  style.scale = textScale_;
  label->setStyle(style);
  label->setBufferMode(2);
  auto* added = static_cast<engine::TextView*>(gui.addWindow(std::move(label)));
  added->show(true);
  added->setRect(rect);
  added->setText(std::string_view(text));
  return added;
}

void Overlays::create(engine::GuiManager& gui, const Settings& settings, float textScale) {
  textScale_ = textScale;
  twentyFourHour_ = settings.timeStyle;
  if (settings.showFps) fpsLabel_ = addLabel(gui, "fpsLabel", fpsRect(textScale), "100");
  if (settings.showTime) timeLabel_ = addLabel(gui, "timeLabel", timeRect(), "11");
  shownTime_.clear();
}

engine::GuiRect Overlays::timeRect() const {
  const int width = twentyFourHour_ ? kTwentyFourHourWidth : kTwelveHourWidth;
  return {200, 300, static_cast<int>(static_cast<float>(width) * textScale_),
          static_cast<int>(static_cast<float>(kTimeLabelHeight) * textScale_)};
}

void Overlays::resize(float textScale) {
  textScale_ = textScale;
  if (fpsLabel_) {
    setScale(fpsLabel_, textScale);
    fpsLabel_->setRect(fpsRect(textScale));
    fpsLabel_->queueDraw(true);
  }
  if (timeLabel_) {
    // Its place follows at the next time shown, from the text's new extent.
    setScale(timeLabel_, textScale);
    timeLabel_->setRect(timeRect());
    timeLabel_->queueDraw(true);
  }
}

void Overlays::showFrameRate(std::int64_t rate) {
  if (!fpsLabel_) return;
  fpsLabel_->setText(std::string_view(std::to_string(rate)));
  fpsLabel_->queueDraw(true);
}

void Overlays::showTime(const SYSTEMTIME& now, int viewportWidth, int viewportHeight) {
  if (!timeLabel_) return;
  // Shown every frame but changed once a second: laying the text out again builds a new
  // document, which a frame should not pay for when nothing changed.
  const std::string text = timeText(now.wHour, now.wMinute, now.wSecond, twentyFourHour_);
  if (text != shownTime_) {
    timeLabel_->setText(std::string_view(text));
    shownTime_ = text;
  }
  const engine::GuiRect extent = timeLabel_->contentRect();
  timeLabel_->setPosition(viewportWidth - extent.width, viewportHeight - extent.height);
  timeLabel_->queueDraw(true);
}

} // namespace saver
