#include "platform/win32/clock.h"

#include <ctime>

namespace win32 {
namespace {

constexpr LONGLONG kNanosecondsPerSecond = 1000000000;

class SystemClock final : public Clock {
public:
  bool performanceFrequency(LONGLONG& countsPerSecond) override {
    countsPerSecond = kNanosecondsPerSecond;
    return true;
  }
  bool performanceCounter(LONGLONG& count) override {
    timespec ts{};
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return false;
    count = static_cast<LONGLONG>(ts.tv_sec) * kNanosecondsPerSecond + ts.tv_nsec;
    return true;
  }
  DWORD tickMilliseconds() override {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    auto ms = static_cast<ULONGLONG>(ts.tv_sec) * 1000u + static_cast<ULONGLONG>(ts.tv_nsec / 1000000);
    return static_cast<DWORD>(ms);
  }
  SYSTEMTIME localTime() override {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm parts{};
    time_t seconds = ts.tv_sec;
    localtime_r(&seconds, &parts);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(parts.tm_year + 1900);
    st.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    st.wDay = static_cast<WORD>(parts.tm_mday);
    st.wHour = static_cast<WORD>(parts.tm_hour);
    st.wMinute = static_cast<WORD>(parts.tm_min);
    st.wSecond = static_cast<WORD>(parts.tm_sec);
    st.wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
    return st;
  }
};

Clock* g_clock = nullptr;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (H. Hinnant's algorithms).
LONGLONG daysFromCivil(LONGLONG y, unsigned m, unsigned d) {
  y -= m <= 2;
  const LONGLONG era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<LONGLONG>(doe) - 719468;
}

void civilFromDays(LONGLONG z, LONGLONG& y, unsigned& m, unsigned& d) {
  z += 719468;
  const LONGLONG era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<LONGLONG>(yoe) + era * 400 + (m <= 2);
}

LONGLONG floorDiv(LONGLONG a, LONGLONG b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

} // namespace

Clock& systemClock() {
  static SystemClock clock;
  return clock;
}

void setClock(Clock* clock) { g_clock = clock; }

Clock& currentClock() { return g_clock ? *g_clock : systemClock(); }

ManualClock::ManualClock() {
  localStart_.wYear = 2000;
  localStart_.wMonth = 1;
  localStart_.wDay = 1;
  localStart_.wDayOfWeek = 6; // 2000-01-01 was a Saturday
}

void ManualClock::setCounterFrequency(LONGLONG countsPerSecond, bool present) {
  frequency_ = countsPerSecond;
  counterPresent_ = present;
}

bool ManualClock::performanceFrequency(LONGLONG& countsPerSecond) {
  countsPerSecond = counterPresent_ ? frequency_ : 0;
  return counterPresent_;
}

bool ManualClock::performanceCounter(LONGLONG& count) {
  if (!counterPresent_) return false;
  // now x frequency / 1000, rounded down, without overflowing for days of milliseconds.
  count = nowMs_ * (frequency_ / 1000) + (nowMs_ * (frequency_ % 1000)) / 1000;
  return true;
}

DWORD ManualClock::tickMilliseconds() { return static_cast<DWORD>(nowMs_); }

SYSTEMTIME ManualClock::localTime() { return addMilliseconds(localStart_, nowMs_ - localStartMs_); }

StartTimeClock::StartTimeClock(int hour, int minute, int second) {
  start_ = systemClock().localTime();
  start_.wHour = static_cast<WORD>(hour);
  start_.wMinute = static_cast<WORD>(minute);
  start_.wSecond = static_cast<WORD>(second);
  start_.wMilliseconds = 0;
  startMs_ = static_cast<LONGLONG>(systemClock().tickMilliseconds());
}

bool StartTimeClock::performanceFrequency(LONGLONG& countsPerSecond) {
  return systemClock().performanceFrequency(countsPerSecond);
}

bool StartTimeClock::performanceCounter(LONGLONG& count) { return systemClock().performanceCounter(count); }

DWORD StartTimeClock::tickMilliseconds() { return systemClock().tickMilliseconds(); }

SYSTEMTIME StartTimeClock::localTime() {
  // The tick count wraps at 2^32 ms; the difference of two ticks does not care.
  const DWORD elapsed = systemClock().tickMilliseconds() - static_cast<DWORD>(startMs_);
  return addMilliseconds(start_, static_cast<LONGLONG>(elapsed));
}

AcceleratedClock::AcceleratedClock(Clock& base, double rate) : base_(base), rate_(rate) {
  base_.performanceCounter(counterStart_);
  tickStart_ = base_.tickMilliseconds();
  localStart_ = base_.localTime();
}

bool AcceleratedClock::performanceFrequency(LONGLONG& countsPerSecond) {
  return base_.performanceFrequency(countsPerSecond);
}

bool AcceleratedClock::performanceCounter(LONGLONG& count) {
  LONGLONG now = 0;
  if (!base_.performanceCounter(now)) return false;
  count = counterStart_ + static_cast<LONGLONG>(static_cast<long double>(now - counterStart_) * rate_);
  return true;
}

DWORD AcceleratedClock::tickMilliseconds() { return tickStart_ + static_cast<DWORD>(acceleratedMs()); }

SYSTEMTIME AcceleratedClock::localTime() { return addMilliseconds(localStart_, acceleratedMs()); }

LONGLONG AcceleratedClock::acceleratedMs() {
  // The tick count wraps at 2^32 ms; the difference of two ticks does not care.
  const DWORD elapsed = base_.tickMilliseconds() - tickStart_;
  return static_cast<LONGLONG>(static_cast<double>(elapsed) * rate_);
}

ScopedClock::ScopedClock(Clock& clock) : previous_(g_clock) { g_clock = &clock; }
ScopedClock::~ScopedClock() { g_clock = previous_; }

SYSTEMTIME addMilliseconds(const SYSTEMTIME& time, LONGLONG milliseconds) {
  const LONGLONG days = daysFromCivil(time.wYear, time.wMonth, time.wDay);
  const LONGLONG msOfDay =
      ((static_cast<LONGLONG>(time.wHour) * 60 + time.wMinute) * 60 + time.wSecond) * 1000 + time.wMilliseconds;
  const LONGLONG total = days * 86400000 + msOfDay + milliseconds;
  const LONGLONG newDays = floorDiv(total, 86400000);
  LONGLONG rest = total - newDays * 86400000;
  LONGLONG year = 0;
  unsigned month = 0;
  unsigned day = 0;
  civilFromDays(newDays, year, month, day);
  SYSTEMTIME out{};
  out.wYear = static_cast<WORD>(year);
  out.wMonth = static_cast<WORD>(month);
  out.wDay = static_cast<WORD>(day);
  // 1970-01-01 was a Thursday (4).
  out.wDayOfWeek = static_cast<WORD>(((newDays % 7) + 7 + 4) % 7);
  out.wMilliseconds = static_cast<WORD>(rest % 1000);
  rest /= 1000;
  out.wSecond = static_cast<WORD>(rest % 60);
  rest /= 60;
  out.wMinute = static_cast<WORD>(rest % 60);
  out.wHour = static_cast<WORD>(rest / 60);
  return out;
}

} // namespace win32

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  return win32::currentClock().performanceFrequency(frequency->QuadPart) ? TRUE : FALSE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  return win32::currentClock().performanceCounter(count->QuadPart) ? TRUE : FALSE;
}

DWORD timeGetTime() { return win32::currentClock().tickMilliseconds(); }

void GetLocalTime(SYSTEMTIME* time) {
  if (time) *time = win32::currentClock().localTime();
}
