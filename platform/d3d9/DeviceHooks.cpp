#include "platform/d3d9/DeviceHooks.h"

#include "platform/d3d9/DeviceCore.h"

namespace d3d9 {
namespace {

DeviceControl* control(IDirect3DDevice9* device) { return device ? dynamic_cast<DeviceControl*>(device) : nullptr; }

} // namespace

bool forceDeviceLoss(IDirect3DDevice9* device, unsigned lostReports) {
  DeviceControl* c = control(device);
  if (c) c->forceLoss(lostReports);
  return c != nullptr;
}

bool readPresentedImage(IDirect3DDevice9* device, PresentedImage& image) {
  DeviceControl* c = control(device);
  return c && c->readPresented(image);
}

bool deviceStatistics(IDirect3DDevice9* device, DeviceStatistics& statistics) {
  DeviceControl* c = control(device);
  if (c) statistics = c->statistics();
  return c != nullptr;
}

bool resetDeviceStatistics(IDirect3DDevice9* device) {
  DeviceControl* c = control(device);
  if (c) c->resetStatistics();
  return c != nullptr;
}

bool recordBackendCalls(IDirect3DDevice9* device, GlFrameRecording* recording) {
  DeviceControl* c = control(device);
  return c && c->recordBackendCalls(recording);
}

bool setStateCaching(IDirect3DDevice9* device, bool enabled) {
  DeviceControl* c = control(device);
  if (c) c->setStateCaching(enabled);
  return c != nullptr;
}

} // namespace d3d9
