// The fixture of the image tests: a device on a hidden window, run once with the state
// cache and once with every state forced, which must produce the same pixels.
#pragma once

#include "tests/support/GlTestDevice.h"

namespace testsupport {

class ImageTest : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override {
    OPEN_GL_DEVICE_OR_SKIP(gl, parameters());
    device = gl.device();
    d3d9::setStateCaching(device, GetParam());
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 0), 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
  }
  virtual PresentParameters parameters() const { return {}; }

  // Ends the scene, presents and reads the picture back.
  void finish() {
    ASSERT_EQ(device->EndScene(), D3D_OK);
    ASSERT_TRUE(gl.presentAndRead());
  }

  GlTestDevice gl;
  IDirect3DDevice9* device = nullptr;
};

inline std::string cachingName(const ::testing::TestParamInfo<bool>& info) { return info.param ? "Cached" : "Forced"; }

#define INSTANTIATE_IMAGE_TEST(fixture)                                                                                \
  INSTANTIATE_TEST_SUITE_P(StateCache, fixture, ::testing::Bool(), ::testsupport::cachingName)

} // namespace testsupport
