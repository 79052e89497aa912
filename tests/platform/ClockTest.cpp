#include "platform/win32/clock.h"

#include <gtest/gtest.h>

namespace {
SYSTEMTIME at(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(mo);
  t.wDay = static_cast<WORD>(d);
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(mi);
  t.wSecond = static_cast<WORD>(s);
  t.wMilliseconds = static_cast<WORD>(ms);
  return t;
}
void expectTime(const SYSTEMTIME& t, int y, int mo, int d, int h, int mi, int s, int ms, int weekday) {
  EXPECT_EQ(t.wYear, y);
  EXPECT_EQ(t.wMonth, mo);
  EXPECT_EQ(t.wDay, d);
  EXPECT_EQ(t.wHour, h);
  EXPECT_EQ(t.wMinute, mi);
  EXPECT_EQ(t.wSecond, s);
  EXPECT_EQ(t.wMilliseconds, ms);
  EXPECT_EQ(t.wDayOfWeek, weekday);
}
} // namespace

TEST(Clock, AddingMillisecondsCarriesThroughTheCalendar) {
  expectTime(win32::addMilliseconds(at(2024, 2, 28, 23, 59, 59, 999), 1), 2024, 2, 29, 0, 0, 0, 0, 4);
  expectTime(win32::addMilliseconds(at(2023, 12, 31, 23, 0, 0), 3600 * 1000), 2024, 1, 1, 0, 0, 0, 0, 1);
  expectTime(win32::addMilliseconds(at(2100, 2, 28, 12, 0, 0), 86400000), 2100, 3, 1, 12, 0, 0, 0, 1);
  expectTime(win32::addMilliseconds(at(2026, 1, 1, 0, 0, 0), -1), 2025, 12, 31, 23, 59, 59, 999, 3);
}

TEST(Clock, ManualClockDrivesEveryTimeCall) {
  win32::ManualClock clock;
  win32::ScopedClock use(clock);
  clock.setNow(2000);
  clock.setLocalStart(at(2026, 12, 7, 11, 59, 58));
  clock.advance(2500);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  expectTime(now, 2026, 12, 7, 12, 0, 0, 500, 1);
  EXPECT_EQ(timeGetTime(), 4500u);
  LARGE_INTEGER f{}, c{};
  EXPECT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_TRUE(QueryPerformanceCounter(&c));
  EXPECT_EQ(c.QuadPart / (f.QuadPart / 1000), 4500);
}

TEST(Clock, SystemClockIsMonotonic) {
  LARGE_INTEGER f{}, a{}, b{};
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  EXPECT_GE(f.QuadPart, 1000);
  QueryPerformanceCounter(&a);
  QueryPerformanceCounter(&b);
  EXPECT_GE(b.QuadPart, a.QuadPart);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
}

TEST(Clock, AnAcceleratedClockRunsEveryTimeCallFasterFromItsStart) {
  win32::ManualClock base;
  base.setNow(0xFFFFFF00LL); // the tick count wraps during the run
  base.setLocalStart(at(2026, 12, 7, 23, 59, 0));
  win32::AcceleratedClock fast(base, 60.0);
  win32::ScopedClock use(fast);
  const DWORD tickAtStart = timeGetTime();
  LARGE_INTEGER f{}, start{}, later{};
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  QueryPerformanceCounter(&start);
  base.advance(1000); // a second of the machine: a minute of the program's time
  QueryPerformanceCounter(&later);
  EXPECT_EQ((later.QuadPart - start.QuadPart) / (f.QuadPart / 1000), 60000);
  EXPECT_EQ(timeGetTime() - tickAtStart, 60000u);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  expectTime(now, 2026, 12, 8, 0, 0, 0, 0, 2);
}
