// The OpenGL device as a whole: what Direct3D9 reports about the machine, buffers and draws,
// counted back-end calls, device loss and reset.
#include "tests/support/ImageTest.h"

#include "platform/d3d9/Diagnostics.h"

#include <cstdlib>
#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};

// A vertex buffer holding `vertices`.
IDirect3DVertexBuffer9* vertexBuffer(IDirect3DDevice9* device, const std::vector<Vertex>& vertices,
                                     DWORD usage = D3DUSAGE_WRITEONLY, D3DPOOL pool = D3DPOOL_MANAGED) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  const UINT size = UINT(vertices.size() * sizeof(Vertex));
  EXPECT_EQ(device->CreateVertexBuffer(size, usage, kRhwFvf, pool, &buffer, nullptr), D3D_OK);
  void* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), size);
  buffer->Unlock();
  return buffer;
}

std::vector<Vertex> quad(float left, float top, float right, float bottom, D3DCOLOR color) {
  return {{left - 0.5f, top - 0.5f, 0.5f, 1, color},
          {right - 0.5f, top - 0.5f, 0.5f, 1, color},
          {left - 0.5f, bottom - 0.5f, 0.5f, 1, color},
          {right - 0.5f, bottom - 0.5f, 0.5f, 1, color}};
}

class Device : public ImageTest {};

TEST_P(Device, IndexedDrawsUseBaseVertexAndBothIndexSizes) {
  std::vector<Vertex> vertices = quad(0, 0, 10, 10, 0xFFFF0000);
  const std::vector<Vertex> second = quad(20, 0, 30, 10, 0xFF00FF00);
  vertices.insert(vertices.end(), second.begin(), second.end());
  IDirect3DVertexBuffer9* buffer = vertexBuffer(device, vertices);
  IDirect3DIndexBuffer9* small = nullptr;
  IDirect3DIndexBuffer9* large = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &small, nullptr),
            D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(24, D3DUSAGE_WRITEONLY, D3DFMT_INDEX32, D3DPOOL_MANAGED, &large, nullptr),
            D3D_OK);
  const WORD shortIndices[6] = {0, 1, 2, 2, 1, 3};
  const DWORD longIndices[6] = {0, 1, 2, 2, 1, 3};
  void* data = nullptr;
  small->Lock(0, 0, &data, 0);
  std::memcpy(data, shortIndices, sizeof shortIndices);
  small->Unlock();
  large->Lock(0, 0, &data, 0);
  std::memcpy(data, longIndices, sizeof longIndices);
  large->Unlock();
  device->SetFVF(kRhwFvf);
  device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
  device->SetIndices(small);
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  device->SetIndices(large);
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3D_OK); // the second quad
  // User-pointer indices and vertices, offset by MinVertexIndex.
  const std::vector<Vertex> third = quad(40, 0, 50, 10, 0xFF0000FF);
  const WORD userIndices[6] = {0, 1, 2, 2, 1, 3};
  ASSERT_EQ(device->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, 4, 2, userIndices, D3DFMT_INDEX16, third.data(),
                                           sizeof(Vertex)),
            D3D_OK);
  device->SetStreamSource(0, nullptr, 0, 0);
  device->SetIndices(nullptr);
  buffer->Release();
  small->Release();
  large->Release();
  finish();
  EXPECT_EQ(gl.count({255, 0, 0, 255}), 100);
  EXPECT_EQ(gl.count({0, 255, 0, 255}), 100);
  EXPECT_EQ(gl.count({0, 0, 255, 255}), 100);
  EXPECT_EQ(gl.pixel(25, 5), (Rgba{0, 255, 0, 255}));
}

