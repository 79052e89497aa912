#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace d3d9;

namespace {

HWND fakeWindow() { return reinterpret_cast<HWND>(0x1234); }

D3DPRESENT_PARAMETERS windowedParameters() {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = fakeWindow();
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return p;
}

class Recording : public ::testing::Test {
protected:
  void SetUp() override {
    d3d = createRecordingDirect3D();
    D3DPRESENT_PARAMETERS p = windowedParameters();
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK);
    params = p;
    log = callLog(device);
    ASSERT_NE(log, nullptr);
    log->clear();
  }
  void TearDown() override {
    if (device) {
      EXPECT_EQ(device->Release(), 0u);
    }
    EXPECT_EQ(d3d->Release(), 0u);
  }

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  CallLog* log = nullptr;
  D3DPRESENT_PARAMETERS params{};
};

TEST_F(Recording, CreateDeviceFillsTheBlanksFromWindowAndDesktop) {
  EXPECT_EQ(params.BackBufferWidth, 640u);
  EXPECT_EQ(params.BackBufferHeight, 480u);
  EXPECT_EQ(params.BackBufferFormat, D3DFMT_X8R8G8B8);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  back->Release();
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 640u);
  EXPECT_EQ(viewport.Height, 480u);
}

TEST_F(Recording, RecordsEachCallWithItsArguments) {
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  D3DMATRIX m{};
  m._41 = 3.0f;
  device->SetTransform(D3DTS_WORLD, &m);
  ASSERT_EQ(log->calls().size(), 3u);
  EXPECT_EQ(log->calls()[0].text(), "SetRenderState(137, 0)");
  EXPECT_EQ(log->calls()[1].text(), "SetTextureStageState(1, 1, 7)");
  EXPECT_EQ(log->calls()[2].method, "SetTransform");
  EXPECT_EQ(log->calls()[2].args, std::vector<std::uint64_t>{256});
  ASSERT_EQ(log->calls()[2].floats.size(), 16u);
  EXPECT_EQ(log->calls()[2].floats[12], 3.0f);
  EXPECT_EQ(log->count("SetRenderState"), 1u);
}

TEST_F(Recording, ResourcesAreRecordedByTheirCreationOrder) {
  IDirect3DTexture9* first = nullptr;
  IDirect3DTexture9* second = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateTexture(4, 4, 0, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &second, nullptr), D3D_OK);
  device->SetTexture(0, second);
  device->SetTexture(1, first);
  device->SetTexture(0, nullptr);
  const auto sets = log->named("SetTexture");
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0].text(), "SetTexture(0, 2)");
  EXPECT_EQ(sets[1].text(), "SetTexture(1, 1)");
  EXPECT_EQ(sets[2].text(), "SetTexture(0, 0)");
  EXPECT_EQ(second->GetLevelCount(), 3u); // 4x4, 2x2, 1x1
  device->SetTexture(1, nullptr);
  first->Release();
  second->Release();
}

TEST_F(Recording, ScriptedResultsReplaceTheWork) {
  log->script("SetRenderState", D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER), D3DERR_INVALIDCALL);
  DWORD value = 0;
  device->GetRenderState(D3DRS_ZFUNC, &value);
  EXPECT_EQ(value, DWORD(D3DCMP_LESSEQUAL)); // the scripted failure did not set the state
  EXPECT_EQ(device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER), D3D_OK);
  log->scriptAlways("TestCooperativeLevel", D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  log->clearScripts();
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(log->named("SetRenderState")[0].result, D3DERR_INVALIDCALL);
}

TEST_F(Recording, ScriptedCreateDeviceFailureGivesNoDevice) {
  CallLog* direct = callLog(d3d);
  ASSERT_EQ(direct, log); // one log for the object and its devices
  direct->script("CreateDevice", D3DERR_NOTAVAILABLE);
  D3DPRESENT_PARAMETERS p = windowedParameters();
  IDirect3DDevice9* second = reinterpret_cast<IDirect3DDevice9*>(1);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &second),
            D3DERR_NOTAVAILABLE);
}

