// A generated scene of 200 mesh nodes and 200 000 light-mapped triangles (20 groups of 10
// meshes, 20 two-stage materials over 6 textures, a fifth of them blended), loaded from a
// UDF file in memory and drawn through the render view at 1024 x 768 on the OpenGL device.
// Reports the load time, milliseconds per frame, OpenGL calls per frame and, on the
// recording device, Direct3D calls per frame; "Forced" sends every state whether the
// device holds it or not, to show what the state cache saves.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/BenchDevice.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfWriter.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/RenderView.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/Scene.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/HiddenWindow.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/d3dx9/ImageEncoder.h"

namespace {

using engine::UdfNode;
using Node = std::unique_ptr<UdfNode>;

constexpr UINT kWidth = 1024, kHeight = 768;
constexpr int kGroups = 20, kMeshesPerGroup = 10; // 200 mesh nodes
constexpr int kColumns = 25, kRows = 20;          // 1 000 triangles each
constexpr int kMaterials = 20;
constexpr int kBaseTextures = 5;

Node leaf(const char* type, const std::string& name, const void* data, std::size_t size) {
  return UdfNode::makeLeaf(type, name, data, size, true);
}
Node integer(const std::string& name, std::int32_t v) { return leaf("int", name, &v, 4); }
Node text(const std::string& name, const std::string& v) { return leaf("string", name, v.data(), v.size()); }
Node matrix(const std::string& name, float x, float y, float z) {
  float m[17] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1, 0};
  return leaf("matrix", name, m, sizeof m);
}

Node texture(const std::string& file) {
  Node list = UdfNode::makeList("Textures", "Textures");
  Node diffuse = UdfNode::makeList("Diffuse", "Diffuse");
  diffuse->addChild(text("FileName", file));
  list->addChild(std::move(diffuse));
  return list;
}

Node material(int i) {
  Node m = UdfNode::makeList("Material", "Material " + std::to_string(i));
  Node subs = UdfNode::makeList("Material", "Materials");
  Node base = UdfNode::makeList("Material", "Base " + std::to_string(i));
  base->addChild(integer("MaterialSubId", 0));
  if (i % 7 == 0) base->addChild(integer("TwoSided", 1));
  base->addChild(texture("base" + std::to_string(i % kBaseTextures) + ".png"));
  subs->addChild(std::move(base));
  Node light = UdfNode::makeList("Material", "Material " + std::to_string(i) + " LightMap");
  light->addChild(integer("MaterialSubId", 1));
  light->addChild(texture("lightmap.png"));
  subs->addChild(std::move(light));
  m->addChild(std::move(subs));
  return m;
}

// A gently bulging grid of 1 000 triangles, 2 by 1.5 units, in the node's XZ plane facing -Y.
Node mesh(const std::string& name, int materialIndex, float x, float y, float z, int seed) {
  Node node = UdfNode::makeList("Mesh", name);
  node->addChild(matrix("NodeTM", x, y, z));
  node->addChild(matrix("ObjectTM", 0, 0, 0));
  std::vector<float> vertices;
  for (int r = 0; r <= kRows; ++r)
    for (int c = 0; c <= kColumns; ++c) {
      const float u = float(c) / kColumns, v = float(r) / kRows;
      const float bulge = 0.1f * std::sin(u * 6.0f + float(seed)) * std::cos(v * 4.0f);
      vertices.insert(vertices.end(), {u * 2.0f, bulge, (1.0f - v) * 1.5f, 0, -1, 0, u, v, u, v});
    }
  std::vector<std::uint16_t> indices;
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      const auto a = std::uint16_t(r * (kColumns + 1) + c), b = std::uint16_t(a + 1),
                 d = std::uint16_t(a + kColumns + 1), e = std::uint16_t(d + 1);
      for (std::uint16_t i : {a, b, d, b, e, d})
        indices.push_back(i);
    }
  node->addChild(text("MaterialName", "Material " + std::to_string(materialIndex)));
  if (materialIndex % 5 == 4) node->addChild(text("AlphaUse", "factor texture"));
  node->addChild(integer("FVF", 0x312));
  node->addChild(integer("IndexSize", 2));
  node->addChild(integer("NumVerts", std::int32_t(vertices.size() / 10)));
  node->addChild(integer("NumIndexes", std::int32_t(indices.size())));
  node->addChild(leaf("", "Verts", vertices.data(), vertices.size() * 4));
  node->addChild(leaf("int", "Indexes", indices.data(), indices.size() * 2));
  return node;
}

