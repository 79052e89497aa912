// A frame of the size the room draws: 500 draw calls of 1 000 lit, textured triangles each,
// over 20 distinct material states, at 1024 x 768 on the OpenGL device. Each draw sets all
// of its material's states, as the engine's materials do, so repeated states must cost no
// OpenGL call. Reports milliseconds per frame, OpenGL calls (and state calls) per draw and
// the fixed-function programs built; "Forced" sends every state every draw for comparison.
#include "bench/BenchDevice.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/HiddenWindow.h"
#include "platform/d3d9/d3d9.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr UINT kWidth = 1024, kHeight = 768;
constexpr int kDraws = 500;
constexpr int kMeshes = 10;
constexpr int kMaterials = 20;
constexpr int kTextures = 5;
constexpr int kColumns = 25, kRows = 20; // 500 quads: 1 000 triangles

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

D3DMATRIX identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

struct Material {
  D3DMATERIAL9 material{};
  int texture = 0;
  DWORD cull = D3DCULL_CCW;
  bool blend = false;
  DWORD colorOp = D3DTOP_MODULATE;
};

class Frame {
public:
  bool open(std::string& failure) {
    if (!window_.open(int(kWidth), int(kHeight), failure)) return false;
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    if (!d3d_) {
      failure = "Direct3DCreate9 failed";
      return false;
    }
    device_ = benchsupport::createBenchDevice(d3d_, kWidth, kHeight, window_.handle(), failure);
    if (!device_) return false;
    makeMeshes();
    makeTextures();
    makeMaterials();
    return true;
  }

  ~Frame() {
    for (auto* t : textures_)
      t->Release();
    for (auto* b : vertices_)
      b->Release();
    for (auto* b : indices_)
      b->Release();
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
  }

  IDirect3DDevice9* device() { return device_; }

  void draw() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(20, 20, 40), 1.0f, 0);
    device_->BeginScene();
    setFrameStates();
    // Draws grouped by material, as the render view's queues group them.
    for (int i = 0; i < kDraws; ++i) {
      const int materialIndex = i / (kDraws / kMaterials);
      applyMaterial(materials_[std::size_t(materialIndex)]);
      D3DMATRIX world = identity();
      world._41 = float(i % 25) * 1.6f - 20.0f;
      world._42 = float(i / 25) * 1.2f - 12.0f;
      device_->SetTransform(D3DTS_WORLD, &world);
      const int mesh = i % kMeshes;
      device_->SetFVF(kFvf);
      device_->SetStreamSource(0, vertices_[std::size_t(mesh)], 0, sizeof(Vertex));
      device_->SetIndices(indices_[std::size_t(mesh)]);
      device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (kColumns + 1) * (kRows + 1), 0, kColumns * kRows * 2);
    }
    device_->EndScene();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  }

