// The generated clock drawn on the OpenGL back end with its hands turned by the clock
// mechanism: each hand's tip must land on the side of the dial centre that a viewer in
// front of the dial expects (clockwise, not mirrored, not upside down). A hand's pixels
// are found as the difference between the room drawn with and without that hand.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <vector>

#include "clockroom/ClockMechanism.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/RenderView.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/NodeTransform.h"
#include "engine/scene/Scene.h"
#include "tests/d3d9/GlTestDevice.h"

namespace {

using engine::SceneNode;

constexpr UINT kWidth = 320;
constexpr UINT kHeight = 240;

struct HandCase {
  const char* label;
  WORD hour;
  WORD minute;
  const char* hand;  // the node whose pixels are measured
  float expectRight; // the expected direction of the tip on screen: +1 right, -1 left
  float expectDown;  // +1 down, -1 up
};

void PrintTo(const HandCase& c, std::ostream* out) { *out << c.label; }

class ClockFaceImageTest : public ::testing::TestWithParam<HandCase> {
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
    scene_ = std::make_unique<engine::Scene>();
    const std::string file = (std::filesystem::path(TICKWOOD_MEDIA_STAGE) / "clock.UDF").string();
    ASSERT_TRUE(scene_->load(engine::FileLocation::disk(file), ""));
    // A viewer 40 cm in front of the dial (which faces +Y), upright (Z up).
    view_.setProjection(1.0f, 1000.0f, D3DX_PI * 70.0f / 180.0f, float(kWidth) / float(kHeight));
    view_.setView(D3DXVECTOR3(0, 40, 0), D3DXVECTOR3(0, -1, 0), D3DXVECTOR3(0, 0, 1));
  }
  void TearDown() override {
    view_.clear();
    scene_.reset();
    engine::publishTextureManager(nullptr);
    textures_.reset();
    engine::publishDevice(nullptr);
  }

  void setTime(WORD hour, WORD minute) {
    SYSTEMTIME time{};
    time.wYear = 2026;
    time.wMonth = 12;
    time.wDay = 8;
    time.wHour = hour;
    time.wMinute = minute;
    clock_.update(time);
    install("strelka_1big", clock_.hourHandRotation());
    install("strelka_1min", clock_.minuteHandRotation());
  }

  void install(const char* name, const engine::AnimationKey& key) {
    SceneNode* hand = scene_->root().findByName(name);
    ASSERT_NE(hand, nullptr) << name;
    hand->installTransform("", std::make_shared<engine::RotationKeyTransform>(&key));
  }

  // The room as the clock room draws it, read back as RGBA.
  std::vector<std::uint8_t> draw() {
    IDirect3DDevice9* device = gl_.device();
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), D3D_OK);
    EXPECT_TRUE(view_.applyCamera());
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    engine::stateCache().setRenderState(D3DRS_ZENABLE, TRUE);
    engine::stateCache().setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    engine::TraversalContext context;
    context.flags = engine::kTraverseAtTime;
    EXPECT_TRUE(engine::drawFrame(scene_->root(), view_, context));
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(gl_.presentAndRead());
    return gl_.image().rgba;
  }

  testsupport::GlTestDevice gl_;
  saver::ClockMechanism clock_; // the installed transforms point into it
  std::unique_ptr<engine::TextureManager> textures_;
  std::unique_ptr<engine::Scene> scene_;
  engine::RenderView view_;
};

TEST_P(ClockFaceImageTest, TheHandTipLandsOnTheExpectedSideOfTheDialCentre) {
  const HandCase& c = GetParam();
  setTime(c.hour, c.minute);
  const std::vector<std::uint8_t> with = draw();

  SceneNode* hand = scene_->root().findByName(c.hand);
  ASSERT_NE(hand, nullptr);
  std::unique_ptr<SceneNode> taken = hand->parent()->removeChild(*hand);
  const std::vector<std::uint8_t> without = draw();
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
  ASSERT_GT(count, 40) << "the " << c.hand << " hand is not visible";
  const double meanX = sumX / count, meanY = sumY / count;
  const double reach = std::hypot(meanX, meanY);
  EXPECT_GT(reach, 8.0) << "the hand's pixels sit around the centre: " << meanX << ", " << meanY;
  // Within about 25 degrees of the expected direction.
  const double along =
      (meanX * c.expectRight + meanY * c.expectDown) / (reach * std::hypot(c.expectRight, c.expectDown));
  EXPECT_GT(along, 0.9) << c.label << ": the hand's pixels lean to " << meanX << ", " << meanY;
}

INSTANTIATE_TEST_SUITE_P(Hands, ClockFaceImageTest,
                         ::testing::Values(HandCase{"HourHandAtThree", 3, 0, "strelka_1big", 1, 0},
                                           HandCase{"HourHandAtNine", 21, 0, "strelka_1big", -1, 0},
                                           HandCase{"HourHandAtSix", 6, 0, "strelka_1big", 0, 1},
                                           HandCase{"MinuteHandAtAQuarterPast", 0, 15, "strelka_1min", 1, 0},
                                           HandCase{"MinuteHandOnTheHour", 9, 0, "strelka_1min", 0, -1}),
                         [](const ::testing::TestParamInfo<HandCase>& info) { return std::string(info.param.label); });

} // namespace
