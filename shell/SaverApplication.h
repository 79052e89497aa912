// The screensaver's application object: run modes, start-up and shut-down, the window and
// its messages, and the settings. It owns the pieces a run needs: the media, the loading
// screen, the frame loop, the input devices and the free camera controller; the clock room
// derives from it and fills the virtual operations (the order of their declaration is the
// order of the slots).
#pragma once

#include <cstdint>
#include <string>

#include "engine/app/Application.h"
#include "engine/app/Stopwatch.h"
#include "engine/data/MediaLibrary.h"
#include "engine/data/props/PropsNode.h"
#include "engine/gui/GuiManager.h"
#include "engine/input/FreeCameraController.h"
#include "engine/input/InputDevices.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"
#include "platform/win32/winuser.h"
#include "shell/BlankMonitors.h"
#include "shell/ExitRules.h"
#include "shell/FrameLoop.h"
#include "shell/LoadingScreen.h"
#include "shell/OverlayLabels.h"
#include "shell/RunMode.h"
#include "shell/SceneProperties.h"
#include "shell/SettingOptions.h"
#include "shell/Settings.h"
#include "shell/SettingsDialog.h"
#include "shell/StartUpTimes.h"

namespace saver {

constexpr WORD kPreviewBitmap = 173;
constexpr UINT_PTR kPreviewTimer = 1;

class SaverApplication : public engine::Application, public engine::InputListener {
public:
  SaverApplication();
  SaverApplication(const SaverApplication&) = delete;
  SaverApplication& operator=(const SaverApplication&) = delete;

  // 1. The window procedure's target; what it does not consume goes to the engine.
  LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // 2.
  ~SaverApplication() override;
  // 3. Builds the ramp from "Gamma", sets it on the device, then makes the device objects
  // (slot 4, releasing them, is the engine's).
  virtual bool applyGamma();
  bool restoreDeviceObjects() override { return applyGamma(); }
  // 5-7. The clock room's per-frame update, drawing and loading.
  virtual bool updateScene() { return true; }
  virtual bool renderScene() { return true; }
  virtual bool loadScene() { return true; }
  // 8. The scene properties the clock room reads beyond the base ones.
  virtual void readSceneExtras(const engine::PropsTree&) {}
  // 9. The settings dialog's procedure (the dialog is SettingsDialog).
  virtual INT_PTR settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // 10-12.
  virtual void shutdownAudio() {}
  virtual void keyboardHook() {}
  virtual void afterLoop() {}
  // 13-14. The registry values of the settings.
  virtual bool loadSettings();
  virtual bool saveSettings();

  // The input listener: the exit rules for one event of the input devices.
  void onInputEvent(const engine::InputEvent& event) override;

  // Everything before the first frame; false ends the run (exit code 0).
  bool startUp(HINSTANCE instance, RunMode mode, HWND parent);
  // The frame loop and the shut-down after it; answers 1.
  int runMainLoop();
  // What follows the loop: sound, window and cursor, in that order, and the log's last line.
  void shutDown();
  // The application's part of one frame of the loop: the input (its events reach the
  // listeners) and the free camera, the device check, then (when the device can draw)
  // updateScene and renderFrame.
  void advanceFrame();
  // Whether anything of the saver's window can be seen now.
  bool windowShowsOnScreen() const;
  // "Scene.props" from the media: nothing changes when it cannot be opened.
  void readSceneProperties();
  // The two fonts of the start-up: without the 14-pixel one the start fails, without the
  // 64-pixel one it goes on; each failure logs its line.
  bool loadFonts();
  // The labels over the picture (the clock room gives them); none without.
  void setOverlays(OverlayLabels* overlays) { overlays_ = overlays; }
  // The frame loop's label steps: the frame rate (once a second with "ShowFps"), then the
  // viewport and the local time (every frame with "ShowTime").
  void refreshFrameRateLabel(std::int64_t rate);
  void refreshTimeLabel();
  // The frame's GUI step: the queued windows over the picture (inside the scene).
  bool drawGui();

  // Options of the Linux launcher. A host window is a daemon's: the saver runs inside it
  // and leaves ending the run on input to the daemon.
  void setHostWindow(HWND host) { hostWindow_ = host; }
  void setShowFpsForThisRun(bool show) { showFpsForThisRun_ = show; }
  // Settings given on the command line: they replace the stored ones for this run (never in
  // the settings dialog, whose OK would store them).
  void setSettingOverrides(SettingOverrides overrides) { settingOverrides_ = std::move(overrides); }
  // At the end of the run, the last presented frame is written there as PNG.
  void setScreenshotPath(std::string path) { screenshotPath_ = std::move(path); }

  // The one application object of the process (null when there is none).
  static SaverApplication* instance();

