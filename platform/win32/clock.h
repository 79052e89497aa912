// Time as the Win32 calls report it, behind one replaceable clock so that tests (and the
// "--time" option) control what the program sees. A normal run uses the system clock.
#pragma once

#include "platform/win32/windows.h"

namespace win32 {

class Clock {
public:
  virtual ~Clock() = default;
  // QueryPerformanceFrequency: false when the machine has no high-resolution counter.
  virtual bool performanceFrequency(LONGLONG& countsPerSecond) = 0;
  virtual bool performanceCounter(LONGLONG& count) = 0;
  // timeGetTime: milliseconds since an arbitrary start, wrapping at 2^32.
  virtual DWORD tickMilliseconds() = 0;
  virtual SYSTEMTIME localTime() = 0;
};

// The monotonic and wall clocks of the operating system.
Clock& systemClock();

// Installs `clock` for every time call of the process; null restores the system clock.
void setClock(Clock* clock);
Clock& currentClock();

// A clock that only moves when told to: monotonic time in milliseconds, local time derived
// from a start time plus the monotonic time. Counter frequency and presence are settable so
// the fallbacks of the callers can be exercised.
class ManualClock : public Clock {
public:
  ManualClock();

  void advance(LONGLONG milliseconds) { nowMs_ += milliseconds; }
  void setNow(LONGLONG milliseconds) { nowMs_ = milliseconds; }
  LONGLONG now() const { return nowMs_; }
  void setLocalStart(const SYSTEMTIME& start) {
    localStart_ = start;
    localStartMs_ = nowMs_;
  }
  void setCounterFrequency(LONGLONG countsPerSecond, bool present = true);

  bool performanceFrequency(LONGLONG& countsPerSecond) override;
  bool performanceCounter(LONGLONG& count) override;
  DWORD tickMilliseconds() override;
  SYSTEMTIME localTime() override;

private:
  LONGLONG nowMs_ = 0;
  LONGLONG frequency_ = 1000000;
  bool counterPresent_ = true;
  SYSTEMTIME localStart_{};
  LONGLONG localStartMs_ = 0;
};

// The system's clocks, except that the local time starts at the given time of day (on
// today's date) when the clock is made and runs on with the monotonic clock.
class StartTimeClock : public Clock {
public:
  StartTimeClock(int hour, int minute, int second);

  bool performanceFrequency(LONGLONG& countsPerSecond) override;
  bool performanceCounter(LONGLONG& count) override;
  DWORD tickMilliseconds() override;
  SYSTEMTIME localTime() override;

private:
  SYSTEMTIME start_{};
  LONGLONG startMs_ = 0;
};

// Another clock running `rate` times as fast from the moment this one is made: counter, tick
// count and local time alike. Long drills (an hour of the saver's life in a minute) use it.
class AcceleratedClock : public Clock {
public:
  AcceleratedClock(Clock& base, double rate);
  bool performanceFrequency(LONGLONG& countsPerSecond) override;
  bool performanceCounter(LONGLONG& count) override;
  DWORD tickMilliseconds() override;
  SYSTEMTIME localTime() override;

private:
  // Milliseconds the base clock has run since this clock was made, times the rate.
  LONGLONG acceleratedMs();

  Clock& base_;
  double rate_;
  LONGLONG counterStart_ = 0;
  DWORD tickStart_ = 0;
  SYSTEMTIME localStart_{};
};

// Installs a clock for the lifetime of the guard and restores the previous one after.
class ScopedClock {
public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

private:
  Clock* previous_;
};

// Adds `milliseconds` to a calendar time, carrying into seconds, minutes, hours, days,
// months and years (Gregorian calendar); keeps the day of the week in step.
SYSTEMTIME addMilliseconds(const SYSTEMTIME& time, LONGLONG milliseconds);

} // namespace win32

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
DWORD timeGetTime();
void GetLocalTime(SYSTEMTIME* time);