private:
  void makeMeshes() {
    for (int m = 0; m < kMeshes; ++m) {
      std::vector<Vertex> vertices;
      for (int y = 0; y <= kRows; ++y)
        for (int x = 0; x <= kColumns; ++x) {
          const float fx = float(x) / kColumns, fy = float(y) / kRows;
          const float bulge = 0.1f * std::sin(fx * 6.0f + float(m)) * std::cos(fy * 4.0f);
          vertices.push_back({fx * 1.5f, fy * 1.1f, bulge, 0.0f, 0.0f, -1.0f, fx, fy});
        }
      std::vector<WORD> indices;
      for (int y = 0; y < kRows; ++y)
        for (int x = 0; x < kColumns; ++x) {
          const WORD a = WORD(y * (kColumns + 1) + x), b = WORD(a + 1), c = WORD(a + kColumns + 1), d = WORD(c + 1);
          for (WORD index : {a, c, b, b, c, d})
            indices.push_back(index);
        }
      IDirect3DVertexBuffer9* vb = nullptr;
      IDirect3DIndexBuffer9* ib = nullptr;
      device_->CreateVertexBuffer(UINT(vertices.size() * sizeof(Vertex)), D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_DEFAULT,
                                  &vb, nullptr);
      device_->CreateIndexBuffer(UINT(indices.size() * 2), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib,
                                 nullptr);
      void* data = nullptr;
      vb->Lock(0, 0, &data, 0);
      std::memcpy(data, vertices.data(), vertices.size() * sizeof(Vertex));
      vb->Unlock();
      ib->Lock(0, 0, &data, 0);
      std::memcpy(data, indices.data(), indices.size() * 2);
      ib->Unlock();
      vertices_.push_back(vb);
      indices_.push_back(ib);
    }
  }

  void makeTextures() {
    for (int t = 0; t < kTextures; ++t) {
      IDirect3DTexture9* texture = nullptr;
      device_->CreateTexture(256, 256, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
      for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
        D3DLOCKED_RECT locked;
        texture->LockRect(level, &locked, nullptr, 0);
        const UINT size = 256 >> level;
        for (UINT y = 0; y < size; ++y)
          for (UINT x = 0; x < size; ++x) {
            const D3DCOLOR c = ((x ^ y) & 16) ? 0xFF000000u | (0x30u << (8 * t % 24)) : 0xFFC0C0C0u;
            std::memcpy(static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch) + x * 4, &c, 4);
          }
        texture->UnlockRect(level);
      }
      textures_.push_back(texture);
    }
  }

  void makeMaterials() {
    for (int i = 0; i < kMaterials; ++i) {
      Material m;
      const float shade = 0.5f + 0.025f * float(i);
      m.material.Diffuse = {shade, 1.0f - shade * 0.5f, 0.6f, 1.0f};
      m.material.Ambient = {0.3f, 0.3f, 0.3f, 1.0f};
      m.texture = i % kTextures;
      m.cull = (i % 7 == 0) ? D3DCULL_NONE : D3DCULL_CCW;
      m.blend = (i % 5 == 4);
      m.colorOp = (i % 3 == 0) ? D3DTOP_MODULATE2X : D3DTOP_MODULATE;
      materials_.push_back(m);
    }
  }

  void setFrameStates() {
    D3DMATRIX view = identity();
    view._43 = 30.0f;
    device_->SetTransform(D3DTS_VIEW, &view);
    D3DMATRIX projection{};
    projection._11 = 1.0f / (float(kWidth) / float(kHeight));
    projection._22 = 1.0f;
    projection._33 = 100.0f / 99.0f;
    projection._34 = 1.0f;
    projection._43 = -100.0f / 99.0f;
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 0.9f, 1.0f};
    light.Direction = {0.3f, -0.4f, 1.0f};
    device_->SetLight(0, &light);
    device_->LightEnable(0, TRUE);
    device_->SetRenderState(D3DRS_AMBIENT, D3DCOLOR_XRGB(60, 60, 60));
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device_->SetRenderState(D3DRS_RANGEFOGENABLE, TRUE);
    const float start = 20.0f, end = 60.0f;
    DWORD bits;
    std::memcpy(&bits, &start, 4);
    device_->SetRenderState(D3DRS_FOGSTART, bits);
    std::memcpy(&bits, &end, 4);
    device_->SetRenderState(D3DRS_FOGEND, bits);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  }

  // Every state a material sets, whether or not it differs from the last draw's.
  void applyMaterial(const Material& m) {
    device_->SetRenderState(D3DRS_CULLMODE, m.cull);
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, m.blend ? FALSE : TRUE);
    device_->SetMaterial(&m.material);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, m.blend);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_LIGHTING, TRUE);
    device_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
    device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    device_->SetTexture(0, textures_[std::size_t(m.texture)]);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, m.colorOp);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }

  d3d9::HiddenWindow window_;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  std::vector<IDirect3DVertexBuffer9*> vertices_;
  std::vector<IDirect3DIndexBuffer9*> indices_;
  std::vector<IDirect3DTexture9*> textures_;
  std::vector<Material> materials_;
};

void frameBenchmark(benchmark::State& state, bool caching) {
  Frame frame;
  std::string failure;
  if (!frame.open(failure)) {
    state.SkipWithError(("no OpenGL device: " + failure).c_str());
    return;
  }
  d3d9::setStateCaching(frame.device(), caching);
  frame.draw(); // builds the programs
  d3d9::DeviceStatistics warm;
  d3d9::deviceStatistics(frame.device(), warm);
  d3d9::resetDeviceStatistics(frame.device());
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state)
    frame.draw();
  const double elapsedMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  d3d9::DeviceStatistics s;
  d3d9::deviceStatistics(frame.device(), s);
  const double frames = double(state.iterations());
  state.counters["ms_per_frame"] = elapsedMs / frames;
  state.counters["gl_calls_per_draw"] = double(s.backendCalls) / double(s.draws);
  state.counters["state_calls_per_draw"] = double(s.stateCalls) / double(s.draws);
  state.counters["programs_built"] = double(warm.programsBuilt + s.programsBuilt);
  state.counters["draws_per_frame"] = double(s.draws) / frames;
}

void BM_D3d9Frame500DrawsCached(benchmark::State& state) { frameBenchmark(state, true); }
void BM_D3d9Frame500DrawsForced(benchmark::State& state) { frameBenchmark(state, false); }

BENCHMARK(BM_D3d9Frame500DrawsCached)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_D3d9Frame500DrawsForced)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

} // namespace
