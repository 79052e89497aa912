// Something that holds device objects (vertex and index buffers, textures, text buffers)
// and must release them before the device is reset and make them again afterwards.
#pragma once

namespace engine {

class DeviceObjectListener {
public:
  // Makes the device objects on the current device; false when one could not be made.
  virtual bool restoreDeviceObjects() = 0;
  // Releases them; false when one could not be released.
  virtual bool invalidateDeviceObjects() = 0;

  virtual ~DeviceObjectListener() = default;
};

} // namespace engine
