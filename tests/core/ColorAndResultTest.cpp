#include <gtest/gtest.h>

#include <limits>

#include "engine/core/FloatColor.h"
#include "engine/core/Result.h"

using namespace engine;

TEST(FloatColor, PacksEachChannelTimes256TruncatedAndCapped) {
  EXPECT_EQ(toColorChannel(1.0f), 255u);
  EXPECT_EQ(toColorChannel(0.5f), 128u);
  EXPECT_EQ(toColorChannel(0.0f), 0u);
  EXPECT_EQ(toColorChannel(254.9f / 256.0f), 254u);
  EXPECT_EQ(toColorChannel(3.0f), 255u);
  EXPECT_EQ(toColorChannel(-0.5f), 0u);
  EXPECT_EQ(toColorChannel(std::numeric_limits<float>::quiet_NaN()), 0u);
  EXPECT_EQ(toColorChannel(std::numeric_limits<float>::infinity()), 255u);
  EXPECT_EQ(toColor(FloatColor(1.0f, 0.5f, 0.25f, 0.0f)), 0xFF804000u);
}

TEST(FloatColor, BuildsFromBytesAndArgb) {
  const FloatColor c = FloatColor::fromBytes(255, 0, 51);
  EXPECT_FLOAT_EQ(c.a, 1.0f);
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 0.0f);
  EXPECT_FLOAT_EQ(c.b, 0.2f);
  const FloatColor d = FloatColor::fromArgb(0x80FF0040u);
  EXPECT_FLOAT_EQ(d.a, 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(d.r, 1.0f);
  EXPECT_FLOAT_EQ(d.b, 64.0f / 255.0f);
  // 255/255 survives the round trip; 128/255 packs one step up (x 256, not x 255).
  EXPECT_EQ(toColor(FloatColor::fromArgb(0xFF00FF00u)), 0xFF00FF00u);
  EXPECT_EQ(toColorChannel(128.0f / 255.0f), 128u);
}

TEST(Result, CombiningKeepsAFailure) {
  EXPECT_TRUE(Result::success().ok());
  EXPECT_FALSE(Result::failure().ok());
  EXPECT_TRUE(Result{0x10001}.ok());
  EXPECT_FALSE(Result{0x10000}.ok());
  EXPECT_EQ(Result::success() & Result::failure(), Result::failure());
  EXPECT_EQ(Result{6} & Result::success(), Result{6});
  EXPECT_TRUE((Result::success() & Result{3}).ok());
  Result all = Result::success();
  for (bool ok : {true, false, true})
    all &= Result::from(ok);
  EXPECT_FALSE(all.ok());
}
