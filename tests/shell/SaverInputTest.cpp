// The saver and its input: keys, buttons and movement against the exit rules, system commands,
// close requests, the GUI's turn, a daemon's window and the keep-alive key.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "platform/win32/sdl_bridge.h"
#include "tests/fixtures/FixtureBitmap.h"
#include "tests/shell/MediaFonts.h"
#include "tests/shell/RegistryFixture.h"
#include "tests/shell/SaverFixture.h"

namespace {

using saver::RunMode;
using shelltest::RecordingApplication;
using shelltest::Saver;

TEST_F(Saver, EveryKeyEndsTheRunButF2F3AndF6) {
  const struct {
    WPARAM key;
    bool ends;
  } cases[] = {{VK_ESCAPE, true}, {VK_SPACE, true}, {'A', true},    {VK_RETURN, true}, {VK_F1, true},
               {VK_F2, false},    {VK_F3, false},   {VK_F6, false}, {VK_SHIFT, true}};
  for (const auto& c : cases) {
    app_ = std::make_unique<RecordingApplication>();
    RecordingApplication& app = start();
    app.handleWindowMessage(app.window(), WM_KEYDOWN, c.key, 1);
    EXPECT_EQ(app.quitRequested(), c.ends) << c.key;
    win32::resetWindowSystem();
  }
}

TEST_F(Saver, SystemCommandsAndCloseRequests) {
  const struct {
    UINT message;
    WPARAM wParam;
    LRESULT result;
    bool ends;
  } cases[] = {{WM_SYSCOMMAND, SC_CLOSE, 1, true},
               {WM_SYSCOMMAND, SC_NEXTWINDOW, 1, true},
               {WM_SYSCOMMAND, SC_PREVWINDOW, 1, true},
               {WM_SYSCOMMAND, SC_SCREENSAVE, 0, false},
               {WM_SYSCOMMAND, SC_SCREENSAVE | 2, 0, false},
               {WM_CLOSE, 0, 1, true},
               {WM_DESTROY, 0, 1, true},
               {WM_QUIT, 0, 1, true}};
  for (const auto& c : cases) {
    app_ = std::make_unique<RecordingApplication>();
    RecordingApplication& app = start();
    EXPECT_EQ(app.handleWindowMessage(app.window(), c.message, c.wParam, 0), c.result) << c.message << " " << c.wParam;
    EXPECT_EQ(app.quitRequested(), c.ends) << c.message << " " << c.wParam;
    win32::resetWindowSystem();
  }
}

engine::InputEvent inputEvent(engine::InputEventKind kind, engine::InputPoint pointer = {},
                              engine::InputPoint previous = {}) {
  return engine::InputEvent{kind, pointer, previous, pointer - previous, 0};
}

using Kind = engine::InputEventKind;

TEST_F(Saver, ButtonsEndTheRunAndMovementOnlyWhenAskedAndAfterOneSecond) {
  RecordingApplication& app = start();
  for (int kind : {1, 2, 4, 5, 7, 8, 9, 10, 11})
    app.onInputEvent(inputEvent(static_cast<Kind>(kind), {1, 1}));
  app.onInputEvent(inputEvent(Kind::PointerMoved, {10, 10})); // "ExitOnMM" is off
  clock_.advance(5000);
  app.onInputEvent(inputEvent(Kind::PointerMoved, {10, 10}));
  EXPECT_FALSE(app.quitRequested());
  app.onInputEvent(inputEvent(Kind::LeftButtonPressed));
  EXPECT_TRUE(app.quitRequested());
  app_.reset(); // its window goes first, telling this application and not the next
  app_ = std::make_unique<RecordingApplication>();
  start().onInputEvent(inputEvent(Kind::RightButtonPressed));
  EXPECT_TRUE(app_->quitRequested());

  app_.reset();
  app_ = std::make_unique<RecordingApplication>();
  writeRegistry(std::string(shelltest::kHeader) + "\"ExitOnMM\"=dword:1\n");
  RecordingApplication& moving = start();
  clock_.advance(1000); // exactly one second after the scene appeared: still the grace
  moving.onInputEvent(inputEvent(Kind::PointerMoved, {10, 10}));
  EXPECT_FALSE(moving.quitRequested());
  clock_.advance(1);
  moving.onInputEvent(inputEvent(Kind::PointerMoved, {10, 10}, {10, 10}));       // no change of position
  moving.onInputEvent(inputEvent(Kind::DevicePointerMoved, {10, 20}, {10, 10})); // device axes: not the cursor
  EXPECT_FALSE(moving.quitRequested());
  moving.onInputEvent(inputEvent(Kind::PointerMoved, {10, 10.5f}, {10, 10}));
  EXPECT_TRUE(moving.quitRequested());
}

// The whole way: SDL events through the message pump and the input devices to the exit
// rules, in one frame of the loop.
class SaverInput : public Saver {
protected:
  void push(SDL_Event event) {
    event.common.timestamp = SDL_GetTicks();
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
  void pushButton(Uint8 button) {
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = SDL_GetWindowID(win32::sdlWindow(app_->window()));
    event.button.button = button;
    event.button.state = SDL_PRESSED;
    push(event);
  }
  void pushMotion(int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SDL_GetWindowID(win32::sdlWindow(app_->window()));
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    push(event);
  }
};

TEST_F(SaverInput, AMouseButtonEndsTheRunInTheFrameThatSeesIt) {
  for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT}) {
    app_ = std::make_unique<RecordingApplication>();
    start().frameLoop().begin();
    EXPECT_TRUE(frameAfter(10));
    pushButton(button);
    frameAfter(10);
    EXPECT_TRUE(app_->quitRequested()) << int(button);
    win32::resetWindowSystem();
  }
  app_ = std::make_unique<RecordingApplication>();
  start().frameLoop().begin();
  pushButton(SDL_BUTTON_MIDDLE);
  EXPECT_TRUE(frameAfter(10));
  EXPECT_FALSE(app_->quitRequested());
}

