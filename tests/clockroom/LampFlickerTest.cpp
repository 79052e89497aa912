#include "clockroom/LampFlicker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/win32/clock.h"

namespace {

float triangle(float phase) { return phase > 0.5f ? 1.0f - phase : phase; }

class LampFlickerTest : public ::testing::Test {
protected:
  LampFlickerTest() {
    clock_.setNow(1000);
    lamp_.setWinkTime(1000);
  }

  // One update a millisecond.
  void run(LONGLONG ms) {
    for (LONGLONG i = 0; i < ms; ++i) {
      clock_.advance(1);
      lamp_.update();
    }
  }

  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  saver::LampFlicker lamp_;
};

TEST_F(LampFlickerTest, AnEpisodeStartsAfterItsDelayAndQuickensOverItsCycle) {
  std::srand(5);
  const int duration = std::rand() % 2000 + 1000;
  std::srand(5);
  lamp_.queue(1500);
  run(1499);
  EXPECT_FALSE(lamp_.flickering());
  run(1);
  ASSERT_TRUE(lamp_.flickering());
  EXPECT_EQ(lamp_.cycleDuration(), duration);
  EXPECT_EQ(lamp_.period(), 600.0f);
  EXPECT_EQ(lamp_.flicker(), 0.0f);

  run(150);
  const float y = 150.0f / static_cast<float>(duration);
  const float period = (1.0f - y * y) * 100.0f + 500.0f;
  EXPECT_FLOAT_EQ(lamp_.period(), period);
  EXPECT_FLOAT_EQ(lamp_.flicker(), 150.0f / period);

  float lastPeriod = lamp_.period(), highest = 0.0f;
  for (int elapsed = 151; elapsed <= duration; ++elapsed) {
    run(1);
    ASSERT_TRUE(lamp_.flickering());
    ASSERT_LE(lamp_.period(), lastPeriod);
    ASSERT_GE(lamp_.flicker(), 0.0f);
    ASSERT_LE(lamp_.flicker(), 0.5f);
    lastPeriod = lamp_.period();
    highest = std::max(highest, lamp_.flicker());
  }
  EXPECT_EQ(lamp_.period(), 500.0f);
  EXPECT_GT(highest, 0.49f);
}

TEST_F(LampFlickerTest, AnEpisodeEndsAtTheFirstLowPointAfterItsCycle) {
  // A seed whose cycle ends high on the wave (above 0.3), so the episode has to wait.
  unsigned seed = 1;
  for (;; ++seed) {
    std::srand(seed);
    const int duration = std::rand() % 2000 + 1000;
    if (triangle(std::fmod(static_cast<float>(duration + 1), 600.0f) / 600.0f) > 0.3f) break;
  }
  std::srand(seed);
  lamp_.queue(0);
  run(1);
  const LONGLONG start = clock_.now();
  run(lamp_.cycleDuration());
  ASSERT_TRUE(lamp_.flickering()); // the cycle's last frame
  run(1);
  ASSERT_TRUE(lamp_.flickering());
  int frames = 0;
  while (lamp_.flickering() && frames < 1000) {
    // Still going: the wave has not come down to 0.1 since the cycle ended.
    EXPECT_GT(lamp_.flicker(), 0.1f) << frames;
    run(1);
    ++frames;
  }
  ASSERT_FALSE(lamp_.flickering());
  EXPECT_EQ(lamp_.flicker(), 0.0f);
  const float phase = std::fmod(static_cast<float>(clock_.now() - start), lamp_.period()) / lamp_.period();
  EXPECT_LE(triangle(phase), 0.1f);
}

TEST_F(LampFlickerTest, AStartDuringAnEpisodeRenewsTheCycleButKeepsThePhase) {
  std::srand(9);
  const int first = std::rand() % 2000 + 1000;
  const int second = std::rand() % 2000 + 1000;
  std::srand(9);
  lamp_.queue(0);
  run(1);
  EXPECT_EQ(lamp_.cycleDuration(), first);
  run(400);
  lamp_.queue(0);
  run(1);
  EXPECT_EQ(lamp_.cycleDuration(), second);
  EXPECT_EQ(lamp_.period(), 600.0f); // the new cycle has just begun
  EXPECT_FLOAT_EQ(lamp_.flicker(), triangle(401.0f / 600.0f));
  EXPECT_EQ(lamp_.pending(), 0u);
}

} // namespace