TEST_P(Device, DynamicBuffersHonourDiscardAndNoOverwrite) {
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(Vertex), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kRhwFvf,
                                       D3DPOOL_DEFAULT, &buffer, nullptr),
            D3D_OK);
  device->SetFVF(kRhwFvf);
  device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
  void* data = nullptr;
  // Fill the first half, draw it; append the second half without overwriting, draw it.
  std::vector<Vertex> first = quad(0, 0, 10, 10, 0xFFFF0000);
  ASSERT_EQ(buffer->Lock(0, 4 * sizeof(Vertex), &data, D3DLOCK_DISCARD), D3D_OK);
  std::memcpy(data, first.data(), 4 * sizeof(Vertex));
  buffer->Unlock();
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  std::vector<Vertex> second = quad(20, 0, 30, 10, 0xFF00FF00);
  ASSERT_EQ(buffer->Lock(4 * sizeof(Vertex), 4 * sizeof(Vertex), &data, D3DLOCK_NOOVERWRITE), D3D_OK);
  std::memcpy(data, second.data(), 4 * sizeof(Vertex));
  buffer->Unlock();
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2);
  // Discard and refill: the earlier draws keep what they were given.
  std::vector<Vertex> third = quad(40, 0, 50, 10, 0xFF0000FF);
  ASSERT_EQ(buffer->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
  std::memcpy(data, third.data(), 4 * sizeof(Vertex));
  buffer->Unlock();
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
  finish();
  EXPECT_EQ(gl.count({255, 0, 0, 255}), 100);
  EXPECT_EQ(gl.count({0, 255, 0, 255}), 100);
  EXPECT_EQ(gl.count({0, 0, 255, 255}), 100);
}

TEST_P(Device, LinesPointsAndFans) {
  const Vertex line[2] = {{10, 10, 0.5f, 1, 0xFFFFFFFF}, {20, 10, 0.5f, 1, 0xFFFFFFFF}};
  const Vertex points[3] = {
      {30, 30, 0.5f, 1, 0xFFFF0000}, {32, 30, 0.5f, 1, 0xFFFF0000}, {34, 30, 0.5f, 1, 0xFFFF0000}};
  const std::vector<Vertex> fan = {{60, 60, 0.5f, 1, 0xFF00FF00},       {49.5f, 49.5f, 0.5f, 1, 0xFF00FF00},
                                   {69.5f, 49.5f, 0.5f, 1, 0xFF00FF00}, {69.5f, 69.5f, 0.5f, 1, 0xFF00FF00},
                                   {49.5f, 69.5f, 0.5f, 1, 0xFF00FF00}, {49.5f, 49.5f, 0.5f, 1, 0xFF00FF00}};
  device->SetFVF(kRhwFvf);
  device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(Vertex));
  device->DrawPrimitiveUP(D3DPT_POINTLIST, 3, points, sizeof(Vertex));
  device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 4, fan.data(), sizeof(Vertex));
  finish();
  EXPECT_EQ(gl.pixel(15, 10), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.count({255, 0, 0, 255}), 3);
  EXPECT_EQ(gl.count({0, 255, 0, 255}), 400);
}

TEST_P(Device, RepeatedStatesCostNoBackendCalls) {
  if (!GetParam()) GTEST_SKIP() << "counts apply to the cached device";
  IDirect3DVertexBuffer9* buffer = vertexBuffer(device, quad(0, 0, 10, 10, 0xFFFFFFFF));
  device->SetFVF(kRhwFvf);
  device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  d3d9::resetDeviceStatistics(device);
  // The same states again: the draw is the only call.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->SetFVF(kRhwFvf);
  device->SetStreamSource(0, buffer, 0, sizeof(Vertex));
  device->SetTexture(0, nullptr);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d3d9::DeviceStatistics statistics;
  d3d9::deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.backendCalls, 1u);
  EXPECT_EQ(statistics.stateCalls, 0u);
  // Changed and changed back before the next draw: still nothing to send.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d3d9::deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.stateCalls, 0u);
  // A real change costs exactly one state call.
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d3d9::deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.stateCalls, 1u);
  EXPECT_EQ(statistics.draws, 3u);
  // A program is built once per distinct key and then found again.
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  d3d9::deviceStatistics(device, statistics);
  EXPECT_EQ(statistics.programsBuilt, 1u);
  device->SetStreamSource(0, nullptr, 0, 0);
  buffer->Release();
  finish();
}

