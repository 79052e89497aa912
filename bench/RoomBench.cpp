// The saver's own room as a run draws it: the clock room's application started full screen
// on the OpenGL device (the offscreen desktop of 1024 x 768, two samples per pixel, presented
// at once), with the generated media archive linked in as it is into the program and the
// default settings. Reports the frames per second of the frame loop, the processor time a
// frame takes over all threads, the OpenGL calls per frame, the Direct3D calls per frame (on the recording device) and
// how long each step of the start took.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <map>
#include <string>

#include "bench/SaverBench.h"
#include "platform/d3d9/DeviceHooks.h"

namespace {

using bench::LinkedMedia;
using bench::startSaver;

void BM_SaverStartUp(benchmark::State& state) {
  LinkedMedia media;
  if (!media.present()) {
    state.SkipWithError("no media archive at " TICKWOOD_MEDIA_ARCHIVE);
    return;
  }
  std::map<std::string, double> steps;
  double toFirstFrame = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::string failure;
    auto application = startSaver(false, failure);
    if (!application) {
      state.SkipWithError(failure.c_str());
      return;
    }
    application->frameLoop().runFrame();
    toFirstFrame += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (const auto& [step, ms] : application->startUpTimes().steps())
      steps[step] += double(ms);
    state.PauseTiming();
    application->shutDown();
    application.reset();
    state.ResumeTiming();
  }
  const double runs = double(state.iterations());
  state.counters["ms_to_first_room_frame"] = toFirstFrame / runs;
  for (const auto& [step, ms] : steps)
    state.counters["ms " + step] = ms / runs;
}
BENCHMARK(BM_SaverStartUp)->Unit(benchmark::kMillisecond)->Iterations(3);

// With labels 1 the time and the frame rate are drawn over the room; with 0 neither is.
void BM_SaverRoomFrame(benchmark::State& state) {
  LinkedMedia media;
  const bool labels = state.range(0) != 0;
  media.writeSettings(labels ? "\"ShowTime\"=dword:00000001\n\"ShowFps\"=dword:00000001\n"
                             : "\"ShowTime\"=dword:00000000\n\"ShowFps\"=dword:00000000\n");
  // The same tours either way: the views, not the labels, would make the difference.
  std::srand(5);
  std::string failure;
  auto application = media.present() ? startSaver(false, failure) : nullptr;
  if (!application) {
    state.SkipWithError(media.present() ? failure.c_str() : "no media archive");
    return;
  }
  application->frameLoop().runFrame(); // the programs are built on the first frames
  d3d9::resetDeviceStatistics(application->device());
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  for (auto _ : state)
    application->frameLoop().runFrame();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The processor time of every thread of the process (the software rasteriser's too): what
  // a frame costs whatever else the machine runs.
  const double cpuMs = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;
  d3d9::DeviceStatistics s;
  d3d9::deviceStatistics(application->device(), s);
  const double frames = double(state.iterations());
  state.counters["frames_per_second"] = frames / seconds;
  state.counters["cpu_ms_per_frame"] = cpuMs / frames;
  state.counters["gl_calls_per_frame"] = double(s.backendCalls) / frames;
  state.counters["gl_draws_per_frame"] = double(s.draws) / frames;
  state.counters["width"] = double(application->viewport().Width);
  state.counters["height"] = double(application->viewport().Height);
  application->shutDown();
}
BENCHMARK(BM_SaverRoomFrame)
    ->ArgName("labels")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(10.0);

// The Direct3D calls of the saver's frames, counted by the recording device.
void BM_SaverRoomCalls(benchmark::State& state) {
  LinkedMedia media;
  std::string failure;
  auto application = media.present() ? startSaver(true, failure) : nullptr;
  if (!application) {
    state.SkipWithError(media.present() ? failure.c_str() : "no media archive");
    return;
  }
  d3d9::CallLog* log = d3d9::callLog(application->device());
  application->frameLoop().runFrame();
  log->clear();
  std::size_t calls = 0, states = 0, draws = 0;
  for (auto _ : state) {
    application->frameLoop().runFrame();
    state.PauseTiming();
    calls += log->calls().size();
    for (const d3d9::RecordedCall& call : log->calls()) {
      if (call.method.rfind("Set", 0) == 0) ++states;
      if (call.method.rfind("Draw", 0) == 0) ++draws;
    }
    log->clear();
    state.ResumeTiming();
  }
  const double frames = double(state.iterations());
  state.counters["d3d_calls_per_frame"] = double(calls) / frames;
  state.counters["d3d_set_calls_per_frame"] = double(states) / frames;
  state.counters["d3d_draws_per_frame"] = double(draws) / frames;
  application->shutDown();
}
BENCHMARK(BM_SaverRoomCalls)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace
