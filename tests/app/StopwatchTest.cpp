#include "engine/app/Stopwatch.h"

#include <gtest/gtest.h>

#include "platform/win32/clock.h"

using namespace engine;

TEST(Timer, MillisecondsComeFromThePerformanceCounter) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setCounterFrequency(3000000);
  clock.setNow(123456);
  EXPECT_EQ(nowMilliseconds(), 123456);
  // An odd frequency shows the integer divisions: counts / (frequency / 1000), where
  // frequency / 1000 drops the 545. The counter stands at 441916307 after 123456 ms, which
  // gives 123474 (and not 123455, which counts * 1000 / frequency would give).
  clock.setCounterFrequency(3579545);
  LARGE_INTEGER counter{};
  ASSERT_TRUE(QueryPerformanceCounter(&counter));
  ASSERT_EQ(counter.QuadPart, 441916307);
  EXPECT_EQ(nowMilliseconds(), 123474);
}

TEST(Timer, SlowOrMissingCounterFallsBackToTheMultimediaTimer) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setNow(5000);
  clock.setCounterFrequency(999);
  EXPECT_EQ(nowMilliseconds(), 5000);
  clock.setCounterFrequency(1000000, false);
  EXPECT_EQ(nowMilliseconds(), 5000);
  // timeGetTime wraps at 2^32 milliseconds; the fallback reports what it reports.
  clock.setNow((1LL << 32) + 7);
  EXPECT_EQ(nowMilliseconds(), 7);
}

TEST(Stopwatch, RestartElapsedAndPeriodicTest) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setNow(1000);
  Stopwatch watch;
  clock.advance(250);
  EXPECT_EQ(watch.elapsedMs(), 250);
  EXPECT_FALSE(watch.every(1000));
  clock.advance(749);
  EXPECT_FALSE(watch.every(1000));
  clock.advance(1);
  EXPECT_TRUE(watch.every(1000)); // exactly the period counts
  EXPECT_EQ(watch.elapsedMs(), 0);
  EXPECT_FALSE(watch.every(1000));
  clock.advance(40);
  watch.restart();
  EXPECT_EQ(watch.startMs(), 2040);
}

TEST(Stopwatch, ABackwardJumpAlsoCountsAsPassed) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setNow(100000);
  Stopwatch keepAlive;
  clock.setNow(100000 - 29999);
  EXPECT_FALSE(keepAlive.every(30000));
  clock.setNow(100000 - 30000);
  EXPECT_TRUE(keepAlive.every(30000));
  EXPECT_EQ(keepAlive.startMs(), 70000);
}
