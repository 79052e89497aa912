// Text with the shipped fonts: a rich text of 2 000 characters (bold, italic, sizes,
// colours, words and newlines, wrapped in a 600-pixel view) parsed, styled and laid out on
// the CPU, then laid out, turned into vertices and drawn every frame on the OpenGL device at
// 1024 x 768; and the two overlay labels of the saver (the time set and placed every frame,
// the frame rate), drawn over an otherwise empty frame. Each frame benchmark reports
// milliseconds per frame; the overlays also report what they add to an empty frame.
#include <benchmark/benchmark.h>

#include <chrono>
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

// About 2 000 characters of markup text in five styles.
std::u16string richText() {
  const std::u16string words[] = {u"pendulum ",     u"<B>brass</B> ", u"<I>walnut</I> ",
                                  u"tick ",         u"tock ",         u"<T Size=64 Color=4294950912>XII</T> ",
                                  u"<N>night</N> ", u"rain\n"};
  std::u16string text;
  for (int i = 0; text.size() < 2200; ++i)
    text += words[static_cast<std::size_t>(i * 7 % 8)];
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
  double msPerFrame(benchmark::State& state, const std::function<void()>& update) {
    frame();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
      update();
      frame();
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
           static_cast<double>(state.iterations());
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

void BM_RichTextLayout(benchmark::State& state) {
  TextWorld world;
  std::string failure;
  if (!world.open(failure)) {
    state.SkipWithError(failure.c_str());
    return;
  }
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
  std::string failure;
  if (!world.open(failure)) {
    state.SkipWithError(failure.c_str());
    return;
  }
  engine::TextView* view = richView(world.gui());
  view->setMarkup(richText());
  state.counters["ms_per_frame"] = world.msPerFrame(state, [] {});
  state.counters["glyphs"] = static_cast<double>(view->batch().quads().size());
}
BENCHMARK(BM_RichTextFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void overlayBenchmark(benchmark::State& state, bool labels) {
  TextWorld world;
  std::string failure;
  if (!world.open(failure)) {
    state.SkipWithError(failure.c_str());
    return;
  }
  saver::Settings settings;
  settings.showFps = labels;
  settings.showTime = labels;
  saver::Overlays overlays;
  overlays.create(world.gui(), settings, 1.0f, kWidth, kHeight);
  overlays.showFrameRate(60);
  SYSTEMTIME now{};
  now.wHour = 23;
  int frame = 0;
  state.counters["ms_per_frame"] = world.msPerFrame(state, [&] {
    now.wSecond = static_cast<WORD>(++frame % 60);
    overlays.showTime(now, kWidth, kHeight);
  });
}
void BM_EmptyFrame(benchmark::State& state) { overlayBenchmark(state, false); }
void BM_OverlaysFrame(benchmark::State& state) { overlayBenchmark(state, true); }
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_OverlaysFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
