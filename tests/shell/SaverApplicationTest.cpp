#include "shell/SaverApplication.h"

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

TEST_F(Saver, StartUpMakesTheBorderlessWindowAndHidesTheCursor) {
  EXPECT_EQ(saver::SaverApplication::instance(), app_.get());
  RecordingApplication& app = start();
  EXPECT_EQ(log_.lines(),
            (std::vector<std::string>{
                "Log started \n", "----------------------\n", "Fullscreen1024x768, X8R8G8B8, D32\n",
                "Present Interval:D3DPRESENT_INTERVAL_IMMEDIATE\n", "Vertex Proccessing:HARDWARE_VP\n",
                "MultiSample:D3DMULTISAMPLE_2_SAMPLES , Quality:0\n", "----------------------\n",
                "Error: the loading picture /loading.jpg could not be loaded\n", "Application created\n"}));
  ASSERT_NE(app.window(), nullptr);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(app.window(), GWL_STYLE)), WS_POPUP | WS_VISIBLE);
  RECT client{};
  GetClientRect(app.window(), &client);
  EXPECT_EQ(client.right, 400); // "UseDesktop": the device picks the mode, the window starts small
  EXPECT_EQ(client.bottom, 300);
  EXPECT_FLOAT_EQ(app.textScale(), 1.0f); // the full-screen viewport of the desktop's 1024 x 768
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(app.calls, std::vector<std::string>{"loadScene"});
  app_.reset();
  EXPECT_EQ(saver::SaverApplication::instance(), nullptr);
}

TEST_F(Saver, WithoutUseDesktopTheWindowHasTheChosenSize) {
  writeRegistry(std::string(shelltest::kHeader) +
                "\"UseDesktop\"=dword:0\n\"Width\"=dword:280\n\"Height\"=dword:1e0\n");
  RecordingApplication& app = start(RunMode::Test);
  RECT client{};
  GetClientRect(app.window(), &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
}

TEST_F(Saver, OnSeveralMonitorsTheRoomTakesThePrimaryAndTheOthersAreBlack) {
  // The primary monitor is not the one at the desk's origin.
  win32::setMonitorRectsForTests(
      std::vector<RECT>{RECT{1024, 0, 2048, 768}, RECT{0, 0, 1024, 768}, RECT{2048, 100, 2448, 400}});
  RecordingApplication& app = start();
  RECT placed{};
  ASSERT_TRUE(GetWindowRect(app.window(), &placed));
  EXPECT_EQ(placed.left, 1024);
  EXPECT_EQ(placed.top, 0);
  const std::vector<HWND> blanks = app.blankMonitors().windows();
  ASSERT_EQ(blanks.size(), 2u);
  const RECT expected[] = {RECT{0, 0, 1024, 768}, RECT{2048, 100, 2448, 400}};
  for (std::size_t i = 0; i < blanks.size(); ++i) {
    RECT covered{};
    ASSERT_TRUE(GetWindowRect(blanks[i], &covered));
    EXPECT_EQ(covered.left, expected[i].left);
    EXPECT_EQ(covered.top, expected[i].top);
    EXPECT_EQ(covered.right, expected[i].right);
    EXPECT_EQ(covered.bottom, expected[i].bottom);
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(win32::readClientPixels(blanks[i], width, height, pixels));
    EXPECT_EQ(width, expected[i].right - expected[i].left);
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0; }));
  }
  app.requestQuit();
  app.runMainLoop();
  for (HWND blank : blanks)
    EXPECT_FALSE(IsWindow(blank));

  // One monitor: nothing to cover; a daemon's window: the daemon covers the others.
  win32::setMonitorRectsForTests(std::vector<RECT>{RECT{0, 0, 1024, 768}});
  app_.reset();
  app_ = std::make_unique<RecordingApplication>();
  EXPECT_TRUE(start().blankMonitors().windows().empty());
  win32::setMonitorRectsForTests(std::nullopt);
}

TEST_F(Saver, ChangePasswordEndsWithoutAWindowAndConfigureOpensNone) {
  EXPECT_FALSE(app_->startUp(nullptr, RunMode::ChangePassword, win32::foreignWindow(99)));
  EXPECT_EQ(app_->window(), nullptr);
  EXPECT_EQ(log_.lines(), std::vector<std::string>{"Log started \n"});
  app_.reset();
  app_ = std::make_unique<RecordingApplication>();
  EXPECT_TRUE(app_->startUp(nullptr, RunMode::Configure, nullptr));
  EXPECT_EQ(app_->window(), nullptr);
  EXPECT_TRUE(app_->calls.empty());
}

