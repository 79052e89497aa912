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
  if (!overlays_) return;
  followViewportSize();
  overlays_->showFrameRate(rate);
}

void SaverApplication::refreshTimeLabel() {
  if (!overlays_) return;
  followViewportSize();
  SYSTEMTIME now{};
  GetLocalTime(&now);
  overlays_->showTime(now, static_cast<int>(viewport_.Width), static_cast<int>(viewport_.Height));
}

// A daemon's preview pane can be resized while the saver runs: the labels were made for the
// viewport of the start-up, and take the text scale of each new size.
void SaverApplication::followViewportSize() {
  if (!device_) return;
  readViewport();
  const int width = static_cast<int>(viewport_.Width);
  const int height = static_cast<int>(viewport_.Height);
  if (width == gui_.screenWidth() && height == gui_.screenHeight()) return;
  gui_.setScreenSize(width, height);
  overlays_->resize(textScale_);
}

bool SaverApplication::drawGui() { return gui_.draw(engine::nowMilliseconds()); }

} // namespace saver
