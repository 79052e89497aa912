// The two labels over the room: the local time in the bottom-right corner and the frame
// rate in the top-left one, each a text view of the GUI in the 64-pixel font at the text
// scale.
#pragma once

#include <string>

#include "engine/gui/text/TextView.h"
#include "shell/OverlayLabels.h"

namespace saver {

// The text of the time label: "15:07:09 " in the 24-hour style (the blank ends it), "3:07:09
// pm" in the 12-hour one, where midnight's hour is 12 as on any 12-hour clock.
std::string timeText(int hour, int minute, int second, bool twentyFourHour);

class Overlays : public OverlayLabels {
public:
  static constexpr int kFontSize = 64;

  void create(engine::GuiManager& gui, const Settings& settings, float textScale) override;
  void resize(float textScale) override;
  void showFrameRate(std::int64_t rate) override;
  void showTime(const SYSTEMTIME& now, int viewportWidth, int viewportHeight) override;

  // Null for a label the settings did not ask for (the GUI owns the labels).
  engine::TextView* fpsLabel() const { return fpsLabel_; }
  engine::TextView* timeLabel() const { return timeLabel_; }

private:
  engine::TextView* addLabel(engine::GuiManager& gui, const char* name, const engine::GuiRect& rect,
                             const char* text) const;
  engine::GuiRect timeRect() const;

  engine::TextView* fpsLabel_ = nullptr;
  engine::TextView* timeLabel_ = nullptr;
  std::string shownTime_; // the time label's text now
  bool twentyFourHour_ = false;
  float textScale_ = 1.0f;
};

} // namespace saver