TEST_F(Recording, LossHookRunsTheLostDeviceCycle) {
  ASSERT_TRUE(forceDeviceLoss(device, 2));
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  // Only Present, TestCooperativeLevel and Reset report the loss; drawing goes on silently.
  const float triangle[3][3] = {};
  device->SetFVF(D3DFVF_XYZ);
  EXPECT_EQ(device->SetRenderState(D3DRS_LIGHTING, FALSE), D3D_OK);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, 12), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  DeviceStatistics statistics;
  deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.draws, 0u);
  EXPECT_EQ(statistics.presents, 0u);
  D3DPRESENT_PARAMETERS p = params;
  EXPECT_EQ(device->Reset(&p), D3DERR_DEVICELOST); // still lost: not yet resettable
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  ASSERT_EQ(device->Reset(&p), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

TEST_F(Recording, AFailedResetLeavesTheDeviceLostUntilOneSucceeds) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(64, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
  IDirect3DTexture9* managed = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr), D3D_OK);
  D3DPRESENT_PARAMETERS p = params;
  {
    ReportCapture reports;
    EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
    EXPECT_TRUE(
        reports.contains("Reset: 1 D3DPOOL_DEFAULT resources are still alive; release them before resetting\n"));
  }
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  }
  // Parameters the device refuses fail the same way.
  D3DPRESENT_PARAMETERS bad = params;
  bad.SwapEffect = static_cast<D3DSWAPEFFECT>(99);
  buffer->Release();
  EXPECT_EQ(device->Reset(&bad), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Reset(&p), D3D_OK); // managed resources survive a reset
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  D3DSURFACE_DESC desc;
  EXPECT_EQ(managed->GetLevelDesc(0, &desc), D3D_OK);
  managed->Release();
}

TEST_F(Recording, ResetRestoresDefaultStatesAndNewSizes) {
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  D3DPRESENT_PARAMETERS p = params;
  p.BackBufferWidth = 320;
  p.BackBufferHeight = 200;
  ASSERT_EQ(device->Reset(&p), D3D_OK);
  DWORD lighting = 0;
  device->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, DWORD(TRUE));
  D3DVIEWPORT9 viewport;
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 320u);
  IDirect3DSurface9* back = nullptr;
  device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  EXPECT_EQ(desc.Height, 200u);
  back->Release();
}

TEST_F(Recording, DrawsAreCheckedAtTheBoundary) {
  IDirect3DVertexBuffer9* vertices = nullptr;
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(3 * 12, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(6 * 2, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr), D3D_OK);
  WORD* index = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, reinterpret_cast<void**>(&index), 0), D3D_OK);
  const WORD values[6] = {0, 1, 2, 0, 2, 3}; // index 3 is past the three vertices
  std::memcpy(index, values, sizeof values);
  indices->Unlock();
  device->SetFVF(D3DFVF_XYZ);
  device->SetStreamSource(0, vertices, 0, 12);
  device->SetIndices(indices);
  ReportCapture reports;
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_TRUE(reports.contains("DrawPrimitive: called outside BeginScene/EndScene\n"));
  device->BeginScene();
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 1), D3DERR_INVALIDCALL);
  EXPECT_TRUE(reports.contains("DrawIndexedPrimitive: an index names a vertex beyond the vertex buffer\n"));
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 4, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, -1, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL); // 24-byte vertices do not fit the 12-byte stride
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  device->EndScene();
  DeviceStatistics statistics;
  deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.draws, 2u);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
  vertices->Release();
  indices->Release();
}

TEST_F(Recording, UserPointerIndicesAreCheckedInBothSizes) {
  const float vertices[4][3] = {};
  const WORD shortIndices[3] = {0, 1, 3};
  const DWORD longIndices[3] = {0, 1, 0x10003}; // a 16-bit read would see 3
  device->SetFVF(D3DFVF_XYZ);
  device->BeginScene();
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, shortIndices, D3DFMT_INDEX16, vertices, 12),
            D3D_OK);
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 3, 1, shortIndices, D3DFMT_INDEX16, vertices, 12),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 1, longIndices, D3DFMT_INDEX32, vertices, 12),
            D3DERR_INVALIDCALL);
  device->EndScene();
}

