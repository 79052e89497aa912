// The generated room drawn on the OpenGL back end by the saver's own frame recipe (the room
// assembled, the frame around it), small: each hand, turned by the clock mechanism at a time
// of day, must point where a viewer in front of the dial expects (clockwise, not mirrored,
// not upside down), and a frame during a lightning flash is brighter than without it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "clockroom/ClockMechanism.h"
#include "clockroom/Lightning.h"
#include "clockroom/RoomFrame.h"
#include "clockroom/RoomScene.h"
#include "engine/data/props/PropsParser.h"
#include "engine/render/DevicePointer.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/MeshInstance.h"
#include "platform/d3d9/DeviceHooks.h"
#include "shell/Settings.h"
#include "tests/support/GlTestDevice.h"

namespace {

constexpr UINT kWidth = 160;
constexpr UINT kHeight = 120;

struct HandCase {
  const char* label;
  WORD hour;
  WORD minute;
  bool minuteHand;   // the hand measured; the other is hidden
  float expectRight; // the expected direction of the tip on screen: +1 right, -1 left
  float expectDown;  // +1 down, -1 up
};

void PrintTo(const HandCase& c, std::ostream* out) { *out << c.label; }

class RoomImage : public ::testing::Test {
protected:
  void SetUp() override {
    testsupport::PresentParameters params;
    params.width = kWidth;
    params.height = kHeight;
    OPEN_GL_DEVICE_OR_SKIP(gl_, params);
    engine::publishDevice(gl_.device());
    textures_ = std::make_unique<engine::TextureManager>();
    textures_->searchPaths().add(engine::FileLocation::disk(TICKWOOD_MEDIA_STAGE));
    engine::publishTextureManager(textures_.get());
    // The room's own scene properties: its colours, planes and field of view.
    engine::PropsTree parsed;
    ASSERT_TRUE(engine::parsePropsFile(engine::FileLocation::disk(stageFile("Scene.props")), parsed));
    saver::applySceneProperties(parsed, properties_);
    room_ = std::make_unique<saver::RoomScene>();
    frame_ = std::make_unique<saver::RoomFrame>(properties_);
    ASSERT_TRUE(room_->load(engine::FileLocation::disk(stageFile("clock.UDF")), "", clock_));
    ASSERT_NE(room_->hourHand(), nullptr);
    ASSERT_NE(room_->minuteHand(), nullptr);
    if (!room_->scene().lights().empty()) frame_->view().setLights(&room_->scene().lights());
  }
  void TearDown() override {
    frame_.reset();
    room_.reset();
    engine::publishTextureManager(nullptr);
    textures_.reset();
    engine::publishDevice(nullptr);
  }

  static std::string stageFile(const char* name) {
    return (std::filesystem::path(TICKWOOD_MEDIA_STAGE) / name).string();
  }

  void setTime(WORD hour, WORD minute) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 8;
    time.wHour = hour;
    time.wMinute = minute;
    clock_.update(time);
  }

  // The saver's frame from `camera`, lit by `flash`.
  std::vector<std::uint8_t> draw(const engine::CameraPose& camera, float flash = 0.0f) {
    saver::RoomLight light;
    light.flash = flash;
    light.ambient = engine::toColor(properties_.ambient);
    engine::TraversalContext context;
    context.flags = engine::kTraverseAtTime;
    saver::RoomFrameSteps steps;
    steps.scene = [&] { return room_->renderScene(frame_->view(), light, context); };
    EXPECT_TRUE(frame_->draw(camera, 0.0f, steps));
    d3d9::PresentedImage image;
    EXPECT_TRUE(d3d9::readPresentedImage(gl_.device(), image));
    return image.rgba;
  }

  // The saver's frame from 30 cm in front of the dial (which faces +Y), upright (Z up).
  std::vector<std::uint8_t> drawDial() {
    engine::CameraPose camera;
    camera.eye = D3DXVECTOR3(0, 30, 0);
    camera.direction = D3DXVECTOR3(0, -1, 0);
    camera.up = D3DXVECTOR3(0, 0, 1);
    return draw(camera);
  }

  testsupport::GlTestDevice gl_;
  saver::ClockMechanism clock_; // the hands' transforms follow its keys
  saver::SceneProperties properties_;
  std::unique_ptr<engine::TextureManager> textures_;
  std::unique_ptr<saver::RoomScene> room_;
  std::unique_ptr<saver::RoomFrame> frame_;
};

class ClockFaceImageTest : public RoomImage, public ::testing::WithParamInterface<HandCase> {};

