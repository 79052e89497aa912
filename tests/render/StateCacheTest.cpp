// The state cache in front of the recording device: which calls reach the device.
#include <gtest/gtest.h>

#include "engine/render/StateCache.h"
#include "tests/render/PublishedRecordingDevice.h"

namespace {

using engine::stateCache;

class StateCacheTest : public rendertest::PublishedRecordingDevice {};

D3DMATRIX translation(float x) {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  m._41 = x;
  return m;
}

D3DMATERIAL9 material() {
  D3DMATERIAL9 m{};
  m.Diffuse = {1, 1, 1, 1};
  m.Ambient = {1, 1, 1, 1};
  return m;
}

TEST_F(StateCacheTest, RepeatedStatesReachTheDeviceOnceUntilInvalidated) {
  auto& cache = stateCache();
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  EXPECT_TRUE(cache.setTexture(0, texture));
  EXPECT_TRUE(cache.setTexture(0, texture));
  EXPECT_EQ(calls("SetTexture"), 1u);
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, FALSE));
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, FALSE));
  EXPECT_EQ(calls("SetRenderState"), 1u);
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_EQ(calls("SetRenderState"), 2u);

  EXPECT_TRUE(cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
  EXPECT_TRUE(cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
  EXPECT_TRUE(cache.setTextureStageState(2, D3DTSS_COLOROP, D3DTOP_MODULATE)); // another stage
  EXPECT_EQ(calls("SetTextureStageState"), 2u);

  EXPECT_TRUE(cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR));
  EXPECT_TRUE(cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR));
  EXPECT_EQ(calls("SetSamplerState"), 1u);

  EXPECT_TRUE(cache.setWorld(translation(1)));
  EXPECT_TRUE(cache.setTransform(D3DTS_WORLD, translation(1)));
  EXPECT_TRUE(cache.setView(translation(1))); // same values, another slot
  EXPECT_TRUE(cache.setWorld(translation(2)));
  EXPECT_EQ(calls("SetTransform"), 3u);

  EXPECT_TRUE(cache.setMaterial(material()));
  EXPECT_TRUE(cache.setMaterial(material()));
  EXPECT_EQ(calls("SetMaterial"), 1u);

  cache.invalidateAll();
  log_->clear();
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_TRUE(cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE));
  EXPECT_TRUE(cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR));
  EXPECT_TRUE(cache.setWorld(translation(2)));
  EXPECT_TRUE(cache.setMaterial(material()));
  EXPECT_TRUE(cache.setTexture(0, texture));
  EXPECT_EQ(log_->calls().size(), 6u);
  EXPECT_EQ(calls("SetTexture"), 1u);
  EXPECT_TRUE(cache.setTexture(0, nullptr));
  texture->Release();
}

TEST_F(StateCacheTest, MaterialsDifferingOnlyInSpecularBothReachTheDevice) {
  D3DMATERIAL9 shiny = material();
  shiny.Specular = {0.5f, 0.5f, 0.5f, 1.0f};
  EXPECT_TRUE(stateCache().setMaterial(material()));
  EXPECT_TRUE(stateCache().setMaterial(shiny));
  shiny.Power = 8.0f;
  EXPECT_TRUE(stateCache().setMaterial(shiny));
  EXPECT_EQ(calls("SetMaterial"), 3u);
  D3DMATERIAL9 held{};
  device_->GetMaterial(&held);
  EXPECT_EQ(held.Power, 8.0f);
}

TEST_F(StateCacheTest, TexturesAreCachedPerStageAndForgottenWhenTheyGo) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  log_->clear();
  EXPECT_TRUE(stateCache().setTexture(0, texture));
  EXPECT_TRUE(stateCache().setTexture(0, texture));
  EXPECT_TRUE(stateCache().setTexture(1, texture));
  EXPECT_EQ(calls("SetTexture"), 2u);
  stateCache().forgetTexture(texture);
  EXPECT_TRUE(stateCache().setTexture(0, texture));
  EXPECT_EQ(calls("SetTexture"), 3u);
  EXPECT_TRUE(stateCache().setTexture(0, nullptr));
  EXPECT_TRUE(stateCache().setTexture(1, nullptr));
  texture->Release();
}

TEST_F(StateCacheTest, GettingAStateAsksTheDeviceOnlyOnce) {
  EXPECT_EQ(stateCache().getRenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE)); // auto depth buffer
  EXPECT_EQ(stateCache().getRenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
  EXPECT_EQ(calls("GetRenderState"), 1u);
  // A known value makes the next equal set free.
  EXPECT_TRUE(stateCache().setRenderState(D3DRS_ZENABLE, D3DZB_TRUE));
  EXPECT_EQ(calls("SetRenderState"), 0u);
}

TEST_F(StateCacheTest, WithoutADeviceEverySetterFailsAndLeavesTheCacheAlone) {
  EXPECT_TRUE(stateCache().setRenderState(D3DRS_LIGHTING, TRUE));
  engine::publishDevice(nullptr);
  auto& cache = stateCache();
  EXPECT_FALSE(cache.setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_FALSE(cache.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DISABLE));
  EXPECT_FALSE(cache.setSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP));
  EXPECT_FALSE(cache.setTexture(0, nullptr));
  EXPECT_FALSE(cache.setWorld(translation(1)));
  EXPECT_FALSE(cache.setMaterial(material()));
  EXPECT_EQ(cache.getRenderState(D3DRS_LIGHTING), 0u);

  // The same device again: nothing was cached while it was away, and it starts afresh.
  engine::publishDevice(device_);
  log_->clear();
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_TRUE(cache.setWorld(translation(1)));
  EXPECT_EQ(log_->calls().size(), 2u);
}

// A device made where the last one was released has the same address and none of its
// states: publishing it must be enough for the cache to send everything again.
TEST_F(StateCacheTest, PublishingADeviceAtTheSameAddressStartsTheCacheAfresh) {
  EXPECT_TRUE(stateCache().setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_TRUE(stateCache().setMaterial(material()));
  engine::publishDevice(device_);
  log_->clear();
  EXPECT_TRUE(stateCache().setRenderState(D3DRS_LIGHTING, TRUE));
  EXPECT_TRUE(stateCache().setMaterial(material()));
  EXPECT_EQ(log_->calls().size(), 2u);
}

TEST_F(StateCacheTest, RefusedCallsAndOutOfRangeSlotsAreNotCached) {
  log_->script("SetRenderState", D3DERR_INVALIDCALL);
  EXPECT_FALSE(stateCache().setRenderState(D3DRS_FOGENABLE, TRUE));
  EXPECT_TRUE(stateCache().setRenderState(D3DRS_FOGENABLE, TRUE));
  EXPECT_EQ(calls("SetRenderState"), 2u);
  EXPECT_FALSE(stateCache().setTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE));
  EXPECT_FALSE(stateCache().setSamplerState(0, static_cast<D3DSAMPLERSTATETYPE>(16), 0));
  EXPECT_FALSE(stateCache().setTransform(static_cast<D3DTRANSFORMSTATETYPE>(512), translation(0)));
  EXPECT_EQ(calls("SetTextureStageState") + calls("SetSamplerState") + calls("SetTransform"), 0u);
}

TEST_F(StateCacheTest, ForcingEverythingSendsEveryState) {
  stateCache().setForceAll(true);
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(stateCache().setRenderState(D3DRS_LIGHTING, FALSE));
    EXPECT_TRUE(stateCache().setMaterial(material()));
  }
  EXPECT_EQ(calls("SetRenderState"), 3u);
  EXPECT_EQ(calls("SetMaterial"), 3u);
}

} // namespace
