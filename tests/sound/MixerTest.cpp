// What the mixer makes of samples, channels and volumes, heard through the library's calls
// without an output device.
#include <cmath>
#include <numbers>

#include "platform/sound/Mixer.h"
#include "tests/sound/SoundLibraryFixture.h"

namespace {

using soundtest::constantSample;
using soundtest::SoundLibrary;

constexpr float kPcm = 1.0f / 32768.0f;

TEST_F(SoundLibrary, LoopingSamplePlaysEveryFrameInOrderAcrossItsLoopPoint) {
  sound::SampleData ramp;
  ramp.rate = kRate;
  ramp.channels = 2;
  for (int i = 0; i < 100; ++i) {
    ramp.pcm.push_back(static_cast<std::int16_t>(i * 37 - 1800));
    ramp.pcm.push_back(static_cast<std::int16_t>(900 - i * 11));
  }
  const sound::SampleData copy = ramp;
  const HSAMPLE sample = library_->addSample(std::move(ramp), 1, BASS_SAMPLE_LOOP);
  ASSERT_NE(start(sample), 0u);

  // Blocks that end inside the sample and on its loop point alike.
  std::vector<float> out = pull(250);
  const std::vector<float> more = pull(100);
  out.insert(out.end(), more.begin(), more.end());
  for (int frame = 0; frame < 350; ++frame) {
    const std::size_t at = 2 * static_cast<std::size_t>(frame % 100);
    ASSERT_EQ(out[2 * frame], copy.pcm[at] * kPcm) << "frame " << frame;
    ASSERT_EQ(out[2 * frame + 1], copy.pcm[at + 1] * kPcm) << "frame " << frame;
  }
}

TEST_F(SoundLibrary, SampleAtAnotherRateIsResampledAndLoopsWithoutAClick) {
  // Four periods of a 441 Hz sine at 22.05 kHz: 200 frames, played at 44.1 kHz.
  constexpr float kAmplitude = 0.5f;
  sound::SampleData sine;
  sine.rate = kRate / 2;
  sine.channels = 1;
  for (int i = 0; i < 200; ++i)
    sine.pcm.push_back(static_cast<std::int16_t>(std::lround(
        kAmplitude * 32767.0f * std::sin(2.0f * std::numbers::pi_v<float> * static_cast<float>(i) / 50.0f))));
  const HSAMPLE sample = library_->addSample(std::move(sine), 1, BASS_SAMPLE_LOOP);
  ASSERT_NE(start(sample), 0u);

  const std::vector<float> out = pull(1000); // two and a half loops
  for (int frame = 0; frame < 1000; ++frame) {
    const float expected = kAmplitude * std::sin(2.0f * std::numbers::pi_v<float> * static_cast<float>(frame) / 100.0f);
    // Linear interpolation of a sine 50 frames long stays within a few thousandths.
    ASSERT_NEAR(out[2 * frame], expected, 2e-3f) << "frame " << frame;
    ASSERT_EQ(out[2 * frame], out[2 * frame + 1]);
  }
}

TEST_F(SoundLibrary, SampleEndsAfterItsLengthAtTheOutputRate) {
  const HSAMPLE sample = library_->addSample(constantSample(8192, 300, kRate / 2), 1, 0);
  ASSERT_NE(start(sample), 0u);
  const std::vector<float> out = pull(700);
  EXPECT_FLOAT_EQ(out[2 * 599], 0.25f);
  EXPECT_EQ(out[2 * 600], 0.0f);
  EXPECT_EQ(out[2 * 699], 0.0f);
}

TEST_F(SoundLibrary, TwentyOneStartsOfATwentyChannelSampleKeepTwentyUntilTheyEnd) {
  const HSAMPLE sample = library_->addSample(constantSample(328, 2000), 20, 0);
  std::vector<HCHANNEL> channels;
  for (int i = 0; i < 21; ++i)
    channels.push_back(start(sample));
  EXPECT_EQ(std::count(channels.begin(), channels.end(), 0u), 1);
  EXPECT_EQ(channels.back(), 0u);
  EXPECT_TRUE(logged("Sound: BASS_SampleGetChannel: all 20 channels are playing\n"));
  EXPECT_FLOAT_EQ(pull(1)[0], 20 * 328 * kPcm);

  pull(2000); // every start has played to its end
  EXPECT_EQ(pull(1)[0], 0.0f);
  const HCHANNEL again = start(sample);
  EXPECT_NE(again, 0u);
  // A handle of an earlier use no longer reaches the channel that was handed out again.
  EXPECT_FALSE(BASS_ChannelPlay(channels.front(), TRUE));
  EXPECT_FALSE(BASS_ChannelSetAttributes(channels.front(), -1, 0, -1));
  EXPECT_FLOAT_EQ(pull(1)[0], 328 * kPcm);
}

TEST_F(SoundLibrary, ChannelVolumeAndGlobalVolumeScaleTheOutputExactly) {
  const HSAMPLE sample = library_->addSample(constantSample(16384, 64), 1, BASS_SAMPLE_LOOP);
  const HCHANNEL channel = start(sample);
  EXPECT_EQ(settledFrame().first, 0.5f);

  ASSERT_TRUE(BASS_ChannelSetAttributes(channel, -1, 50, -1));
  EXPECT_EQ(settledFrame().first, 0.25f);
  ASSERT_TRUE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 40));
  const auto [left, right] = settledFrame();
  EXPECT_FLOAT_EQ(left, 0.5f * 0.5f * 0.4f);
  EXPECT_FLOAT_EQ(right, 0.5f * 0.5f * 0.4f);
  ASSERT_TRUE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0));
  EXPECT_EQ(settledFrame().first, 0.0f);

  EXPECT_FALSE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 101));
  EXPECT_FALSE(BASS_ChannelSetAttributes(channel, -1, 101, -1));
}

