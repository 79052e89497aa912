#include "shell/FrameLoop.h"

#include <algorithm>

#include "platform/win32/winbase.h"
#include "shell/SaverApplication.h"

namespace saver {
namespace {

constexpr std::int64_t kKeepAlivePeriodMs = 30000;
constexpr std::int64_t kFrameRateLabelPeriodMs = 1000;

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
}

void FrameLoop::pumpMessages() {
  MSG msg{};
  while (!application_.quitRequested() && PeekMessageA(&msg, application_.window(), 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void FrameLoop::waitForMessage() {
  DWORD wait = INFINITE;
  if (runLimitMs_ >= 0) wait = static_cast<DWORD>(std::max<std::int64_t>(runLimitMs_ - runStopwatch_.elapsedMs(), 0));
  MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
}

bool FrameLoop::runFrame() {
  pumpMessages();
  if (runLimitMs_ >= 0 && runStopwatch_.elapsedMs() >= runLimitMs_) application_.requestQuit();
  if (application_.quitRequested()) return false;

  if (application_.mode() == RunMode::Preview) {
    // The preview shows a fixed picture: sleep until the next message instead of spinning
    // a processor for as long as the host shows us.
    waitForMessage();
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

  application_.advanceFrame();
  return true;
}

} // namespace saver