TEST(FrameRateCounter, AfterAStallShowsTheFramesOfTheWindowThatEnded) {
  saver::FrameRateCounter counter;
  counter.start(1000);
  counter.tick(1000); // no time has passed: nothing to divide by
  EXPECT_EQ(counter.rate(), 0);
  for (int t = 1100; t <= 1900; t += 100)
    counter.tick(t);
  EXPECT_EQ(counter.rate(), 10 * 1000 / 900);
  counter.tick(7000); // five seconds without a frame
  EXPECT_EQ(counter.rate(), 10);
  counter.tick(7500);
  EXPECT_EQ(counter.rate(), 2);
}

TEST_F(Saver, TheFrameRateTextIsRefreshedEverySecondWhenShown) {
  app_->setShowFpsForThisRun(true);
  RecordingApplication& app = start();
  EXPECT_TRUE(app.settings().showFps);
  app.frameLoop().begin();
  for (int i = 0; i < 99; ++i)
    frameAfter(10);
  EXPECT_EQ(app.frameLoop().frameRateText(), "");
  EXPECT_EQ(app.frameLoop().frameRate(), 100);
  frameAfter(10);
  EXPECT_EQ(app.frameLoop().frameRateText(), "99");
}

TEST_F(Saver, SettingsFromTheCommandLineHoldForTheRunAndAreNeverStored) {
  writeRegistry(std::string(shelltest::kHeader) + "\"Volume\"=dword:00000014\n\"Music\"=dword:00000001\n");
  const std::string stored = readRegistry();
  saver::SettingOverrides overrides;
  overrides.values.emplace_back(&saver::settingOf(&saver::Settings::volume), 90);
  overrides.values.emplace_back(&saver::settingOf(&saver::Settings::maxFps), 30);
  overrides.photoPath = "/tmp/photo.jpg";
  app_->setSettingOverrides(overrides);
  RecordingApplication& app = start();
  EXPECT_EQ(app.settings().volume, 90);
  EXPECT_EQ(app.settings().maxFps, 30);
  EXPECT_EQ(app.settings().photoPath, "/tmp/photo.jpg");
  EXPECT_TRUE(app.settings().music);
  app.requestQuit();
  app.runMainLoop();
  app_.reset();
  EXPECT_EQ(readRegistry(), stored);

  // The settings dialog shows (and its OK stores) what is stored, not this run's values.
  app_ = std::make_unique<RecordingApplication>();
  app_->setSettingOverrides(overrides);
  EXPECT_TRUE(app_->startUp(nullptr, RunMode::Configure, nullptr));
  EXPECT_EQ(app_->settings().volume, 20);
  EXPECT_EQ(app_->settings().maxFps, 0);
}

TEST(FramePacer, ACapSleepsTheRestOfEachFramesShareAndNoCapNeverSleeps) {
  saver::FramePacer pacer;
  // Frames that take no time at 30 a second: 30 frames sleep one second in all, in whole
  // milliseconds of 33 or 34.
  std::int64_t now = 1000;
  std::int64_t slept = 0;
  for (int frame = 0; frame < 30; ++frame) {
    const std::int64_t rest = pacer.sleepAfterFrame(now, 30);
    EXPECT_TRUE(rest == 33 || rest == 34) << rest;
    slept += rest;
    now += rest;
  }
  EXPECT_NEAR(static_cast<double>(slept), 1000.0, 1.0);
  // Frames that take 20 ms sleep the rest of their 33.3 ms.
  const std::int64_t rest = pacer.sleepAfterFrame(now + 20, 30);
  EXPECT_GE(rest, 13);
  EXPECT_LE(rest, 14);
  now += 20 + rest;
  // After a stall (a slow frame, a stopped process) the cap does not rush to catch up: the
  // next frame again waits its share.
  now += 5000;
  EXPECT_GE(pacer.sleepAfterFrame(now, 30), 33);
  EXPECT_EQ(pacer.sleepAfterFrame(now, 0), 0);
  EXPECT_EQ(pacer.sleepAfterFrame(now, 0), 0);
}

