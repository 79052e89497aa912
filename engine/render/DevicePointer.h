// The device every drawable draws through, published process-wide by the application
// whenever it changes (set after creation, cleared on release), with the caps read from it.
// Publishing is also what tells the state cache that everything it knew belongs to another
// device: the two have one owner here, so a new device can never inherit stale states.
#pragma once

#include "platform/d3d9/d3d9.h"

namespace engine {

// The current device, or null while there is none. The pointer is not a reference: the
// application owns the device.
IDirect3DDevice9* currentDevice();
// Publishes `device` (null: no device), reads its caps and empties the state cache.
void publishDevice(IDirect3DDevice9* device);
// The caps of the current device (all zero while there is none).
const D3DCAPS9& deviceCaps();

} // namespace engine
