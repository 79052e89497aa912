// 3D channels: the distance law with the room's roll-off, the stereo balance from the
// listener's front and top, and when 3D changes are heard.
#include <cmath>

#include "tests/sound/SoundLibraryFixture.h"

namespace {

using soundtest::constantSample;

class Spatial : public soundtest::SoundLibrary {
protected:
  void SetUp() override {
    SoundLibrary::SetUp();
    ASSERT_TRUE(BASS_Set3DFactors(-1.0f, 0.1f, -1.0f)); // as the room sets them
    const HSAMPLE sample =
        library_->addSample(constantSample(16384, 64), 20, BASS_SAMPLE_MONO | BASS_SAMPLE_LOOP | BASS_SAMPLE_3D);
    channel_ = start(sample);
    ASSERT_NE(channel_, 0u);
  }

  void listenFrom(BASS_3DVECTOR position, BASS_3DVECTOR front, BASS_3DVECTOR top) {
    ASSERT_TRUE(BASS_Set3DPosition(&position, nullptr, &front, &top));
  }
  void placeSource(BASS_3DVECTOR position) {
    ASSERT_TRUE(BASS_ChannelSet3DPosition(channel_, &position, nullptr, nullptr));
  }
  std::pair<float, float> heard() {
    BASS_Apply3D();
    return settledFrame();
  }

  HCHANNEL channel_ = 0;
};

TEST_F(Spatial, GainFollowsTheRollOffLawFromTheMinimumToTheMaximumDistance) {
  // The room's ticking: minimum distance 0 (kept at the default 1), maximum 400.
  ASSERT_TRUE(BASS_ChannelSet3DAttributes(channel_, BASS_3DMODE_NORMAL, 0.0f, 400.0f, 360, 360, 100));
  listenFrom({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
  const struct {
    float distance;
    float gain;
  } cases[] = {{0.5f, 1.0f},
               {1.0f, 1.0f},
               {100.0f, 1.0f / (1.0f + 0.1f * 99.0f)},
               {400.0f, 1.0f / (1.0f + 0.1f * 399.0f)},
               {1000.0f, 1.0f / (1.0f + 0.1f * 399.0f)}};
  for (const auto& c : cases) {
    placeSource({0, 0, c.distance}); // straight ahead: both ears alike
    const auto [left, right] = heard();
    EXPECT_NEAR(left, 0.5f * c.gain, 1e-6f) << "distance " << c.distance;
    EXPECT_EQ(left, right) << "distance " << c.distance;
  }
}

TEST_F(Spatial, ChangesAreHeardOnlyFromTheNextApply3D) {
  listenFrom({0, 0, 0}, {0, 0, 1}, {0, 1, 0});
  placeSource({0, 0, 1});
  EXPECT_EQ(heard().first, 0.5f);
  const BASS_3DVECTOR far{0, 0, 21};
  ASSERT_TRUE(BASS_ChannelSet3DPosition(channel_, &far, nullptr, nullptr));
  ASSERT_TRUE(BASS_Set3DFactors(-1.0f, 1.0f, -1.0f));
  EXPECT_EQ(settledFrame().first, 0.5f);
  EXPECT_FLOAT_EQ(heard().first, 0.5f / 21.0f);
}

TEST_F(Spatial, SourceToTheListenersRightIsLouderOnTheRightAndViceVersa) {
  // The room's axes: Z up, the listener looking along +X, so its right is +Y.
  ASSERT_TRUE(BASS_ChannelSet3DAttributes(channel_, BASS_3DMODE_NORMAL, 100.0f, 400.0f, -1, -1, -1));
  const BASS_3DVECTOR at{10, 20, 30};
  listenFrom(at, {2, 0, 0}, {0, 0, 5});
  placeSource({10, 70, 30});
  const auto [left, right] = heard();
  EXPECT_NEAR(right, 0.5f * std::sqrt(1.9f), 1e-6f);
  EXPECT_NEAR(left, 0.5f * std::sqrt(0.1f), 1e-6f);

  placeSource({10, -30, 30});
  const auto [leftOfLeft, rightOfLeft] = heard();
  EXPECT_NEAR(leftOfLeft, right, 1e-6f);
  EXPECT_NEAR(rightOfLeft, left, 1e-6f);

  placeSource({60, 20, 30}); // ahead
  const auto [aheadLeft, aheadRight] = heard();
  EXPECT_EQ(aheadLeft, 0.5f);
  EXPECT_EQ(aheadRight, 0.5f);

  listenFrom(at, {2, 0, 0}, {0, 0, -1}); // upside down: the sides swap
  placeSource({10, 70, 30});
  EXPECT_NEAR(heard().first, right, 1e-6f);
}

TEST_F(Spatial, ArgumentsThatCannotBeHeardAreRefused) {
  const BASS_3DVECTOR front{0, 0, 1};
  const BASS_3DVECTOR parallel{0, 0, 3};
  const BASS_3DVECTOR moving{1, 0, 0};
  const BASS_3DVECTOR notANumber{std::nanf(""), 0, 0};
  EXPECT_FALSE(BASS_Set3DPosition(nullptr, nullptr, &front, &parallel));
  EXPECT_TRUE(logged("Sound: BASS_Set3DPosition: front and top are parallel\n"));
  EXPECT_FALSE(BASS_Set3DPosition(nullptr, nullptr, &front, nullptr));
  EXPECT_FALSE(BASS_Set3DPosition(&notANumber, nullptr, nullptr, nullptr));
  EXPECT_FALSE(BASS_Set3DPosition(nullptr, &moving, nullptr, nullptr));
  EXPECT_FALSE(BASS_ChannelSet3DPosition(channel_, nullptr, nullptr, &moving));
  EXPECT_FALSE(BASS_ChannelSet3DAttributes(channel_, 1, -1.0f, -1.0f, -1, -1, -1));
  EXPECT_FALSE(BASS_ChannelSet3DAttributes(channel_, -1, -1.0f, -1.0f, 90, -1, -1));
  EXPECT_TRUE(logged("Sound: BASS_ChannelSet3DAttributes: only world positions and full cones are supported\n"));
  EXPECT_FALSE(BASS_ChannelSetAttributes(channel_, 22050, -1, -1));
  EXPECT_FALSE(BASS_Set3DFactors(-1.0f, 11.0f, -1.0f));

  const HSAMPLE flat = library_->addSample(constantSample(100, 10), 1, 0);
  const HCHANNEL flatChannel = start(flat);
  EXPECT_FALSE(BASS_ChannelSet3DPosition(flatChannel, &front, nullptr, nullptr));
  EXPECT_TRUE(logged("Sound: BASS_ChannelSet3DPosition: not a 3D channel\n"));
}

} // namespace