std::string sceneBytes() {
  Node children = UdfNode::makeList("Node", "Children");
  int index = 0;
  for (int g = 0; g < kGroups; ++g) {
    const float gx = float(g % 5) * 11.0f - 22.0f, gz = float(g / 5) * 7.0f - 10.0f;
    Node group = mesh("Group " + std::to_string(g), g % kMaterials, gx, 0, gz, index++);
    Node list = UdfNode::makeList("Node", "Children");
    for (int m = 1; m < kMeshesPerGroup; ++m)
      list->addChild(mesh("Mesh " + std::to_string(g) + "." + std::to_string(m), (g + m) % kMaterials,
                          float(m % 5) * 2.1f - 4.0f, float(m) * 0.3f, float(m / 5) * 1.6f, index++));
    group->addChild(std::move(list));
    children->addChild(std::move(group));
  }
  Node materials = UdfNode::makeList("Material", "Materials");
  for (int i = 0; i < kMaterials; ++i)
    materials->addChild(material(i));
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  engine::UdfWriter::write(out, {children.get(), materials.get()});
  return out.contents();
}

// The textures in a private folder that goes with the benchmark.
class TextureFolder {
public:
  TextureFolder() {
    path_ = std::filesystem::temp_directory_path() / ("tickwood-scene-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_);
    for (int t = 0; t <= kBaseTextures; ++t) {
      d3dx9::Image image;
      image.width = image.height = 256;
      image.pixels.resize(256 * 256);
      for (UINT y = 0; y < 256; ++y)
        for (UINT x = 0; x < 256; ++x)
          image.at(x, y) = t == kBaseTextures ? 0xFF000000u | (0x010101u * (64 + ((x + y) % 128)))
                                              : (((x ^ y) & 16) ? 0xC0000000u | (0x30u << (8 * (t % 3))) : 0xFFC0C0C0u);
      std::vector<BYTE> png;
      d3dx9::encodePng(image, true, png);
      const std::string name = t == kBaseTextures ? "lightmap.png" : "base" + std::to_string(t) + ".png";
      std::ofstream(path_ / name, std::ios::binary)
          .write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    }
  }
  ~TextureFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string path() const { return path_.string(); }

private:
  std::filesystem::path path_;
};

// A device, the texture store over the folder, the scene and the render view.
class SceneFrame {
public:
  bool open(bool recording, std::string& failure) {
    if (recording) {
      d3d_ = d3d9::createRecordingDirect3D();
    } else {
      if (!window_.open(int(kWidth), int(kHeight), failure)) return false;
      d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    }
    if (!d3d_) {
      failure = "Direct3DCreate9 failed";
      return false;
    }
    // The recording device draws into no window; any handle will do.
    const HWND target = recording ? reinterpret_cast<HWND>(0x1234) : window_.handle();
    device_ = benchsupport::createBenchDevice(d3d_, kWidth, kHeight, target, failure);
    if (!device_) return false;
    engine::publishDevice(device_);
    bytes_ = sceneBytes();
    return true;
  }

  ~SceneFrame() {
    unload();
    engine::stateCache().setForceAll(false);
    engine::publishDevice(nullptr);
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }

