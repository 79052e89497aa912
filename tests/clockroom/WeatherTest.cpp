#include "clockroom/Weather.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/win32/clock.h"

namespace {

using saver::Weather;
using saver::WeatherTiming;

D3DGAMMARAMP identityRamp() {
  D3DGAMMARAMP ramp{};
  for (int i = 0; i < 256; ++i)
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(256 * i);
  return ramp;
}

bool sameRamp(const D3DGAMMARAMP& a, const D3DGAMMARAMP& b) {
  for (int i = 0; i < 256; ++i) {
    if (a.red[i] != b.red[i] || a.green[i] != b.green[i] || a.blue[i] != b.blue[i]) return false;
  }
  return true;
}

// The first `count` numbers rand() gives after `seed`.
std::vector<int> draws(unsigned seed, int count) {
  std::srand(seed);
  std::vector<int> values;
  for (int i = 0; i < count; ++i)
    values.push_back(std::rand());
  return values;
}

class RecordedOutput : public saver::WeatherOutput {
public:
  explicit RecordedOutput(const win32::ManualClock& clock) : clock_(clock) {}
  void setGammaRamp(const D3DGAMMARAMP& ramp) override { ramps.push_back(ramp); }
  void playThunder(int clap) override { claps.emplace_back(clock_.now(), clap); }

  std::vector<D3DGAMMARAMP> ramps;
  std::vector<std::pair<LONGLONG, int>> claps; // (time, clap)

private:
  const win32::ManualClock& clock_;
};

// A flash as the frames saw it.
struct Flash {
  LONGLONG start = 0;
  LONGLONG end = 0;
  float strength = 0.0f;
  std::int64_t interval = 0; // the gap drawn for after it
};

class WeatherTest : public ::testing::Test {
protected:
  WeatherTest() { clock_.setNow(50000); }

  void startAt(unsigned seed, WeatherTiming timing, bool thunder) {
    std::srand(seed);
    weather_.setTiming(timing);
    weather_.setNormalRamp(identityRamp());
    weather_.setThunderEnabled(thunder);
    weather_.start();
  }

