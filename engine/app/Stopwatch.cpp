#include "engine/app/Stopwatch.h"

#include "platform/win32/clock.h"

namespace engine {

std::int64_t nowMilliseconds() {
  LARGE_INTEGER frequency{};
  if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart >= 1000) {
    LARGE_INTEGER count{};
    QueryPerformanceCounter(&count);
    return count.QuadPart / (frequency.QuadPart / 1000);
  }
  return timeGetTime();
}

bool Stopwatch::every(std::int64_t periodMs) {
  const std::int64_t now = nowMilliseconds();
  const std::int64_t difference = now >= start_ ? now - start_ : start_ - now;
  if (difference < periodMs) return false;
  start_ = now;
  return true;
}

} // namespace engine
