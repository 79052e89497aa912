// The screensaver's application object: run modes, start-up and shut-down, the frame loop
// with its exit rules, and the settings. The clock room derives from it and fills the
// virtual operations (the order of their declaration is the order of the slots).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/app/Stopwatch.h"
#include "engine/data/Archive.h"
#include "engine/data/FileLocation.h"
#include "engine/data/props/PropsNode.h"
#include "platform/win32/winuser.h"
#include "shell/FrameRateCounter.h"
#include "shell/RunMode.h"
#include "shell/SceneProperties.h"
#include "shell/Settings.h"

namespace saver {

// Input event kinds the exit rules look at.
constexpr int kLeftButtonPressed = 0;
constexpr int kRightButtonPressed = 3;
constexpr int kPointerMoved = 6;

constexpr WORD kPreviewBitmap = 173;
constexpr int kMediaArchiveResource = 147;
constexpr UINT_PTR kPreviewTimer = 1;

class SaverApplication {
public:
  SaverApplication();
  SaverApplication(const SaverApplication&) = delete;
  SaverApplication& operator=(const SaverApplication&) = delete;

  // 1. The window procedure's target; what it does not consume goes to the engine.
  virtual LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // 2.
  virtual ~SaverApplication();
  // 3. Builds the ramp from "Gamma" for the device (slot 4, releasing device objects, is the
  // engine's).
  virtual bool applyGamma();
  // 5-7. The clock room's per-frame update, drawing and loading.
  virtual bool updateScene() { return true; }
  virtual bool renderScene() { return true; }
  virtual bool loadScene() { return true; }
  // 8. The scene properties the clock room reads beyond the base ones.
  virtual void readSceneExtras(const engine::PropsTree&) {}
  // 9. The settings dialog's procedure.
  virtual INT_PTR settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // 10-12.
  virtual void shutdownAudio() {}
  virtual void keyboardHook() {}
  virtual void afterLoop() {}
  // 13-14. The registry values of the settings.
  virtual bool loadSettings();
  virtual bool saveSettings();

  // The input listener: one event of the input devices (kind, pointer, previous pointer,
  // movement, parameter).
  void onInputEvent(int kind, float x, float y, float previousX, float previousY, float dx, float dy, int param);

  // Everything before the first frame; false ends the run (exit code 0).
  bool startUp(HINSTANCE instance, RunMode mode, HWND parent);
  // The frame loop and the shut-down after it; answers 1.
  int runMainLoop();
  // "Scene.props" from the media: nothing changes when it cannot be opened.
  void readSceneProperties();
  // A media file by its name ("/Scene.props"): a Media folder in the working directory
  // first, then the media archive.
  engine::FileLocation mediaLocation(std::string_view name) const;

  // The loop in pieces, for the program and for tests driving it frame by frame.
  void beginLoop();
  bool runFrame(); // false when the loop ends
  void endLoop();

  // Options of the Linux launcher. A host window is a daemon's: the saver runs inside it
  // and leaves ending the run on input to the daemon.
  void setHostWindow(HWND host) { hostWindow_ = host; }
  void setShowFpsForThisRun(bool show) { showFpsForThisRun_ = show; }
  void setRunLimit(std::int64_t milliseconds) { runLimitMs_ = milliseconds; }

  // The one application object of the process (null when there is none).
  static SaverApplication* instance();

  RunMode mode() const { return mode_; }
  HWND window() const { return window_; }
  HWND parent() const { return parent_; }
  bool quitRequested() const { return quitRequested_; }
  void requestQuit() { quitRequested_ = true; }
  bool previewWaiting() const { return previewWaiting_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  std::int64_t frameRate() const { return frameRate_.rate(); }
  // The text the frame-rate label shows, refreshed once a second while "ShowFps" is set.
  const std::string& frameRateText() const { return frameRateText_; }
  const GammaRamp& gammaRamp() const { return gammaRamp_; }
  const SceneProperties& sceneProperties() const { return sceneProperties_; }
  void setMediaArchive(engine::Archive* archive) { mediaArchive_ = archive; }
  float textScale() const { return textScale_; }
  bool deviceReady() const { return deviceReady_; }
  void setDeviceReady(bool ready) { deviceReady_ = ready; }
  engine::Stopwatch& sceneStopwatch() { return sceneStopwatch_; }

  // Paints bitmap 173 unscaled at the client area's origin.
  void paintPreview(HWND window);

protected:
  // Messages the saver does not consume.
  virtual LRESULT engineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The configure branch: the settings dialog, modal, owned by `owner`.
  virtual void runSettingsDialog(HWND owner);
  // One frame's drawing.
  virtual void renderFrame() { renderScene(); }

  bool createSaverWindow();
  // The media archive linked into the program (resource "MEMFILE" 147), when there is one.
  void mountMediaArchive();
  void waitForPreviewStart();
  void pumpMessages();
  void sendKeepAliveKey();
  bool endsOnInput() const { return hostWindow_ == nullptr; }

  RunMode mode_ = RunMode::Saver;
  HWND parent_ = nullptr;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND hostWindow_ = nullptr;
  bool quitRequested_ = false;
  bool previewWaiting_ = false;
  bool deviceReady_ = true;
  bool showFpsForThisRun_ = false;
  Settings settings_;
  float textScale_ = 1.0f;
  GammaRamp gammaRamp_{};
  SceneProperties sceneProperties_;
  engine::Archive* mediaArchive_ = nullptr;
  std::unique_ptr<engine::Archive> linkedArchive_;

  FrameRateCounter frameRate_;
  std::string frameRateText_;
  engine::Stopwatch frameRateStopwatch_;
  engine::Stopwatch keepAliveStopwatch_;
  engine::Stopwatch sceneStopwatch_;
  engine::Stopwatch frameStopwatch_;
  engine::Stopwatch runStopwatch_;
  std::int64_t runLimitMs_ = -1;
};

} // namespace saver
