// The saver's frame loop: the message pump, the keep-alive key, the frame-rate count and the
// end of a timed run, then the application's work of the frame. There is no frame cap and no
// sleep: the loop runs as fast as the device presents (a preview, which only shows a fixed
// picture, sleeps until its next message instead).
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/Stopwatch.h"
#include "shell/FrameRateCounter.h"

namespace saver {

class SaverApplication;

class FrameLoop {
public:
  explicit FrameLoop(SaverApplication& application) : application_(application) {}
  FrameLoop(const FrameLoop&) = delete;
  FrameLoop& operator=(const FrameLoop&) = delete;

  // Before the first frame: the frame-rate window, the keep-alive and run clocks start.
  void begin();
  // One turn of the loop; false when the run ends.
  bool runFrame();

  // A timed run (people and tests) ends after this many milliseconds; negative: never.
  void setRunLimit(std::int64_t milliseconds) { runLimitMs_ = milliseconds; }
  std::int64_t frameRate() const { return frameRate_.rate(); }
  // The text of the frame-rate label, refreshed once a second while "ShowFps" is set.
  const std::string& frameRateText() const { return frameRateText_; }

private:
  void pumpMessages();
  void waitForMessage();

  SaverApplication& application_;
  FrameRateCounter frameRate_;
  std::string frameRateText_;
  engine::Stopwatch frameRateStopwatch_;
  engine::Stopwatch keepAliveStopwatch_;
  engine::Stopwatch runStopwatch_;
  std::int64_t runLimitMs_ = -1;
};

// The key that keeps the system from starting its own blanking: F3, sent twice as a key-down
// (once through each of the two ways the system offers).
void sendKeepAliveKey();

} // namespace saver
