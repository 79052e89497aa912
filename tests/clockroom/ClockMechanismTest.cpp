#include "clockroom/ClockMechanism.h"

#include <gtest/gtest.h>

#include <cmath>

#include "clockroom/ClockApplication.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "tests/shell/RegistryFixture.h"

namespace {

SYSTEMTIME at(int hour, int minute, int second, int millisecond) {
  SYSTEMTIME t{};
  t.wYear = 2024;
  t.wMonth = 3;
  t.wDay = 9;
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  t.wMilliseconds = static_cast<WORD>(millisecond);
  return t;
}

// Bit-exact single-precision results of the hand law.
TEST(ClockMechanism, HandAnglesAtTheListedTimes) {
  const struct {
    SYSTEMTIME time;
    float minuteFraction;
    float hourFraction;
    float hour;
    float minute;
  } cases[] = {
      {at(12, 0, 0, 0), 0.0f, 0.0f, 0.0f, -0x1.921fb6p+0f},
      {at(0, 0, 0, 0), 0.0f, 0.0f, 0.0f, -0x1.921fb6p+0f},
      {at(15, 30, 0, 0), 0.5f, 0x1.2aaaaap-2f, 0x1.d524fep+0f, 0x1.921fb6p+0f},
      // The hour fraction rounds to exactly 1: the same position as 12 o'clock.
      {at(23, 59, 59, 999), 0x1.fffff8p-1f, 1.0f, 0x1.921fb6p+2f, 0x1.2d97c2p+2f},
      {at(3, 0, 0, 0), 0.0f, 0.25f, 0x1.921fb6p+0f, -0x1.921fb6p+0f},
  };
  for (const auto& c : cases) {
    const saver::HandAngles angles = saver::handAngles(c.time);
    EXPECT_EQ(angles.minuteFraction, c.minuteFraction) << c.time.wHour;
    EXPECT_EQ(angles.hourFraction, c.hourFraction) << c.time.wHour;
    EXPECT_EQ(angles.hour, c.hour) << c.time.wHour;
    EXPECT_EQ(angles.minute, c.minute) << c.time.wHour;
  }
  // The decimal figures as people write them are the same floats, within one unit.
  const saver::HandAngles half = saver::handAngles(at(15, 30, 0, 0));
  EXPECT_NEAR(half.hourFraction, 0.2916667f, 1e-7f);
  EXPECT_NEAR(half.hour, 1.8325957f, 2e-7f);
  EXPECT_NEAR(half.minute, 1.5707963f, 2e-7f);
  EXPECT_NEAR(saver::handAngles(at(23, 59, 59, 999)).minuteFraction, 0.99999976f, 1e-7f);
  EXPECT_NEAR(saver::handAngles(at(23, 59, 59, 999)).hour, 6.2831855f, 1e-7f);
}

TEST(ClockMechanism, HandsMoveContinuously) {
  // The hour hand turns 1/720 of a turn a minute, the minute hand 1/3600 a second.
  const saver::HandAngles a = saver::handAngles(at(4, 10, 0, 0));
  const saver::HandAngles b = saver::handAngles(at(4, 11, 0, 0));
  EXPECT_NEAR(b.hour - a.hour, 2 * 3.1415927f / 720, 1e-6f);
  const saver::HandAngles c = saver::handAngles(at(4, 10, 1, 0));
  EXPECT_NEAR(c.minute - a.minute, 2 * 3.1415927f / 3600, 1e-6f);
  const saver::HandAngles d = saver::handAngles(at(4, 10, 0, 500));
  EXPECT_GT(d.minute, a.minute);
  EXPECT_LT(d.minute, c.minute);
}

TEST(ClockMechanism, RotationKeysTurnAboutTheUpAxisAtTheLocalTime) {
  win32::ManualClock clock;
  clock.setLocalStart(at(15, 30, 0, 0));
  win32::ScopedClock use(clock);
  saver::ClockMechanism mechanism;
  mechanism.update();
  const saver::HandAngles angles = saver::handAngles(at(15, 30, 0, 0));
  for (const auto& [key, angle] : {std::pair{mechanism.hourHandRotation(), angles.hour},
                                   std::pair{mechanism.minuteHandRotation(), angles.minute}}) {
    EXPECT_EQ(key.time, 0.0f);
    EXPECT_EQ(key.value[0], 0.0f);
    EXPECT_EQ(key.value[2], 0.0f);
    EXPECT_EQ(key.value[1], std::sin(angle / 2));
    EXPECT_EQ(key.value[3], std::cos(angle / 2));
    EXPECT_EQ(key.tension, 0.0f);
    EXPECT_EQ(key.continuity, 0.0f);
    EXPECT_EQ(key.bias, 0.0f);
  }
  clock.advance(60 * 60 * 1000); // an hour later the hour hand has moved a twelfth of a turn
  mechanism.update();
  EXPECT_EQ(mechanism.hourHandRotation().value[1], std::sin(saver::handAngles(at(16, 30, 0, 0)).hour / 2));
}

// The clock application on the recording device, its room left out: the frames alone.
class FramedClock : public saver::ClockApplication {
public:
  FramedClock() {
    setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  }
  bool loadScene() override { return true; }
};

class ClockFrames : public shelltest::PrivateSession {
protected:
  void releaseApplication() override { app_.reset(); }

  // The sine of half the hour hand's angle, as its rotation key holds it.
  float hourKey() const { return app_->clockMechanism().hourHandRotation().value[1]; }
  static float hourKeyAt(int hour, int minute) { return std::sin(saver::handAngles(at(hour, minute, 0, 0)).hour / 2); }

  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  std::unique_ptr<FramedClock> app_ = std::make_unique<FramedClock>();
};

TEST_F(ClockFrames, TheHandsFollowTheClockInEveryReadyFrame) {
  clock_.setLocalStart(at(3, 0, 0, 0));
  ASSERT_TRUE(app_->startUp(nullptr, saver::RunMode::Saver, nullptr));
  app_->frameLoop().begin();
  ASSERT_TRUE(app_->frameLoop().runFrame());
  EXPECT_EQ(hourKey(), hourKeyAt(3, 0));
  clock_.advance(30 * 60 * 1000);
  ASSERT_TRUE(app_->frameLoop().runFrame());
  EXPECT_EQ(hourKey(), hourKeyAt(3, 30));
  // While the device is lost no frame is drawn and the hands wait...
  ASSERT_TRUE(d3d9::forceDeviceLoss(app_->device(), 2));
  clock_.advance(30 * 60 * 1000);
  ASSERT_TRUE(app_->frameLoop().runFrame());
  EXPECT_EQ(hourKey(), hourKeyAt(3, 30));
  // ...and the first frame after the reset shows the time it is then.
  clock_.advance(15 * 60 * 1000);
  for (int frame = 0; frame < 3; ++frame)
    ASSERT_TRUE(app_->frameLoop().runFrame());
  EXPECT_EQ(hourKey(), hourKeyAt(4, 15));
}

} // namespace