  // One update a millisecond for `ms` milliseconds; every flash that starts is recorded.
  void run(LONGLONG ms) {
    for (LONGLONG i = 0; i < ms; ++i) {
      clock_.advance(1);
      const bool wasFlashing = weather_.flashing();
      weather_.update(output_);
      if (!wasFlashing && weather_.flashing()) {
        flashes_.push_back({clock_.now(), 0, weather_.lightning().flashStrength(), weather_.lightning().interval()});
      } else if (wasFlashing && !weather_.flashing()) {
        flashes_.back().end = clock_.now();
      }
    }
  }

  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  Weather weather_;
  RecordedOutput output_{clock_};
  std::vector<Flash> flashes_;
};

// The law, drawn from the same seed: duration, strength, kind of gap, then the gap (a
// double flash also draws the lamp's delay).
TEST_F(WeatherTest, LightningFollowsTheSeededLaw) {
  const int quiet = 300;
  // A seed whose first four flashes are single and take both kinds of gap, so one run
  // checks the two long laws without interleaved lamp draws.
  unsigned seed = 1;
  std::vector<int> r;
  for (;; ++seed) {
    r = draws(seed, 20);
    bool single = true, shortGap = false, longGap = false;
    for (int k = 0; k < 4; ++k) {
      single = single && r[5 * k + 2] % 5 != 0;
      (r[5 * k + 3] % 2 == 0 ? shortGap : longGap) = true;
    }
    if (single && shortGap && longGap) break;
  }
  startAt(seed, {quiet, 1000}, false);
  run(4 * 5 * quiet + 4000);
  ASSERT_GE(flashes_.size(), 4u);

  LONGLONG expectedStart = 50000 + 1000; // the first flash may come 1000 ms after the start
  for (int k = 0; k < 4; ++k) {
    const int* d = &r[5 * k];
    const int duration = d[0] % 400 + 300;
    const float strength = static_cast<float>((d[1] % 100) / 100.0 * 0.5 + 0.5);
    const int gap = d[3] % 2 == 0 ? d[4] % (2 * quiet) + quiet : d[4] % (3 * quiet) + 2 * quiet;
    SCOPED_TRACE(k);
    EXPECT_EQ(flashes_[k].start, expectedStart);
    EXPECT_EQ(flashes_[k].end - flashes_[k].start, duration);
    EXPECT_EQ(flashes_[k].strength, strength);
    EXPECT_EQ(flashes_[k].interval, gap);
    // The gap counts from the end of the flash.
    expectedStart = flashes_[k].end + gap;
  }
  EXPECT_EQ(weather_.lamp().pending(), 0u);
}

TEST_F(WeatherTest, DoubleFlashFollowsAtOnceAndQueuesTheLampEvenWithoutThunder) {
  unsigned seed = 1;
  std::vector<int> r;
  do
    r = draws(++seed, 5);
  while (r[2] % 5 != 0);
  startAt(seed, {3000, 1000}, false);
  run(1000);
  ASSERT_EQ(flashes_.size(), 1u);
  EXPECT_EQ(weather_.lightning().interval(), r[3] % 100);
  EXPECT_EQ(weather_.lamp().pending(), 1u);
  EXPECT_EQ(weather_.lightning().pendingThunder(), 0u);

  const LONGLONG flickerAt = flashes_[0].start + r[4] % 2000 + 1000;
  run(flickerAt - 1 - clock_.now());
  EXPECT_FALSE(weather_.flickering());
  ASSERT_GE(flashes_.size(), 2u);
  // A gap of 0 still lets the frame that ends the flash go by.
  EXPECT_EQ(flashes_[1].start, flashes_[0].end + std::max(r[3] % 100, 1));
  run(1);
  EXPECT_TRUE(weather_.flickering());
  EXPECT_TRUE(output_.claps.empty());
}

TEST_F(WeatherTest, ThunderComes500msAfterEveryFlashStart) {
  startAt(7, {400, 1000}, true);
  run(30000);
  ASSERT_GE(flashes_.size(), 10u);
  std::size_t heard = 0;
  for (const Flash& flash : flashes_) {
    if (flash.start + 500 > clock_.now()) break;
    ASSERT_LT(heard, output_.claps.size());
    EXPECT_EQ(output_.claps[heard].first, flash.start + 500);
    EXPECT_GE(output_.claps[heard].second, 0);
    EXPECT_LE(output_.claps[heard].second, 2);
    ++heard;
  }
  EXPECT_EQ(heard, output_.claps.size());
}

TEST_F(WeatherTest, ClapsOfADoubleFlashOverlap) {
  // A double flash whose second flash starts within 500 ms of the first has two claps
  // waiting at once.
  unsigned seed = 1;
  std::vector<int> r;
  do
    r = draws(++seed, 5);
  while (r[2] % 5 != 0 || r[0] % 400 + 300 + r[3] % 100 >= 499);
  startAt(seed, {3000, 1000}, true);
  run(1000 + 500);
  ASSERT_GE(flashes_.size(), 2u);
  ASSERT_EQ(output_.claps.size(), 1u);
  EXPECT_EQ(weather_.lightning().pendingThunder(), 1u);
  run(flashes_[1].start + 500 - clock_.now());
  EXPECT_EQ(output_.claps.size(), 2u);
  EXPECT_EQ(output_.claps[1].first, flashes_[1].start + 500);
}

TEST_F(WeatherTest, EveryFlashingFrameSetsTheBlendedRampAndTheLastTheNormalOne) {
  startAt(3, {3000, 1000}, false);
  run(1000);
  ASSERT_EQ(flashes_.size(), 1u);
  const int duration = weather_.lightning().flashDuration();
  const float strength = weather_.lightning().flashStrength();
  // The first frame of a flash is still dark.
  ASSERT_EQ(output_.ramps.size(), 1u);
  EXPECT_TRUE(sameRamp(output_.ramps[0], identityRamp()));
  EXPECT_EQ(weather_.flash(), 0.0f);

  run(duration / 2);
  const float x = saver::flashIntensity(static_cast<float>(duration / 2) / static_cast<float>(duration));
  EXPECT_EQ(weather_.flash(), x);
  EXPECT_GT(weather_.flash(), 0.99f);
  const D3DGAMMARAMP bright = saver::blendGammaRamps(saver::flashGammaRamp(strength), identityRamp(), x);
  EXPECT_TRUE(sameRamp(output_.ramps.back(), bright));

  run(duration - duration / 2);
  EXPECT_FALSE(weather_.flashing());
  EXPECT_EQ(weather_.flash(), 0.0f);
  EXPECT_EQ(output_.ramps.size(), static_cast<std::size_t>(duration) + 1);
  EXPECT_TRUE(sameRamp(output_.ramps.back(), identityRamp()));
  // Between flashes the device keeps its ramp.
  run(200);
  EXPECT_EQ(output_.ramps.size(), static_cast<std::size_t>(duration) + 1);
}

TEST_F(WeatherTest, AFrameLateAfterTheFlashEndsItDark) {
  startAt(3, {3000, 1000}, false);
  run(1000);
  const int duration = weather_.lightning().flashDuration();
  clock_.advance(duration + 250);
  weather_.update(output_);
  EXPECT_FALSE(weather_.flashing());
  EXPECT_EQ(weather_.flash(), 0.0f);
  EXPECT_TRUE(sameRamp(output_.ramps.back(), identityRamp()));
}

TEST(WeatherFigures, FlashIntensity) {
  EXPECT_EQ(saver::flashIntensity(0.5f), 1.0f); // 1.1111112 at the peak, limited to 1
  EXPECT_NEAR(saver::flashIntensity(0.1f), 0.7430f, 5e-5f);
  EXPECT_NEAR(saver::flashIntensity(0.9f), 0.7430f, 5e-5f);
  EXPECT_EQ(saver::flashIntensity(0.0f), 0.0f);
  EXPECT_EQ(saver::flashIntensity(1.0f), 0.0f);
  // Past the end (a late frame) and before the start (a clock stepping back) it is dark,
  // not the root of a negative number.
  EXPECT_EQ(saver::flashIntensity(1.3f), 0.0f);
  EXPECT_EQ(saver::flashIntensity(-0.2f), 0.0f);
}

TEST(WeatherFigures, FlashRampBlendsWithTheNormalRamp) {
  const D3DGAMMARAMP flash = saver::flashGammaRamp(0.5f);
  for (int i = 0; i < 256; ++i) {
    const WORD expected = i < 128 ? static_cast<WORD>(16384 + 384 * i) : 65535;
    ASSERT_EQ(flash.red[i], expected) << i;
    ASSERT_EQ(flash.green[i], expected) << i;
    ASSERT_EQ(flash.blue[i], expected) << i;
  }
  // The strongest flash: 0.995 * 32768 + i * 510.72, truncated.
  EXPECT_EQ(saver::flashGammaRamp(0.995f).red[1], 33114);

  // Each channel blends with its own: the normal ramp's green and blue differ from red.
  D3DGAMMARAMP normal = identityRamp();
  for (int i = 0; i < 256; ++i) {
    normal.green[i] = 0;
    normal.blue[i] = 65535;
  }
  const D3DGAMMARAMP full = saver::blendGammaRamps(flash, normal, 1.0f);
  const D3DGAMMARAMP none = saver::blendGammaRamps(flash, normal, 0.0f);
  const D3DGAMMARAMP half = saver::blendGammaRamps(flash, normal, 0.5f);
  EXPECT_TRUE(sameRamp(full, flash));
  EXPECT_TRUE(sameRamp(none, normal));
  EXPECT_EQ(half.red[10], 8192 + 320 * 10);
  EXPECT_EQ(half.red[200], 58367); // 65535 / 2 + 51200 / 2 = 58367.5, truncated
  EXPECT_EQ(half.green[10], (16384 + 3840) / 2);
  EXPECT_EQ(half.blue[200], 65535);
}

TEST_F(WeatherTest, TimingBelowOneCountsAsOne) {
  startAt(11, {0, -5}, false);
  EXPECT_EQ(weather_.lightning().quietTime(), 1);
  EXPECT_EQ(weather_.lamp().winkTime(), 1);
  run(20000); // a division by zero would end the test here
  ASSERT_GE(flashes_.size(), 10u);
  for (const Flash& flash : flashes_)
    EXPECT_LE(flash.interval, 99);
}

TEST_F(WeatherTest, TheLargestTimingDoesNotOverflow) {
  startAt(11, {INT_MAX, INT_MAX}, false);
  run(1000);
  ASSERT_EQ(flashes_.size(), 1u);
  const std::int64_t interval = weather_.lightning().interval();
  EXPECT_TRUE(interval < 100 || interval >= std::int64_t{INT_MAX}) << interval;
}

} // namespace
