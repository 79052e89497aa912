// A recording device published as the engine's device for the length of a test, with its
// call log at hand and the state cache started afresh.
#pragma once

#include <gtest/gtest.h>

#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"

namespace rendertest {

class PublishedRecordingDevice : public ::testing::Test {
protected:
  void SetUp() override {
    d3d_ = d3d9::createRecordingDirect3D();
    D3DPRESENT_PARAMETERS p{};
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = reinterpret_cast<HWND>(0x1234);
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    engine::publishDevice(device_);
    log_ = d3d9::callLog(device_);
    log_->clear();
  }
  void TearDown() override {
    engine::publishDevice(nullptr);
    engine::stateCache().setForceAll(false);
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
  }

  std::size_t calls(std::string_view method) const { return log_->count(method); }

  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  d3d9::CallLog* log_ = nullptr;
};

} // namespace rendertest
