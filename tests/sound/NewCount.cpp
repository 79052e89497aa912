#include "tests/sound/NewCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

thread_local bool tCounting = false;
std::atomic<long> gNews{0};

} // namespace

void* operator new(std::size_t size) {
  if (tCounting) ++gNews;
  if (void* pointer = std::malloc(size ? size : 1)) return pointer;
  throw std::bad_alloc();
}
void operator delete(void* pointer) noexcept { std::free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { std::free(pointer); }

namespace soundtest {

void countNews(bool on) { tCounting = on; }
long countedNews() { return gNews.load(); }

} // namespace soundtest