TEST_P(ClockFaceImageTest, TheHandPointsWhereAViewerExpects) {
  const HandCase& c = GetParam();
  setTime(c.hour, c.minute);
  engine::SceneNode* measured = c.minuteHand ? room_->minuteHand() : room_->hourHand();
  engine::SceneNode* other = c.minuteHand ? room_->hourHand() : room_->minuteHand();
  other->geometry()->setHidden(true);
  const std::vector<std::uint8_t> with = drawDial();
  measured->geometry()->setHidden(true);
  const std::vector<std::uint8_t> without = drawDial();
  ASSERT_EQ(with.size(), std::size_t(kWidth) * kHeight * 4);
  ASSERT_EQ(without.size(), with.size());

  // The hand's pixels, measured from the dial centre (the origin, in the middle of the picture).
  double sumX = 0, sumY = 0;
  int count = 0;
  for (UINT y = 0; y < kHeight; ++y)
    for (UINT x = 0; x < kWidth; ++x) {
      const std::size_t at = (std::size_t(y) * kWidth + x) * 4;
      int change = 0;
      for (int channel = 0; channel < 3; ++channel)
        change = std::max(change, std::abs(int(with[at + channel]) - int(without[at + channel])));
      if (change < 24) continue;
      sumX += double(x) + 0.5 - kWidth / 2.0;
      sumY += double(y) + 0.5 - kHeight / 2.0;
      ++count;
    }
  ASSERT_GT(count, 20) << "the hand is not visible";
  const double meanX = sumX / count, meanY = sumY / count;
  const double reach = std::hypot(meanX, meanY);
  EXPECT_GT(reach, 4.0) << "the hand's pixels sit around the centre: " << meanX << ", " << meanY;
  // Within about 25 degrees of the expected direction.
  const double along =
      (meanX * c.expectRight + meanY * c.expectDown) / (reach * std::hypot(c.expectRight, c.expectDown));
  EXPECT_GT(along, 0.9) << c.label << ": the hand's pixels lean to " << meanX << ", " << meanY;
}

INSTANTIATE_TEST_SUITE_P(Hands, ClockFaceImageTest,
                         ::testing::Values(HandCase{"HourHandAtThree", 3, 0, false, 1, 0},
                                           HandCase{"HourHandAtSix", 6, 0, false, 0, 1},
                                           HandCase{"HourHandAtNine", 21, 0, false, -1, 0},
                                           HandCase{"HourHandAtTwelve", 12, 0, false, 0, -1},
                                           HandCase{"MinuteHandAtAQuarterPast", 0, 15, true, 1, 0},
                                           HandCase{"MinuteHandOnTheHour", 9, 0, true, 0, -1}),
                         [](const ::testing::TestParamInfo<HandCase>& info) { return std::string(info.param.label); });

// The room from where the free camera starts, with the window in view: at a flash's peak the
// window view is lit and the screen's ramp raised, as the storm does it.
TEST_F(RoomImage, AFrameDuringAFlashIsBrighterThanWithout) {
  engine::CameraPose camera;
  camera.eye = D3DXVECTOR3(-200, 100, 0);
  camera.direction = D3DXVECTOR3(1, 0, 0);
  camera.up = D3DXVECTOR3(0, 0, 1);
  const D3DGAMMARAMP normal = saver::toD3DGammaRamp(saver::makeGammaRamp(0));
  gl_.device()->SetGammaRamp(0, D3DSGR_CALIBRATE, &normal);
  const std::vector<std::uint8_t> calm = draw(camera);
  const D3DGAMMARAMP flashing = saver::blendGammaRamps(saver::flashGammaRamp(0.75f), normal, 1.0f);
  gl_.device()->SetGammaRamp(0, D3DSGR_CALIBRATE, &flashing);
  const std::vector<std::uint8_t> lit = draw(camera, 1.0f);
  ASSERT_EQ(lit.size(), calm.size());
  const auto brightness = [](const std::vector<std::uint8_t>& rgba) {
    double sum = 0;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
      sum += (rgba[i] + rgba[i + 1] + rgba[i + 2]) / 3.0;
    return sum / double(rgba.size() / 4);
  };
  const double before = brightness(calm), during = brightness(lit);
  EXPECT_GT(before, 10.0); // the room, not a black frame
  EXPECT_GT(during, before * 1.5) << before << " then " << during;
  int darker = 0; // nowhere darker
  for (std::size_t i = 0; i < lit.size(); i += 4)
    darker += lit[i] + lit[i + 1] + lit[i + 2] + 3 < calm[i] + calm[i + 1] + calm[i + 2];
  EXPECT_EQ(darker, 0);
}

} // namespace
