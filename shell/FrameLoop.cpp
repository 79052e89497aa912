#include "shell/FrameLoop.h"

#include <algorithm>

#include "platform/win32/winbase.h"
#include "shell/SaverApplication.h"

namespace saver {
namespace {

constexpr std::int64_t kKeepAlivePeriodMs = 30000;
constexpr std::int64_t kFrameRateLabelPeriodMs = 1000;
// While nothing of the window can be seen the loop looks again this often: a window that
// shows again posts no message that would end the wait.
constexpr std::int64_t kUnseenPollMs = 100;
// Whether the window can be seen is a question to the display server: asked this often, not
// every frame, so that the frames do not wait on it.
constexpr std::int64_t kVisibilityCheckMs = 100;

} // namespace

void sendKeepAliveKey() {
  keybd_event(static_cast<BYTE>(VK_F3), 0, 0, 0);
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_F3;
  SendInput(1, &input, sizeof input);
}

void FrameLoop::begin() {
  frameRate_.start(engine::nowMilliseconds());
  frameRateStopwatch_.restart();
  keepAliveStopwatch_.restart();
  runStopwatch_.restart();
  visibilityStopwatch_.restart();
  windowShown_ = application_.windowShowsOnScreen();
}

void FrameLoop::pumpMessages() {
  MSG msg{};
  while (!application_.quitRequested() && PeekMessageA(&msg, application_.window(), 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void FrameLoop::waitForMessage(std::int64_t longestMs) {
  std::int64_t wait = longestMs;
  if (runLimitMs_ >= 0) {
    const std::int64_t left = std::max<std::int64_t>(runLimitMs_ - runStopwatch_.elapsedMs(), 0);
    wait = wait < 0 ? left : std::min(wait, left);
  }
  MsgWaitForMultipleObjects(0, nullptr, FALSE, wait < 0 ? INFINITE : static_cast<DWORD>(wait), QS_ALLINPUT);
}

bool FrameLoop::runFrame() {
  pumpMessages();
  if (runLimitMs_ >= 0 && runStopwatch_.elapsedMs() >= runLimitMs_) application_.requestQuit();
  if (application_.quitRequested()) return false;

  if (application_.mode() == RunMode::Preview) {
    // The preview shows a fixed picture: sleep until the next message instead of spinning
    // a processor for as long as the host shows us.
    waitForMessage(-1);
    return true;
  }

  if (keepAliveStopwatch_.every(kKeepAlivePeriodMs)) sendKeepAliveKey();
  if (application_.quitRequested()) return false;

  frameRate_.tick(engine::nowMilliseconds());
  if (application_.settings().showFps && frameRateStopwatch_.every(kFrameRateLabelPeriodMs)) {
    frameRateText_ = std::to_string(frameRate_.rate());
    application_.refreshFrameRateLabel(frameRate_.rate());
  }
  if (application_.settings().showTime) application_.refreshTimeLabel();

  if (visibilityStopwatch_.every(kVisibilityCheckMs)) windowShown_ = application_.windowShowsOnScreen();
  if (!windowShown_) {
    // Nobody sees the room (a daemon's preview pane on a hidden tab, a covered window):
    // the clock reads the time when it shows again, so nothing is lost by not drawing.
    waitForMessage(kUnseenPollMs);
    return true;
  }
  application_.advanceFrame();
  // The cap sleeps rather than spins: the point of it is an idle processor.
  const std::int64_t rest = pacer_.sleepAfterFrame(engine::nowMilliseconds(), application_.settings().maxFps);
  if (rest > 0) Sleep(static_cast<DWORD>(rest));
  return true;
}

} // namespace saver
