// The saver application on the recording device, with its scene steps journaled, and the
// fixture that starts it in a private session on a manual clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/clock.h"
#include "shell/SaverApplication.h"
#include "tests/shell/RegistryFixture.h"

namespace shelltest {

class RecordingApplication : public saver::SaverApplication {
public:
  RecordingApplication() {
    setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  }
  LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_KEYDOWN) keys.push_back(wParam);
    if (message == WM_DESTROY) calls.push_back("WM_DESTROY");
    return SaverApplication::handleWindowMessage(window, message, wParam, lParam);
  }
  bool updateScene() override {
    calls.push_back("updateScene");
    return true;
  }
  bool renderScene() override {
    calls.push_back("renderScene");
    return true;
  }
  bool loadScene() override {
    calls.push_back("loadScene");
    return true;
  }
  void shutdownAudio() override { calls.push_back("shutdownAudio"); }
  void afterLoop() override { calls.push_back("afterLoop"); }
  void setPreviewWaiting() { previewWaiting_ = true; }

  std::vector<std::string> calls;
  std::vector<WPARAM> keys;
};

class Saver : public shelltest::PrivateSession {
protected:
  void SetUp() override {
    PrivateSession::SetUp();
    clock_.setNow(5000);
  }
  void releaseApplication() override { app_.reset(); }

  RecordingApplication& start(saver::RunMode mode = saver::RunMode::Saver) {
    EXPECT_TRUE(app_->startUp(nullptr, mode, nullptr));
    return *app_;
  }

  // One frame `ms` milliseconds after the previous one.
  bool frameAfter(std::int64_t ms) {
    clock_.advance(ms);
    return app_->frameLoop().runFrame();
  }

  engine::LogCapture log_;
  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  std::unique_ptr<RecordingApplication> app_ = std::make_unique<RecordingApplication>();
};

} // namespace shelltest
