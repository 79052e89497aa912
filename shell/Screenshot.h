// The last frame the device presented, written as a PNG file.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

namespace saver {

// False with `error` set when there is no presented frame or the file cannot be written.
bool saveScreenshot(IDirect3DDevice9* device, const std::string& path, std::string& error);

} // namespace saver
