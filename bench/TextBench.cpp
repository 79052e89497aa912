// Text with the shipped fonts: a rich text of 2 000 characters (bold, italic, sizes,
// colours, words and newlines, wrapped in a 600-pixel view) parsed, styled and laid out on
// the CPU, then laid out, turned into vertices and drawn every frame on the OpenGL device at
// 1024 x 768; and the two overlay labels of the saver (the time set and placed every frame,
// the frame rate), drawn over an otherwise empty frame. Each frame benchmark reports the
// wall and processor milliseconds per frame; what the overlays add is the difference of the
// last two, to be set against the room's frame (tickwood_room_bench).
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "bench/BenchDevice.h"
#include "clockroom/Overlays.h"
#include "engine/gui/GuiManager.h"
#include "engine/gui/text/TextView.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"
#include "platform/d3d9/HiddenWindow.h"
#include "shell/Settings.h"

namespace {

constexpr UINT kWidth = 1024, kHeight = 768;

// 2 000 characters of text (tags aside) in five styles.
std::u16string richText() {
  struct Word {
    std::u16string markup;
    std::size_t characters;
  };
  const Word words[] = {{u"pendulum ", 9},     {u"<B>brass</B> ", 6}, {u"<I>walnut</I> ", 7},
                        {u"tick ", 5},         {u"tock ", 5},         {u"<T Size=64 Color=4294950912>XII</T> ", 4},
                        {u"<N>night</N> ", 6}, {u"rain\n", 5}};
  std::u16string text;
  std::size_t characters = 0;
  for (int i = 0; characters < 2000; ++i) {
    const Word& word = words[static_cast<std::size_t>(i * 7 % 8)];
    text += word.markup;
    characters += word.characters;
  }
  return text;
}

class TextWorld {
public:
  bool open(std::string& failure) {
    if (!window_.open(int(kWidth), int(kHeight), failure)) return false;
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) {
      failure = "no Direct3D";
      return false;
    }
    device_ = benchsupport::createBenchDevice(d3d_, kWidth, kHeight, window_.handle(), failure);
    if (!device_) return false;
    engine::publishDevice(device_);
    engine::publishTextureManager(&textures_);
    engine::publishFontManager(&fonts_);
    const std::string media = TICKWOOD_MEDIA_STAGE;
    if (!fonts_.loadFont(engine::FileLocation::disk(media + "/sylfaen.fs")) ||
        !fonts_.loadFont(engine::FileLocation::disk(media + "/64font.fs"))) {
      failure = "the shipped fonts did not load";
      return false;
    }
    gui_->setScreenSize(kWidth, kHeight);
    return true;
  }
  ~TextWorld() {
    gui_.reset();
    engine::publishFontManager(nullptr);
    engine::publishTextureManager(nullptr);
    engine::publishDevice(nullptr);
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }

  // One frame: the clear, the GUI, the present.
  void frame() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    device_->BeginScene();
    gui_->draw(0);
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  }
  // Frames after `update`: the wall time, and the processor time of every thread (the
  // software rasteriser's too), which holds whatever else the machine runs.
  void measureFrames(benchmark::State& state, const std::function<void()>& update) {
    frame();
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
      update();
      frame();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / frames;
    state.counters["cpu_ms_per_frame"] = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC / frames;
  }

  engine::GuiManager& gui() { return *gui_; }

private:
  d3d9::HiddenWindow window_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  engine::TextureManager textures_;
  engine::FontManager fonts_{textures_};
  std::unique_ptr<engine::GuiManager> gui_ = std::make_unique<engine::GuiManager>();
};

engine::TextView* richView(engine::GuiManager& gui) {
  auto* view = static_cast<engine::TextView*>(gui.addWindow(std::make_unique<engine::TextView>("rich")));
  view->show(true);
  view->setRect({20, 20, 600, 720});
  view->setWordWrap(true);
  return view;
}

// A world to measure in, or the benchmark skipped with the reason there is none.
bool openOrSkip(TextWorld& world, benchmark::State& state) {
  std::string failure;
  if (world.open(failure)) return true;
  state.SkipWithError(failure.c_str());
  return false;
}

void BM_RichTextLayout(benchmark::State& state) {
  TextWorld world;
  if (!openOrSkip(world, state)) return;
  engine::TextView* view = richView(world.gui());
  const std::u16string text = richText();
  for (auto _ : state)
    view->setMarkup(text);
  state.counters["characters"] = static_cast<double>(view->items().size());
  state.counters["lines"] = static_cast<double>(view->lines().size());
}
BENCHMARK(BM_RichTextLayout)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void BM_RichTextFrame(benchmark::State& state) {
  TextWorld world;
  if (!openOrSkip(world, state)) return;
  engine::TextView* view = richView(world.gui());
  view->setMarkup(richText());
  world.measureFrames(state, [] {});
  state.counters["glyphs"] = static_cast<double>(view->batch().quads().size());
}
BENCHMARK(BM_RichTextFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void overlayBenchmark(benchmark::State& state, bool labels) {
  TextWorld world;
  if (!openOrSkip(world, state)) return;
  saver::Settings settings;
  settings.showFps = labels;
  settings.showTime = labels;
  saver::Overlays overlays;
  overlays.create(world.gui(), settings, 1.0f);
  overlays.showFrameRate(60);
  SYSTEMTIME now{};
  now.wHour = 23;
  int frame = 0;
  world.measureFrames(state, [&] {
    now.wSecond = static_cast<WORD>(++frame % 60);
    overlays.showTime(now, kWidth, kHeight);
  });
}
void BM_EmptyFrame(benchmark::State& state) { overlayBenchmark(state, false); }
void BM_OverlaysFrame(benchmark::State& state) { overlayBenchmark(state, true); }
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_OverlaysFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