// A window over the whole screen that notes, for each button it hears, whether the run had
// already been asked to end.
class QuitWatchingWindow : public engine::GuiWindow {
public:
  QuitWatchingWindow(const saver::SaverApplication& app, std::vector<bool>& heard)
      : GuiWindow("watch"), app_(app), heard_(heard) {}
  void onInputEvent(const engine::InputEvent& event) override {
    if (event.isButton()) heard_.push_back(app_.quitRequested());
  }

private:
  const saver::SaverApplication& app_;
  std::vector<bool>& heard_;
};

TEST_F(SaverInput, TheGuiHearsAButtonBeforeTheExitRulesEndTheRun) {
  start().frameLoop().begin();
  std::vector<bool> heard;
  engine::GuiWindow* watch = app_->gui().addWindow(std::make_unique<QuitWatchingWindow>(*app_, heard));
  watch->show(true);
  watch->setRect({0, 0, 4000, 4000});
  pushButton(SDL_BUTTON_LEFT);
  frameAfter(10);
  EXPECT_EQ(heard, std::vector<bool>{false});
  EXPECT_TRUE(app_->quitRequested());
}

TEST_F(SaverInput, APointerMovementEndsTheRunOnlyWithExitOnMMAndAfterTheFirstSecond) {
  writeRegistry(std::string(shelltest::kHeader) + "\"ExitOnMM\"=dword:1\n");
  start().frameLoop().begin();
  pushMotion(100, 100, 5, 0);
  EXPECT_TRUE(frameAfter(500));
  pushMotion(120, 100, 20, 0);
  EXPECT_TRUE(frameAfter(500)); // 1000 ms: still the grace
  EXPECT_FALSE(app_->quitRequested());
  pushMotion(130, 110, 10, 10);
  frameAfter(1);
  EXPECT_TRUE(app_->quitRequested());

  app_.reset();
  app_ = std::make_unique<RecordingApplication>();
  writeRegistry(std::string(shelltest::kHeader) + "\"ExitOnMM\"=dword:0\n");
  start().frameLoop().begin();
  clock_.advance(5000);
  pushMotion(100, 100, 5, 0);
  pushMotion(300, 200, 200, 100);
  EXPECT_TRUE(frameAfter(10));
  EXPECT_TRUE(frameAfter(10));
  EXPECT_FALSE(app_->quitRequested());
}

TEST_F(Saver, InsideADaemonsWindowInputIsTheDaemonsBusiness) {
  app_->setHostWindow(win32::foreignWindow(0x600001));
  app_->settings().exitOnMouseMove = true;
  app_->handleWindowMessage(nullptr, WM_KEYDOWN, VK_ESCAPE, 1);
  app_->onInputEvent(inputEvent(Kind::LeftButtonPressed));
  clock_.advance(5000);
  app_->onInputEvent(inputEvent(Kind::PointerMoved, {9, 9}));
  EXPECT_FALSE(app_->quitRequested());
  app_->handleWindowMessage(nullptr, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app_->quitRequested());
}

TEST_F(Saver, TheKeepAliveKeyGoesOutEveryThirtySecondsAndEndsNothing) {
  RecordingApplication& app = start();
  app.frameLoop().begin();
  EXPECT_TRUE(frameAfter(29999));
  EXPECT_TRUE(frameAfter(0));
  EXPECT_TRUE(app.keys.empty());
  EXPECT_TRUE(frameAfter(1)); // sends it twice: keybd_event and SendInput
  EXPECT_TRUE(frameAfter(1)); // and the next frame's message pump delivers them
  EXPECT_EQ(app.keys, (std::vector<WPARAM>{VK_F3, VK_F3}));
  EXPECT_TRUE(frameAfter(29999));
  EXPECT_EQ(app.keys.size(), 2u);
  EXPECT_TRUE(frameAfter(1));
  EXPECT_TRUE(frameAfter(1));
  EXPECT_EQ(app.keys.size(), 4u);
  EXPECT_FALSE(app.quitRequested());
}

} // namespace