TEST_P(Device, ForcedLossAndResetKeepDrawing) {
  drawRhwQuad(device, 0, 0, 10, 10, 0xFFFF0000);
  ASSERT_EQ(device->EndScene(), D3D_OK);
  ASSERT_TRUE(d3d9::forceDeviceLoss(device));
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
  // A lost device takes a whole frame without complaint.
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  drawRhwQuad(device, 0, 0, 100, 80, 0xFF0000FF);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  // A default-pool resource blocks the reset until it is released.
  IDirect3DTexture9* dynamic = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dynamic, nullptr),
            D3D_OK);
  D3DPRESENT_PARAMETERS params = gl.presentParameters();
  params.BackBufferWidth = 100;
  params.BackBufferHeight = 80;
  EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
  dynamic->Release();
  ASSERT_EQ(device->Reset(&params), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  d3d9::setStateCaching(device, GetParam()); // a reset restores the default states
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  ASSERT_EQ(device->BeginScene(), D3D_OK);
  drawRhwQuad(device, 90, 70, 100, 80, 0xFF00FF00);
  finish();
  EXPECT_EQ(gl.image().width, 100u);
  EXPECT_EQ(gl.image().height, 80u);
  EXPECT_EQ(gl.count({0, 255, 0, 255}), 100);
  EXPECT_EQ(gl.pixel(99, 79), (Rgba{0, 255, 0, 255}));
}

INSTANTIATE_IMAGE_TEST(Device);

TEST(DeviceLossSchedule, EnvironmentLosesTheDeviceAfterTheNamedPresents) {
  setenv("TICKWOOD_FORCE_DEVICE_LOSS", "2", 1);
  GlTestDevice gl;
  PresentParameters params;
  OPEN_GL_DEVICE_OR_SKIP(gl, params);
  unsetenv("TICKWOOD_FORCE_DEVICE_LOSS");
  IDirect3DDevice9* device = gl.device();
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  D3DPRESENT_PARAMETERS p = gl.presentParameters();
  EXPECT_EQ(device->Reset(&p), D3D_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
}

TEST(GlDirect3D, ReportsSdlDisplaysAndTheDriversAbilities) {
  GlTestDevice gl;
  PresentParameters params;
  OPEN_GL_DEVICE_OR_SKIP(gl, params);
  IDirect3D9* d3d = gl.d3d();
  ASSERT_GE(d3d->GetAdapterCount(), 1u);
  D3DDISPLAYMODE desktop;
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  EXPECT_GT(desktop.Width, 0u);
  EXPECT_GE(d3d->GetAdapterModeCount(0, desktop.Format), 1u);
  D3DADAPTER_IDENTIFIER9 id;
  ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
  EXPECT_STREQ(id.Driver, "tickwood-opengl");
  EXPECT_GT(std::strlen(id.Description), 0u);
  D3DCAPS9 caps;
  ASSERT_EQ(gl.device()->GetDeviceCaps(&caps), D3D_OK);
  EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  EXPECT_EQ(caps.MaxTextureBlendStages, 8u);
  EXPECT_EQ(caps.MaxActiveLights, 8u);
  EXPECT_TRUE(caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE);
  // What the image tests see working is reported: culling both ways, the colour write mask,
  // the TEMP register, blend operations, stage constants, separate alpha blending, every
  // stencil operation on both faces and Gouraud shading of colours, specular and fog.
  const DWORD misc = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                     D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP |
                     D3DPMISCCAPS_PERSTAGECONSTANT | D3DPMISCCAPS_SEPARATEALPHABLEND | D3DPMISCCAPS_MASKZ;
  EXPECT_EQ(caps.PrimitiveMiscCaps & misc, misc);
  EXPECT_EQ(caps.StencilCaps, 0x1FFu);
  EXPECT_EQ(caps.ShadeCaps, D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                                D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD);
  EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, desktop.Format, D3DFMT_A8R8G8B8, TRUE), D3D_OK);
  EXPECT_EQ(
      d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, desktop.Format, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8),
      D3D_OK);
  EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, desktop.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_V8U8),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_REF, &caps), D3DERR_NOTAVAILABLE);
  // Nothing has been presented yet.
  d3d9::PresentedImage image;
  EXPECT_FALSE(d3d9::readPresentedImage(gl.device(), image));
  EXPECT_EQ(Direct3DCreate9(12), nullptr);
}

} // namespace
