// Start-up from the window to the first frame: the device and its full-screen mode, the
// media archive, the loading picture, the frames that follow, device loss and the
// screenshot. The recording back end shows what reached the device; the OpenGL back end
// (offscreen) shows what reached the screen.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "engine/core/Log.h"
#include "engine/data/archive/RarWriter.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/d3dx9/Screenshot.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "shell/SaverApplication.h"
#include "tests/shell/RegistryFixture.h"
#include "tests/support/Ci.h"
#include "tests/support/Pictures.h"

namespace {

using saver::RunMode;

// Time moves on by a millisecond whenever it is read, so that waits for it end.
class SteppingClock : public win32::ManualClock {
public:
  bool performanceCounter(LONGLONG& count) override {
    advance(1);
    return ManualClock::performanceCounter(count);
  }
};

// A media archive linked as MEMFILE 147 for the length of a test.
class FixtureMedia {
public:
  FixtureMedia(const std::string& sceneProps, const std::string& loading) {
    engine::RarWriter writer;
    writer.addFile("Media\\Scene.props", sceneProps, 0);
    if (!loading.empty()) writer.addFile("Media\\loading.jpg", loading, 0);
    bytes_ = writer.finish();
    win32::registerResource("MEMFILE", engine::kMediaArchiveResource, bytes_.data(), bytes_.size());
  }
  ~FixtureMedia() { win32::unregisterResource("MEMFILE", engine::kMediaArchiveResource); }

private:
  std::string bytes_;
};

constexpr const char* kGreenRoom = "BgColor = array(10, 200, 30);\n";

class StartUp : public shelltest::PrivateSession {
protected:
  void releaseApplication() override { app_.reset(); }

  // The application draws through a recording device of `setup`; `prepare` may script it.
  saver::SaverApplication& recording(d3d9::RecordingSetup setup = d3d9::defaultRecordingSetup(),
                                     void (*prepare)(d3d9::CallLog&) = nullptr) {
    app_->setDirect3DFactory([setup, prepare] {
      IDirect3D9* d3d = d3d9::createRecordingDirect3D(setup);
      if (prepare) prepare(*d3d9::callLog(d3d));
      return d3d;
    });
    return *app_;
  }

  // The application draws through OpenGL; false (with the test skipped) where there is none.
  bool openGl() {
    IDirect3D9* probe = Direct3DCreate9(D3D_SDK_VERSION);
    D3DCAPS9 caps{};
    const bool usable = probe && probe->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps) == D3D_OK &&
                        probe->GetAdapterModeCount(0, D3DFMT_X8R8G8B8) > 0;
    if (probe) probe->Release();
    return usable;
  }

  d3d9::CallLog& calls() { return *d3d9::callLog(app_->device()); }

  SteppingClock clock_;
  win32::ScopedClock useClock_{clock_};
  engine::LogCapture log_;
  std::unique_ptr<saver::SaverApplication> app_ = std::make_unique<saver::SaverApplication>();
};

#define REQUIRE_OPENGL()                                                                                               \
  if (!openGl()) SKIP_OR_FAIL_IN_CI("no OpenGL context can be made here; the image checks are not run")