TEST_F(Recording, BoundResourcesOutliveTheirLastReleaseUntilUnbound) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  device->SetTexture(3, texture);
  EXPECT_EQ(texture->Release(), 0u);
  IDirect3DBaseTexture9* bound = nullptr;
  ASSERT_EQ(device->GetTexture(3, &bound), D3D_OK); // still alive: the device holds it
  EXPECT_EQ(bound->GetLevelCount(), 1u);
  bound->Release();
  device->SetTexture(3, nullptr); // now it goes (ASan would see a leak or a late use otherwise)
}

TEST_F(Recording, BufferLocksCoverTheRequestedRange) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(100, D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &buffer, nullptr), D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(buffer->Lock(90, 20, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(buffer->Lock(101, 0, &data, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(buffer->Lock(40, 0, &data, D3DLOCK_DISCARD), D3D_OK); // 0 locks the rest
  std::memset(data, 7, 60);
  EXPECT_EQ(buffer->Unlock(), D3D_OK);
  EXPECT_EQ(buffer->Unlock(), D3DERR_INVALIDCALL);
  ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<BYTE*>(data)[99], 7);
  buffer->Unlock();
  buffer->Release();
}

TEST_F(Recording, TextureLocksAddressTheRectangle) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 8, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 5u);
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(4, &desc);
  EXPECT_EQ(desc.Width, 1u);
  EXPECT_EQ(desc.Height, 1u);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(texture->LockRect(0, &whole, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(whole.Pitch, 64);
  EXPECT_EQ(texture->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL); // already locked
  texture->UnlockRect(0);
  const RECT rect{2, 3, 4, 5};
  ASSERT_EQ(texture->LockRect(0, &part, &rect, 0), D3D_OK);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits) - static_cast<BYTE*>(whole.pBits), 3 * 64 + 2 * 4);
  texture->UnlockRect(0);
  const RECT outside{10, 0, 17, 1};
  EXPECT_EQ(texture->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(1, &surface), D3D_OK);
  surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 8u);
  surface->Release();
  IDirect3DTexture9* dxt = nullptr;
  EXPECT_EQ(device->CreateTexture(6, 8, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &dxt, nullptr), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(Recording, APoolDecidesWhatMayBeLockedAndWhatDrawn) {
  struct Made {
    D3DPOOL pool;
    DWORD usage;
    bool lockable, drawable;
  };
  for (const Made& made : {Made{D3DPOOL_DEFAULT, 0, false, true}, Made{D3DPOOL_DEFAULT, D3DUSAGE_DYNAMIC, true, true},
                           Made{D3DPOOL_MANAGED, 0, true, true}, Made{D3DPOOL_SYSTEMMEM, 0, true, false},
                           Made{D3DPOOL_SCRATCH, 0, true, false}}) {
    SCOPED_TRACE(testing::Message() << "pool " << made.pool << ", usage " << made.usage);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, made.usage, D3DFMT_A8R8G8B8, made.pool, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(texture->LockRect(0, &locked, nullptr, 0), made.lockable ? D3D_OK : D3DERR_INVALIDCALL);
    if (made.lockable) texture->UnlockRect(0);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    EXPECT_EQ(surface->LockRect(&locked, nullptr, 0), made.lockable ? D3D_OK : D3DERR_INVALIDCALL);
    if (made.lockable) surface->UnlockRect();
    surface->Release();
    EXPECT_EQ(device->SetTexture(0, texture), made.drawable ? D3D_OK : D3DERR_INVALIDCALL);
    IDirect3DBaseTexture9* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, made.drawable ? texture : nullptr);
    if (bound) bound->Release();
    device->SetTexture(0, nullptr);
    texture->Release();
  }
}