// Records what the start-up and the frame loop ask of the labels.
class LabelJournal : public saver::OverlayLabels {
public:
  void create(engine::GuiManager& gui, const saver::Settings& settings, float textScale) override {
    entries.push_back("create " + std::to_string(settings.showFps) + std::to_string(settings.showTime) + " " +
                      std::to_string(textScale) + " " + std::to_string(gui.screenWidth()) + "x" +
                      std::to_string(gui.screenHeight()));
  }
  void resize(float textScale) override { entries.push_back("resize " + std::to_string(textScale)); }
  void showFrameRate(std::int64_t rate) override { entries.push_back("rate " + std::to_string(rate)); }
  void showTime(const SYSTEMTIME& now, int width, int height) override {
    entries.push_back("time " + std::to_string(now.wSecond) + " " + std::to_string(width) + "x" +
                      std::to_string(height));
  }
  std::vector<std::string> entries;
};

TEST_F(Saver, TheLabelsAreMadeAtStartUpAndRefreshedByTheLoop) {
  LabelJournal labels;
  app_->setOverlays(&labels);
  app_->setShowFpsForThisRun(true);
  RecordingApplication& app = start();
  ASSERT_EQ(labels.entries, (std::vector<std::string>{"create 11 1.000000 1024x768"}));
  app.frameLoop().begin();
  for (int i = 0; i < 100; ++i)
    frameAfter(10);
  // The time every frame, the rate once, after the first full second.
  EXPECT_EQ(std::count_if(labels.entries.begin(), labels.entries.end(),
                          [](const std::string& e) { return e.rfind("time ", 0) == 0; }),
            100);
  EXPECT_EQ(labels.entries[1], "time 5 1024x768");
  EXPECT_EQ(std::count(labels.entries.begin(), labels.entries.end(), "rate 99"), 1);
  EXPECT_EQ(labels.entries[labels.entries.size() - 2], "rate 99");
  EXPECT_EQ(std::count(labels.entries.begin(), labels.entries.end(), "resize 1.000000"), 0);

  // A daemon's pane shrinks while the saver runs: the labels take the new scale once.
  D3DVIEWPORT9 smaller{0, 0, 512, 384, 0.0f, 1.0f};
  ASSERT_EQ(app.device()->SetViewport(&smaller), D3D_OK);
  frameAfter(10);
  frameAfter(10);
  EXPECT_EQ(std::count(labels.entries.begin(), labels.entries.end(), "resize 0.500000"), 1);
  const std::string& last = labels.entries.back();
  EXPECT_EQ(last.substr(last.size() - 8), " 512x384") << last;
  app_.reset();
}

TEST_F(Saver, WithoutTheTextFontTheStartFailsWithoutTheOverlayFontItGoesOn) {
  testsupport::TempDir elsewhere;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  shelltest::writeTestFont(elsewhere, "sylfaen", "sylfaen_eng_14", 14, 8);
  EXPECT_TRUE(app_->startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_TRUE(log_.contains("Error: Sylfaen font loading failed\n"));
  EXPECT_EQ(app_->fonts().styleCount(), 1u);

  app_.reset();
  win32::resetWindowSystem();
  app_ = std::make_unique<RecordingApplication>();
  log_.clear();
  std::filesystem::remove(elsewhere.file("Media/sylfaen_eng_14.css"));
  EXPECT_FALSE(app_->startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(log_.lines().back(), "Error: Sylfaen font loading failed\n");
  EXPECT_TRUE(log_.contains("Error: Charset 'sylfaen_eng_14.css' loading failed\n"));
  std::filesystem::current_path(previous);
}

TEST_F(Saver, FramesWithoutADeviceSkipTheSceneButStillCount) {
  RecordingApplication& app = start();
  app.frameLoop().begin();
  frameAfter(10);
  EXPECT_EQ(app.calls, (std::vector<std::string>{"loadScene", "updateScene", "renderScene"}));
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 2));
  frameAfter(10);
  frameAfter(10);
  EXPECT_FALSE(app.deviceReady());
  EXPECT_EQ(app.calls.size(), 3u);
  frameAfter(10); // the device can be reset now, and the frame is drawn
  EXPECT_TRUE(app.deviceReady());
  EXPECT_EQ(app.calls.size(), 5u);
  EXPECT_EQ(app.frameLoop().frameRate(), 100);
  EXPECT_TRUE(log_.contains("Device lost\n"));
  EXPECT_TRUE(log_.contains("Device reset\n"));
}

