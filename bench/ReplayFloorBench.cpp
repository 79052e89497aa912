// The saver's frame against its floor, side by side in one run: one room frame recorded at
// the OpenGL calls (with state caching off, so that it carries every state it needs) and
// issued again straight to OpenGL, without the state calls that set what the frame already
// set. Both draw the same room at the same size on the same context, in alternating blocks
// so that whatever else the machine runs weighs on both alike. Every frame of both ends with
// glFinish: the software rasteriser would otherwise let replayed frames queue up unfinished,
// and a frame's time is the time until it is drawn.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "bench/SaverBench.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/gl/GlFrameRecording.h"

namespace {

constexpr int kWarmUpFrames = 60;
constexpr int kBlockFrames = 20;

// A frame of the room recorded whole; false when none of a few frames could be replayed (a
// frame that writes through a mapped buffer or uploads a texture, as a flash's ramp does, is
// passed over).
bool recordFrame(saver::ClockApplication& application, d3d9::GlFrameRecording& recording) {
  IDirect3DDevice9* device = application.device();
  for (int attempt = 0; attempt < 100; ++attempt) {
    recording.clear();
    d3d9::setStateCaching(device, false);
    const bool recorded = d3d9::recordBackendCalls(device, &recording);
    application.frameLoop().runFrame();
    d3d9::recordBackendCalls(device, nullptr);
    d3d9::setStateCaching(device, true);
    if (!recorded) return false;
    if (recording.replayable() && !recording.empty()) return true;
  }
  return false;
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_SaverAgainstReplay(benchmark::State& state) {
  bench::LinkedMedia media;
  auto application = bench::warmSaver(state, media, kWarmUpFrames);
  if (!application) return;
  d3d9::GlFrameRecording recording;
  if (!recordFrame(*application, recording)) {
    state.SkipWithError("no room frame could be recorded for replay");
    return;
  }
  const bool pruned = state.range(0) != 0;
  recording.markRepeatedStates();
  IDirect3DDevice9* device = application->device();
  double saverMs = 0.0, replayMs = 0.0;
  std::uint64_t saverCalls = 0, replayCalls = 0, frames = 0;
  for (auto _ : state) {
    d3d9::resetDeviceStatistics(device);
    auto start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kBlockFrames; ++frame) {
      application->frameLoop().runFrame();
      glFinish();
    }
    saverMs += millisecondsSince(start);
    d3d9::DeviceStatistics statistics;
    d3d9::deviceStatistics(device, statistics);
    saverCalls += statistics.backendCalls;

    // A whole frame first: the pruned ones count on the state it leaves.
    recording.replay(false);
    glFinish();
    start = std::chrono::steady_clock::now();
    for (int frame = 0; frame < kBlockFrames; ++frame) {
      replayCalls += recording.replay(pruned);
      glFinish();
    }
    replayMs += millisecondsSince(start);
    frames += kBlockFrames;
  }
  const double n = double(frames);
  state.counters["saver_ms_per_frame"] = saverMs / n;
  state.counters["replay_ms_per_frame"] = replayMs / n;
  state.counters["time_ratio"] = saverMs / replayMs;
  state.counters["saver_gl_calls_per_frame"] = double(saverCalls) / n;
  state.counters["replay_gl_calls_per_frame"] = double(replayCalls) / n;
  state.counters["calls_ratio"] = double(saverCalls) / double(replayCalls);
  state.counters["recorded_gl_calls"] = double(recording.callCount(false));
  application->shutDown();
}
// Argument 1: the replay leaves out repeated states (the floor); 0: the recorded frame whole.
BENCHMARK(BM_SaverAgainstReplay)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(8);

} // namespace