  RunMode mode() const { return mode_; }
  HWND parent() const { return parent_; }
  void requestQuit() { quitRequested_ = true; }
  bool previewWaiting() const { return previewWaiting_; }
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }
  FrameLoop& frameLoop() { return frameLoop_; }
  const GammaRamp& gammaRamp() const { return gammaRamp_; }
  const SceneProperties& sceneProperties() const { return sceneProperties_; }
  // Where every media file comes from; an archive mounted before start-up stays.
  engine::MediaLibrary& media() { return media_; }
  float textScale() const { return textScale_; }
  bool deviceReady() const { return deviceReady_; }
  engine::Stopwatch& sceneStopwatch() { return sceneStopwatch_; }
  // The display mode and viewport read once the device exists.
  const D3DDISPLAYMODE& displayMode() const { return displayMode_; }
  const D3DVIEWPORT9& viewport() const { return viewport_; }
  engine::TextureManager& textures() { return textures_; }
  engine::FontManager& fonts() { return fonts_; }
  engine::GuiManager& gui() { return gui_; }
  LoadingScreen& loadingScreen() { return loadingScreen_; }
  engine::InputDevices& input() { return input_; }
  // The camera shown while no tour plays; the room places it at its start and where tours end.
  engine::FreeCameraController& freeCameraController() { return freeCameraController_; }
  // How long each step of the last start-up took.
  const StartUpTimes& startUpTimes() const { return startUpTimes_; }

  // The black windows over the monitors other than the room's (full screen only).
  const BlankMonitors& blankMonitors() const { return blankMonitors_; }
  // Paints bitmap 173 unscaled at the client area's origin.
  void paintPreview(HWND window);

protected:
  // Messages the saver does not consume.
  virtual LRESULT engineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The configure branch: the settings dialog, modal, owned by `owner`.
  virtual void runSettingsDialog(HWND owner);
  // One frame's drawing: clear to the background colour, the scene, present.
  virtual void renderFrame();
  // Before the device goes for good: lets go of everything the scene made on it.
  virtual void releaseScene() {}
  void releaseDeviceAndScene();

  bool createSaverWindow();
  // The device, its full-screen mode from the settings, and what start-up reads from it.
  bool startDevice();
  void chooseFullscreenSettings();
  void readDisplayMode();
  void readViewport();
  void followViewportSize();
  // Once per frame before drawing: whether the device can draw this frame.
  void checkDevice();
  void writeScreenshot();
  void mountMedia();
  void waitForPreviewStart();
  void startInput();
  void attachInputListeners();
  void updateInput();
  bool endsOnInput() const { return hostWindow_ == nullptr; }
  // Closes a step of the start-up (timed for the start-up benchmark). False once a termination
  // signal waits: the rest of the start is then skipped, and the frame loop that follows
  // delivers the signal at its first message pump and ends the run the usual way, so that
  // a daemon stopping us during a start of a second or more is not kept waiting. Used from
  // the scene properties on: the device, the loading picture and "Application created" always
  // come first.
  bool finishStartUpStep(std::string_view step);

  RunMode mode_ = RunMode::Saver;
  HWND parent_ = nullptr;
  HWND hostWindow_ = nullptr;
  bool previewWaiting_ = false;
  bool deviceReady_ = true;
  bool showFpsForThisRun_ = false;
  SettingOverrides settingOverrides_;
  bool resetFailureLogged_ = false;
  Settings settings_;
  float textScale_ = 1.0f;
  GammaRamp gammaRamp_{};
  SceneProperties sceneProperties_;
  engine::MediaLibrary media_;
  D3DDISPLAYMODE displayMode_{};
  D3DVIEWPORT9 viewport_{};
  // The store outlives every texture the application holds; the fonts and the GUI windows
  // hold textures, and the windows hold charsets.
  engine::TextureManager textures_;
  engine::FontManager fonts_{textures_};
  engine::GuiManager gui_;
  OverlayLabels* overlays_ = nullptr;
  LoadingScreen loadingScreen_;
  std::string screenshotPath_;
  BlankMonitors blankMonitors_;
  FrameLoop frameLoop_{*this};
  engine::InputDevices input_{*this};
  engine::FreeCameraController freeCameraController_;
  engine::Stopwatch cameraStopwatch_; // the time between two updates of the free camera
  engine::Stopwatch sceneStopwatch_;
  engine::Stopwatch frameStopwatch_;
  StartUpTimes startUpTimes_;
  SettingsDialog settingsDialog_{settings_, [this] { return saveSettings(); },
                                 [this] { return direct3DFactory_ ? direct3DFactory_() : nullptr; }, displayMode_};
};

} // namespace saver