TEST_F(Saver, TheLoopEndsOnRequestAndShutsDownInOrder) {
  RecordingApplication& app = start();
  const HWND window = app.window();
  PostMessageA(window, WM_KEYDOWN, 'Q', 1);
  EXPECT_EQ(app.runMainLoop(), 1);
  EXPECT_EQ(app.calls, (std::vector<std::string>{"loadScene", "shutdownAudio", "afterLoop", "WM_DESTROY"}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(app.window(), nullptr);
  EXPECT_EQ(log_.lines().back(), "Log closed\n");
  EXPECT_EQ(ShowCursor(FALSE), -1); // shown again
}

TEST_F(Saver, ARunLimitEndsTheLoop) {
  app_->frameLoop().setRunLimit(500);
  RecordingApplication& app = start();
  app.frameLoop().begin();
  EXPECT_TRUE(frameAfter(499));
  EXPECT_FALSE(frameAfter(1));
  EXPECT_TRUE(app.quitRequested());
}

LRESULT forwardToApplication(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  saver::SaverApplication* application = saver::SaverApplication::instance();
  return application ? application->handleWindowMessage(window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
}

HWND testWindow(int width, int height) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = forwardToApplication;
  windowClass.lpszClassName = "SaverTest";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "SaverTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                         nullptr);
}

TEST_F(Saver, ThePreviewWaitsForItsHalfSecondTimer) {
  HWND window = testWindow(20, 20);
  app_->setPreviewWaiting();
  SendMessageA(window, WM_USER, 0, 0);
  MSG msg;
  clock_.advance(499);
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);
  EXPECT_TRUE(app_->previewWaiting());
  clock_.advance(1);
  while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);
  EXPECT_FALSE(app_->previewWaiting());
  EXPECT_FALSE(KillTimer(window, saver::kPreviewTimer)); // already killed
}

TEST_F(Saver, ThePreviewPaintsBitmap173UnscaledAtTheOrigin) {
  std::ifstream in(TICKWOOD_PREVIEW_BMP, std::ios::binary);
  static const std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  win32::registerResource(2, saver::kPreviewBitmap, file.data(), file.size());
  testsupport::Picture expected;
  ASSERT_TRUE(testsupport::readBmp24(TICKWOOD_PREVIEW_BMP, expected));

  HWND window = testWindow(expected.width + 10, expected.height + 5);
  app_->paintPreview(window);
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  ASSERT_TRUE(win32::readClientPixels(window, width, height, pixels));
  int wrong = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint32_t want = x < expected.width && y < expected.height ? expected.at(x, y) : 0;
      wrong += pixels[static_cast<std::size_t>(y * width + x)] != want;
    }
  EXPECT_EQ(wrong, 0);
  win32::unregisterResource(2, saver::kPreviewBitmap);
}

TEST_F(Saver, TheGammaSettingReachesTheDeviceAndComesBackAfterAReset) {
  start();
  app_->settings().gamma = 50; // each entry raised by 50 x 200
  EXPECT_TRUE(app_->applyGamma());
  D3DGAMMARAMP ramp{};
  app_->device()->GetGammaRamp(0, &ramp);
  EXPECT_EQ(ramp.red[0], 10000);
  EXPECT_EQ(ramp.green[100], 100 * 256 + 10000);
  EXPECT_EQ(ramp.blue[216], 65296);
  EXPECT_EQ(ramp.red[217], 65535); // 65552 is past the top
  EXPECT_EQ(ramp.blue[255], 65535);
  d3d9::CallLog* calls = d3d9::callLog(app_->device());
  ASSERT_NE(calls, nullptr);
  calls->clear();
  ASSERT_TRUE(d3d9::forceDeviceLoss(app_->device(), 1));
  EXPECT_TRUE(app_->handleDeviceLost());
  EXPECT_TRUE(app_->handleDeviceLost());
  ASSERT_EQ(calls->count("Reset"), 1u);
  const auto set = calls->named("SetGammaRamp");
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(set[0].args, (std::vector<std::uint64_t>{0, D3DSGR_NO_CALIBRATION, 10000, 128 * 256 + 10000, 65535}));
}

} // namespace
