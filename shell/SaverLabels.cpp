// The saver's text over the picture: the fonts of the start-up, the labels' steps of the
// frame loop and the GUI step of the frame.
#include "engine/app/Stopwatch.h"
#include "engine/core/Log.h"
#include "shell/SaverApplication.h"

namespace saver {

bool SaverApplication::loadFonts() {
  if (!fonts_.loadFont(media_.locate("/sylfaen.fs"))) {
    engine::logLine("Error: Sylfaen font loading failed\n");
    return false;
  }
  if (!fonts_.loadFont(media_.locate("/64font.fs"))) engine::logLine("Error: Sylfaen font loading failed\n");
  return true;
}

void SaverApplication::refreshFrameRateLabel(std::int64_t rate) {
  if (overlays_) overlays_->showFrameRate(rate);
}

void SaverApplication::refreshTimeLabel() {
  if (!overlays_) return;
  if (device_) device_->GetViewport(&viewport_);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  overlays_->showTime(now, static_cast<int>(viewport_.Width), static_cast<int>(viewport_.Height));
}

bool SaverApplication::drawGui() { return gui_.draw(engine::nowMilliseconds()); }

} // namespace saver
