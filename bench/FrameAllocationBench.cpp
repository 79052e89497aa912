// Heap allocations of the saver's frame loop in steady state. Every operator new and every
// malloc of the main thread is counted while the frames run (the software rasteriser's own
// threads are not: they are the driver's business, not the frame loop's). The room is
// warmed up first so that programs, textures and queues exist.
//
// TICKWOOD_ALLOC_TRACE=N prints the call stacks of the first N counted operator news, which
// is how the per-frame ones are found (the driver's mallocs are only counted).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <execinfo.h>
#include <new>
#include <string>

#include "bench/SaverBench.h"

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
}

namespace {

thread_local bool tCounting = false;
thread_local bool tInside = false;
std::atomic<long> gNews{0};
std::atomic<long> gMallocs{0};
std::atomic<long> gNewBytes{0};
std::atomic<long> gTraceLeft{0};

void trace(std::size_t size) {
  if (gTraceLeft.load() <= 0 || tInside) return;
  tInside = true;
  --gTraceLeft;
  void* frames[24];
  const int depth = backtrace(frames, 24);
  std::fprintf(stderr, "== new of %zu bytes\n", size);
  backtrace_symbols_fd(frames, depth, 2);
  tInside = false;
}

void countMalloc() {
  if (tCounting && !tInside) ++gMallocs;
}

void* countedNew(std::size_t size) {
  if (tCounting && !tInside) {
    ++gNews;
    gNewBytes += long(size);
    trace(size);
  }
  tInside = true; // the malloc under it is the same allocation
  void* pointer = __libc_malloc(size ? size : 1);
  tInside = false;
  if (!pointer) throw std::bad_alloc();
  return pointer;
}

} // namespace

extern "C" {
void* malloc(std::size_t size) {
  countMalloc();
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  countMalloc();
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  countMalloc();
  return __libc_realloc(pointer, size);
}
void free(void* pointer) { __libc_free(pointer); }
}

void* operator new(std::size_t size) { return countedNew(size); }
void* operator new[](std::size_t size) { return countedNew(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return countedNew(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* pointer) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer) noexcept { __libc_free(pointer); }
void operator delete(void* pointer, std::size_t) noexcept { __libc_free(pointer); }
void operator delete[](void* pointer, std::size_t) noexcept { __libc_free(pointer); }

namespace {

constexpr int kWarmUpFrames = 100;

void BM_FrameLoopAllocations(benchmark::State& state) {
  bench::LinkedMedia media;
  auto application = bench::warmSaver(state, media, kWarmUpFrames);
  if (!application) return;
  if (const char* traceCount = std::getenv("TICKWOOD_ALLOC_TRACE")) gTraceLeft = std::atol(traceCount);
  long framesWithNews = 0, mostNews = 0;
  for (auto _ : state) {
    const long before = gNews.load();
    tCounting = true;
    application->frameLoop().runFrame();
    tCounting = false;
    const long news = gNews.load() - before;
    if (news > 0) ++framesWithNews;
    if (news > mostNews) mostNews = news;
  }
  tCounting = false;
  const double frames = double(state.iterations());
  state.counters["news_per_frame"] = double(gNews.load()) / frames;
  state.counters["new_bytes_per_frame"] = double(gNewBytes.load()) / frames;
  state.counters["mallocs_per_frame"] = double(gMallocs.load() + gNews.load()) / frames;
  state.counters["frames_with_news"] = double(framesWithNews);
  state.counters["most_news_in_a_frame"] = double(mostNews);
  application->shutDown();
}
BENCHMARK(BM_FrameLoopAllocations)->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace
