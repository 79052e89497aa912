// Large pictures through the texture store on the OpenGL device: a 5000 x 4000 JPEG (a
// phone photo's size) as a scene texture, which the size rule stretches to 8192 x 4096
// with its mip chain, and the same picture as the frame's photo, made no larger than the
// frame needs. "peakMB" is the process's peak resident size so far: run one benchmark per
// process (--benchmark_filter) to read it for that benchmark alone.
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "bench/BenchDevice.h"
#include "engine/render/DevicePointer.h"
#include "engine/resources/textures/TextureManager.h"
#include "platform/d3d9/HiddenWindow.h"
#include "platform/d3dx9/ImageEncoder.h"
#include "platform/d3dx9/ImageFilters.h"

namespace {

constexpr UINT kPhotoWidth = 5000, kPhotoHeight = 4000;

// Soft gradients, large shapes and a little grain: about as compressible as a photo of a room.
std::vector<BYTE> photoJpeg() {
  d3dx9::Image image = d3dx9::blankImage(kPhotoWidth, kPhotoHeight);
  std::uint32_t grain = 12345;
  for (UINT y = 0; y < kPhotoHeight; ++y) {
    for (UINT x = 0; x < kPhotoWidth; ++x) {
      grain = grain * 1103515245u + 12345u;
      const std::uint32_t noise = (grain >> 31) & 0x1;
      const std::uint32_t r = x * 200 / kPhotoWidth + noise;
      const std::uint32_t g = y * 200 / kPhotoHeight + noise;
      const std::uint32_t b = ((x / 700 + y / 500) % 2) * 100 + 60 + noise;
      image.at(x, y) = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  std::vector<BYTE> bytes;
  d3dx9::encodeJpeg(image, 85, false, bytes);
  return bytes;
}

// The resident size now and its peak since the last call (Linux keeps the peak in
// /proc/self/status and lets a process reset it through /proc/self/clear_refs).
double statusMegabytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field))) / 1024.0;
  return 0.0;
}
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

class TextureLoad {
public:
  bool open(std::string& failure) {
    if (!window_.open(64, 64, failure)) return false;
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) {
      failure = "Direct3DCreate9 failed";
      return false;
    }
    device_ = benchsupport::createBenchDevice(d3d_, 64, 64, window_.handle(), failure);
    if (!device_) return false;
    engine::publishDevice(device_);
    manager_ = std::make_unique<engine::TextureManager>();
    return true;
  }
  ~TextureLoad() {
    manager_.reset();
    engine::publishDevice(nullptr);
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }

  // A texture made afresh from the bytes (never shared with an earlier one).
  engine::TextureRef load(const std::vector<BYTE>& bytes, UINT maxSide) {
    engine::TextureRequest request;
    request.location = engine::FileLocation::memory(bytes.data(), std::uint32_t(bytes.size()));
    request.unshared = true;
    request.maxSide = maxSide;
    return manager_->get(request);
  }

private:
  d3d9::HiddenWindow window_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  std::unique_ptr<engine::TextureManager> manager_;
};

bool openOrSkip(TextureLoad& textures, benchmark::State& state) {
  std::string failure;
  if (textures.open(failure)) return true;
  state.SkipWithError(failure.c_str());
  return false;
}

void loadPhoto(benchmark::State& state, UINT maxSide) {
  TextureLoad textures;
  if (!openOrSkip(textures, state)) return;
  const std::vector<BYTE> bytes = photoJpeg();
  D3DSURFACE_DESC desc{};
  const double before = statusMegabytes("VmRSS:");
  resetPeak();
  for (auto _ : state) {
    engine::TextureRef texture = textures.load(bytes, maxSide);
    if (!texture) {
      state.SkipWithError("the texture was not made");
      return;
    }
    desc = texture->description();
  }
  state.counters["fileKB"] = double(bytes.size()) / 1024.0;
  state.counters["width"] = desc.Width;
  state.counters["height"] = desc.Height;
  // What loading added to the process at its peak (the device, the file's bytes and the
  // benchmark itself were there before).
  state.counters["loadPeakMB"] = statusMegabytes("VmHWM:") - before;
}

// A PNG of a few hundred bytes whose header declares 16384 x 16384 pixels.
std::vector<BYTE> hugePng() {
  std::vector<BYTE> png;
  d3dx9::encodePng(d3dx9::blankImage(16, 16), false, png);
  for (std::size_t at : {16u, 20u}) { // the IHDR's width and height, big-endian
    png[at] = png[at + 1] = png[at + 3] = 0;
    png[at + 2] = 0x40;
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    png[29 + i] = BYTE(crc >> (24 - 8 * i));
  return png;
}

void BM_PngDeclaring16384Squared(benchmark::State& state) {
  TextureLoad textures;
  if (!openOrSkip(textures, state)) return;
  const std::vector<BYTE> bytes = hugePng();
  const double before = statusMegabytes("VmRSS:");
  resetPeak();
  for (auto _ : state) {
    if (textures.load(bytes, 0)) {
      state.SkipWithError("the texture was made");
      return;
    }
  }
  state.counters["fileKB"] = double(bytes.size()) / 1024.0;
  state.counters["loadPeakMB"] = statusMegabytes("VmHWM:") - before;
}

// The box filter alone, on the photo's pixels, to the size the texture takes.
void BM_BoxResize5000x4000To8192x4096(benchmark::State& state) {
  const std::vector<BYTE> bytes = photoJpeg();
  d3dx9::Image image;
  std::string error;
  if (!d3dx9::decodeImage(bytes.data(), bytes.size(), image, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(d3dx9::resizeImage(image, 8192, 4096, D3DX_FILTER_BOX));
}

void BM_JpegTexture5000x4000(benchmark::State& state) { loadPhoto(state, 0); }
void BM_JpegPhoto5000x4000Within1024(benchmark::State& state) { loadPhoto(state, 1024); }

// Timed by the clock and by the CPU time of all the process's threads (the OpenGL driver
// works on threads of its own), in milliseconds.
void timed(benchmark::internal::Benchmark* benchmark) {
  benchmark->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
}

} // namespace

BENCHMARK(BM_JpegTexture5000x4000)->Iterations(3)->Apply(timed);
BENCHMARK(BM_BoxResize5000x4000To8192x4096)->Iterations(3)->Apply(timed);
BENCHMARK(BM_PngDeclaring16384Squared)->Iterations(5)->Apply(timed);
BENCHMARK(BM_JpegPhoto5000x4000Within1024)->Iterations(5)->Apply(timed);