TEST_F(SoundLibrary, VolumeChangeRampsAcrossOneBlockInsteadOfJumping) {
  const HSAMPLE sample = library_->addSample(constantSample(16384, 64), 1, BASS_SAMPLE_LOOP);
  start(sample);
  pull(kBlock);
  BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0);
  const std::vector<float> ramp = pull(kBlock);
  for (int i = 1; i < kBlock; ++i)
    ASSERT_LT(ramp[2 * i], ramp[2 * (i - 1)]);
  EXPECT_LT(ramp[0] - ramp[2], 0.5f / 500);
  EXPECT_EQ(ramp[2 * (kBlock - 1)], 0.0f);
}

TEST_F(SoundLibrary, LoudMixIsSoftLimitedInsideMinusOneToOneWithoutWrapping) {
  sound::SampleData square;
  square.rate = kRate;
  square.channels = 1;
  for (int i = 0; i < 100; ++i)
    square.pcm.push_back(i < 50 ? 32767 : -32768);
  const HSAMPLE sample = library_->addSample(std::move(square), 20, BASS_SAMPLE_LOOP);
  for (int i = 0; i < 20; ++i)
    start(sample);
  const std::vector<float> out = pull(400);
  for (int frame = 0; frame < 400; ++frame) {
    const float value = out[2 * frame];
    ASSERT_LT(std::fabs(value), 1.0f);
    ASSERT_GT(std::fabs(value), 0.99f);
    ASSERT_EQ(value > 0.0f, frame % 100 < 50) << "frame " << frame;
  }
  // Quiet values pass untouched; the knee is continuous.
  EXPECT_EQ(sound::softLimit(0.9f), 0.9f);
  EXPECT_EQ(sound::softLimit(-0.3f), -0.3f);
  EXPECT_NEAR(sound::softLimit(0.9001f), 0.9001f, 1e-5f);
  EXPECT_EQ(sound::softLimit(std::nanf("")), 0.0f);
}

TEST_F(SoundLibrary, ChannelPlayWithoutRestartResumesAndWithRestartStartsOver) {
  sound::SampleData steps = constantSample(0, 4);
  steps.pcm = {1000, 2000, 3000, 4000};
  const HSAMPLE sample = library_->addSample(std::move(steps), 1, BASS_SAMPLE_LOOP);
  const HCHANNEL channel = start(sample);
  pull(2);
  ASSERT_TRUE(BASS_ChannelPlay(channel, FALSE));
  EXPECT_EQ(pull(1)[0], 3000 * kPcm);
  ASSERT_TRUE(BASS_ChannelPlay(channel, TRUE));
  EXPECT_EQ(pull(1)[0], 1000 * kPcm);
}

TEST(SoundLibraryLifetime, CallsFailUntilTheLibraryIsLoadedAndInitialisedAndAfterItIsFreed) {
  const BASS_3DVECTOR origin{0, 0, 0};
  EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(BASS_Set3DPosition(&origin, nullptr, nullptr, nullptr));
  ASSERT_TRUE(sound::loadLibrary());
  EXPECT_FALSE(sound::loadLibrary());
  EXPECT_FALSE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0)); // not initialised yet
  EXPECT_FALSE(BASS_Init(2, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_FALSE(BASS_Init(0, 44100, 0, nullptr, nullptr));
  EXPECT_TRUE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0));
  sound::freeLibrary();
  EXPECT_FALSE(BASS_SetConfig(BASS_CONFIG_GVOL_SAMPLE, 0));
  EXPECT_EQ(BASS_SampleGetChannel(0x80000001u, TRUE), 0u);
}

} // namespace
