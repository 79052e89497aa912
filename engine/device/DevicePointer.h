// The device every drawable draws through, published process-wide by the application
// whenever it changes (set after creation, cleared on release), with the caps read from it.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace engine {

// The current device, or null while there is none. The pointer is not a reference: the
// application owns the device.
IDirect3DDevice9* currentDevice();
// Publishes `device` (null: no device) and reads its caps.
void publishDevice(IDirect3DDevice9* device);
// The caps of the current device (all zero while there is none).
const D3DCAPS9& deviceCaps();

} // namespace engine