TEST_F(StartUp, TheDesktopModeIsTakenWithTwoSamplesWhenUseDesktopIsSet) {
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  const engine::DeviceSettings& s = app_->deviceSettings();
  EXPECT_EQ(s.windowed, 0);
  EXPECT_EQ(s.width, 1024u);
  EXPECT_EQ(s.height, 768u);
  EXPECT_EQ(s.refreshRate, 60u);
  EXPECT_EQ(s.multiSampleType, D3DMULTISAMPLE_2_SAMPLES);
  EXPECT_EQ(app_->presentParams().MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
  EXPECT_FALSE(app_->windowed());
  EXPECT_EQ(app_->displayMode().Width, 1024u);
  EXPECT_EQ(app_->viewport().Height, 768u);
}

TEST_F(StartUp, WidthHeightAndDepthChooseTheModeAndItsBitDepth) {
  writeRegistry(std::string(shelltest::kHeader) +
                "\"UseDesktop\"=dword:0\n\"Width\"=dword:320\n\"Height\"=dword:258\n\"Depth\"=dword:10\n");
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(app_->deviceSettings().width, 800u);
  EXPECT_EQ(app_->deviceSettings().height, 600u);
  // 16 bits asked for; this machine's 16-bit modes are R5G6B5.
  EXPECT_EQ(app_->deviceSettings().backBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(app_->deviceSettings().depthStencilFormat, D3DFMT_D16);

  app_.reset();
  win32::resetWindowSystem();
  app_ = std::make_unique<saver::SaverApplication>();
  writeRegistry(std::string(shelltest::kHeader) +
                "\"UseDesktop\"=dword:0\n\"Width\"=dword:320\n\"Height\"=dword:258\n\"Depth\"=dword:20\n");
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(app_->deviceSettings().backBufferFormat, D3DFMT_X8R8G8B8);
}

TEST_F(StartUp, AMachineWithoutMultisamplingRunsWithout) {
  d3d9::RecordingSetup setup = d3d9::defaultRecordingSetup();
  setup.capabilities.sampleCounts.clear();
  ASSERT_TRUE(recording(setup).startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(app_->deviceSettings().multiSampleType, D3DMULTISAMPLE_NONE);
  EXPECT_EQ(app_->deviceSettings().width, 1024u);
}

TEST_F(StartUp, FailuresOfCreateAndSetModeEndTheStartWithTheirLines) {
  app_->setDirect3DFactory([] { return static_cast<IDirect3D9*>(nullptr); });
  EXPECT_FALSE(app_->startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(log_.lines().back(), "Error: Application::Create(hInstance) failed\n");

  app_.reset();
  win32::resetWindowSystem();
  app_ = std::make_unique<saver::SaverApplication>();
  recording(d3d9::defaultRecordingSetup(),
            [](d3d9::CallLog& log) { log.scriptAlways("CreateDevice", D3DERR_NOTAVAILABLE); });
  EXPECT_FALSE(app_->startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(log_.lines().back(), "Error: Application::SetMode() failed\n");
  EXPECT_FALSE(log_.contains("Application created\n"));
}

TEST_F(StartUp, TheLoadingPictureIsDrawnThenFadedAndFramesClearToTheBackground) {
  FixtureMedia media(kGreenRoom, testsupport::solidBmp(8, 8, 0x3060C0));
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  d3d9::CallLog& log = calls();
  // The first texture made, in one level; gone once the room shows, as it is never drawn again.
  const auto creates = log.named("CreateTexture");
  ASSERT_FALSE(creates.empty());
  EXPECT_EQ(creates.front().args[2], 1u);
  EXPECT_EQ(app_->loadingScreen().texture(), nullptr);
  // The first picture at full opacity, then the fade: each a cleared, textured frame.
  const std::size_t presents = log.count("Present");
  EXPECT_GE(presents, 2u);
  EXPECT_EQ(log.count("DrawPrimitiveUP"), presents);
  for (const d3d9::RecordedCall& clear : log.named("Clear"))
    EXPECT_EQ(clear.args[2], 0u); // black under the picture
  bool bound = false;
  for (const d3d9::RecordedCall& call : log.named("SetTexture"))
    bound = bound || (call.args[0] == 0 && call.args[1] != 0);
  EXPECT_TRUE(bound);

  log.clear();
  app_->frameLoop().begin();
  ASSERT_TRUE(app_->frameLoop().runFrame());
  ASSERT_EQ(log.count("Clear"), 1u);
  EXPECT_EQ(log.named("Clear")[0].args[2], 0xFF0AC81Eu); // BgColor of the fixture's Scene.props
  EXPECT_EQ(log.count("BeginScene"), 1u);
  EXPECT_EQ(log.count("EndScene"), 1u);
  EXPECT_EQ(log.count("Present"), 1u);
  EXPECT_FALSE(log_.contains("Error: the loading picture /loading.jpg could not be loaded\n"));
}

TEST_F(StartUp, AStopRequestDuringStartUpSkipsTheFade) {
  FixtureMedia media(kGreenRoom, testsupport::solidBmp(8, 8, 0x3060C0));
  win32::closeWindowsOnTerminationSignals();
  std::raise(SIGTERM);
  ASSERT_TRUE(win32::terminationPending());
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  EXPECT_EQ(calls().count("Present"), 1u); // the loading picture once, and no fade
  // Nothing after the scene properties: a start of a second or more does not hold the stop up.
  EXPECT_EQ(app_->startUpTimes().steps().back().first, "scene properties");
  // The first frame of the loop delivers the request and ends the run.
  app_->frameLoop().begin();
  EXPECT_FALSE(app_->frameLoop().runFrame());
  EXPECT_FALSE(win32::terminationPending());
}

TEST_F(StartUp, TheGammaSettingReachesTheDevice) {
  writeRegistry(std::string(shelltest::kHeader) + "\"Gamma\"=dword:00000014\n");
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  D3DGAMMARAMP ramp{};
  app_->device()->GetGammaRamp(0, &ramp);
  EXPECT_EQ(ramp.red[0], 20 * 200);
  EXPECT_EQ(ramp.blue[10], 20 * 200 + 10 * 256);
}

TEST_F(StartUp, AResetThatFailsIsReportedOnceAndTriedAgain) {
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  app_->frameLoop().begin();
  ASSERT_TRUE(d3d9::forceDeviceLoss(app_->device(), 1));
  calls().scriptAlways("Reset", D3DERR_INVALIDCALL);
  for (int frame = 0; frame < 4; ++frame)
    EXPECT_TRUE(app_->frameLoop().runFrame());
  EXPECT_FALSE(app_->deviceReady());
  calls().clearScripts();
  EXPECT_TRUE(app_->frameLoop().runFrame());
  EXPECT_TRUE(app_->deviceReady());
  std::vector<std::string> deviceLines;
  for (const std::string& line : log_.lines())
    if (line.rfind("Device", 0) == 0 || line.rfind("Error: the device", 0) == 0) deviceLines.push_back(line);
  EXPECT_EQ(deviceLines,
            (std::vector<std::string>{"Device lost\n", "Error: the device could not be reset\n", "Device reset\n"}));
}

TEST_F(StartUp, WithoutAPresentedFrameThereIsNoScreenshot) {
  ASSERT_TRUE(recording().startUp(nullptr, RunMode::Saver, nullptr));
  std::string error;
  EXPECT_FALSE(d3dx9::saveScreenshot(app_->device(), config_.file("shot.png").string(), error));
  EXPECT_EQ(error, "no frame has been presented");
  EXPECT_FALSE(std::filesystem::exists(config_.file("shot.png")));
}

// What the OpenGL device shows: the loading picture over the whole screen, then the
// background colour, and the screenshot of it.
TEST_F(StartUp, OnOpenGlTheScreenShowsTheLoadingPictureThenTheBackground) {
  REQUIRE_OPENGL();
  FixtureMedia media(kGreenRoom, testsupport::solidBmp(16, 16, 0x3060C0));
  ASSERT_TRUE(app_->startUp(nullptr, RunMode::Saver, nullptr)) << ::testing::PrintToString(log_.lines());
  d3d9::PresentedImage image;
  ASSERT_TRUE(d3d9::readPresentedImage(app_->device(), image));
  EXPECT_EQ(image.width, app_->deviceSettings().width);

  // The picture again, as start-up showed it before the fade.
  app_->loadingScreen().load(app_->textures(), app_->media());
  saver::drawLoadingScreen(app_->loadingScreen().texture(), 1.0f);
  app_->loadingScreen().release();
  ASSERT_TRUE(d3d9::readPresentedImage(app_->device(), image));
  int wrong = 0;
  for (std::size_t i = 0; i < std::size_t(image.width) * image.height; ++i) {
    const std::uint8_t* p = &image.rgba[i * 4];
    // The ramp of "Gamma" 0 maps 255 to 254: allow a step.
    wrong += std::abs(p[0] - 0x30) > 2 || std::abs(p[1] - 0x60) > 2 || std::abs(p[2] - 0xC0) > 2;
  }
  EXPECT_EQ(wrong, 0) << "of " << image.width * image.height << " pixels";

  const std::string shot = config_.file("frame.png").string();
  app_->setScreenshotPath(shot);
  app_->frameLoop().begin();
  ASSERT_TRUE(app_->frameLoop().runFrame());
  app_->shutDown();
  d3dx9::Image written;
  std::string error;
  ASSERT_TRUE(testsupport::readPicture(shot, written, error)) << error;
  EXPECT_EQ(written.width, image.width);
  // The background of the fixture's Scene.props, through the ramp of "Gamma" 0 (200 shows as
  // 199), in every pixel.
  int off = 0;
  for (std::uint32_t pixel : written.pixels)
    off += (pixel & 0xFFFFFF) != 0x0AC71Eu;
  EXPECT_EQ(off, 0) << std::hex << written.at(0, 0);
}

} // namespace