  bool load() {
    unload();
    textures_ = std::make_unique<engine::TextureManager>();
    textures_->searchPaths().add(engine::FileLocation::disk(folder_.path()));
    engine::publishTextureManager(textures_.get());
    scene_ = std::make_unique<engine::Scene>();
    return scene_->load(engine::FileLocation::memory(bytes_.data(), std::uint32_t(bytes_.size())), "");
  }

  void unload() {
    view_.clear();
    scene_.reset();
    engine::publishTextureManager(nullptr);
    textures_.reset();
  }

  void draw() {
    engine::StateCache& cache = engine::stateCache();
    view_.setProjection(0.1f, 1000.0f, 70.0f * D3DX_PI / 180.0f, float(kWidth) / float(kHeight));
    view_.setView(D3DXVECTOR3(0, -30, 2), D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 1));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    view_.applyCamera();
    device_->BeginScene();
    cache.setRenderState(D3DRS_ZENABLE, TRUE);
    cache.setRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
    engine::drawFrame(scene_->root(), view_);
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  }

  IDirect3DDevice9* device() const { return device_; }

private:
  TextureFolder folder_;
  d3d9::HiddenWindow window_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  std::string bytes_;
  std::unique_ptr<engine::TextureManager> textures_;
  std::unique_ptr<engine::Scene> scene_;
  engine::RenderView view_;
};

void BM_SceneLoad(benchmark::State& state) {
  SceneFrame frame;
  std::string failure;
  if (!frame.open(false, failure)) {
    state.SkipWithError(("no OpenGL device: " + failure).c_str());
    return;
  }
  for (auto _ : state) {
    if (!frame.load()) {
      state.SkipWithError("the scene did not load");
      return;
    }
  }
}
BENCHMARK(BM_SceneLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void frameBenchmark(benchmark::State& state, bool caching) {
  SceneFrame frame;
  std::string failure;
  if (!frame.open(false, failure) || !frame.load()) {
    state.SkipWithError(("no OpenGL device: " + failure).c_str());
    return;
  }
  engine::stateCache().setForceAll(!caching);
  frame.draw(); // builds the programs
  d3d9::resetDeviceStatistics(frame.device());
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    frame.draw();
  const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  d3d9::DeviceStatistics s;
  d3d9::deviceStatistics(frame.device(), s);
  const double frames = double(state.iterations());
  state.counters["ms_per_frame"] = elapsedMs / frames;
  state.counters["gl_calls_per_frame"] = double(s.backendCalls) / frames;
  state.counters["draws_per_frame"] = double(s.draws) / frames;
}
void BM_SceneFrameCached(benchmark::State& state) { frameBenchmark(state, true); }
void BM_SceneFrameForced(benchmark::State& state) { frameBenchmark(state, false); }
BENCHMARK(BM_SceneFrameCached)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_SceneFrameForced)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The Direct3D calls of a frame, counted by the recording device.
void callsBenchmark(benchmark::State& state, bool caching) {
  SceneFrame frame;
  std::string failure;
  if (!frame.open(true, failure) || !frame.load()) {
    state.SkipWithError(failure.c_str());
    return;
  }
  engine::stateCache().setForceAll(!caching);
  frame.draw();
  d3d9::CallLog* log = d3d9::callLog(frame.device());
  log->clear();
  std::size_t calls = 0, states = 0;
  for (auto _ : state) {
    frame.draw();
    state.PauseTiming();
    calls += log->calls().size();
    for (const d3d9::RecordedCall& call : log->calls())
      if (call.method.rfind("Set", 0) == 0) ++states;
    log->clear();
    state.ResumeTiming();
  }
  const double frames = double(state.iterations());
  state.counters["d3d_calls_per_frame"] = double(calls) / frames;
  state.counters["d3d_set_calls_per_frame"] = double(states) / frames;
}
void BM_SceneCallsCached(benchmark::State& state) { callsBenchmark(state, true); }
void BM_SceneCallsForced(benchmark::State& state) { callsBenchmark(state, false); }
BENCHMARK(BM_SceneCallsCached)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_SceneCallsForced)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