TEST_F(Recording, UpdateTextureFillsTheGpusOwnMemoryFromSystemMemory) {
  IDirect3DTexture9* staging = nullptr;
  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &staging, nullptr), D3D_OK);
  ASSERT_EQ(device->CreateTexture(4, 4, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &target, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(staging->LockRect(1, &locked, nullptr, 0), D3D_OK);
  static_cast<std::uint32_t*>(locked.pBits)[0] = 0xFF102030u;
  staging->UnlockRect(1);
  EXPECT_EQ(device->UpdateTexture(target, staging), D3DERR_INVALIDCALL); // the wrong way round
  EXPECT_EQ(device->UpdateTexture(staging, target), D3D_OK);
  IDirect3DTexture9* bigger = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &bigger, nullptr), D3D_OK);
  EXPECT_EQ(device->UpdateTexture(staging, bigger), D3DERR_INVALIDCALL);
  bigger->Release();
  // A dynamic texture of the GPU's memory can be read back, which shows what arrives.
  IDirect3DTexture9* readable = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 2, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &readable, nullptr),
            D3D_OK);
  EXPECT_EQ(device->UpdateTexture(staging, readable), D3D_OK);
  ASSERT_EQ(readable->LockRect(1, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<std::uint32_t*>(locked.pBits)[0], 0xFF102030u);
  readable->UnlockRect(1);
  readable->Release();
  target->Release();
  staging->Release();
}

TEST_F(Recording, ASurfaceLevelIsOneObjectThatHoldsItsTexture) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 2, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  IDirect3DSurface9* first = nullptr;
  IDirect3DSurface9* again = nullptr;
  IDirect3DSurface9* other = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &first), D3D_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(0, &again), D3D_OK);
  ASSERT_EQ(texture->GetSurfaceLevel(1, &other), D3D_OK);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
  // Each surface handed out is a reference on the texture.
  EXPECT_EQ(texture->Release(), 3u);
  EXPECT_EQ(first->Release(), 2u);
  EXPECT_EQ(other->Release(), 1u);
  D3DSURFACE_DESC desc{};
  EXPECT_EQ(again->GetDesc(&desc), D3D_OK); // the last reference keeps level and texture alive
  EXPECT_EQ(desc.Width, 8u);
  EXPECT_EQ(again->Release(), 0u);
}

TEST(RecordingSetupTest, QueriesAnswerFromTheSetup) {
  RecordingSetup setup = defaultRecordingSetup();
  setup.adapters[0].desktop.Format = D3DFMT_R5G6B5; // a 16-bit desktop
  setup.capabilities.caps.DevCaps &= ~D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  IDirect3D9* d3d = createRecordingDirect3D(setup);
  D3DDISPLAYMODE mode;
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 8u);
  EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 8, &mode), D3DERR_INVALIDCALL);
  // Windowed: the adapter format must be the desktop's; full screen: any listed mode format.
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, FALSE), D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, FALSE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_REF, D3DFMT_R5G6B5, D3DFMT_R5G6B5, TRUE), D3DERR_NOTAVAILABLE);
  EXPECT_EQ(
      d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D16),
      D3D_OK);
  EXPECT_EQ(
      d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_R5G6B5, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D15S1),
      D3DERR_NOTAVAILABLE);
  DWORD levels = 0;
  EXPECT_EQ(
      d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_4_SAMPLES, &levels),
      D3D_OK);
  EXPECT_EQ(levels, 1u);
  EXPECT_EQ(
      d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, TRUE, D3DMULTISAMPLE_8_SAMPLES, &levels),
      D3DERR_NOTAVAILABLE);
  D3DCAPS9 caps;
  ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_SW, &caps), D3DERR_NOTAVAILABLE);
  // A full-screen device needs a listed mode.
  D3DPRESENT_PARAMETERS p = windowedParameters();
  p.Windowed = FALSE;
  p.BackBufferWidth = 800;
  p.BackBufferHeight = 600;
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.FullScreen_RefreshRateInHz = 75;
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device),
            D3D_OK);
  ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 800u);
  EXPECT_EQ(mode.RefreshRate, 75u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  device->Release();
  // The display shows an alpha back buffer in the same layout without the alpha.
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device),
            D3D_OK);
  ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  device->Release();
  p.BackBufferWidth = 801;
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &p, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, fakeWindow(), 0, &p, &device), D3DERR_INVALIDCALL);
  d3d->Release();
}

} // namespace
