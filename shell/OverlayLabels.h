// The labels drawn over the picture: made at start-up, then refreshed by the frame loop (the
// frame rate once a second, the time every frame). The clock room provides them.
#pragma once

#include <cstdint>

#include "platform/win32/clock.h"

namespace engine {
class GuiManager;
}

namespace saver {

struct Settings;

class OverlayLabels {
public:
  virtual ~OverlayLabels() = default;
  // The labels the settings ask for, as windows of `gui` (whose screen is the viewport).
  virtual void create(engine::GuiManager& gui, const Settings& settings, float textScale) = 0;
  // The viewport took another size (a daemon's preview pane is resized while the saver
  // runs): the labels take the text scale of the new size.
  virtual void resize(float textScale) = 0;
  // The frame rate, with "ShowFps".
  virtual void showFrameRate(std::int64_t rate) = 0;
  // The local time against the viewport's bottom-right corner, with "ShowTime".
  virtual void showTime(const SYSTEMTIME& now, int viewportWidth, int viewportHeight) = 0;
};

} // namespace saver
