// The last frame a device presented, written as a PNG file: what the saver's --screenshot
// and the scene viewer write.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

namespace d3dx9 {

// False with `error` set when there is no presented frame or the file cannot be written.
bool saveScreenshot(IDirect3DDevice9* device, const std::string& path, std::string& error);

} // namespace d3dx9
